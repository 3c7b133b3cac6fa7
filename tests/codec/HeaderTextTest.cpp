// The header-text library against real-world samples: encoded words
// (RFC 2047), parameters (RFC 2231), charsets, dates and case folding.
// Where Python's email package reads a sample, its result is the expected
// one (an independent implementation, run in the same test); where we
// choose otherwise (malformed words are kept, not dropped; the extended
// parameter wins), the expectation is written down with its reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "CodecTestSupport.h"
#include "codec/Charset.h"
#include "codec/EncodedWords.h"
#include "codec/HeaderParameters.h"
#include "codec/MailDate.h"
#include "codec/TextCase.h"

namespace codec::test {
namespace {

// Python's reading of an unstructured header (Subject) under the current
// email policy.
const char* const kPythonHeaderText = R"(
import sys, email, email.policy
for line in sys.stdin:
    raw = bytes.fromhex(line.strip()).decode('utf-8')
    msg = email.message_from_string('Subject: ' + raw + '\n\n', policy=email.policy.default)
    print(str(msg['Subject']).encode('utf-8').hex())
)";

const char* const kPythonFilename = R"(
import sys, email, email.policy
for line in sys.stdin:
    raw = bytes.fromhex(line.strip()).decode('utf-8')
    msg = email.message_from_string('Content-Disposition: attachment; ' + raw + '\n\n', policy=email.policy.default)
    print(msg.get_filename().encode('utf-8').hex())
)";

const char* const kPythonDate = R"(
import sys, email.utils
for line in sys.stdin:
    raw = bytes.fromhex(line.strip()).decode('utf-8')
    try:
        print(str(int(email.utils.parsedate_to_datetime(raw).timestamp())).encode().hex())
    except Exception:
        print('!')
)";

struct SampleGroup {
  const char* Name;
  std::vector<std::string> Samples;
};

TEST(DecodeHeaderTextVersusPython, ReadsRealWorldHeadersAsPythonDoes) {
  const std::vector<SampleGroup> groups = {
      {"well-formed words in each encoding and charset",
       {"=?utf-8?q?J=C3=B6rg_M=C3=BCller?= <joerg@example.de>", "=?UTF-8?B?R3LDvMOfZSBhdXMgTcO8bmNoZW4=?=",
        "=?iso-8859-1?q?Gr=FC=DFe?=", "=?ISO-8859-1?Q?Gr=fc=dfe?=", "=?iso-8859-15?b?pA==?=",
        "=?windows-1252?b?gA==?= price", "=?windows-1251?b?z/Do4uXy?=", "=?koi8-r?b?8NLJ18XU?=",
        "=?koi8-u?b?8NLJ16bU?=", "=?gb2312?b?xOO6ww==?=", "=?gbk?b?xOO6ww==?=", "=?gb18030?b?xOO6ww==?=",
        "=?big5?b?p0Gmbg==?=", "=?euc-jp?b?pcaluaXI?=", "=?euc-kr?b?vsiz5w==?=", "=?iso-8859-7?b?w+Xp3A==?=",
        "=?iso-8859-2?b?o/NkvA==?=", "=?windows-1250?b?o/Nknw==?=", "=?iso-8859-9?b?8A==?=",
        "=?windows-1256?b?0+HH4w==?=", "=?iso-8859-8?b?+ezl7Q==?=", "=?shift_jis?b?g2WDWINn?=",
        "=?Shift_JIS?B?g2WDWINn?=", "=?iso-2022-jp?b?GyRCJUYlOSVIGyhC?=", "=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=",
        "=?us-ascii?q?plain_text?=", "=?utf-8?b?w7Y?=", "=?utf-8?q?a=3Fb=3D=5Fc?=",
        "Re: =?UTF-8*de?Q?Gr=C3=BC=C3=9Fe?="}},
      {"adjacent words",
       {"=?utf-8?q?a?= =?utf-8?q?b?=", "=?utf-8?q?a?=\t  =?utf-8?q?b?=", "=?iso-8859-1?q?=E4?=   =?utf-8?q?=C3=B6?=",
        "=?utf-8?q?a?= x =?utf-8?q?b?=", "x =?utf-8?q?a?= y", "=?utf-8?q?a_?= =?utf-8?q?_b?=",
        "=?utf-8?b?5pel5pys6Kqe?= =?utf-8?b?44Gu44OG44Kt44K544OI?=",
        "=?utf-8?b?w6Q=?==?utf-8?b?w7Y=?="}},
      {"words split across folded lines",
       {"=?utf-8?q?Gr=C3=BC?=\r\n =?utf-8?q?=C3=9Fe?=", "Hello\r\n\tworld", "=?utf-8?q?a?=\r\n\t=?utf-8?q?b?=",
        "Subject line\r\n =?utf-8?q?=C3=A4?=\r\n end",
        // One character cut between two words, as long subjects are.
        "=?utf-8?b?5pel5pys?=\r\n =?utf-8?b?6Kqe?="}},
      {"words in quoted strings and comments",
       {"\"=?utf-8?q?M=C3=BCller=2C_J=C3=B6rg?=\" <j@example.de>", "j@example.de (=?utf-8?q?J=C3=B6rg?=)",
        "\"=?utf-8?q?J=C3=B6rg?= =?utf-8?q?M=C3=BCller?=\" <j@example.de>"}},
      {"raw 8-bit UTF-8 and encoded text mixed",
       {"Gr\xC3\xBC\xC3\x9F" "e =?utf-8?q?aus_M=C3=BCnchen?=", "\xE6\x97\xA5\xE6\x9C\xAC", "caf\xC3\xA9 =?iso-8859-1?q?caf=E9?="}},
  };
  for (const SampleGroup& group : groups) {
    const std::vector<std::string> answers = PythonAnswers(kPythonHeaderText, group.Samples);
    for (std::size_t i = 0; i < group.Samples.size(); ++i)
      EXPECT_EQ(DecodeHeaderText(group.Samples[i]), answers[i]) << group.Name << ": " << group.Samples[i];
  }
}

