// Naming of attachment files: the last-dot search, the numbered
// alternatives, and the reduction of hostile names to plain names.

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pop3/AttachmentName.h"
#include "pop3/Pop3Client.h"

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

TEST(SafeAttachmentName, NothingLeftBecomesTextTmp) {
  for (const std::string& name : Lines{"", ".", "..", "../", "/", "C:", "a/..", "\r\n", std::string(3, '\0')}) {
    EXPECT_EQ(SafeAttachmentName(name), "text.tmp") << "for " << name;
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
