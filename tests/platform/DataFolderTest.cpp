#include "platform/core/DataFolder.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>

#include "FilesTestSupport.h"
#include "platform/core/Files.h"
#include "platform/core/ProfileFile.h"

namespace {

using files_test::ScopedEnv;
using files_test::TempFolder;

TEST(DataFolderTest, FolderAndFilesLiveUnderHome) {
  ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(platform::DataFolder(), "/home/someone/pop3");
  EXPECT_EQ(platform::SettingsFilePath(), "/home/someone/pop3/pop3.ini");
  EXPECT_EQ(platform::WaveFilePath(), "/home/someone/pop3/gotmail.wav");
  EXPECT_EQ(platform::DataFolderFile("a.txt"), "/home/someone/pop3/a.txt");
}

TEST(DataFolderTest, FollowsAChangedHomeAndIgnoresTrailingSlashes) {
  {
    ScopedEnv home("HOME", "/srv/user//");
    EXPECT_EQ(platform::DataFolder(), "/srv/user/pop3");
  }
  {
    ScopedEnv home("HOME", "/");
    EXPECT_EQ(platform::DataFolder(), "/pop3");
  }
}

TEST(DataFolderTest, UnsetOrEmptyHomeFallsBackToThePasswordDatabase) {
  const passwd* entry = ::getpwuid(::getuid());
  ASSERT_NE(entry, nullptr);
  std::string expected = std::string(entry->pw_dir) + "/pop3";
  if (expected.rfind("//", 0) == 0) expected.erase(0, 1);
  {
    ScopedEnv home("HOME", nullptr);
    EXPECT_EQ(platform::DataFolder(), expected);
  }
  {
    ScopedEnv home("HOME", "");
    EXPECT_EQ(platform::DataFolder(), expected);
  }
}

TEST(DataFolderTest, FirstRunCreatesTheFolderAndThePrivateSettingsFile) {
  TempFolder temporaryHome;
  ScopedEnv home("HOME", temporaryHome.Path().c_str());
  EXPECT_FALSE(platform::FolderExists(platform::DataFolder()));
  platform::CreateFolder(platform::DataFolder(), platform::FileAccess::OwnerOnly);
  EXPECT_TRUE(platform::FolderExists(temporaryHome.Path() + "/pop3"));
  EXPECT_FALSE(platform::FileExists(platform::WaveFilePath()));

  platform::ProfileFile settings(platform::SettingsFilePath(), platform::FileAccess::OwnerOnly);
  settings.WriteString("AUTOCHECK", "Interval", "30");
  EXPECT_TRUE(platform::FileExists(temporaryHome.Path() + "/pop3/pop3.ini"));
  EXPECT_EQ(platform::ProfileFile(platform::SettingsFilePath()).ReadString("autocheck", "interval", ""), "30");
}

}  // namespace
