#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/PasswordScrambler.h"
#include "app/ProgramEntry.h"
#include "platform/gui/Application.h"
#include "platform/core/DataFolder.h"
#include "platform/core/Files.h"
#include "platform/gui/WavePlayer.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/NonRegularEntry.h"
#include "tests/support/Wait.h"
#include "tests/app/FormTest.h"
#include "tests/app/SettingsTestSupport.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

class SettingsStartUp : public FormTest {
 protected:
  void StartUp() { app::StartMainWindow(Form()); }

  // Start-up stopped early: the parts it had not reached keep their
  // design-time state.
  void ExpectDesignTimeAutoCheck() {
    EXPECT_EQ(Form().Timer1->Interval(), app::kDesignTimerIntervalMs);
    EXPECT_EQ(Form().CheckBox2->Hint(), "Auto-Check Every 5 Minutes");
    EXPECT_EQ(Form().IntervalMinutes, 0);
    EXPECT_EQ(Form().FetchLimit, 0);
    EXPECT_EQ(Form().IPlabel->Text(), "Server IP:");
    EXPECT_FALSE(Form().SoundAvailable);
    EXPECT_TRUE(Form().Window->Visible()) << "the window opens all the same";
  }
};

TEST_F(SettingsStartUp, FirstRunCreatesFolderAndSettingsFile) {
  ASSERT_FALSE(platform::FolderExists(platform::DataFolder()));

  StartUp();

  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(platform::FolderExists(platform::DataFolder()));
  EXPECT_THAT(SettingsLines(), ElementsAre("[AUTOCHECK]", "Interval=30", "[SOUND]", "PlayWave=Yes"));
  EXPECT_EQ(PermissionBits(platform::SettingsFilePath()), 0600);
  EXPECT_FALSE(Form().CheckBox3->Checked()) << "no wave file, so no sound";
  EXPECT_FALSE(Form().SoundAvailable);
  EXPECT_EQ(Form().IntervalMinutes, 30);
  EXPECT_EQ(Form().Timer1->Interval(), 30u * 60000u);
  EXPECT_TRUE(Form().Timer1->Enabled());
  EXPECT_EQ(Form().CheckBox2->Hint(), "Auto-Check Every 30 Minute(s)");
  EXPECT_FALSE(Form().CheckBox1->Checked());
  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_FALSE(Form().CheckBox4->Checked());
  EXPECT_TRUE(Form().CheckBox5->Checked());
  EXPECT_EQ(platform::Application::Title(), app::kApplicationTitle);
}

TEST_F(SettingsStartUp, ReadsEveryStoredValue) {
  WriteSettingsText(
      "[email]\r\nserver=mail.example.com\r\nUSERID=ann\r\nPassword=" + app::ScramblePassword("secret") +
      "\r\n[AUTOCHECK]\r\nInterval=15\r\nFrom=bob;alice\r\nSubject=\r\nSize=5000\r\n[SOUND]\r\nPlayWave=No\r\n");

  StartUp();

  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Form().IPedit->Text(), "mail.example.com");
  EXPECT_EQ(Form().UserEdit->Text(), "ann");
  EXPECT_EQ(Form().PasswordEdit->Text(), "secret");
  EXPECT_TRUE(Form().CheckBox1->Checked()) << "a stored password ticks Save";
  EXPECT_EQ(Form().IntervalMinutes, 15);
  EXPECT_EQ(Form().Edit1->Text(), "bob;alice");
  EXPECT_EQ(Form().Edit2->Text(), "");
  EXPECT_EQ(Form().Edit3->Text(), "5000");
  EXPECT_EQ(Form().Label1->TextColor(), platform::kColorRed);
  EXPECT_EQ(Form().Label2->TextColor(), platform::kColorBlack);
  EXPECT_EQ(Form().Label4->TextColor(), platform::kColorRed);
  EXPECT_FALSE(Form().CheckBox3->Checked());
  EXPECT_THAT(SettingsLines(), Contains("PlayWave=No"));
  // Server and user name given: the user only has to type the password.
  EXPECT_TRUE(Form().PasswordEdit->Focused());
}

