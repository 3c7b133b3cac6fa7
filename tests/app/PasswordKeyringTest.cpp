// The saved password in the desktop's keyring. The Keyring suite runs only
// inside tests/support/desktop-session.sh --keyring (GNOME Keyring with an
// unlocked login keyring on a private session bus; the ctest entry
// app_keyring_tests). NoKeyring runs in every session of app_tests, whose
// main points the session bus nowhere, so no keyring answers there. The
// keyring answers asynchronously: the window's password is waited for.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/PasswordScrambler.h"
#include "app/ProgramEntry.h"
#include "app/Settings.h"
#include "platform/gui/PasswordKeyring.h"
#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"
#include "tests/app/SettingsTestSupport.h"
#include "tests/support/Wait.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
namespace keyring = platform::keyring;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

bool KeyringSession() {
  const char* mode = std::getenv("POP3CHECK_TEST_DESKTOP_SESSION");
  return mode != nullptr && std::string(mode) == "keyring";
}

class PasswordStoreTest : public FormTest {
 protected:
  // Closes the running window as the user does, then starts a fresh one
  // from the saved state.
  void CloseAndStartAgain() {
    Current().FormClose();
    auto next = std::make_unique<app::TForm1>();
    app::StartMainWindow(*next);
    next_ = std::move(next);
  }
  app::TForm1& Current() { return next_ ? *next_ : Form(); }

  static std::string KeyringPassword(const std::string& entry = app::settings::kKeyringEntry) {
    std::unique_ptr<keyring::Call> call = keyring::StartRead(entry);
    keyring::Status status = Answer(*call);
    return status == keyring::Status::Done ? call->Password() : "<" + std::to_string(static_cast<int>(status)) + ">";
  }
  static std::string NotFound() { return "<" + std::to_string(static_cast<int>(keyring::Status::NotFound)) + ">"; }
  static keyring::Status Answer(keyring::Call& call) {
    testsupport::PumpUntil([&call] { return call.Finished(); }, keyring::kKeyringTimeoutMs + 5000);
    return call.Finished() ? call.Result() : keyring::Status::NoAnswer;
  }
  static keyring::Status RemoveFromKeyring(const std::string& entry = app::settings::kKeyringEntry) {
    return Answer(*keyring::StartRemove(entry));
  }
  // The password edit shows text, once the keyring has answered.
  ::testing::AssertionResult PasswordShown(const std::string& text) {
    if (testsupport::PumpUntil([&] { return Current().PasswordEdit->Text() == text; }))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the password edit shows \"" << Current().PasswordEdit->Text() << "\"";
  }

  std::unique_ptr<app::TForm1> next_;
};

class Keyring : public PasswordStoreTest {
 protected:
  static constexpr const char* kWorkEntry = "password bob@pop.work.example";
  static constexpr const char* kCarolEntry = "password carol@pop.work.example";

  void SetUp() override {
    if (!KeyringSession()) GTEST_SKIP() << "needs the keyring session of tests/support/desktop-session.sh";
    PasswordStoreTest::SetUp();
    RemoveFromKeyring();
  }
  void TearDown() override {
    next_.reset();
    if (KeyringSession()) {
      for (const char* entry : {app::settings::kKeyringEntry, kWorkEntry, kCarolEntry}) RemoveFromKeyring(entry);
    }
    PasswordStoreTest::TearDown();
  }
};

