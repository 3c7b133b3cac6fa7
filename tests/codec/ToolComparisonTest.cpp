// Compares the coder with coreutils base64 and sharutils uuencode/uudecode,
// run as child processes on the same data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodecTestSupport.h"

namespace codec::test {
namespace {

std::vector<std::size_t> Lengths() {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 300; ++n) lengths.push_back(n);
  for (std::size_t n : {4095U, 65536U, 1000003U}) lengths.push_back(n);
  return lengths;
}

// Reads of 1, 16, 1024 and 4096 bytes in turn.
std::size_t ChunkFor(std::size_t n) {
  static const std::size_t chunks[] = {1, 16, 1024, 4096};
  return n > 100000 ? 4096 : chunks[n % 4];
}

TEST(TUUProcessorVersusCoreutils, DecodesAndEncodesAsBase64Does) {
  for (std::size_t n : Lengths()) {
    const std::string data = RandomBytes(n, static_cast<std::uint32_t>(n));
    const std::string text = RunTool("base64 -w 76", data);
    EXPECT_EQ(Decode(uuMime, ToCrLf(text), ChunkFor(n)), data) << "CR LF lines, length " << n;
    EXPECT_EQ(Decode(uuMime, text, ChunkFor(n + 1)), data) << "LF lines, length " << n;
    const std::string ours = Encode(uuMime, data, ChunkFor(n + 2));
    EXPECT_EQ(ours, ToCrLf(RunTool("base64 -w 60", data))) << "length " << n;
  }
}

// Base64 lines with characters outside "+" to "z" strewn into them, also
// inside groups: the coder passes them over as base64 --ignore-garbage
// does. Reads of 1, 2, 3 and 4096 bytes in turn.
TEST(TUUProcessorVersusCoreutils, PassesOverWhatBase64IgnoreGarbageIgnores) {
  static const char kStrewn[] = {' ', '\t', '!', '"', '*', '{', '~', '\x7F', '\x80', '\xA0', '\xFF', '\0'};
  const std::size_t chunks[] = {1, 2, 3, 4096};
  std::uint32_t state = 1;
  auto next = [&state] { return state = state * 1103515245U + 12345U, state >> 16; };
  for (std::size_t n = 0; n <= 400; n += 7) {
    const std::string data = RandomBytes(n, static_cast<std::uint32_t>(n + 4000));
    std::string text;
    for (const char c : RunTool("base64 -w 76", data)) {
      while (next() % 4 == 0) text += kStrewn[next() % sizeof kStrewn];
      text += c;
    }
    ASSERT_EQ(RunTool("base64 -d -i", text), data) << "length " << n;
    EXPECT_EQ(Decode(uuMime, ToCrLf(text), chunks[n % 4]), data) << "CR LF lines, length " << n;
    EXPECT_EQ(Decode(uuMime, text, chunks[(n + 1) % 4]), data) << "LF lines, length " << n;
  }
}

TEST(TUUProcessorVersusSharutils, DecodesWhatUuencodeEncodes) {
  for (std::size_t n : Lengths()) {
    const std::string data = RandomBytes(n, static_cast<std::uint32_t>(n + 2000));
    const std::string text = RunTool("uuencode data.bin", data);
    ASSERT_EQ(text.rfind("begin 644 data.bin\n", 0), 0U);
    EXPECT_EQ(Decode(uuCode, ToCrLf(text), ChunkFor(n)), data) << "CR LF lines, length " << n;
    EXPECT_EQ(Decode(uuCode, text, ChunkFor(n + 1)), data) << "LF lines, length " << n;
  }
}

TEST(TUUProcessorVersusSharutils, UudecodeReadsWhatWeEncode) {
  for (std::size_t n : Lengths()) {
    const std::string data = RandomBytes(n, static_cast<std::uint32_t>(n + 3000));
    const std::string ours = Encode(uuCode, data, ChunkFor(n));
    EXPECT_EQ(RunTool("uudecode -o /dev/stdout", "begin 644 x\r\n" + ours + "end\r\n"), data) << "length " << n;
    // Full lines hold the same characters as uuencode writes; only the last
    // short group differs (uuencode pads it to four characters).
    const std::string theirs = RunTool("uuencode x", data);
    const std::size_t full = n / 45, start = theirs.find('\n') + 1;
    EXPECT_EQ(ours.substr(0, full * 63), ToCrLf(theirs.substr(start, full * 62))) << "length " << n;
  }
}

}  // namespace
}  // namespace codec::test