struct Expectation {
  const char* Sample;
  const char* Shown;
};

// Python drops or replaces what it cannot read; here nothing the sender
// wrote is lost.
TEST(DecodeHeaderText, KeepsMalformedWordsAndUnknownTextReadable) {
  const Expectation rows[] = {
      // Bad Base64, a bad encoding letter, no closing "?=", no charset.
      {"=?utf-8?b?!!!?=", "=?utf-8?b?!!!?="},
      {"=?utf-8?b?w?=", "=?utf-8?b?w?="},
      {"=?utf-8?x?abc?=", "=?utf-8?x?abc?="},
      {"=?utf-8?q?abc", "=?utf-8?q?abc"},
      {"=?utf-8?q?abc?", "=?utf-8?q?abc?"},
      {"=??q?abc?=", "=??q?abc?="},
      {"=?utf-8?q?a=Zb?=", "=?utf-8?q?a=Zb?="},
      {"=?utf-8?q?a=4?=", "=?utf-8?q?a=4?="},
      {"x =?utf-8?q?has space?= y", "x =?utf-8?q?has space?= y"},
      // A charset name that iconv would read as options.
      {"=?utf-8//TRANSLIT?q?abc?=", "=?utf-8//TRANSLIT?q?abc?="},
      // A malformed word beside a good one: the good one is still read.
      {"=?utf-8?b?!!!?= =?utf-8?q?=C3=A4?=", "=?utf-8?b?!!!?= \xC3\xA4"},
      // Unknown charsets and bytes invalid in their charset: shown as 8-bit
      // text is shown everywhere (UTF-8 when it is, else ISO-8859-1).
      {"=?x-klingon?q?caf=E9?=", "caf\xC3\xA9"},
      {"=?x-klingon?q?caf=C3=A9?=", "caf\xC3\xA9"},
      {"=?unknown-8bit?q?=E4?=", "\xC3\xA4"},
      {"=?utf-8?q?=FF=FE?=", "\xC3\xBF\xC3\xBE"},
      {"=?us-ascii?q?=E4?=", "\xC3\xA4"},
      {"=?shift_jis?b?gf8=?=", "\xC2\x81\xC3\xBF"},
      // Raw 8-bit text that is not UTF-8.
      {"Gr\xFC\xDF" "e", "Gr\xC3\xBC\xC3\x9F" "e"},
      {"\xE4 =?utf-8?q?=C3=B6?=", "\xC3\xA4 \xC3\xB6"},
      // Decoded control characters pass; the caller decides what to show.
      {"=?utf-8?q?a=0D=0Ab?=", "a\r\nb"},
  };
  for (const Expectation& row : rows) EXPECT_EQ(DecodeHeaderText(row.Sample), row.Shown) << row.Sample;
}