TEST_F(SettingsStartUp, FocusStaysWhereItWasWithoutUserName) {
  WriteSettingsText("[EMAIL]\r\nServer=mail.example.com\r\n");
  Form().IPedit->SetFocus();
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().IPedit->Focused(); }));

  StartUp();

  // Focus moves at once when it moves at all.
  EXPECT_TRUE(Form().IPedit->Focused());
  EXPECT_FALSE(Form().PasswordEdit->Focused());
}

TEST_F(SettingsStartUp, IntervalIsClampedAndWrittenBack) {
  struct Case {
    const char* stored;
    int minutes;
  };
  for (Case c : {Case{"0", 1}, Case{"90", 60}, Case{"-5", 1}, Case{"60", 60}, Case{"1", 1}}) {
    WriteSettingsText(std::string("[AUTOCHECK]\r\nInterval=") + c.stored + "\r\n");

    StartUp();

    EXPECT_EQ(Form().IntervalMinutes, c.minutes) << c.stored;
    EXPECT_EQ(Form().Timer1->Interval(), static_cast<unsigned>(c.minutes) * 60000u) << c.stored;
    EXPECT_EQ(Form().CheckBox2->Hint(), "Auto-Check Every " + std::to_string(c.minutes) + " Minute(s)");
    EXPECT_THAT(SettingsLines(), Contains("Interval=" + std::to_string(c.minutes))) << c.stored;
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SettingsStartUp, BadIntervalStopsStartUpAtThatStep) {
  WriteSettingsText("[EMAIL]\r\nServer=mail.example.com\r\n[AUTOCHECK]\r\nInterval=ten\r\nFrom=bob\r\n");

  StartUp();

  EXPECT_THAT(BoxTexts(BoxKind::Error), ElementsAre("'ten' is not a valid integer value."));
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Form().IPedit->Text(), "mail.example.com") << "steps before the failure stay done";
  EXPECT_EQ(Form().Edit1->Text(), "") << "steps after it are not done";
  ExpectDesignTimeAutoCheck();
  EXPECT_THAT(SettingsLines(), Contains("Interval=ten"));
  EXPECT_THAT(SettingsLines(), Not(Contains(::testing::StartsWith("PlayWave"))));
}

// Reading never waits on writing: with writes refused, every stored value
// still reaches the window, and the failed write is reported once.
TEST_F(SettingsStartUp, UnwritableSettingsAreStillReadWhole) {
  const std::string stored = "[EMAIL]\r\nServer=mail.example.com\r\n[AUTOCHECK]\r\nInterval=90\r\nFrom=boss\r\n";
  WriteSettingsText(stored);
  WriteWaveFile();
  {
    WritesRefused refused;
    StartUp();
  }

  EXPECT_THAT(BoxTexts(BoxKind::Error), ElementsAre("Unable to write to " + platform::SettingsFilePath() + "."));
  EXPECT_EQ(Form().IPedit->Text(), "mail.example.com");
  EXPECT_EQ(Form().Edit1->Text(), "boss");
  EXPECT_EQ(Form().IntervalMinutes, 60);
  EXPECT_EQ(Form().Timer1->Interval(), 60u * 60000u);
  EXPECT_TRUE(Form().CheckBox3->Checked());
  EXPECT_TRUE(Form().SoundAvailable);
  EXPECT_EQ(SettingsText(), stored);
}

TEST_F(SettingsStartUp, BadFetchCountLeavesIntervalUnapplied) {
  WriteSettingsText("[AUTOCHECK]\r\nInterval=90\r\n[DEBUG]\r\nFetchCount=2x\r\n");

  StartUp();

  EXPECT_THAT(BoxTexts(BoxKind::Error), ElementsAre("'2x' is not a valid integer value."));
  ExpectDesignTimeAutoCheck();
  EXPECT_THAT(SettingsLines(), Contains("Interval=90")) << "the clamped interval is written after FetchCount";
}

