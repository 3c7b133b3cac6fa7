#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/MailboxChoice.h"
#include "app/PasswordScrambler.h"
#include "app/ProgramEntry.h"
#include "platform/gui/Application.h"
#include "platform/core/DataFolder.h"
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

// Every character the password edit turns into the given UTF-8 lead or
// continuation byte: together they make the edit's text hold every byte
// that UTF-8 text can hold.
std::u32string CodePointsCoveringEveryUtf8Byte() {
  std::u32string points;
  for (char32_t c = 1; c <= 0xFF; ++c) points.push_back(c);  // 01-7F, C2, C3, 80-BF
  for (char32_t lead = 0xC4; lead <= 0xDF; ++lead) points.push_back((lead - 0xC0) << 6);
  points.push_back(0x800);  // E0
  for (char32_t lead = 0xE1; lead <= 0xEF; ++lead) points.push_back((lead - 0xE0) << 12);
  points.push_back(0x10000);  // F0
  for (char32_t lead = 0xF1; lead <= 0xF4; ++lead) points.push_back((lead - 0xF0) << 18);
  return points;
}

std::string Utf8(const std::u32string& points) {
  std::string out;
  for (char32_t c : points) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

class SettingsShutDown : public FormTest {
 protected:
  void StartUp() { app::StartMainWindow(Form()); }

  // Saves as closing does, then starts a fresh run from the file.
  void SaveAndStartAgain() {
    Form().FormClose();
    Form().IPedit->SetText("");
    Form().UserEdit->SetText("");
    Form().PasswordEdit->SetText("");
    Form().CheckBox1->SetChecked(false);
    StartUp();
  }

  // Puts a folder where the settings file is, which no write can replace.
  static void MakeSettingsUnwritable() {
    std::filesystem::remove(platform::SettingsFilePath());
    std::filesystem::create_directory(platform::SettingsFilePath());
  }
};

TEST_F(SettingsShutDown, CloseSavesTheWindowInOrder) {
  StartUp();
  EnterAccount("mail.example.com", "ann", "secret");
  access::Click(*Form().CheckBox1);
  Form().Edit1->SetText("bob;alice");
  Form().Edit2->SetText("invoice");
  Form().Edit3->SetText("5000");
  ASSERT_FALSE(Form().CheckBox3->Checked());

  Form().Window->Close();

  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().Window->Visible(); }));
  EXPECT_TRUE(Boxes().empty());
  // "Sound" is unticked only because there is no wave file: the stored
  // switch is the user's and stays.
  EXPECT_THAT(SettingsLines(), ElementsAre("[AUTOCHECK]", "Interval=30", "From=bob;alice", "Subject=invoice",
                                           "Size=5000", "[SOUND]", "PlayWave=Yes", "[EMAIL]", "Server=mail.example.com",
                                           "UserID=ann", "Password=" + app::ScramblePassword("secret")));
}

// What the user did not change keeps its stored bytes, whatever the window
// made of them; what the user changed is written, and only that.
TEST_F(SettingsShutDown, UntouchedValuesKeepTheirStoredBytes) {
  using namespace std::string_literals;
  const std::string latinPassword = "s\xE9"s + "cret";
  const std::string stored = "[EMAIL]\r\nServer=mail.\xE9xample.org\r\nUserID=a\0nn\r\nPassword="s +
                             app::ScramblePassword(latinPassword) + "\r\n[AUTOCHECK]\r\nInterval=15\r\nFrom=b\xF6" +
                             "b\r\nSubject=\r\nSize=\r\n[SOUND]\r\nPlayWave=yes\r\n";
  WriteSettingsText(stored);
  WriteWaveFile();
  StartUp();
  ASSERT_TRUE(Boxes().empty());
  ASSERT_EQ(Form().PasswordEdit->Text(), latinPassword) << "the bytes sent to the server are the stored ones";

  Form().FormClose();
  EXPECT_EQ(SettingsText(), stored) << "nothing changed, nothing rewritten";

  // The save offered the password to the keyring, and the window left the
  // screen while it waited; the run goes on here as if it had not closed.
  access::ShowWindow(*Form().Window);
  access::TypeText(*Form().Edit2, "invoice");
  access::Click(*Form().CheckBox3);
  Form().FormClose();
  EXPECT_TRUE(Boxes().empty());
  std::string expected = stored;
  expected.replace(expected.find("Subject=\r\n"), 10, "Subject=invoice\r\n");
  expected.replace(expected.find("PlayWave=yes"), 12, "PlayWave=Yes");
  EXPECT_EQ(SettingsText(), expected);
}