TEST(DecodeHeaderText, ResultIsAlwaysUtf8) {
  const std::string bytes = RandomBytes(4096, 7);
  for (std::size_t at = 0; at + 64 <= bytes.size(); at += 64) {
    const std::string sample = "=?utf-8?q?" + bytes.substr(at, 20) + "?= " + bytes.substr(at + 20, 44);
    EXPECT_TRUE(IsUtf8(DecodeHeaderText(sample)));
  }
}

TEST(HeaderParameterVersusPython, ReadsAttachmentNamesAsPythonDoes) {
  const std::vector<SampleGroup> groups = {
      {"plain and quoted",
       {"filename=a.txt", "filename=\"a b.txt\"", "filename=\"a\\\"b.txt\"", "FILENAME=\"A.TXT\"",
        "size=10; filename=\"x;y.txt\"", "filename = \"spaced.txt\""}},
      {"RFC 2047 inside the quotes", {"filename=\"=?utf-8?q?J=C3=B6rg.txt?=\"",
                                      "filename=\"=?iso-8859-1?b?5OTkLnR4dA==?=\"",
                                      "filename=\"=?utf-8?b?5pel5pys6Kqe?= =?utf-8?b?LnBkZg==?=\""}},
      {"RFC 2231 with percent escapes and language tags",
       {"filename*=utf-8''%C3%A4%20b.txt", "filename*=UTF-8'de'%C3%A4.txt", "filename*=iso-8859-1''%E4.txt",
        "filename*=utf-8''100%25.txt", "filename*=windows-1251''%CF%F0%E8%E2%E5%F2.doc",
        "filename*=shift_jis''%83e%83X%83g.txt"}},
      {"RFC 2231 continuations",
       {"filename*0*=utf-8'de'%C3%A4; filename*1*=%C3%B6; filename*2=\"x.txt\"",
        "filename*0=\"a\"; filename*1=\"b\"", "filename*1*=%C3%B6.txt; filename*0*=utf-8''%C3%A4",
        "filename*0*=utf-8''%E6%97; filename*1*=%A5.txt"}},
      {"UTF-8 cut inside a character by its sender",
       {"filename*=utf-8''%D0%9A%D0%B0%D1", "filename*=utf-8''%C3%A4%E2%82.txt",
        "filename*0*=utf-8''%C3%A4%E6%97; filename*1*=.txt"}},
  };
  for (const SampleGroup& group : groups) {
    const std::vector<std::string> answers = PythonAnswers(kPythonFilename, group.Samples);
    for (std::size_t i = 0; i < group.Samples.size(); ++i)
      EXPECT_EQ(HeaderParameter("attachment; " + group.Samples[i], "filename"), answers[i])
          << group.Name << ": " << group.Samples[i];
  }
}

