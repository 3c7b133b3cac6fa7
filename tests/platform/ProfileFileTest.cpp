#include "platform/core/ProfileFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "FilesTestSupport.h"
#include "platform/core/Exception.h"
#include "tests/support/NonRegularEntry.h"

namespace {

using files_test::ReadBytes;
using files_test::TempFolder;
using files_test::WriteBytes;
using platform::EFileError;
using platform::FileAccess;
using platform::ProfileFile;

class ProfileFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return folder_.File("pop3.ini"); }
  ProfileFile Profile(FileAccess access = FileAccess::Shared) const { return ProfileFile(Path(), access); }

  TempFolder folder_;
};

TEST_F(ProfileFileTest, MissingFileSectionOrKeyGivesDefault) {
  EXPECT_EQ(Profile().ReadString("EMAIL", "Server", "none"), "none");
  WriteBytes(Path(), "[EMAIL]\r\nUserID=bob\r\n");
  EXPECT_EQ(Profile().ReadString("SOUND", "PlayWave", "Yes"), "Yes");
  EXPECT_EQ(Profile().ReadString("EMAIL", "Server", ""), "");
  EXPECT_EQ(Profile().ReadString("EMAIL", "UserID", "x"), "bob");
}

TEST_F(ProfileFileTest, WriteCreatesFileAndSectionWithCrLf) {
  Profile().WriteString("AUTOCHECK", "Interval", "30");
  Profile().WriteString("SOUND", "PlayWave", "Yes");
  EXPECT_EQ(ReadBytes(Path()), "[AUTOCHECK]\r\nInterval=30\r\n[SOUND]\r\nPlayWave=Yes\r\n");
}

TEST_F(ProfileFileTest, SectionsAndKeysMatchWithoutRegardToCase) {
  WriteBytes(Path(), "[email]\r\nserver=old\r\n");
  EXPECT_EQ(Profile().ReadString("EMAIL", "Server", ""), "old");
  Profile().WriteString("Email", "SERVER", "new");
  EXPECT_EQ(ReadBytes(Path()), "[email]\r\nserver=new\r\n");
}

TEST_F(ProfileFileTest, WriteKeepsEveryOtherLine) {
  WriteBytes(Path(),
             "; settings\n"
             "stray line\n"
             "[EMAIL]\n"
             "Server=mail.example.org\n"
             "; the user\n"
             "UserID=bob\n"
             "\n"
             "[AUTOCHECK]\n"
             "From=alice\n"
             "\n"
             "[SOUND]\n"
             "PlayWave=No");
  Profile().WriteString("EMAIL", "UserID", "carol");
  Profile().WriteString("AUTOCHECK", "Subject", "urgent");
  Profile().WriteString("DEBUG", "FetchCount", "2");
  EXPECT_EQ(ReadBytes(Path()),
            "; settings\r\n"
            "stray line\r\n"
            "[EMAIL]\r\n"
            "Server=mail.example.org\r\n"
            "; the user\r\n"
            "UserID=carol\r\n"
            "\r\n"
            "[AUTOCHECK]\r\n"
            "From=alice\r\n"
            "Subject=urgent\r\n"
            "\r\n"
            "[SOUND]\r\n"
            "PlayWave=No\r\n"
            "[DEBUG]\r\n"
            "FetchCount=2\r\n");
}

TEST_F(ProfileFileTest, ReadsLfCrLfAndCrLineEnds) {
  for (const char* content : {"[A]\nK=v\n[B]\nK=w\n", "[A]\r\nK=v\r\n[B]\r\nK=w\r\n", "[A]\rK=v\r[B]\rK=w"}) {
    WriteBytes(Path(), content);
    EXPECT_EQ(Profile().ReadString("A", "K", ""), "v") << content;
    EXPECT_EQ(Profile().ReadString("B", "K", ""), "w") << content;
  }
}

TEST_F(ProfileFileTest, NamesIgnoreSurroundingBlanksCommentsAndLaterDuplicates) {
  WriteBytes(Path(),
             "UserID=outside\r\n  [ EMAIL ]\r\n;Server=commented\r\n  Server = first\r\nServer=second\r\n"
             "[EMAIL]\r\nUserID=later\r\n");
  EXPECT_EQ(Profile().ReadString("EMAIL", "Server", ""), " first");
  EXPECT_EQ(Profile().ReadString("EMAIL", "UserID", "none"), "none");
  Profile().WriteString("EMAIL", "Server", "x");
  EXPECT_EQ(ReadBytes(Path()),
            "UserID=outside\r\n  [ EMAIL ]\r\n;Server=commented\r\n  Server =x\r\nServer=second\r\n"
            "[EMAIL]\r\nUserID=later\r\n");
}