// A value the file cannot hold is left out with one message; every other
// key is saved, and a password the user chose not to keep is erased.
TEST_F(SettingsShutDown, UnstorableValueIsSkippedAndTheRestSaved) {
  WriteSettingsText("[EMAIL]\r\nServer=old.example.org\r\nPassword=" + app::ScramblePassword("secret") +
                    "\r\n[AUTOCHECK]\r\nSubject=old\r\n");
  StartUp();
  access::PasteText(*Form().IPedit, "mail.example.org\n");
  access::Click(*Form().CheckBox1);
  access::TypeText(*Form().Edit1, "boss");
  Form().Edit2->SetText(std::string("in\0voice", 8));

  Form().Window->Close();

  EXPECT_THAT(BoxTexts(BoxKind::Error),
              ElementsAre("Unable to write to " + platform::SettingsFilePath() +
                          ": the value of Subject holds a line break or NUL character."));
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().Window->Visible(); }));
  EXPECT_THAT(SettingsLines(), Contains("Server=mail.example.org"));
  EXPECT_THAT(SettingsLines(), Contains("Password="));
  EXPECT_THAT(SettingsLines(), Contains("From=boss"));
  EXPECT_THAT(SettingsLines(), Contains("Subject=old"));
}

// A start-up that stopped at a bad value has not read what follows it:
// none of that is written over, while what the user changes is saved.
TEST_F(SettingsShutDown, WhatStartUpDidNotReadIsNeverWrittenBack) {
  const std::string password = "Password=" + app::ScramblePassword("secret");
  WriteSettingsText("[EMAIL]\r\n" + password + "\r\n[AUTOCHECK]\r\nInterval=abc\r\nFrom=boss\r\n" +
                    "[SOUND]\r\nPlayWave=Yes\r\n");
  StartUp();
  ASSERT_THAT(BoxTexts(BoxKind::Error), ElementsAre("'abc' is not a valid integer value."));
  access::TypeText(*Form().Edit2, "invoice");

  access::Click(*Form().ExitButton);

  EXPECT_EQ(Boxes().size(), 1u);
  // Server and user name were read (and missing): only they are added.
  EXPECT_THAT(SettingsLines(), ElementsAre("[EMAIL]", password, "Server=", "UserID=", "[AUTOCHECK]", "Interval=abc",
                                           "From=boss", "Subject=invoice", "[SOUND]", "PlayWave=Yes"));
}

TEST_F(SettingsShutDown, SaveUntickedErasesTheStoredPassword) {
  WriteSettingsText("[EMAIL]\r\nPassword=" + app::ScramblePassword("secret") + "\r\n");
  StartUp();
  ASSERT_TRUE(Form().CheckBox1->Checked());
  ASSERT_EQ(Form().PasswordEdit->Text(), "secret");

  access::Click(*Form().CheckBox1);
  SaveAndStartAgain();

  EXPECT_THAT(SettingsLines(), Contains("Password="));
  EXPECT_EQ(Form().PasswordEdit->Text(), "");
  EXPECT_FALSE(Form().CheckBox1->Checked());
}

TEST_F(SettingsShutDown, EmptyPasswordIsNotStoredEvenWithSaveTicked) {
  WriteSettingsText("[EMAIL]\r\nPassword=" + app::ScramblePassword("old") + "\r\n");
  StartUp();
  access::TypeText(*Form().PasswordEdit, "");
  ASSERT_TRUE(Form().CheckBox1->Checked());

  SaveAndStartAgain();

  EXPECT_THAT(SettingsLines(), Contains("Password="));
  EXPECT_FALSE(Form().CheckBox1->Checked());
}