TEST(HeaderParameter, ReadsWhatMailersWriteAndKeepsTheRest) {
  const Expectation rows[] = {
      // The extended form carries the charset, so it wins (Python takes
      // the first given).
      {"attachment; filename=a.txt; filename*=utf-8''%C3%A4.txt", "\xC3\xA4.txt"},
      {"attachment; filename*=utf-8''%C3%A4.txt; filename=a.txt", "\xC3\xA4.txt"},
      // Names are returned as written: making them safe is the caller's.
      {"attachment; filename=\"../x\"", "../x"},
      {"attachment; filename*=utf-8''..%2F..%2Fx", "../../x"},
      {"attachment; filename*=utf-8''a%0Ab%00c", std::string("a\nb\0c", 5).c_str()},
      {"attachment; filename=\"=?utf-8?q?=2E=2E=2Fx?=\"", "../x"},
      // Unknown charset and invalid bytes: 8-bit text as shown elsewhere.
      {"attachment; filename*=x-unknown''%E4.txt", "\xC3\xA4.txt"},
      {"attachment; filename*=utf-8''%E4.txt", "\xC3\xA4.txt"},
      // A bad escape stays; a gap in the sections ends the name.
      {"attachment; filename*=utf-8''a%zz.txt", "a%zz.txt"},
      {"attachment; filename*0=\"a\"; filename*2=\"c\"", "a"},
      // An unterminated quote runs to the end; folding inside is dropped.
      {"attachment; filename=\"open.txt", "open.txt"},
      {"attachment;\r\n filename=\"a\r\n b.txt\"", "a b.txt"},
      // Names that only end in the name asked for are other parameters.
      {"attachment; xfilename=no.txt; filename=yes.txt", "yes.txt"},
      {"attachment; filename*x=no.txt; filename=yes.txt", "yes.txt"},
  };
  for (const Expectation& row : rows) {
    const std::string expected = std::string(row.Sample).find("%00") != std::string::npos
                                     ? std::string("a\nb\0c", 5)
                                     : std::string(row.Shown);
    EXPECT_EQ(HeaderParameter(row.Sample, "filename"), expected) << row.Sample;
  }
  EXPECT_EQ(HeaderParameter("attachment", "filename"), std::nullopt);
  EXPECT_EQ(HeaderParameter("attachment; name=\"n.txt\"", "filename"), std::nullopt);
  EXPECT_EQ(HeaderParameter("application/pdf; name=\"n.pdf\"", "name"), "n.pdf");
}

TEST(ConvertToUtf8, KnowsTheCharsetsMailUsesInAnyCaseAndAlias) {
  const char* const utf8Labels[] = {"UTF-8", "utf-8", "utf8", "Utf-8"};
  for (const char* label : utf8Labels) EXPECT_EQ(ConvertToUtf8("\xC3\xA4", label), "\xC3\xA4") << label;
  const char* const latinLabels[] = {"latin1",       "ISO_8859-1",  "iso-8859-1", "ISO-8859-1", "CP1252",
                                     "Windows-1252", "iso-8859-15", "ISO-8859-16", "iso-8859-9", "windows-1250"};
  for (const char* label : latinLabels) EXPECT_EQ(ConvertToUtf8("\xE4", label), "\xC3\xA4") << label;
  // Labels iconv lacks, and the supersets their senders really use.
  EXPECT_EQ(ConvertToUtf8("\xBE\xC8", "ks_c_5601-1987"), "\xEC\x95\x88");
  EXPECT_EQ(ConvertToUtf8("\x83\x65", "x-sjis"), "\xE3\x83\x86");
  EXPECT_EQ(ConvertToUtf8("\x81\x40", "gb2312"), "\xE4\xB8\x82");  // a GBK character
  EXPECT_EQ(ConvertToUtf8("\xF9", "iso-8859-8-i"), "\xD7\xA9");
  EXPECT_EQ(ConvertToUtf8("abc", "x-klingon"), std::nullopt);
  EXPECT_EQ(ConvertToUtf8("abc", ""), std::nullopt);
  EXPECT_EQ(ConvertToUtf8("abc", "utf-8//IGNORE"), std::nullopt);
  EXPECT_EQ(ConvertToUtf8("\x1B$B%F%9%H\x1B(B", "ISO-2022-JP"), "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88");
  EXPECT_EQ(ConvertToUtf8("\x1B$B%F", "ISO-2022-JP"), "\xE3\x83\x86");
  EXPECT_EQ(ConvertToUtf8("\x83", "shift_jis"), std::nullopt);  // cut short
}

