#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/KeyboardAccess.h"
#include "tests/app/FormTest.h"
#include "tests/support/Wait.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using access::NavKey;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A user without a mouse: every key goes where the focus is, and the test
// only moves the focus with Tab and Shift+Tab, as that user does.
class KeyboardOnly : public DovecotFormTest {
 protected:
  void SetUp() override {
    DovecotFormTest::SetUp();
    if (IsSkipped()) return;
    for (int n = 1; n <= 3; ++n) AddNumberedMessage(n);
    access::ActivateWindow(*Form().Window);
  }

  void TypeAccount() {
    app::TForm1& f = Form();
    ASSERT_TRUE(f.IPedit->Focused());
    access::TypeAtFocus(ServerText());
    access::PressKey(NavKey::Tab);
    ASSERT_TRUE(f.UserEdit->Focused());
    access::TypeAtFocus(Mail().User());
    access::PressKey(NavKey::Tab);
    ASSERT_TRUE(f.PasswordEdit->Focused());
    access::TypeAtFocus(Mail().Password());
  }

  // From anywhere: Tab to the button, Space, and wait for the list.
  void CheckByKeys(size_t rows) {
    ASSERT_TRUE(access::PressUntilFocused(NavKey::Tab, *Form().CheckButton));
    access::PressKey(NavKey::Space);
    ASSERT_TRUE(testsupport::PumpUntil([&] { return Column(5).size() == rows && Form().CheckButton->Enabled(); }));
  }

  // From the check button: Shift+Tab into the list, Up to its top row.
  void FocusListTop() {
    ASSERT_TRUE(Form().CheckButton->Focused());
    access::PressKey(NavKey::BackTab);
    ASSERT_TRUE(Form().StringGrid1->Focused());
    for (int press = 0; press < 3; ++press) access::PressKey(NavKey::Up);
  }
};

TEST_F(KeyboardOnly, ChecksTicksDeletesAndViewsWithKeysAlone) {
  app::TForm1& f = Form();
  TypeAccount();
  // Analyse off, so that the headers come one by one with the menu keys.
  ASSERT_TRUE(access::PressUntilFocused(NavKey::Tab, *f.CheckBox5));
  access::PressKey(NavKey::Space);
  ASSERT_FALSE(f.CheckBox5->Checked());
  CheckByKeys(3);
  EXPECT_THAT(Column(5), ElementsAre("3", "2", "1"));
  EXPECT_THAT(Column(1), ElementsAre("", "", ""));

  FocusListTop();
  // Each asks "Analyse This Item ?" first (a toolkit box, which the
  // keyboard answers anyway: the dialog seam answers it here).
  access::PressKey(NavKey::Down);
  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::Yes);
  access::PressKey(NavKey::Menu);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Column(1)[1] == "Sender 2"; }));
  access::PressKey(NavKey::Up);
  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::Yes);
  access::PressKey(NavKey::ShiftF10);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Column(1)[0] == "Sender 3"; }));
  EXPECT_EQ(Column(1)[2], "");

  access::PressKey(NavKey::Down);
  access::PressKey(NavKey::Space);
  EXPECT_FALSE(RowTicked(*f.StringGrid1, 0));
  EXPECT_TRUE(RowTicked(*f.StringGrid1, 1));
  ASSERT_TRUE(access::PressUntilFocused(NavKey::Tab, *f.DeleteButton));
  access::PressKey(NavKey::Space);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Mail().Count() == 2 && f.CheckButton->Enabled(); }));

  CheckByKeys(2);
  EXPECT_THAT(Column(5), ElementsAre("2", "1"));
  FocusListTop();
  // Enter opens the row's header, Enter in it the whole message; Esc
  // closes the viewer and gives the keyboard back to the list.
  access::PressKey(NavKey::Enter);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return f.Memo1->Visible() && f.ViewerFetch; }));
  EXPECT_EQ(f.Label5->Text(), "Header - ESC to close");
  EXPECT_THAT(f.Memo1->Text(), HasSubstr("Subject: Subject 3"));
  ASSERT_TRUE(f.Memo1->Focused());
  access::PressKey(NavKey::Enter);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return f.Label5->Text() == "Body - ESC to close"; }));
  access::PressKey(NavKey::Escape);
  EXPECT_FALSE(f.Memo1->Visible());
  EXPECT_TRUE(f.StringGrid1->Visible());
  EXPECT_TRUE(f.StringGrid1->Focused());
  EXPECT_EQ(Mail().Count(), 2);
}

// Outside the list the menu keys open the window's own menu, the one a
// right click outside the controls opens.
TEST_F(KeyboardOnly, MenuKeysOpenTheWindowMenuOnAButton) {
  ASSERT_TRUE(access::PressUntilFocused(NavKey::Tab, *Form().ExitButton));
  EXPECT_THAT(access::MenuOpenedBy([] { access::PressKey(NavKey::ShiftF10); }), Contains("About..."));
  EXPECT_THAT(access::MenuOpenedBy([] { access::PressKey(NavKey::Menu); }), Contains("About..."));
  EXPECT_TRUE(Form().ExitButton->Focused());
}

// Every caption that acts on a click is reached by Tab and clicked by the
// space bar: the Analyse caption ticks every row.
TEST_F(KeyboardOnly, SpaceOnTheAnalyseCaptionTicksEveryRow) {
  TypeAccount();
  CheckByKeys(3);
  ASSERT_TRUE(access::PressUntilFocused(NavKey::Tab, *Form().Label8));
  access::PressKey(NavKey::Space);
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(RowTicked(*Form().StringGrid1, row)) << row;
}

}  // namespace

}  // namespace apptest