TEST_F(SettingsShutDown, EveryPasswordByteSurvivesSaveAndStartUp) {
  StartUp();
  Form().CheckBox1->SetChecked(true);
  Form().PasswordEdit->SetText(Utf8(CodePointsCoveringEveryUtf8Byte()));
  const std::string password = Form().PasswordEdit->Text();
  std::set<unsigned char> bytes(password.begin(), password.end());
  // An edit holds no line break, so CR and LF are the bytes it cannot hold.
  for (int b = 0x01; b <= 0xF4; ++b) {
    if (b != 0xC0 && b != 0xC1 && b != '\r' && b != '\n') {
      EXPECT_TRUE(bytes.count(static_cast<unsigned char>(b))) << std::hex << b;
    }
  }
  // 0xD5, 0xD8 and 0xDF scramble to NUL, LF and CR.
  ASSERT_TRUE(bytes.count(0xD5) && bytes.count(0xD8) && bytes.count(0xDF));

  SaveAndStartAgain();

  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Form().PasswordEdit->Text(), password);
  EXPECT_TRUE(Form().CheckBox1->Checked());
  EXPECT_EQ(SettingsLines().size(), 11u) << "the stored password is one line";
}

// Two mailboxes, the second chosen: start-up shows the chosen one, and a
// run that changes nothing leaves the file as it was, byte for byte.
TEST_F(SettingsShutDown, SecondMailboxIsChosenAtStartAndSavedUnchanged) {
  const std::string stored = "[EMAIL]\r\nServer=pop.home.example\r\nUserID=ann\r\nPassword=" +
                             app::ScramblePassword("first") +
                             "\r\n\r\n[EMAIL2]\r\nServer=pop.work.example:995\r\nUserID=ann.b\r\nPassword=" +
                             app::ScramblePassword("second") +
                             "\r\nName=Work\r\nAutoCheck=Yes\r\n\r\n[MAILBOXES]\r\nChosen=2\r\n[AUTOCHECK]\r\n"
                             "Interval=30\r\nFrom=\r\nSubject=\r\nSize=\r\n[SOUND]\r\nPlayWave=Yes\r\n";
  WriteSettingsText(stored);
  StartUp();
  EXPECT_EQ(Form().IPedit->Text(), "pop.work.example:995");
  EXPECT_EQ(Form().UserEdit->Text(), "ann.b");
  EXPECT_EQ(Form().PasswordEdit->Text(), "second");
  EXPECT_EQ(Form().IPlabel->Hint(), "Work");
  EXPECT_THAT(access::SystemMenuCaptions(*Form().Window),
              ::testing::IsSupersetOf({"&1 ann@pop.home.example", "&2 Work", "Add mailbox...", "Remove this mailbox..."}));
  EXPECT_FALSE(Form().Window->SystemMenuItemChecked(app::MailboxChoice::kFirstChoiceCommand));
  EXPECT_TRUE(Form().Window->SystemMenuItemChecked(app::MailboxChoice::kFirstChoiceCommand + 1));

  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "&1 ann@pop.home.example"));
  EXPECT_EQ(Form().IPedit->Text(), "pop.home.example");
  EXPECT_EQ(Form().PasswordEdit->Text(), "first");
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "&2 Work"));
  EXPECT_EQ(Form().PasswordEdit->Text(), "second");
  Form().FormClose();
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(SettingsText(), stored) << "nothing changed, nothing rewritten";
}

// "Add mailbox..." writes the next section at the save; removing one takes
// its section out and moves the later ones up, and nothing else changes.
TEST_F(SettingsShutDown, AddedMailboxesAreNumberedAndRemovalLeavesNoGap) {
  const std::string first = "[EMAIL]\r\nServer=pop.home.example\r\nUserID=ann\r\nPassword=\r\n[AUTOCHECK]\r\n"
                            "Interval=30\r\nFrom=boss\r\nSubject=\r\nSize=\r\n[SOUND]\r\nPlayWave=Yes\r\n";
  WriteSettingsText(first);
  StartUp();
  for (const char* user : {"two", "three"}) {
    ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "Add mailbox..."));
    EXPECT_EQ(Form().IPedit->Text(), "") << "a new mailbox starts empty";
    EnterAccount(std::string("pop.") + user + ".example", user, "");
  }
  Form().FormClose();
  EXPECT_EQ(SettingsText(), first +
                                "[EMAIL2]\r\nServer=pop.two.example\r\nUserID=two\r\nPassword=\r\nAutoCheck=Yes\r\n"
                                "[EMAIL3]\r\nServer=pop.three.example\r\nUserID=three\r\nPassword=\r\nAutoCheck=Yes\r\n"
                                "[MAILBOXES]\r\nChosen=3\r\n");

  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "&2 two@pop.two.example"));
  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::Yes);
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "Remove this mailbox..."));
  ASSERT_THAT(BoxTexts(BoxKind::Question), ElementsAre(::testing::HasSubstr("two@pop.two.example")));
  EXPECT_EQ(Form().UserEdit->Text(), "three") << "the next mailbox is chosen";
  EXPECT_THAT(access::SystemMenuCaptions(*Form().Window), Contains("&2 three@pop.three.example"));
  Form().FormClose();
  EXPECT_EQ(SettingsText(), first +
                                "[EMAIL2]\r\nServer=pop.three.example\r\nUserID=three\r\nPassword=\r\nAutoCheck=Yes\r\n"
                                "[MAILBOXES]\r\nChosen=2\r\n");

  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::Yes);
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "&1 ann@pop.home.example"));
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "Remove this mailbox..."));
  Form().FormClose();
  EXPECT_EQ(SettingsText(), "[AUTOCHECK]\r\nInterval=30\r\nFrom=boss\r\nSubject=\r\nSize=\r\n[SOUND]\r\nPlayWave=Yes\r\n"
                            "[EMAIL]\r\nServer=pop.three.example\r\nUserID=three\r\nPassword=\r\nAutoCheck=Yes\r\n"
                            "[MAILBOXES]\r\nChosen=1\r\n")
      << "EMAIL always holds the first mailbox";
}