TEST_F(Keyring, SaveReadBackChangeAndRemove) {
  app::StartMainWindow(Form());
  Form().CheckBox1->SetChecked(true);
  access::TypeText(*Form().PasswordEdit, "s3cr&t pass");
  CloseAndStartAgain();

  EXPECT_EQ(KeyringPassword(), "s3cr&t pass");
  EXPECT_THAT(SettingsLines(), Contains("Password="));
  EXPECT_THAT(SettingsLines(), Contains("PasswordIn=Keyring"));
  EXPECT_THAT(SettingsText(), Not(HasSubstr("s3cr&t"))) << "no plain password in the file";
  EXPECT_THAT(SettingsText(), Not(HasSubstr(app::ScramblePassword("s3cr&t pass")))) << "nor a scrambled one";
  EXPECT_TRUE(PasswordShown("s3cr&t pass")) << "read back from the keyring at start-up";
  EXPECT_TRUE(Current().CheckBox1->Checked());

  Current().PasswordEdit->SetText("changed");
  CloseAndStartAgain();
  EXPECT_EQ(KeyringPassword(), "changed");
  EXPECT_TRUE(PasswordShown("changed"));

  Current().CheckBox1->SetChecked(false);
  CloseAndStartAgain();
  EXPECT_EQ(KeyringPassword(), NotFound()) << "unticking Save removes it from the keyring";
  EXPECT_THAT(SettingsLines(), Contains("Password="));
  EXPECT_THAT(SettingsLines(), Contains("PasswordIn="));
  EXPECT_EQ(Current().PasswordEdit->Text(), "");
  EXPECT_FALSE(Current().CheckBox1->Checked());
  EXPECT_TRUE(Boxes().empty());
}

// Each mailbox has its own entry: the first the entry of old, the second
// one named by its user and server; removing the second removes only its.
TEST_F(Keyring, EachMailboxHasItsOwnEntry) {
  app::StartMainWindow(Form());
  Form().CheckBox1->SetChecked(true);
  EnterAccount("pop.home.example", "ann", "home pass");
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "Add mailbox..."));
  EnterAccount("pop.work.example", "bob", "work pass");
  Form().CheckBox1->SetChecked(true);
  CloseAndStartAgain();

  EXPECT_EQ(KeyringPassword(), "home pass");
  EXPECT_EQ(KeyringPassword(kWorkEntry), "work pass");
  EXPECT_THAT(SettingsText(), HasSubstr("[EMAIL2]\r\nServer=pop.work.example\r\nUserID=bob\r\nPassword=\r\n"
                                        "PasswordIn=Keyring\r\n"));
  EXPECT_TRUE(PasswordShown("work pass")) << "the second mailbox is chosen again, its password read back";
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Current().Window, "&1 ann@pop.home.example"));
  EXPECT_TRUE(PasswordShown("home pass"));

  // A new user name names a new entry; the old one goes.
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Current().Window, "&2 bob@pop.work.example"));
  access::TypeText(*Current().UserEdit, "carol");
  CloseAndStartAgain();
  EXPECT_EQ(KeyringPassword(kWorkEntry), NotFound());
  EXPECT_EQ(KeyringPassword(kCarolEntry), "work pass");
  EXPECT_TRUE(PasswordShown("work pass"));

  // The first removed: the second becomes the first, under the first's
  // entry, and leaves no entry of its own behind.
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Current().Window, "&1 ann@pop.home.example"));
  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::Yes);
  ASSERT_TRUE(access::ChooseSystemMenuItem(*Current().Window, "Remove this mailbox..."));
  CloseAndStartAgain();
  EXPECT_EQ(KeyringPassword(), "work pass");
  EXPECT_EQ(KeyringPassword(kCarolEntry), NotFound());
  EXPECT_THAT(SettingsText(), HasSubstr("[EMAIL]\r\nServer=pop.work.example\r\nUserID=carol\r\n"));
  EXPECT_THAT(SettingsText(), Not(HasSubstr("[EMAIL2]")));
  EXPECT_TRUE(PasswordShown("work pass"));
}