// Whatever takes the data folder's name stops start-up with a box that
// names the folder and says what is in the way.
TEST_F(SettingsStartUp, FolderThatCannotBeCreatedStopsStartUp) {
  const std::string folder = platform::DataFolder();
  const std::string elsewhere = folder + "-elsewhere";
  std::ofstream(elsewhere) << "a file";
  struct Case {
    std::function<void()> make;
    std::string reason;
  };
  const Case cases[] = {
      {[&] { std::ofstream(folder) << "in the way"; }, "a file of that name is in the way"},
      {[&] { ::mkfifo(folder.c_str(), 0600); }, "a named pipe (FIFO) of that name is in the way"},
      {[&] { std::filesystem::create_symlink(elsewhere, folder); },
       "it is a symbolic link to " + elsewhere + ", which is a file, not a folder"},
      {[&] { std::filesystem::create_symlink(folder + "-gone", folder); },
       "it is a symbolic link to " + folder + "-gone, which does not exist"},
  };
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    c.make();
    StartUp();
    expected.push_back("Cannot create " + folder + ": " + c.reason + ".");
    EXPECT_EQ(Form().IPedit->Text(), "");
    ExpectDesignTimeAutoCheck();
    std::filesystem::remove(folder);
  }
  EXPECT_THAT(BoxTexts(BoxKind::Error), ::testing::ElementsAreArray(expected));
}

// A data folder that is a symbolic link to a folder elsewhere is the user's
// own set-up: the settings are read and written through it.
TEST_F(SettingsStartUp, DataFolderMayBeALinkToAFolder) {
  const std::string real = platform::DataFolder() + "-real";
  std::filesystem::create_directory(real);
  std::ofstream(real + "/pop3.ini", std::ios::binary) << "[EMAIL]\r\nServer=mail.example.com\r\n";
  std::filesystem::create_symlink(real, platform::DataFolder());

  StartUp();

  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Form().IPedit->Text(), "mail.example.com");
  EXPECT_TRUE(std::filesystem::is_symlink(platform::DataFolder()));
  EXPECT_THAT(SettingsLines(), Contains("Interval=30")) << "written through the link";
}

// A settings file that is no file (a named pipe that nobody writes would
// hold start-up for ever) is not waited on: start-up goes on with the
// defaults, says why the file is refused, and leaves the entry alone.
TEST_F(SettingsStartUp, SettingsFileThatIsNoFileIsRefusedAndDefaultsApply) {
  std::filesystem::create_directories(platform::DataFolder());
  std::vector<std::string> expected;
  for (testsupport::NonRegularEntry::Kind kind : testsupport::kEveryNonRegularKind) {
    testsupport::NonRegularEntry entry(kind, platform::SettingsFilePath());
    SCOPED_TRACE(entry.Name());

    StartUp();

    expected.push_back("Unable to write to " + platform::SettingsFilePath() + ": it is " + entry.Words() +
                       ", not a regular file.");
    EXPECT_EQ(Form().IntervalMinutes, 30);
    EXPECT_EQ(Form().Timer1->Interval(), 30u * 60000u);
    EXPECT_TRUE(entry.Unchanged());
    EXPECT_FALSE(entry.Waited()) << "start-up waited on the named pipe";
  }
  EXPECT_THAT(BoxTexts(BoxKind::Error), ::testing::ElementsAreArray(expected));
}