TEST_F(ProfileFileTest, ValuesRoundTripAsTheyStand) {
  std::string highBytes;
  for (int c = 0x80; c <= 0xFF; ++c) highBytes.push_back(static_cast<char>(c));
  const std::string values[] = {"", "  padded  ", "a=b=c", "; not a comment", "[not a section]",
                                "\"quoted\"", "tab\there", highBytes};
  for (const std::string& value : values) {
    Profile().WriteString("EMAIL", "Password", value);
    EXPECT_EQ(Profile().ReadString("EMAIL", "Password", "default"), value);
  }
}

TEST_F(ProfileFileTest, ValueReadBackIsCutAt2047Characters) {
  std::string longValue(3000, 'x');
  longValue[2046] = 'y';
  Profile().WriteString("AUTOCHECK", "From", longValue);
  EXPECT_NE(ReadBytes(Path()).find(longValue), std::string::npos);
  std::string read = Profile().ReadString("AUTOCHECK", "From", "");
  EXPECT_EQ(read, longValue.substr(0, 2047));
  EXPECT_EQ(Profile().ReadString("AUTOCHECK", "Missing", longValue).size(), 2047u);
}

// A settings file is small: of a huge one only the first part is read, a
// line cut there is dropped, and the file is never rewritten, since that
// would lose what was not read.
TEST_F(ProfileFileTest, OversizedFileIsReadInPartAndNeverRewritten) {
  const std::string head = "[EMAIL]\r\nServer=mail.example.org\r\n";
  std::string body = head + "Junk=" + std::string(ProfileFile::kMaxFileSize - head.size() - 8, 'x') +
                     "\r\nUserID=cut off here\r\n[SOUND]\r\nPlayWave=No\r\n";
  WriteBytes(Path(), body);
  EXPECT_EQ(Profile().ReadValue("EMAIL", "Server"), "mail.example.org");
  EXPECT_EQ(Profile().ReadValue("EMAIL", "UserID"), std::nullopt) << "the line cut by the limit is dropped";
  EXPECT_EQ(Profile().ReadString("SOUND", "PlayWave", "Yes"), "Yes");
  try {
    Profile().WriteString("EMAIL", "Server", "new");
    ADD_FAILURE() << "an oversized file was rewritten";
  } catch (const EFileError& error) {
    EXPECT_EQ(error.Message().rfind("Unable to write to " + Path() + ": the file is longer than", 0), 0u)
        << error.Message();
  }
  EXPECT_EQ(ReadBytes(Path()), body);

  const std::string tail = "\r\nUserID=ann\r\n";
  const std::string exact = head + "Junk=" + std::string(ProfileFile::kMaxFileSize - head.size() - 5 - tail.size(), 'x') + tail;
  ASSERT_EQ(exact.size(), ProfileFile::kMaxFileSize);
  WriteBytes(Path(), exact);
  EXPECT_EQ(Profile().ReadValue("EMAIL", "UserID"), "ann") << "a file of exactly the limit is read whole";
  Profile().WriteString("EMAIL", "Server", "new");
  EXPECT_EQ(Profile().ReadValue("EMAIL", "Server"), "new");
}

TEST_F(ProfileFileTest, EraseAndRenameSectionTouchOnlyThatSection) {
  WriteBytes(Path(), "; mine\r\n[EMAIL]\r\nServer=a\r\n\r\n[EMAIL2]\r\nServer=b\r\nName=Work\r\n\r\n"
                     "[EMAIL3]\r\nServer=c\r\n\r\n[SOUND]\r\nPlayWave=Yes\r\n");
  Profile().EraseSection("email2");
  EXPECT_EQ(ReadBytes(Path()),
            "; mine\r\n[EMAIL]\r\nServer=a\r\n\r\n[EMAIL3]\r\nServer=c\r\n\r\n[SOUND]\r\nPlayWave=Yes\r\n");
  Profile().RenameSection("EMAIL3", "EMAIL2");
  EXPECT_EQ(ReadBytes(Path()),
            "; mine\r\n[EMAIL]\r\nServer=a\r\n\r\n[EMAIL2]\r\nServer=c\r\n\r\n[SOUND]\r\nPlayWave=Yes\r\n");
  const std::string before = ReadBytes(Path());
  Profile().EraseSection("MISSING");
  Profile().RenameSection("MISSING", "OTHER");
  EXPECT_EQ(ReadBytes(Path()), before) << "a missing section leaves the file alone";
  EXPECT_THROW(Profile().RenameSection("EMAIL", "EM]AIL"), EFileError);
  EXPECT_EQ(ReadBytes(Path()), before);
}

