// UTF-8 read piece by piece, the character classes that names may not
// carry, and the reading of 8-bit text of no charset, against Python's
// codecs and unicodedata.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodecTestSupport.h"
#include "codec/CharacterClasses.h"
#include "codec/Charset.h"
#include "codec/Utf8.h"

namespace codec::test {
namespace {

// Python's reading of each sample with bytes.decode('utf-8', 'replace').
const char* const kPythonReplaced = R"(
import sys
for line in sys.stdin:
    print(bytes.fromhex(line.strip()).decode('utf-8', 'replace').encode('utf-8').hex())
)";

// Each ill-formed piece as one U+FFFD, the way NextUtf8Piece splits it.
std::string Replaced(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Piece piece = NextUtf8Piece(bytes, i);
    out += piece.WellFormed ? bytes.substr(i, piece.Length) : "\uFFFD";
    i += piece.Length;
  }
  return out;
}

// Bytes drawn mostly from the lead and continuation ranges, where the
// edges of well-formedness are (overlong forms, surrogates, past U+10FFFF,
// sequences cut short).
std::vector<std::string> EdgeSamples() {
  static const unsigned char kBytes[] = {'a',  0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                         0xDF, 0xE0, 0xE1, 0xED, 0xEF, 0xF0, 0xF3, 0xF4, 0xF5, 0xFF};
  std::vector<std::string> samples = {"", "\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xED\xA0\x80", "\xF4\x90\x80\x80"};
  std::uint32_t state = 7;
  for (int n = 0; n < 600; ++n) {
    std::string sample;
    for (int k = 0; k < 1 + n % 9; ++k) {
      state = state * 1103515245U + 12345U;
      sample += static_cast<char>(kBytes[(state >> 16) % sizeof kBytes]);
    }
    samples.push_back(sample);
  }
  return samples;
}

TEST(NextUtf8PieceVersusPython, SplitsIllFormedBytesAsPythonReplacesThem) {
  const std::vector<std::string> samples = EdgeSamples();
  const std::vector<std::string> answers = PythonAnswers(kPythonReplaced, samples);
  for (std::size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(Replaced(samples[i]), answers[i]) << Hex(samples[i]);
}

// A text that is UTF-8 but for characters cut short reads as Python reads
// it; everything else ill-formed stays ISO-8859-1, byte by byte.
TEST(ShownAsEightBit, KeepsUtf8CutInsideACharacterAndReadsOtherBytesAsLatin1) {
  const std::vector<std::string> cut = {
      "r\xC3\xA9sum\xC3",                                   // cut at the end
      "\xD0\x9A\xD0\xB0\xD1.png",                           // cut before an extension
      "\xE6\x97\xA5\xE6\x97\xE6\x97\xA5",                   // a three-byte character cut between two whole ones
      "caf\xC3\xA9 \xF0\x9F\x98",                           // a four-byte character cut
      "\xC3\xA9\xE2\x82\xF0\x9F",                           // two cut characters in a row
  };
  const std::vector<std::string> answers = PythonAnswers(kPythonReplaced, cut);
  for (std::size_t i = 0; i < cut.size(); ++i) EXPECT_EQ(ShownAsEightBit(cut[i]), answers[i]) << Hex(cut[i]);

  const std::vector<std::string> latin1 = {
      "CAF\xC9",                    // looks cut, but holds no whole character
      "\xE9t\xE9",                  // the same
      "\xC3\xA4\x80",               // a lone continuation byte
      "\xAB\xC9T\xC9\xBB",          // a guillemet holds one
      "\xE0\x80.txt",               // an overlong start
      "\xC3\xA4\xFF",               // a byte that starts nothing
  };
  for (const std::string& bytes : latin1) EXPECT_EQ(ShownAsEightBit(bytes), Latin1ToUtf8(bytes)) << bytes;
}

// The class tables against Python's unicodedata over all of Unicode. A
// code point that Python's (older) Unicode leaves unassigned may be in a
// table: later versions assign format characters there.
TEST(CharacterClassesVersusPython, MatchTheGeneralCategories) {
  std::string ranges;
  for (const auto& [kind, in] : {std::pair{'A', &IsControlOrFormat}, std::pair{'Z', &IsSpaceSeparator}}) {
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
      if (!in(c)) continue;
      char32_t last = c;
      while (last < 0x10FFFF && in(last + 1)) ++last;
      ranges += std::string(1, kind) + " " + std::to_string(c) + " " + std::to_string(last) + "\n";
      c = last;
    }
  }
  const char* const script = R"(
import sys, unicodedata
ours = {'A': set(), 'Z': set()}
for line in sys.stdin:
    kind, first, last = line.split()
    ours[kind].update(range(int(first), int(last) + 1))
wanted = {'A': ('Cc', 'Cf', 'Zl', 'Zp'), 'Z': ('Zs',)}
for cp in range(0x110000):
    category = unicodedata.category(chr(cp))
    for kind in 'AZ':
        mine = cp in ours[kind]
        if mine != (category in wanted[kind]) and not (mine and category == 'Cn'):
            print('%s U+%04X is %s' % (kind, cp, category))
print('checked', cp + 1)
)";
  EXPECT_EQ(RunPython(script, ranges), "checked 1114112\n");
  EXPECT_TRUE(IsControlOrFormat(0x202E));  // the override that turns "fdp.exe" round
  EXPECT_FALSE(IsControlOrFormat(U'a'));
}

}  // namespace
}  // namespace codec::test
