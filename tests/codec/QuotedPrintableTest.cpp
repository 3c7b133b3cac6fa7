// Quoted-printable decoding, by rule and beside Python's quopri/binascii
// (run as a child process on the same text).
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "CodecTestSupport.h"
#include "codec/ByteSink.h"
#include "codec/QuotedPrintable.h"

namespace codec::test {
namespace {

struct QpCase {
  std::string text;
  std::string decoded;
};

TEST(DecodeQuotedPrintable, EscapesSoftBreaksAndLenientEquals) {
  const QpCase cases[] = {
      {"caf=C3=A9 =3D coffee\r\n", "caf\xC3\xA9 = coffee\r\n"},
      {"lower =c3=a9", "lower \xC3\xA9"},
      {"soft=\r\nbreak=\nhere", "softbreakhere"},
      {"trailing blanks  \r\n", "trailing blanks  \r\n"},
      {"a==b", "a=b"},
      {"=ZZ and =4", "=ZZ and =4"},
      {"end=", "end"},
      {"", ""},
      {"=\r", ""},
      {"=4=41", "=4A"},
      {"soft=\rjunk\nbreak", "softbreak"},
  };
  for (const QpCase& c : cases) {
    EXPECT_EQ(DecodeQuotedPrintable(c.text), c.decoded) << c.text;
    for (std::size_t piece : {1U, 2U, 3U, 4096U}) {
      MemoryStream output;
      ByteSink sink(output);
      QuotedPrintableDecoder decoder(sink);
      for (std::size_t at = 0; at < c.text.size(); at += piece) decoder.Push(std::string_view(c.text).substr(at, piece));
      decoder.Finish();
      sink.Flush();
      EXPECT_EQ(output.ToString(), c.decoded) << c.text << ", piece " << piece;
    }
  }
}

const char* const kPythonDecode =
    "python3 -c 'import sys, binascii; sys.stdout.buffer.write(binascii.a2b_qp(sys.stdin.buffer.read()))'";
const char* const kPythonEncode =
    "python3 -c 'import sys, quopri; sys.stdout.buffer.write(quopri.encodestring(sys.stdin.buffer.read()))'";

// Text lines (bytes other than CR and LF, which quopri keeps as line
// breaks) survive quopri's encoding and our decoding unchanged.
TEST(DecodeQuotedPrintableVersusPython, DecodesWhatQuopriEncodes) {
  for (std::size_t n : {0U, 1U, 75U, 76U, 77U, 1000U, 65536U}) {
    std::string data = RandomBytes(n, static_cast<std::uint32_t>(n + 77));
    for (std::size_t i = 0; i < data.size(); ++i) {
      if (data[i] == '\r' || data[i] == '\n') data[i] = i % 97 == 0 ? '\n' : 'x';
    }
    const std::string decoded = DecodeQuotedPrintable(RunTool(kPythonEncode, data));
    EXPECT_TRUE(decoded == data) << "length " << n << ", decoded " << decoded.size();
  }
}

// Damaged text: random mixes of "=", hex digits, line ends and blanks decode
// as Python's decoder does.
TEST(DecodeQuotedPrintableVersusPython, DamagedTextDecodesAlike) {
  const std::string alphabet = "==\r\n\t aF9g=\r\n";
  for (std::uint32_t seed = 0; seed < 3; ++seed) {
    const std::string noise = RandomBytes(20000, seed);
    std::string text;
    for (const char c : noise) text += alphabet[static_cast<unsigned char>(c) % alphabet.size()];
    const std::string decoded = DecodeQuotedPrintable(text);
    const std::string python = RunTool(kPythonDecode, text);
    EXPECT_TRUE(decoded == python) << "seed " << seed << ": " << decoded.size() << " bytes, Python " << python.size();
  }
}

}  // namespace
}  // namespace codec::test
