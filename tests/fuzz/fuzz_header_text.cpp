// The header-text library: encoded words, parameters, charsets, dates and
// case folding over arbitrary bytes. Every result must be valid UTF-8 (the
// widgets show it as such), decoding must not grow without bound, and
// text without "=?" must come back as ShownAsEightBit shows it, folding
// undone.
//
// Input: the first byte picks a charset from a list for ConvertToUtf8; the
// rest is the header value.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "codec/Charset.h"
#include "codec/EncodedWords.h"
#include "codec/HeaderParameters.h"
#include "codec/MailDate.h"
#include "codec/TextCase.h"

namespace {

const char* const kCharsets[] = {"utf-8",     "us-ascii",    "iso-8859-1", "iso-8859-2",   "windows-1252",
                                 "koi8-r",    "gb2312",      "gb18030",    "big5",         "shift_jis",
                                 "euc-jp",    "iso-2022-jp", "euc-kr",     "utf-7",        "utf-16",
                                 "x-unknown", "",            "utf-8*de",   "utf-8//TRANSLIT", "ks_c_5601-1987"};

bool HasLineBreakBeforeBlank(const std::string& s) {
  for (std::size_t i = 0; i + 1 < s.size(); ++i)
    if ((s[i] == '\r' || s[i] == '\n') && (s[i + 1] == ' ' || s[i + 1] == '\t' || s[i + 1] == '\n')) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char* charset = kCharsets[data[0] % (sizeof kCharsets / sizeof kCharsets[0])];
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::string decoded = codec::DecodeHeaderText(input);
  FUZZ_CHECK(codec::IsUtf8(decoded));
  // Each input byte gives at most two bytes as 8-bit text; a decoded word
  // is shorter than its text, and a charset turns a byte into at most four.
  FUZZ_CHECK(decoded.size() <= input.size() * 4 + 16);
  if (input.find("=?") == std::string::npos && !HasLineBreakBeforeBlank(input))
    FUZZ_CHECK(decoded == codec::ShownAsEightBit(input));

  if (std::optional<std::string> converted = codec::ConvertToUtf8(input, charset))
    FUZZ_CHECK(codec::IsUtf8(*converted));
  FUZZ_CHECK(codec::IsUtf8(codec::DecodeCharset(input, charset)));

  for (const char* name : {"filename", "name"}) {
    if (std::optional<std::string> value = codec::HeaderParameter(input, name)) {
      FUZZ_CHECK(codec::IsUtf8(*value));
      FUZZ_CHECK(value->size() <= input.size() * 4 + 16);
    }
  }

  if (std::optional<std::int64_t> when = codec::ParseMailDate(input)) {
    // Years 1900 to 9999, zones within a day.
    FUZZ_CHECK(*when >= -2208988800LL - 100 * 3600 && *when <= 253402300799LL + 100 * 3600);
    FUZZ_CHECK(codec::FormatLocalDateTime(*when).size() == 14);  // "dd.mm.yy hh:mm", always
  }
  FUZZ_CHECK(codec::IsUtf8(codec::ShownMailDate(input)));

  const std::string upper = codec::UpperCaseText(decoded);
  FUZZ_CHECK(codec::IsUtf8(upper));
  FUZZ_CHECK(codec::UpperCaseText(upper) == upper);
  return 0;
}
