#include "tests/app/FormTest.h"

#include "platform/gui/Cursor.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/TestMessages.h"

namespace apptest {

namespace access = platform::test_access;

void FormTest::SetUp() {
  home_.emplace();
  platform::dialog_script::Reset();
  clock_ = testsupport::ManualClock();
  form_ = std::make_unique<app::TForm1>(clock_);
  access::ShowWindow(*form_->Window);
}

void FormTest::TearDown() {
  form_.reset();
  platform::dialog_script::Reset();
  platform::SetScreenCursor(platform::CursorShape::Default);
  home_.reset();
}

void FormTest::EnterAccount(const std::string& server, const std::string& user, const std::string& password) {
  access::TypeText(*form_->IPedit, server);
  access::TypeText(*form_->UserEdit, user);
  access::TypeText(*form_->PasswordEdit, password);
}

void FormTest::ClickCheck() { access::Click(*form_->CheckButton); }

std::vector<ShownBox> FormTest::Boxes() { return platform::dialog_script::Shown(); }

std::vector<std::string> FormTest::BoxTexts(BoxKind kind) {
  std::vector<std::string> texts;
  for (const ShownBox& box : Boxes())
    if (box.Kind == kind) texts.push_back(box.Text);
  return texts;
}

std::vector<std::string> FormTest::Column(int col) {
  std::vector<std::string> texts;
  for (int row = 0; row < form_->StringGrid1->RowCount(); ++row) texts.push_back(form_->StringGrid1->Cell(col, row));
  return texts;
}

::testing::AssertionResult FormTest::WindowRestored(bool noteShown) {
  app::TForm1& f = *form_;
  platform::Control* group[] = {f.IPedit.get(),   f.UserEdit.get(),    f.PasswordEdit.get(), f.CheckBox1.get(),
                                f.CheckBox2.get(), f.CheckBox3.get(),  f.CheckBox4.get(),    f.CheckBox5.get(),
                                f.Label1.get(),   f.Label2.get(),      f.Label3.get(),       f.Label4.get(),
                                f.StringGrid1.get(), f.CheckButton.get(), f.DeleteButton.get(), f.ExitButton.get()};
  int disabled = 0;
  for (platform::Control* control : group)
    if (!control->Enabled()) ++disabled;
  if (disabled > 0) return ::testing::AssertionFailure() << disabled << " controls of the group still disabled";
  if (f.Label5->Visible() && !noteShown)
    return ::testing::AssertionFailure() << "status label still shows " << f.Label5->Text();
  if (!f.Label5->Visible() && noteShown) return ::testing::AssertionFailure() << "no note on the status line";
  if (platform::ScreenCursor() != platform::CursorShape::Default)
    return ::testing::AssertionFailure() << "hourglass cursor still shown";
  if (!f.Timer1->Enabled()) return ::testing::AssertionFailure() << "auto-check timer still stopped";
  return ::testing::AssertionSuccess();
}

void DovecotFormTest::SetUp() {
  FormTest::SetUp();
  server_ = testsupport::Pop3TestServer::FromEnvironment();
  if (!server_) GTEST_SKIP() << testsupport::Pop3TestServer::kDirVariable << " is not set; no Dovecot test server";
  mailbox_.emplace(*server_);
  mailbox_->Reset();
}

void DovecotFormTest::TearDown() {
  mailbox_.reset();
  FormTest::TearDown();
}

std::string DovecotFormTest::ServerText() const {
  return server_->Address() + ":" + std::to_string(server_->Port());
}

void DovecotFormTest::EnterMailboxAccount() { EnterAccount(ServerText(), mailbox_->User(), mailbox_->Password()); }

void DovecotFormTest::AddSecondMailbox(const testsupport::Mailbox& other, const std::string& password) {
  ASSERT_TRUE(platform::test_access::ChooseSystemMenuItem(*Form().Window, "Add mailbox..."));
  EnterAccount(ServerText(), other.User(), password);
  ASSERT_TRUE(platform::test_access::ChooseSystemMenuItem(
      *Form().Window, "&1 " + Mail().User() + "@" + server_->Address()));
}

std::string DovecotFormTest::Message(const std::vector<std::string>& headerLines) {
  return testsupport::MessageWithHeader(headerLines);
}

std::int64_t DovecotFormTest::AddNumberedMessage(int n) { return testsupport::AddNumberedMessage(*mailbox_, n); }

}  // namespace apptest
