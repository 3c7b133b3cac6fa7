// The program as a citizen of the desktop: its command line, the start in
// the notification area, the autostart entry switched from the settings
// file, and the text of the alert's desktop notification.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/CommandLine.h"
#include "app/ProgramEntry.h"
#include "platform/gui/Autostart.h"
#include "platform/core/Files.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/app/SettingsTestSupport.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using Action = app::CommandLine::Action;
using ::testing::HasSubstr;

struct CommandLineCase {
  std::vector<const char*> args;
  Action action;
  bool minimized;
  const char* error;
};

TEST(CommandLine, OptionsAndErrors) {
  const CommandLineCase cases[] = {
      {{}, Action::Run, false, ""},
      {{"--minimized"}, Action::Run, true, ""},
      {{"--help"}, Action::ShowHelp, false, ""},
      {{"-h"}, Action::ShowHelp, false, ""},
      {{"--version"}, Action::ShowVersion, false, ""},
      {{"--minimized", "--version"}, Action::ShowVersion, true, ""},
      {{"--version", "--help"}, Action::ShowHelp, false, ""},
      {{"--bogus"}, Action::Fail, false, "unknown option '--bogus'"},
      {{"--help", "--bogus"}, Action::Fail, false, "unknown option '--bogus'"},
      {{"-minimized"}, Action::Fail, false, "unknown option '-minimized'"},
      {{"mail.example.org"}, Action::Fail, false, "unexpected argument 'mail.example.org'"},
  };
  for (const CommandLineCase& c : cases) {
    std::vector<const char*> argv{"pop3check"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    app::CommandLine line = app::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    std::string shown = c.args.empty() ? "(none)" : c.args.front();
    EXPECT_EQ(line.action, c.action) << shown;
    EXPECT_EQ(line.minimized, c.minimized) << shown;
    EXPECT_EQ(line.error, c.error) << shown;
  }
}

TEST(CommandLine, HelpNamesEveryOptionAndVersionTheProgram) {
  EXPECT_THAT(app::UsageText(), HasSubstr("--minimized"));
  EXPECT_THAT(app::UsageText(), HasSubstr("--help"));
  EXPECT_THAT(app::UsageText(), HasSubstr("--version"));
  EXPECT_THAT(app::VersionText(), ::testing::MatchesRegex("pop3check [0-9]+\\.[0-9]+\\.[0-9]+\n"));
}

// The autostart folder lies in the temporary home for these tests.
class DesktopStartUp : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    if (saved != nullptr) savedConfigHome_ = saved;
    configHome_ = platform::DataFolder() + "-config";
    setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
  }
  void TearDown() override {
    if (savedConfigHome_)
      setenv("XDG_CONFIG_HOME", savedConfigHome_->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(configHome_);
    FormTest::TearDown();
  }

  std::string EntryPath() const { return configHome_ + "/autostart/org.pop3check.pop3check.desktop"; }

  std::string configHome_;
  std::optional<std::string> savedConfigHome_;
};

TEST_F(DesktopStartUp, MinimizedStartGoesStraightToTheTray) {
  if (!DesktopHasTray()) GTEST_SKIP() << kNeedsTray;
  app::StartMainWindow(Form(), true);
  EXPECT_TRUE(Form().InTray);
  EXPECT_FALSE(Form().Window->Visible());
  Form().Restore1Click();
  EXPECT_TRUE(Form().Window->Visible());
  EXPECT_FALSE(Form().InTray);
}

TEST_F(DesktopStartUp, MinimizedStartWithoutTrayOpensMinimised) {
  if (DesktopHasTray()) GTEST_SKIP() << kNeedsNoTray;
  app::StartMainWindow(Form(), true);
  EXPECT_FALSE(Form().InTray);
  EXPECT_TRUE(Form().Window->Visible()) << "without a tray the window must stay reachable";
  EXPECT_TRUE(Form().Window->Minimized());
}

TEST_F(DesktopStartUp, AutostartKeyWritesAndRemovesTheEntry) {
  WriteSettingsText("[DESKTOP]\r\nAutostart=Yes\r\n");
  app::StartMainWindow(Form());
  EXPECT_TRUE(Boxes().empty());
  ASSERT_EQ(platform::AutostartEntryPath(), EntryPath());
  std::optional<std::string> entry = platform::ReadFileIfExists(EntryPath());
  ASSERT_TRUE(entry.has_value());
  EXPECT_THAT(*entry, HasSubstr("[Desktop Entry]\n"));
  EXPECT_THAT(*entry, HasSubstr("\nExec=pop3check --minimized\n"));
  EXPECT_THAT(*entry, HasSubstr("\nType=Application\n"));
  EXPECT_EQ(SettingsText(), "[DESKTOP]\r\nAutostart=Yes\r\n[AUTOCHECK]\r\nInterval=30\r\n[SOUND]\r\nPlayWave=Yes\r\n")
      << "the key is read, never rewritten";

  Form().CheckBox2->SetChecked(false);
  WriteSettingsText("[DESKTOP]\r\nAutostart=no\r\n");
  app::TForm1 second;
  app::StartMainWindow(second);
  EXPECT_FALSE(platform::FileExists(EntryPath()));
}

TEST_F(DesktopStartUp, WithoutTheKeyAnEntryMadeByHandStays) {
  std::filesystem::create_directories(configHome_ + "/autostart");
  std::ofstream(EntryPath()) << "[Desktop Entry]\nType=Application\nExec=pop3check\nName=mine\n";
  app::StartMainWindow(Form());
  EXPECT_EQ(platform::ReadFileIfExists(EntryPath()).value_or(""),
            "[Desktop Entry]\nType=Application\nExec=pop3check\nName=mine\n");
}

}  // namespace

}  // namespace apptest