// The sound system would wait for ever on a named pipe, or fill memory from
// a device: only a regular wave file of bounded size makes the sound
// available.
TEST_F(SettingsStartUp, WaveFileThatIsNoFileOrTooLargeGivesNoSound) {
  WriteSettingsText("[SOUND]\r\nPlayWave=Yes\r\n");
  for (testsupport::NonRegularEntry::Kind kind : testsupport::kEveryNonRegularKind) {
    testsupport::NonRegularEntry entry(kind, platform::WaveFilePath());
    StartUp();
    EXPECT_FALSE(Form().SoundAvailable) << entry.Name();
    EXPECT_FALSE(Form().CheckBox3->Checked()) << entry.Name();
    EXPECT_FALSE(entry.Waited()) << entry.Name();
  }
  WriteWaveFile();
  std::filesystem::resize_file(platform::WaveFilePath(), platform::WavePlayer::kMaxFileSize + 1);
  StartUp();
  EXPECT_FALSE(Form().SoundAvailable) << "too large";
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SettingsStartUp, FetchCountSetsListingLimitOneHigher) {
  WriteSettingsText("[DEBUG]\r\nFetchCount=2\r\n");

  StartUp();

  EXPECT_EQ(Form().FetchLimit, 3);
  EXPECT_EQ(Form().IPlabel->Text(), "Server IP: - 3");
  EXPECT_THAT(SettingsLines(), Contains("FetchCount=2")) << "never written, never lost";

  WriteSettingsText("[DEBUG]\r\nFetchCount=0\r\n");
  StartUp();
  EXPECT_EQ(Form().FetchLimit, 0);
}

TEST_F(SettingsStartUp, PlayWaveDecidesSoundWithTheWaveFile) {
  struct Case {
    const char* playWave;
    bool waveFile;
    bool ticked;
    bool available;
  };
  for (Case c : {Case{"Yes", true, true, true}, Case{"yes", true, false, true}, Case{"YES", true, false, true},
                 Case{"No", true, false, false}, Case{"Yes", false, false, false}}) {
    std::filesystem::remove(platform::WaveFilePath());
    if (c.waveFile) WriteWaveFile();
    WriteSettingsText(std::string("[SOUND]\r\nPlayWave=") + c.playWave + "\r\n");

    StartUp();

    SCOPED_TRACE(std::string(c.playWave) + (c.waveFile ? " with" : " without") + " wave file");
    EXPECT_EQ(Form().CheckBox3->Checked(), c.ticked);
    EXPECT_EQ(Form().SoundAvailable, c.available);
    if (c.available) {
      EXPECT_EQ(Form().WavePlayer1->FileName(), platform::WaveFilePath());
    }
    EXPECT_THAT(SettingsLines(), Contains(std::string("PlayWave=") + c.playWave)) << "written back unchanged";
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SettingsStartUp, ServerLabelSetsAndClearsListingLimit) {
  for (int i = 0; i < 3; ++i) access::Click(*Form().IPlabel);
  EXPECT_EQ(Form().FetchLimit, 3);
  EXPECT_EQ(Form().IPlabel->Text(), "Server IP: - 3");

  access::DoubleClick(*Form().IPlabel);
  EXPECT_EQ(Form().FetchLimit, 0);
  EXPECT_EQ(Form().IPlabel->Text(), "Server IP:");
}

TEST_F(SettingsStartUp, EditingServerOrUserDropsTheListing) {
  Form().Mailbox().List().AddListed(1, 120);
  access::TypeText(*Form().IPedit, "other.example.com");
  EXPECT_EQ(Form().StringGrid1->RowCount(), 1);
  EXPECT_FALSE(Form().StringGrid1->HasCheckBox(0, 0));
  EXPECT_EQ(Form().StringGrid1->Cell(5, 0), "");

  Form().Mailbox().List().AddListed(2, 340);
  access::TypeText(*Form().UserEdit, "bob");
  EXPECT_FALSE(Form().StringGrid1->HasCheckBox(0, 0));
  EXPECT_EQ(Form().StringGrid1->Cell(4, 0), "");

  // With nothing listed, the list is left as it is.
  Form().StringGrid1->SetCell(1, 0, "kept");
  access::TypeText(*Form().IPedit, "third.example.com");
  EXPECT_EQ(Form().StringGrid1->Cell(1, 0), "kept");
}

}  // namespace

}  // namespace apptest
