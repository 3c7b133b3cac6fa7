#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CodecTestSupport.h"

namespace codec::test {
namespace {

struct Case {
  const char* name;
  std::string text;
  std::string expected;
};

// Every case is read by the processor in pieces of one, two and three bytes
// per read as well as in one piece, and pushed into the decoder in the
// same pieces.
void ExpectCases(UUMethods method, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    for (std::size_t chunk : {1U, 2U, 3U, 4096U}) {
      EXPECT_EQ(Decode(method, c.text, chunk), c.expected) << c.name << ", chunk " << chunk;
      EXPECT_EQ(Push(method, c.text, chunk), c.expected) << c.name << ", piece " << chunk;
    }
  }
}

TEST(TUUProcessorBase64, DecodesGroupsPaddingAndLineEnds) {
  ExpectCases(uuMime, {{"full group", "QUJD\r\n", "ABC"},
                       {"one pad", "QUI=\r\n", "AB"},
                       {"two pads", "QQ==\r\n", "A"},
                       {"no final line end", "QUJD", "ABC"},
                       {"across lines", "YWJj\r\nQUJD\r\n", "abcABC"},
                       {"bare line feeds keep every character", "YWJj\nQUJD\nQUJD", "abcABCABC"},
                       {"only line ends", "\r\n\r\n", ""}});
}

TEST(TUUProcessorBase64, SkipsWhatCannotStartAGroup) {
  ExpectCases(uuMime, {{"leading blank", " QUJD\r\n", "ABC"},
                       {"between groups", "QUJD QUJD!QUJD@QUJD\rQUJD\r\n", "ABCABCABCABCABC"},
                       {"lines of two characters", "QU\r\nQQ\r\nQUJD\r\n", "ABC"},
                       {"group only at the last character", "  Q\r\nQUJD\r\n", "ABC"},
                       {"line of four =", "====\r\nQUJD\r\n", "ABC"},
                       {"= as the last character", "QUJD =\r\nQUJD\r\n", "ABCABC"}});
}

TEST(TUUProcessorBase64, StopMarksEndAllDecoding) {
  ExpectCases(uuMime, {{"padded line", "QUI=\r\nQUJD\r\n", "AB"},
                       {"= first", "=3D\r\nQUJD\r\n", ""},
                       {"= after skipped characters", "  =QUJD\r\nQUJD\r\n", ""},
                       {"carriage return first", "QUJD\r\n\rQUJD\r\nQUJD\r\n", "ABC"},
                       {"third character =", "QQ=A\r\nQUJD\r\n", "A"},
                       // Nothing after padding is data, even on the same line.
                       {"groups after padding", "QQ==QUJD\r\n", "A"},
                       {"blank after padding", "QUI= \r\n", "AB"},
                       {"excess padding", "QUJD==\r\nQUJD\r\n", "ABC"}});
}

// Inside a group, characters outside "+" to "z" are passed over (RFC 2045:
// they are no part of the alphabet); those within it that are no digit
// keep the value 127 the coder's digit table gives them.
TEST(TUUProcessorBase64, PassesOverBlanksInsideAGroup) {
  ExpectCases(uuMime, {{"blank second", "Q UJD\r\n", "ABC"},
                       {"blank third", "QU JD\r\n", "ABC"},
                       {"blank fourth", "QUJ D\r\n", "ABC"},
                       {"blanks everywhere", " Q U J D  Q  U  J  D \r\n", "ABCABC"},
                       {"tab, exclamation mark, 8-bit bytes", "Q\tU!J\xC2\xA0" "D\r\n", "ABC"},
                       {"blank before padding", "QUI =\r\nQUJD\r\n", "AB"},
                       {"blanks around padding", "QQ = =\r\nQUJD\r\n", "A"},
                       {"group cut short by blanks", "QUJDQ  \r\nQUJD\r\n", "ABCABC"},
                       {"group cut short after a blank", "QU J\r\nQUJD\r\n", "ABABC"},
                       {"non-digit within + to z", "QU-D\r\n", "A_\xC3"}});
}

// A group cut short by its line's end writes the bytes its characters fully
// determine and never reads beyond the line.
TEST(TUUProcessorBase64, GroupCutShortByLineEnd) {
  ExpectCases(uuMime, {{"two characters", "QUJDQU\r\nQUJD\r\n", "ABCAABC"},
                       {"three characters", "QUJDQUJ\r\nQUJD\r\n", "ABCABABC"},
                       {"three characters at the end", "QUJ", "AB"}});
}

TEST(TUUProcessorBase64, LongLinesDecodeWithoutOverlap) {
  for (std::size_t length : {225U, 300000U}) {  // 300 characters; longer than the reader's longest line
    const std::string data = RandomBytes(length, 7);
    std::string line;
    for (char c : Encode(uuMime, data))
      if (c != '\r' && c != '\n') line += c;
    EXPECT_EQ(Decode(uuMime, line), data) << length;
  }
}

TEST(TUUProcessorUU, DecodesDataLinesByTheirCount) {
  ExpectCases(uuCode, {{"three bytes then zero line", "#86)C\r\n`\r\n", "abc"},
                       {"one byte", "!00\r\n", "A"},
                       {"two bytes", "\"04(\r\n", "AB"},
                       {"several lines, bare line feeds", "#86)C\n!00", "abcA"},
                       {"short lines ignored", "#8\r\n\r\n \r\n!00\r\n", "A"},
                       {"characters past the count ignored", "!00XYZW\r\n", "A"},
                       {"zero count line drops the next", "`  \r\n#86)C\r\n!00\r\n", "A"}});
}

// A whole uuencoded file, framing included, decodes to its data alone.
TEST(TUUProcessorUU, BeginAndEndLinesFrameTheData) {
  ExpectCases(uuCode, {{"framed", "begin 644 abc.txt\r\n#86)C\r\n`\r\nend\r\n", "abc"},
                       {"nothing after end", "begin 644 a\r\n#86)C\r\nend\r\n!00\r\n", "abc"},
                       {"end with trailing blank", "#86)C\r\nend \r\n!00\r\n", "abc"}});
  // "endX" is no end line but a data line counting 5 ("e").
  EXPECT_EQ(Decode(uuCode, "#86)C\r\nendX\r\n!00\r\n").size(), 3U + 5U + 1U);
}

// Mail relays strip trailing blanks, which encode 0: characters the count
// needs but the line lacks read as 0, never from beyond the line.
TEST(TUUProcessorUU, LineShorterThanItsCount) {
  EXPECT_EQ(Decode(uuCode, "M86)C\r\n"), "abc" + std::string(42, '\0'));
  for (const std::string line : {"#86", "#8 ", "_xy"}) {
    const std::size_t count = UUValue(line[0]);
    const std::string full = line + std::string(1 + 4 * ((count + 2) / 3) - line.size(), '`');
    const std::string out = Decode(uuCode, line + "\r\n");
    EXPECT_EQ(out.size(), count) << line;
    EXPECT_EQ(out, Decode(uuCode, full + "\r\n")) << line;
  }
}

TEST(TUUProcessorDecode, HostileBytesStayBounded) {
  for (std::uint32_t seed = 1; seed <= 200; ++seed) {
    const std::string noise = RandomBytes(seed * 7, seed);
    const std::size_t lines = 1 + static_cast<std::size_t>(std::count(noise.begin(), noise.end(), '\n'));
    EXPECT_LE(Decode(uuMime, noise, 1 + seed % 17).size(), noise.size()) << seed;
    EXPECT_LE(Decode(uuCode, noise, 1 + seed % 13).size(), 63 * lines) << seed;
  }
}

}  // namespace
}  // namespace codec::test