// The taking form returns what DecodeCharset returns, whether it keeps the
// bytes (ASCII, UTF-8) or must convert them (ASCII that is no ASCII in
// UTF-7, UTF-16 or ISO-2022; 8-bit text; failed conversions).
TEST(DecodeCharsetTaking, ReturnsWhatDecodeCharsetReturns) {
  const std::pair<const char*, const char*> rows[] = {
      {"plain ascii\r\n", "us-ascii"},     {"plain ascii", "utf-8"},          {"\xC3\xA4", "UTF-8"},
      {"\xE4", "utf-8"},                   {"\xE4", "iso-8859-1"},           {"abc", "iso-8859-1"},
      {"+AOQ-", "utf-7"},                  {"ab", "utf-16le"},                 {"\x1B$B%F\x1B(B", "ISO-2022-JP"},
      {"abc", "x-klingon"},                {"\xC3\xA4", "x-klingon"},          {"\xE4", "x-klingon"},
      {"\xE4", ""},                        {"\x83", "shift_jis"},             {"", "utf-8"},
  };
  for (const auto& [bytes, charset] : rows)
    EXPECT_EQ(DecodeCharsetTaking(bytes, charset), DecodeCharset(bytes, charset)) << bytes << " in " << charset;
  EXPECT_EQ(DecodeCharsetTaking("+AOQ-", "utf-7"), "\xC3\xA4");
  EXPECT_EQ(DecodeCharsetTaking("\xE4", "x-klingon"), "\xC3\xA4");
}

