// Naming of attachment files: the last-dot search, the numbered
// alternatives, and the reduction of hostile names to plain names.

#include <set>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/core/DataFolder.h"
#include "platform/core/Files.h"
#include "pop3/AttachmentFiles.h"
#include "pop3/AttachmentName.h"
#include "pop3/Pop3Client.h"
#include "tests/pop3/FetchTestSupport.h"

namespace {

using pop3::FreeAttachmentName;
using pop3::LastPos;
using pop3::NumberedAttachmentName;
using pop3::SafeAttachmentName;
using Lines = std::vector<std::string>;

TEST(LastPos, FindsTheLastOccurrenceCountingFromOne) {
  EXPECT_EQ(LastPos(".", "a.b.txt"), 4);
  EXPECT_EQ(LastPos(".", ".profile"), 1);
  EXPECT_EQ(LastPos(".", "README"), 0);
  EXPECT_EQ(LastPos(".", ""), 0);
  EXPECT_EQ(LastPos("ab", "xxabyyab"), 7);
  EXPECT_EQ(LastPos("ab", "abz"), 1);
}

TEST(LastPos, CountsOccurrencesWithoutOverlap) {
  // "aa" is found at 1, the search goes on after it and finds no second.
  EXPECT_EQ(LastPos("aa", "aaa"), 1);
  EXPECT_EQ(LastPos("aa", "aaaa"), 3);
}

TEST(NumberedAttachmentName, InsertsTheNumberBeforeTheLastDot) {
  EXPECT_EQ(NumberedAttachmentName("a.txt", 1), "a_1.txt");
  EXPECT_EQ(NumberedAttachmentName("archive.tar.gz", 12), "archive.tar_12.gz");
  EXPECT_EQ(NumberedAttachmentName("trailing.", 2), "trailing_2.");
}

TEST(NumberedAttachmentName, NameWithoutDotLosesItsFirstCharacter) {
  // No dot: the base is empty and the extension starts after one character.
  EXPECT_EQ(NumberedAttachmentName("README", 1), "_1.EADME");
  EXPECT_EQ(NumberedAttachmentName("x", 3), "_3.");
  // The first character is a whole UTF-8 character.
  EXPECT_EQ(NumberedAttachmentName("\u65E5\u672C", 1), "_1.\u672C");
  EXPECT_EQ(NumberedAttachmentName("\U0001F600x", 2), "_2.x");
  EXPECT_EQ(NumberedAttachmentName("\u00E9", 4), "_4.");
}

TEST(FreeAttachmentName, TakesTheFirstFreeNumberFromOne) {
  std::set<std::string> present = {"dir/a.txt", "dir/a_1.txt", "dir/a_3.txt"};
  auto exists = [&](const std::string& path) { return present.count(path) > 0; };
  EXPECT_EQ(FreeAttachmentName("dir/", "a.txt", exists), "a_2.txt");
  EXPECT_EQ(FreeAttachmentName("dir/", "b.txt", exists), "b.txt");
  present.insert("dir/a_2.txt");
  EXPECT_EQ(FreeAttachmentName("dir/", "a.txt", exists), "a_4.txt");
}

TEST(SafeAttachmentName, PlainNamesStayAsTheyAre) {
  EXPECT_EQ(SafeAttachmentName("report 2024.pdf"), "report 2024.pdf");
  EXPECT_EQ(SafeAttachmentName("caf\xC3\xA9.txt"), "caf\xC3\xA9.txt");
  EXPECT_EQ(SafeAttachmentName("...hidden"), "...hidden");
  EXPECT_EQ(SafeAttachmentName("ab:c.txt"), "ab:c.txt");
}

TEST(SafeAttachmentName, KeepsOnlyTheLastPathComponent) {
  EXPECT_EQ(SafeAttachmentName("../../x"), "x");
  EXPECT_EQ(SafeAttachmentName("/etc/x"), "x");
  EXPECT_EQ(SafeAttachmentName("C:\\x"), "x");
  EXPECT_EQ(SafeAttachmentName("..\\..\\windows\\system.ini"), "system.ini");
  EXPECT_EQ(SafeAttachmentName("a/b\\c/d.txt"), "d.txt");
}

TEST(SafeAttachmentName, DropsDrivePrefixesAndControlCharacters) {
  EXPECT_EQ(SafeAttachmentName("C:x.txt"), "x.txt");
  EXPECT_EQ(SafeAttachmentName("c:D:x.txt"), "x.txt");
  EXPECT_EQ(SafeAttachmentName(std::string("a\0b.txt", 7)), "ab.txt");
  EXPECT_EQ(SafeAttachmentName("line\r\nbreak\t.txt\x7F"), "linebreak.txt");
  // A drive prefix hidden behind a control character is still a prefix.
  EXPECT_EQ(SafeAttachmentName("\x01" "C:x"), "x");
}

// Each row: a name as a message gives it, and the name the file gets. What
// a name shows is what it is: no invisible characters, no extension hidden
// behind dots and blanks, nothing a command takes for an option.
TEST(SafeAttachmentName, NamesShowWhatTheyAre) {
  const std::pair<std::string, std::string> rows[] = {
      // The right-to-left override: shown as "invoiceexe.pdf".
      {"invoice\u202Efdp.exe", "invoicefdp.exe"},
      {"\u202Bx\u202Ay\u202Cz\u202Dw.txt", "xyzw.txt"},
      {"a\u2066b\u2067c\u2068d\u2069.txt", "abcd.txt"},
      {"\u200Ephoto\u200F.jpg\u061C", "photo.jpg"},
      // Other format characters, separators and C1 controls.
      {"in\u200Bvis\u200C\u200Dible\u2060\uFEFF\u00AD.txt", "invisible.txt"},
      {"two\u2028lines\u2029.txt", "twolines.txt"},
      {"\u0085next\u009Bline.txt\U000E0041", "nextline.txt"},
      {"\x85latin-1 C1.txt", "latin-1 C1.txt"},  // not UTF-8: U+0085
      // Leading "-": an option to "rm *".
      {"-rf", "_-rf"},
      {"--help.txt", "_--help.txt"},
      {" \u202E-x", "_-x"},
      {"a-b", "a-b"},
      // Trailing dots and blanks hide the extension that counts.
      {"report.pdf. . .", "report.pdf"},
      {"setup.exe \u00A0\u3000", "setup.exe"},
      {"a.txt.\u200B", "a.txt"},
      {"\u3000 lead.txt", "lead.txt"},
      {"  C:x.txt", "x.txt"},
      // Inner blanks and dots, and characters that only look alike, stay.
      {"a . b.txt", "a . b.txt"},
      {"\u65E5\u672C\u3000\u8A9E.txt", "\u65E5\u672C\u3000\u8A9E.txt"},
      {"caf\xE9.txt", "caf\u00E9.txt"},
      {"r\xC3\xA9sum\xC3\xA9 \xE2\x82.pdf", "r\u00E9sum\u00E9 \uFFFD.pdf"},
  };
  for (const auto& [name, safe] : rows) {
    EXPECT_EQ(SafeAttachmentName(name), safe) << "for " << name;
    EXPECT_EQ(SafeAttachmentName(safe), safe) << "cleaning " << safe << " again";
  }
}

TEST(SafeAttachmentName, NothingLeftBecomesTextTmp) {
  for (const std::string& name : Lines{"", ".", "..", "../", "/", "C:", "a/..", "\r\n", std::string(3, '\0'), "   ",
                                       ". . .", "\u00A0\u2003", "\u202E", "\u200B.\uFEFF", "x/ .", "C: "}) {
    EXPECT_EQ(SafeAttachmentName(name), "text.tmp") << "for " << name;
  }
}

// Each row: the name, the file system's limit, what is kept. Lengths are
// bytes; a cut never splits a UTF-8 sequence, and the room for "_" and a
// number stays free.
TEST(FittedAttachmentName, ShortensToTheLimitKeepingTheExtensionAndWholeCharacters) {
  const std::string e2 = "\xC3\xA9";          // two bytes
  const std::string e3 = "\xE2\x82\xAC";      // three bytes
  auto repeat = [](const std::string& piece, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += piece;
    return text;
  };
  struct Row {
    std::string name;
    std::size_t limit;
    std::string kept;
  };
  const Row rows[] = {
      {"short.txt", 255, "short.txt"},
      {std::string(244, 'a'), 255, std::string(244, 'a')},
      {std::string(300, 'a') + ".txt", 255, std::string(240, 'a') + ".txt"},
      {std::string(300, 'a'), 255, std::string(244, 'a')},
      {repeat(e2, 125) + ".txt", 255, repeat(e2, 120) + ".txt"},
      {repeat(e3, 100) + ".pdf", 255, repeat(e3, 80) + ".pdf"},
      {"x" + repeat(e3, 100), 255, "x" + repeat(e3, 81)},
      // An extension longer than a quarter of the room is no extension.
      {"a." + std::string(100, 'b'), 255, "a." + std::string(100, 'b')},
      {"a." + std::string(300, 'b'), 255, "a." + std::string(242, 'b')},
  };
  for (const Row& row : rows) {
    const std::string fitted = pop3::FittedAttachmentName(row.name, row.limit);
    EXPECT_EQ(fitted, row.kept) << "for a name of " << row.name.size() << " bytes";
    EXPECT_LE(NumberedAttachmentName(fitted, 2147483647).size(), row.limit);
  }
}

// The shortened name is cleaned again: a cut may end in a blank or a dot.
TEST(AttachmentFiles, PreparedNameNeverEndsInWhatTheCutLeft) {
  const fetchtest::TempHome home;
  const pop3::AttachmentFiles files(home.AttachFolder());
  const std::size_t kept = platform::MaxFileNameBytes(home.AttachFolder()) - pop3::kNumberSuffixRoom;
  const std::string a(kept, 'a');
  EXPECT_EQ(files.PreparedName(a.substr(2) + "  " + std::string(50, 'b')), a.substr(2));
  EXPECT_EQ(files.PreparedName(a.substr(1) + "." + a), a.substr(1));
  EXPECT_EQ(files.PreparedName("\u202E-" + a), "_-" + a.substr(2));
}

TEST(ProgramFileNames, OwnFilesInAnyCaseButNothingElse) {
  for (const std::string name : {"pop3.ini", "POP3.INI", "Gotmail.Wav", "gotmail.wav", "pop3.ini.tmp123-4",
                                 "Temp1.mme", "temp12.MME", "TEMP0.mme"}) {
    EXPECT_TRUE(platform::IsProgramFileName(name)) << name;
  }
  for (const std::string name : {"pop3.ini_1", "pop3_1.ini", "gotmail.wave", "Temp.mme", "Temp1_1.mme",
                                 "Temp1.mme.txt", "xTemp1.mme", "report.txt", ""}) {
    EXPECT_FALSE(platform::IsProgramFileName(name)) << name;
  }
}

TEST(AttachFilePath, AppendsTheSeparatorOnlyWhenMissing) {
  pop3::TPop3Client client;
  EXPECT_EQ(client.AttachFilePath(), "");
  client.SetAttachFilePath("/home/u/pop3");
  EXPECT_EQ(client.AttachFilePath(), "/home/u/pop3/");
  client.SetAttachFilePath("/home/u/pop3/");
  EXPECT_EQ(client.AttachFilePath(), "/home/u/pop3/");
  client.SetAttachFilePath("");
  EXPECT_EQ(client.AttachFilePath(), "");
}

}  // namespace