TEST_F(SettingsShutDown, SettingsFileIsReadableByItsOwnerOnly) {
  WriteSettingsText("[EMAIL]\r\nServer=mail.example.com\r\n");
  std::filesystem::permissions(platform::SettingsFilePath(), std::filesystem::perms(0644));

  StartUp();
  EXPECT_EQ(PermissionBits(platform::SettingsFilePath()), 0600);

  access::TypeText(*Form().PasswordEdit, "secret");
  access::Click(*Form().CheckBox1);
  Form().FormClose();
  EXPECT_EQ(PermissionBits(platform::SettingsFilePath()), 0600);
  EXPECT_THAT(SettingsLines(), Contains("Password=" + app::ScramblePassword("secret")));
}

TEST_F(SettingsShutDown, UnwritableSettingsAtCloseShowErrorAndStillClose) {
  StartUp();
  MakeSettingsUnwritable();

  Form().Window->Close();

  EXPECT_THAT(BoxTexts(BoxKind::Error), ElementsAre("Unable to write to " + platform::SettingsFilePath() +
                                                    ": it is a folder, not a regular file."));
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().Window->Visible(); }));
}

TEST_F(SettingsShutDown, ExitHidesRulesSavesAndEndsTheProgram) {
  StartUp();
  access::TypeText(*Form().IPedit, "mail.example.com");
  access::Click(*Form().Label1);
  ASSERT_TRUE(Form().Edit1->Visible());

  access::Click(*Form().ExitButton);

  EXPECT_FALSE(Form().Edit1->Visible());
  EXPECT_THAT(SettingsLines(), Contains("Server=mail.example.com"));
  EXPECT_TRUE(platform::Application::Terminated());
  EXPECT_TRUE(Boxes().empty());
}

// A named pipe in place of the settings file, which nobody writes, would
// hold the program for ever: it is refused, and stays as it was.
TEST_F(SettingsShutDown, ExitWithUnwritableSettingsShowsErrorAndEnds) {
  StartUp();
  std::filesystem::remove(platform::SettingsFilePath());
  testsupport::NonRegularEntry pipe(testsupport::NonRegularEntry::Kind::Fifo, platform::SettingsFilePath());

  access::Click(*Form().ExitButton);

  EXPECT_THAT(BoxTexts(BoxKind::Error), ElementsAre("Unable to write to " + platform::SettingsFilePath() +
                                                    ": it is a named pipe (FIFO), not a regular file."));
  EXPECT_TRUE(platform::Application::Terminated());
  EXPECT_TRUE(pipe.Unchanged());
  EXPECT_FALSE(pipe.Waited()) << "the save waited on the named pipe";
}

TEST_F(SettingsShutDown, CloseRecreatesMissingDataFolder) {
  StartUp();
  std::filesystem::remove_all(platform::DataFolder());
  access::TypeText(*Form().UserEdit, "ann");

  Form().Window->Close();

  EXPECT_TRUE(Boxes().empty());
  EXPECT_THAT(SettingsLines(), Contains("UserID=ann"));
}

}  // namespace

}  // namespace apptest