TEST(ShownAsEightBit, KeepsUtf8AndReadsEverythingElseAsLatin1) {
  EXPECT_EQ(ShownAsEightBit("\xC3\xA4"), "\xC3\xA4");
  EXPECT_EQ(ShownAsEightBit("\xE4"), "\xC3\xA4");
  EXPECT_EQ(ShownAsEightBit("\xC0\x80"), "\xC3\x80\xC2\x80");  // overlong NUL is no UTF-8
  EXPECT_EQ(ShownAsEightBit("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");  // a surrogate neither
  EXPECT_FALSE(IsUtf8("\xF4\x90\x80\x80"));
  EXPECT_TRUE(IsUtf8("\xF4\x8F\xBF\xBF"));
}

class LocalZone : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TZ");
    saved_ = old ? std::optional<std::string>(old) : std::nullopt;
  }
  void TearDown() override {
    if (saved_) setenv("TZ", saved_->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  static void Use(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

TEST(ParseMailDateVersusPython, ReadsTheDateFormsMailCarries) {
  const std::vector<std::string> samples = {
      "Mon, 07 Dec 2026 10:31:00 +0100", "7 Dec 2026 10:31 +0100", "Mon, 7 Dec 26 10:31:00 GMT",
      "Mon, 07 Dec 2026 10:31:00 EST", "Mon, 07 Dec 2026 10:31:00 PDT", "Mon, 07 Dec 2026 10:31:00 +0100 (CET)",
      "Mon, 07 Dec 2026 10:31:00 -0000", "Mon,  7 Dec 2026\r\n 10:31:00 +0530", "Sun, 6 Dec 98 23:59:59 -0800",
      "Thu, 01 Jan 1970 00:00:00 +0000", "Mon Dec  7 10:31:00 2026", "07-Dec-2026 10:31:00 +0100",
      "Mon, 07 Dec 2026 10:31:00 Z", "Mon, 07 Dec 2026 10:31:00 UT", "Tue, 29 Feb 2028 10:31:00 +0000",
      "Mon, 07 Dec 2026 10:31:00 CET", "7 December 2026 10:31 -0330", "Mon, 07 Dec 2026 10:31:00 cdt",
      "Mon, 29 Feb 2027 10:31:00 +0000", "Mon, 07 Dec 2026 24:00:00 +0000", "garbage", "",
      "Mon, 07 Dec 2026", "Mon, 32 Dec 2026 10:31:00 +0000"};
  const std::vector<std::string> answers = PythonAnswers(kPythonDate, samples);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::optional<std::int64_t> ours = ParseMailDate(samples[i]);
    if (answers[i] == "!") {
      EXPECT_EQ(ours, std::nullopt) << samples[i];
    } else {
      EXPECT_EQ(ours, std::stoll(answers[i])) << samples[i];
    }
  }
}

TEST(ParseMailDate, ReadsObsoleteFormsByTheRules) {
  // Three-digit years are 1900 plus the number; Python reads the year 126.
  EXPECT_EQ(ParseMailDate("Mon, 07 Dec 126 10:31 +0000"), ParseMailDate("Mon, 07 Dec 2026 10:31 +0000"));
  // A leap second counts as the second before; Python refuses the date.
  EXPECT_EQ(ParseMailDate("Thu, 31 Dec 2026 23:59:60 +0000"), ParseMailDate("Thu, 31 Dec 2026 23:59:59 +0000"));
  // "+01:00" is an hour east; Python ignores the zone.
  EXPECT_EQ(ParseMailDate("Mon, 07 Dec 2026 10:31:00 +01:00"), ParseMailDate("Mon, 07 Dec 2026 09:31:00 +0000"));
  // Comments anywhere, nested.
  EXPECT_EQ(ParseMailDate("(sent (late)) Mon, 07 Dec (x) 2026 10:31 +0000 (UTC)"),
            ParseMailDate("Mon, 07 Dec 2026 10:31 +0000"));
  for (const char* bad : {"Mon, 07 Dec 2026 10:61 +0000", "Mon, 07 Foo 2026 10:31 +0000", "07 Dec 10:31 +0000",
                          "Mon, 07 Dec 2026 10:31 +01", "Mon, 07 Dec 2026 10:31 1234",
                          "Mon, 07 Dec 12026 10:31 +0000", "Mon, 0 Dec 2026 10:31 +0000"})
    EXPECT_EQ(ParseMailDate(bad), std::nullopt) << bad;
}

TEST_F(LocalZone, ShowsTheDateCompleteInTheLocalZone) {
  Use("UTC0");
  EXPECT_EQ(ShownMailDate("Mon, 07 Dec 2026 10:31:00 +0100"), "07.12.26 09:31");
  Use("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(ShownMailDate("Mon, 07 Dec 2026 10:31:00 +0100"), "07.12.26 10:31");
  EXPECT_EQ(ShownMailDate("Mon, 07 Dec 2026 23:30:00 -0500"), "08.12.26 05:30");
  EXPECT_EQ(ShownMailDate("Tue, 7 Jul 2026 12:00 GMT"), "07.07.26 14:00");
  // What cannot be read shows as it came.
  EXPECT_EQ(ShownMailDate("sometime last week"), "sometime last week");
  EXPECT_EQ(ShownMailDate("gestern \xFC"), "gestern \xC3\xBC");
}

TEST(UpperCaseTextVersusPython, CapitalisesLettersAsPythonDoes) {
  // Every code point of the ranges handled, against Python's capital
  // where that is one character.
  std::vector<std::string> samples;
  const std::pair<char32_t, char32_t> ranges[] = {
      {0x20, 0x17F}, {0x386, 0x3CE}, {0x400, 0x58F}, {0x1E00, 0x1EFF}, {0xFF00, 0xFF5F}};
  for (const auto& [first, last] : ranges) {
    for (char32_t c = first; c <= last; ++c) {
      if (c == 0x7F) continue;
      std::string one;
      if (c < 0x80) {
        one += static_cast<char>(c);
      } else if (c < 0x800) {
        one += static_cast<char>(0xC0 | (c >> 6));
        one += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        one += static_cast<char>(0xE0 | (c >> 12));
        one += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        one += static_cast<char>(0x80 | (c & 0x3F));
      }
      samples.push_back(one);
    }
  }
  const std::vector<std::string> answers = PythonAnswers(R"(
import sys
for line in sys.stdin:
    c = bytes.fromhex(line.strip()).decode('utf-8')
    u = c.upper()
    print((u if len(u) == 1 else c).encode('utf-8').hex())
)", samples);
  int capitalised = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::string ours = UpperCaseText(samples[i]);
    if (ours != samples[i]) ++capitalised;
    EXPECT_EQ(ours, answers[i]) << Hex(samples[i]);
  }
  EXPECT_GT(capitalised, 480);
}

TEST(UpperCaseText, FoldsTheLettersOfTheRulesPeopleWrite) {
  EXPECT_EQ(UpperCaseText("j\xC3\xB6rg m\xC3\xBCller"), "J\xC3\x96RG M\xC3\x9CLLER");
  EXPECT_EQ(UpperCaseText("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"),
            "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2");
  EXPECT_EQ(UpperCaseText("stra\xC3\x9F" "e"), "STRA\xC3\x9F" "E");  // ß has no one-letter capital
  EXPECT_EQ(UpperCaseText("\xE4\xFF x"), "\xE4\xFF X");             // not UTF-8: bytes stay
}

}  // namespace
}  // namespace codec::test
