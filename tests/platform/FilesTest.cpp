#include "platform/core/Files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FilesTestSupport.h"
#include "platform/core/Exception.h"
#include "tests/support/NonRegularEntry.h"

namespace {

using files_test::ReadBytes;
using files_test::TempFolder;
using files_test::WriteBytes;
using platform::EFileError;
using platform::EUnusableFile;
using platform::FileAccess;
using testsupport::NonRegularEntry;
using Lines = std::vector<std::string>;

// Runs call, which must raise EUnusableFile naming path and saying what the
// entry is.
template <typename Call>
void ExpectRefused(const NonRegularEntry& entry, const std::string& path, Call call) {
  try {
    call();
    ADD_FAILURE() << "no refusal";
  } catch (const EUnusableFile& error) {
    EXPECT_NE(error.Message().find("\"" + path + "\""), std::string::npos) << error.Message();
    EXPECT_NE(error.Message().find(": it is " + entry.Words() + ", not a regular file"), std::string::npos)
        << error.Message();
  }
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST(FilesTest, FolderAndFileExistenceTellThemApart) {
  TempFolder folder;
  WriteBytes(folder.File("a.txt"), "x");
  EXPECT_TRUE(platform::FolderExists(folder.Path()));
  EXPECT_FALSE(platform::FileExists(folder.Path()));
  EXPECT_TRUE(platform::FileExists(folder.File("a.txt")));
  EXPECT_FALSE(platform::FolderExists(folder.File("a.txt")));
  EXPECT_FALSE(platform::FileExists(folder.File("missing")));
  EXPECT_FALSE(platform::FolderExists(folder.File("missing")));
  EXPECT_FALSE(platform::FileExists(""));
}

TEST(FilesTest, CreateFolderMakesOneLevelAndAcceptsAnExistingOne) {
  TempFolder folder;
  std::string made = folder.File("pop3");
  platform::CreateFolder(made, FileAccess::OwnerOnly);
  EXPECT_TRUE(platform::FolderExists(made));
  EXPECT_EQ(ModeOf(made), 0700u);
  EXPECT_NO_THROW(platform::CreateFolder(made));

  std::string deep = folder.File("no/such/parent");
  try {
    platform::CreateFolder(deep);
    FAIL() << "no error";
  } catch (const EFileError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot create " + deep);
  }
  WriteBytes(folder.File("plain"), "");
  EXPECT_THROW(platform::CreateFolder(folder.File("plain")), EFileError);
}

TEST(FilesTest, RenameMovesButNeverReplacesAFile) {
  TempFolder folder;
  WriteBytes(folder.File("Temp1.mme"), "part");
  platform::RenameFile(folder.File("Temp1.mme"), folder.File("a.txt"));
  EXPECT_EQ(FolderEntries(folder.Path()), Lines{"a.txt"});
  EXPECT_EQ(ReadBytes(folder.File("a.txt")), "part");

  WriteBytes(folder.File("Temp2.mme"), "other");
  EXPECT_THROW(platform::RenameFile(folder.File("Temp2.mme"), folder.File("a.txt")), EFileError);
  EXPECT_EQ(ReadBytes(folder.File("a.txt")), "part");
  EXPECT_EQ(ReadBytes(folder.File("Temp2.mme")), "other");

  try {
    platform::RenameFile(folder.File("gone"), folder.File("b.txt"));
    FAIL() << "no error";
  } catch (const EFileError& error) {
    std::string text = error.what();
    EXPECT_NE(text.find(folder.File("gone")), std::string::npos) << text;
    EXPECT_NE(text.find(folder.File("b.txt")), std::string::npos) << text;
  }
}

TEST(FilesTest, SplitLinesAcceptsEveryLineEnd) {
  EXPECT_EQ(platform::SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(platform::SplitLines("a\r\n"), (Lines{"a"}));
  EXPECT_EQ(platform::SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(platform::SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(platform::SplitLines("\n"), (Lines{""}));
  EXPECT_EQ(platform::SplitLines(""), Lines{});
  EXPECT_EQ(platform::SplitLines(std::string("x\0y", 3)), (Lines{std::string("x\0y", 3)}));
}

TEST(FilesTest, ReadTextLinesReadsAFileAndNamesAMissingOne) {
  TempFolder folder;
  WriteBytes(folder.File("body.txt"), "Hello\r\n\r\nWorld");
  EXPECT_EQ(platform::ReadTextLines(folder.File("body.txt")), (Lines{"Hello", "", "World"}));
  try {
    platform::ReadTextLines(folder.File("missing.txt"));
    FAIL() << "no error";
  } catch (const EFileError& error) {
    EXPECT_NE(std::string(error.what()).find(folder.File("missing.txt")), std::string::npos);
  }
  EXPECT_FALSE(platform::ReadFileIfExists(folder.File("missing.txt")).has_value());
  EXPECT_THROW(platform::ReadFileIfExists(folder.Path()), EFileError);
}

TEST(FilesTest, WriteTextFileWritesTheBytesAsTheyStand) {
  TempFolder folder;
  std::string path = folder.File("saved.txt");
  std::string text = std::string("line\nmixed\r\nend\0\xff", 18) + "\r\n";
  platform::WriteTextFile(path, text);
  EXPECT_EQ(ReadBytes(path), text);
  platform::WriteTextFile(path, "shorter");
  EXPECT_EQ(ReadBytes(path), "shorter");
  EXPECT_EQ(FolderEntries(folder.Path()), Lines{"saved.txt"});
}

TEST(FilesTest, NewFileFollowsTheUmaskUnlessOwnerOnly) {
  TempFolder folder;
  mode_t oldMask = ::umask(027);
  platform::WriteTextFile(folder.File("shared"), "x");
  platform::WriteTextFile(folder.File("private"), "x", FileAccess::OwnerOnly);
  ::umask(oldMask);
  EXPECT_EQ(ModeOf(folder.File("shared")), 0640u);
  EXPECT_EQ(ModeOf(folder.File("private")), 0600u);
}

TEST(FilesTest, FailedWriteKeepsTheOldContentAndLeavesNoTemporaryFile) {
  TempFolder folder;
  std::string path = folder.File("pop3.ini");
  WriteBytes(path, "old content");
  // A file-size limit makes the write itself fail half way.
  struct rlimit oldLimit {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
  auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = oldLimit;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool raised = false;
  try {
    platform::WriteFileReplacing(path, std::string(5000, 'n'));
  } catch (const EFileError& error) {
    raised = true;
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
  ::setrlimit(RLIMIT_FSIZE, &oldLimit);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(raised);
  EXPECT_EQ(ReadBytes(path), "old content");
  EXPECT_EQ(FolderEntries(folder.Path()), Lines{"pop3.ini"});
}

TEST(FilesTest, WriteIntoAMissingFolderOrOverAFolderFails) {
  TempFolder folder;
  EXPECT_THROW(platform::WriteTextFile(folder.File("none/x.txt"), "x"), EFileError);
  std::filesystem::create_directory(folder.File("dir"));
  EXPECT_THROW(platform::WriteTextFile(folder.File("dir"), "x"), EFileError);
  EXPECT_TRUE(std::filesystem::is_directory(folder.File("dir")));
}

// A named pipe that nobody writes would hold up an open for reading for
// ever, a device would give bytes for ever: every read refuses what is no
// regular file before it reads a byte, and says what it is.
TEST(FilesTest, ReadsRefuseWhatIsNoRegularFileWithoutWaiting) {
  TempFolder folder;
  for (NonRegularEntry::Kind kind : testsupport::kEveryNonRegularKind) {
    NonRegularEntry entry(kind, folder.File("pop3.ini"));
    SCOPED_TRACE(entry.Name());
    const std::string path = entry.Path();
    bool truncated = false;
    ExpectRefused(entry, path, [&] { platform::ReadFileIfExists(path, 1024, truncated); });
    ExpectRefused(entry, path, [&] { platform::ReadTextLines(path); });
    ExpectRefused(entry, path, [&] { platform::ReadRegularFile(path, 1024); });
    ExpectRefused(entry, path, [&] { platform::CheckRegularFile(path, 1024); });
    EXPECT_FALSE(entry.Waited()) << "an open waited on the named pipe";
  }
}

// A file is taken up to its bound exactly; a larger one, here a sparse file
// of 300 MB, is refused by its size before any of it is read.
TEST(FilesTest, ReadRegularFileTakesAFileUpToItsBoundOnly) {
  TempFolder folder;
  const std::string path = folder.File("ca.pem");
  WriteBytes(path, std::string(1000, 'c'));
  EXPECT_EQ(platform::ReadRegularFile(path, 1000), std::string(1000, 'c'));
  std::filesystem::resize_file(path, 300u << 20);
  try {
    platform::ReadRegularFile(path, 8u << 20, "the CA file");
    ADD_FAILURE() << "a file over the bound was read";
  } catch (const EUnusableFile& error) {
    EXPECT_EQ(error.Message(), "Cannot read the CA file \"" + path + "\": it is larger than 8 MB");
  }
}

// Renaming over a named pipe, socket or folder would put a file in its place
// (and as root, over a device): only a regular file or a free name is
// replaced.
TEST(FilesTest, WriteReplacesOnlyARegularFileOrAFreeName) {
  TempFolder folder;
  for (NonRegularEntry::Kind kind : testsupport::kEveryNonRegularKind) {
    if (kind == NonRegularEntry::Kind::Device) continue;  // never put a real device at risk
    NonRegularEntry entry(kind, folder.File("saved.txt"));
    SCOPED_TRACE(entry.Name());
    ExpectRefused(entry, entry.Path(), [&] { platform::WriteTextFile(entry.Path(), "text\r\n"); });
    EXPECT_TRUE(entry.Unchanged());
    EXPECT_FALSE(entry.Waited());
    for (const std::string& name : FolderEntries(folder.Path()))
      EXPECT_EQ(name.find(".tmp"), std::string::npos) << "left behind: " << name;
  }
}

}  // namespace
