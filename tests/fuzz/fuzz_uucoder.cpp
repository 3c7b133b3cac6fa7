// The UU and Base64 coder over memory streams. For both methods: decoding
// what Encode wrote gives the input back, and decoding arbitrary text never
// fails, stays within a size bound, and gives the same bytes whether the
// input stream hands its data over whole or in short reads.
//
// Input: one control byte (bit 0: method; bits 1-7: the short-read size),
// then the data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "codec/Stream.h"
#include "codec/UUCoder.h"

namespace {

// A memory stream whose Read hands over at most chunk bytes per call, as
// the stream contract allows.
class ShortReadStream : public codec::MemoryStream {
 public:
  ShortReadStream(std::string_view bytes, std::size_t chunk) : MemoryStream(bytes), chunk_(chunk) {}
  std::size_t Read(void* buffer, std::size_t count) override {
    return MemoryStream::Read(buffer, std::min(count, chunk_));
  }

 private:
  std::size_t chunk_;
};

std::string Encoded(codec::UUMethods method, std::string_view data) {
  codec::TUUProcessor coder;
  codec::MemoryStream input(data);
  codec::MemoryStream output;
  coder.SetMethod(method);
  coder.SetInputStream(&input);
  coder.SetOutputStream(&output);
  coder.Encode();
  FUZZ_CHECK(output.Position() == 0);
  return output.ToString();
}

// Decodes input from its current position; checks where it is left.
std::string Decoded(codec::UUMethods method, codec::Stream& input) {
  codec::TUUProcessor coder;
  codec::MemoryStream output;
  coder.SetMethod(method);
  coder.SetInputStream(&input);
  coder.SetOutputStream(&output);
  const std::int64_t start = input.Position();
  coder.Decode();
  FUZZ_CHECK(input.Position() >= start && input.Position() <= input.Size());
  FUZZ_CHECK(output.Position() == output.Size());
  return output.ToString();
}

void CheckRoundTrip(codec::UUMethods method, std::string_view data) {
  const std::string text = Encoded(method, data);
  // 45 bytes per line: 60 Base64 characters, or a count and 60 UU ones.
  const std::size_t lines = (data.size() + 44) / 45;
  FUZZ_CHECK(text.size() <= lines * 63 + 3);
  const std::string_view alphabet = method == codec::uuCode ? codec::kUUAlphabet : codec::kBase64Alphabet;
  const std::string allowed = std::string(alphabet) + "=\r\n";
  FUZZ_CHECK(text.find_first_not_of(allowed) == std::string::npos);
  codec::MemoryStream encoded(text);
  FUZZ_CHECK(Decoded(method, encoded) == data);
}

void CheckArbitraryText(codec::UUMethods method, std::string_view text, std::size_t chunk) {
  codec::MemoryStream whole(text);
  const std::string decoded = Decoded(method, whole);
  // A Base64 group of 4 characters gives at most 3 bytes; a UU line of at
  // least 3 characters and its end gives at most 63.
  if (method == codec::uuMime) {
    FUZZ_CHECK(decoded.size() <= text.size() / 4 * 3 + 3);
  } else {
    FUZZ_CHECK(decoded.size() <= (text.size() / 3 + 1) * 63);
  }
  ShortReadStream piecewise(text, chunk);
  FUZZ_CHECK(Decoded(method, piecewise) == decoded);
  FUZZ_CHECK(piecewise.Position() == whole.Position());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto method = (data[0] & 1) != 0 ? codec::uuCode : codec::uuMime;
  const std::size_t chunk = (data[0] >> 1) + 1;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckRoundTrip(method, rest);
  CheckArbitraryText(method, rest, chunk);
  return 0;
}