TEST_F(ProfileFileTest, RefusesWhatALineCannotHoldAndLeavesFileUnchanged) {
  WriteBytes(Path(), "[EMAIL]\r\nServer=host\r\n");
  const std::string bad[][3] = {{"EMAIL", "Server", "a\r\nUserID=evil"},
                                {"EMAIL", "Server", std::string("nul\0byte", 8)},
                                {"EMAIL", "Server", "cr\ronly"},
                                {"EM]AIL", "Server", "x"},
                                {"EMAIL", "Ser=ver", "x"},
                                {"EMAIL", " ", "x"}};
  for (const auto& entry : bad) {
    try {
      Profile().WriteString(entry[0], entry[1], entry[2]);
      ADD_FAILURE() << "no error for " << entry[0] << "/" << entry[1];
    } catch (const EFileError& error) {
      EXPECT_EQ(std::string(error.what()).rfind("Unable to write to " + Path() + ": ", 0), 0u) << error.what();
    }
  }
  EXPECT_EQ(ReadBytes(Path()), "[EMAIL]\r\nServer=host\r\n");
  EXPECT_TRUE(ProfileFile::CanHoldValue("plain \xD5 text"));
  EXPECT_FALSE(ProfileFile::CanHoldValue(std::string(1, '\0')));
}

TEST_F(ProfileFileTest, WriteFailureRaisesUnableToWriteNamingTheFile) {
  ProfileFile missingFolder(folder_.File("no-such-folder/pop3.ini"));
  try {
    missingFolder.WriteString("EMAIL", "Server", "host");
    FAIL() << "no error";
  } catch (const EFileError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + missingFolder.FileName());
  }
  // A path that cannot be read is never overwritten with a fresh file.
  std::filesystem::create_directory(Path());
  EXPECT_THROW(Profile().WriteString("EMAIL", "Server", "host"), EFileError);
  EXPECT_TRUE(std::filesystem::is_directory(Path()));
  EXPECT_EQ(Profile().ReadString("EMAIL", "Server", "dflt"), "dflt");
}

// A settings file that is no file at all reads as a missing one, without
// waiting on it, and is never written or replaced: the write says why.
TEST_F(ProfileFileTest, NameThatIsNoFileReadsAsMissingAndIsNeverReplaced) {
  for (testsupport::NonRegularEntry::Kind kind : testsupport::kEveryNonRegularKind) {
    testsupport::NonRegularEntry entry(kind, Path());
    SCOPED_TRACE(entry.Name());
    EXPECT_EQ(Profile().ReadString("EMAIL", "Server", "dflt"), "dflt");
    EXPECT_EQ(Profile().ReadValue("EMAIL", "Server"), std::nullopt);
    try {
      Profile(FileAccess::OwnerOnly).WriteString("EMAIL", "Server", "host");
      ADD_FAILURE() << "written";
    } catch (const EFileError& error) {
      EXPECT_EQ(error.Message(), "Unable to write to " + Path() + ": it is " + entry.Words() + ", not a regular file");
    }
    EXPECT_TRUE(entry.Unchanged());
    EXPECT_FALSE(entry.Waited()) << "an open waited on the named pipe";
  }
}

TEST_F(ProfileFileTest, OwnerOnlyFileIsMode0600WhateverTheUmask) {
  mode_t oldMask = ::umask(0);
  Profile(FileAccess::OwnerOnly).WriteString("EMAIL", "Password", "secret");
  ::umask(oldMask);
  struct stat info {};
  ASSERT_EQ(::stat(Path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  ::chmod(Path().c_str(), 0644);
  Profile(FileAccess::OwnerOnly).WriteString("EMAIL", "Password", "again");
  ASSERT_EQ(::stat(Path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(ProfileFileTest, SharedWriteKeepsTheModeOfAnExistingFile) {
  WriteBytes(Path(), "[EMAIL]\r\n");
  ::chmod(Path().c_str(), 0640);
  Profile().WriteString("EMAIL", "Server", "host");
  struct stat info {};
  ASSERT_EQ(::stat(Path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(ProfileFileTest, WriteThroughSymbolicLinkUpdatesItsTarget) {
  std::string target = folder_.File("real.ini");
  WriteBytes(target, "[EMAIL]\r\nServer=old\r\n");
  std::filesystem::create_symlink(target, Path());
  Profile().WriteString("EMAIL", "Server", "new");
  EXPECT_TRUE(std::filesystem::is_symlink(Path()));
  EXPECT_EQ(ReadBytes(target), "[EMAIL]\r\nServer=new\r\n");
}

}  // namespace