TEST_F(Keyring, OldSettingsFileMigratesAtTheNextSave) {
  WriteSettingsText("[EMAIL]\r\nServer=mail\r\nUserID=ann\r\nPassword=" + app::ScramblePassword("oldpass") + "\r\n");
  app::StartMainWindow(Form());
  EXPECT_EQ(Form().PasswordEdit->Text(), "oldpass") << "the old file still reads";
  EXPECT_TRUE(Form().CheckBox1->Checked());

  CloseAndStartAgain();
  EXPECT_EQ(KeyringPassword(), "oldpass");
  EXPECT_THAT(SettingsText(), Not(HasSubstr(app::ScramblePassword("oldpass"))));
  EXPECT_THAT(SettingsText(), HasSubstr("[EMAIL]\r\nServer=mail\r\nUserID=ann\r\nPassword=\r\nPasswordIn=Keyring\r\n"));
  EXPECT_TRUE(PasswordShown("oldpass"));
}

// The keyring answers while the window is in use: a password the user
// typed meanwhile stays, and "Save" stays as the user left it.
TEST_F(Keyring, APasswordTypedBeforeTheKeyringAnswersStays) {
  ASSERT_EQ(Answer(*keyring::StartStore(app::settings::kKeyringEntry, "saved")), keyring::Status::Done);
  WriteSettingsText("[EMAIL]\r\nPassword=\r\nPasswordIn=Keyring\r\n");
  app::StartMainWindow(Form());
  access::TypeText(*Form().PasswordEdit, "mine");
  // The keyring serves its calls one at a time: once this read is
  // answered, the window's own has been too.
  ASSERT_EQ(KeyringPassword(), "saved");
  EXPECT_EQ(Form().PasswordEdit->Text(), "mine");
  EXPECT_FALSE(Form().CheckBox1->Checked());
}

TEST_F(Keyring, EveryPasswordByteSurvivesTheKeyring) {
  std::string password;
  for (int b = 1; b <= 0xFF; ++b) password.push_back(static_cast<char>(b));
  ASSERT_EQ(Answer(*keyring::StartStore(app::settings::kKeyringEntry, password)), keyring::Status::Done);
  EXPECT_EQ(KeyringPassword(), password);
}

class NoKeyring : public PasswordStoreTest {
 protected:
  void SetUp() override {
    if (std::getenv("POP3CHECK_TEST_DESKTOP_SESSION") != nullptr) GTEST_SKIP() << "a keyring may answer here";
    PasswordStoreTest::SetUp();
  }
};

TEST_F(NoKeyring, PasswordStaysScrambledInTheSettingsFile) {
  app::StartMainWindow(Form());
  Form().CheckBox1->SetChecked(true);
  access::TypeText(*Form().PasswordEdit, "secret");
  CloseAndStartAgain();
  EXPECT_THAT(SettingsLines(), Contains("Password=" + app::ScramblePassword("secret")));
  EXPECT_THAT(SettingsText(), Not(HasSubstr("PasswordIn"))) << "the file stays as it always was";
  EXPECT_EQ(Current().PasswordEdit->Text(), "secret");
  EXPECT_TRUE(Boxes().empty()) << "said on the terminal, not in a box that would hold up closing";
}

// The keyring that holds the password is away for one run: a run that
// leaves the password alone must not lose it; a newly typed one is kept in
// the file instead.
TEST_F(NoKeyring, AnAbsentKeyringDoesNotLoseItsPassword) {
  WriteSettingsText("[EMAIL]\r\nPassword=\r\nPasswordIn=Keyring\r\n");
  app::StartMainWindow(Form());
  EXPECT_EQ(Form().PasswordEdit->Text(), "");
  CloseAndStartAgain();
  EXPECT_THAT(SettingsLines(), Contains("PasswordIn=Keyring"));

  Current().CheckBox1->SetChecked(true);
  access::TypeText(*Current().PasswordEdit, "typed");
  CloseAndStartAgain();
  EXPECT_THAT(SettingsLines(), Contains("Password=" + app::ScramblePassword("typed")));
  EXPECT_THAT(SettingsLines(), Contains("PasswordIn="));
  EXPECT_EQ(Current().PasswordEdit->Text(), "typed");
}

}  // namespace

}  // namespace apptest
