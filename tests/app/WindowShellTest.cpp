#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/gui/Application.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/Wait.h"
#include "platform/core/UnhandledError.h"
#include "tests/app/FormTest.h"

#include <cstdlib>
#include <utility>

#include "app/ListView.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;

using WindowShell = FormTest;

void ExpectDesignBounds(const platform::Control& control, int left, int top, int width, int height) {
  platform::Rect bounds = control.DesignBounds();
  EXPECT_EQ(bounds.Left, left);
  EXPECT_EQ(bounds.Top, top);
  EXPECT_EQ(bounds.Width, width);
  EXPECT_EQ(bounds.Height, height);
}

TEST_F(WindowShell, CaptionsHintsAndStartState) {
  app::TForm1& f = Form();
  EXPECT_EQ(f.Window->Caption(), "Vorra`s POP3 Check / Delete Utility Ver 1.2");
  EXPECT_EQ(platform::Application::Title(), "Vorra`s POP3 Checker");
  EXPECT_EQ(access::ShownText(*f.IPlabel), "Server IP:");
  EXPECT_EQ(access::ShownText(*f.Label7), "Auto-Check");
  EXPECT_EQ(access::ShownText(*f.Label3), "Date:");
  EXPECT_EQ(access::ShownText(*f.CheckButton), "Check Mail Headers");
  EXPECT_EQ(access::ShownText(*f.DeleteButton), "Delete Selected Mail");
  EXPECT_EQ(f.IPedit->Hint(), "pop.example.com -or- nnn.nnn.nnn.nnn etc.");
  EXPECT_EQ(f.CheckBox2->Hint(), "Auto-Check Every 5 Minutes");
  EXPECT_EQ(f.CheckBox5->Hint(), "Analyse From: Subject: Date:");
  EXPECT_EQ(f.Label3->Hint(), "Click To Clear Grid");
  EXPECT_EQ(f.CheckButton->Hint(), "");
  EXPECT_TRUE(f.CheckBox5->Checked());
  EXPECT_FALSE(f.CheckBox2->Checked());
  EXPECT_TRUE(access::ShowsPasswordEcho(*f.PasswordEdit));
  EXPECT_FALSE(f.Label5->Visible());
  EXPECT_EQ(f.Label5->TextColor(), platform::kColorMagenta);
  for (platform::Control* hidden : {static_cast<platform::Control*>(f.Edit1.get()), static_cast<platform::Control*>(f.Edit2.get()),
                                    static_cast<platform::Control*>(f.Edit3.get()), static_cast<platform::Control*>(f.Memo1.get())})
    EXPECT_FALSE(hidden->Visible());
  EXPECT_TRUE(f.StringGrid1->Visible());
  EXPECT_EQ(f.Timer1->Interval(), app::kDesignTimerIntervalMs);
  EXPECT_TRUE(f.Timer1->Enabled());
  EXPECT_EQ(f.TrayIcon1->Hint(), "POP3 Check / Delete");
  EXPECT_THAT(access::TrayMenuCaptions(*f.TrayIcon1), ElementsAre("Restore"));
  EXPECT_TRUE(f.TrayIcon1->Shown());
}

TEST_F(WindowShell, LayoutAndTabOrder) {
  app::TForm1& f = Form();
  ExpectDesignBounds(*f.Panel1, 8, 6, 616, 57);
  ExpectDesignBounds(*f.IPedit, 13, 23, 100, 21);
  ExpectDesignBounds(*f.CheckBox3, 529, 25, 15, 17);
  ExpectDesignBounds(*f.StringGrid1, 8, 96, 615, 305);
  ExpectDesignBounds(*f.Memo1, 8, 96, 615, 305);
  ExpectDesignBounds(*f.ExitButton, 444, 416, 180, 25);
  platform::Rect grid = f.StringGrid1->Bounds();
  EXPECT_EQ(grid.Width, 615);
  EXPECT_EQ(f.StringGrid1->ColCount(), 6);
  std::vector<int> widths;
  for (int col = 0; col < 6; ++col) widths.push_back(f.StringGrid1->ColumnWidth(col));
  EXPECT_THAT(widths, ElementsAre(17, 209, 228, 100, 65, 133));
  EXPECT_EQ(f.StringGrid1->RowHeight(), 21);
  EXPECT_FALSE(access::HasHorizontalScrollBar(*f.StringGrid1));
  EXPECT_TRUE(access::HasVerticalScrollBar(*f.StringGrid1));
  EXPECT_TRUE(access::HasHorizontalScrollBar(*f.Memo1));
  EXPECT_TRUE(access::IsReadOnly(*f.Memo1));

  // The tab order reads the window as laid out: the panel left to right,
  // then the captions over the list with the rule edit each one shows, the
  // viewer or the list, the buttons. A caption that acts on a click is
  // reached too, just before what it acts on.
  std::vector<platform::Control*> chain = {
      f.IPlabel.get(),  f.IPedit.get(),    f.UserEdit.get(),  f.PasswordEdit.get(), f.CheckBox1.get(),
      f.Label7.get(),   f.CheckBox2.get(), f.CheckBox4.get(), f.CheckBox3.get(),    f.Label8.get(),
      f.CheckBox5.get(), f.Label1.get(),   f.Edit1.get(),     f.Label2.get(),       f.Edit2.get(),
      f.Label3.get(),   f.Label4.get(),    f.Edit3.get(),     f.Memo1.get(),        f.StringGrid1.get(),
      f.CheckButton.get(), f.DeleteButton.get(), f.ExitButton.get()};
  for (size_t i = 1; i < chain.size(); ++i) EXPECT_TRUE(access::IsNextInTabChain(*chain[i - 1], *chain[i])) << i;
}

// The tray session must give the tests a notification area, or the tests
// that need one would all skip there unnoticed.
TEST_F(WindowShell, TraySessionHasANotificationArea) {
  if (std::getenv("POP3CHECK_TEST_TRAY_SESSION") == nullptr) GTEST_SKIP() << kNeedsTray;
  EXPECT_TRUE(DesktopHasTray());
}

TEST_F(WindowShell, MinimiseGoesToTrayAndRestoreBringsWindowBack) {
  if (!DesktopHasTray()) GTEST_SKIP() << kNeedsTray;
  access::Minimize(*Form().Window);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().InTray; }));
  EXPECT_FALSE(platform::Application::TaskBarEntryShown());
  EXPECT_TRUE(Form().TrayIcon1->Shown());

  access::ClickTray(*Form().TrayIcon1);
  access::DoubleClickTray(*Form().TrayIcon1);
  EXPECT_FALSE(platform::Application::TaskBarEntryShown());
  EXPECT_TRUE(Form().InTray);

  ASSERT_TRUE(access::ChooseTrayMenuItem(*Form().TrayIcon1, "Restore"));
  EXPECT_TRUE(platform::Application::TaskBarEntryShown());
  EXPECT_FALSE(Form().Window->Minimized());
  EXPECT_FALSE(Form().InTray);
}

TEST_F(WindowShell, MinimiseWithoutNotificationAreaKeepsTaskBarEntry) {
  if (DesktopHasTray()) GTEST_SKIP() << kNeedsNoTray;
  access::Minimize(*Form().Window);
  ASSERT_TRUE(testsupport::PumpUntil([&] { return Form().InTray; }));
  EXPECT_TRUE(platform::Application::TaskBarEntryShown());
}

TEST_F(WindowShell, TrayAnimationAlternatesUntilRestore) {
  platform::TrayIcon& tray = *Form().TrayIcon1;
  ASSERT_EQ(tray.ImageIndex(), -1);
  Form().StartTrayAnimation();
  EXPECT_TRUE(tray.Animating());
  int first = tray.ImageIndex();
  ASSERT_GE(first, 0);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return tray.ImageIndex() != first; }));
  EXPECT_TRUE(testsupport::PumpUntil([&] { return tray.ImageIndex() == first; }));

  ASSERT_TRUE(access::ChooseTrayMenuItem(tray, "Restore"));
  EXPECT_FALSE(tray.Animating());
  EXPECT_EQ(tray.ImageIndex(), -1);
}

TEST_F(WindowShell, AboutCommandShowsTitleAndVersion) {
  EXPECT_THAT(access::SystemMenuCaptions(*Form().Window),
              ElementsAre("", "&1 New mailbox", "Add mailbox...", "Remove this mailbox...", "Auto", "TLS",
                          "STARTTLS", "None", "&About..."));
  access::TypeText(*Form().IPedit, "pop.example.org");
  access::TypeText(*Form().UserEdit, "ann");
  EXPECT_EQ(access::SystemMenuCaptions(*Form().Window)[1], "&1 ann@pop.example.org") << "the menu follows the edits";

  ASSERT_TRUE(access::ChooseSystemMenuItem(*Form().Window, "&About..."));

  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Kind, BoxKind::Information);
  EXPECT_EQ(Boxes()[0].Caption, app::kApplicationTitle);
  EXPECT_EQ(Boxes()[0].Text, "Vorra`s POP3 Check / Delete Utility Ver 1.2");
  EXPECT_EQ(Form().IPedit->Text(), "pop.example.org");
  Form().SystemCommand(9998);
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(WindowShell, ResizingScalesControlsWithTheWindow) {
  app::TForm1& f = Form();
  platform::Rect grid = f.StringGrid1->Bounds();
  platform::Rect exit = f.ExitButton->Bounds();
  platform::Rect date = f.Label3->Bounds();
  double font = f.CheckButton->ShownPointSize();

  access::Resize(*f.Window, 2 * 631, 452);

  EXPECT_EQ(f.StringGrid1->Bounds().Width, 2 * grid.Width);
  EXPECT_EQ(f.StringGrid1->Bounds().Height, grid.Height);
  EXPECT_EQ(f.StringGrid1->ColumnWidth(1), 2 * 209);
  EXPECT_EQ(f.ExitButton->Bounds().Left, 2 * exit.Left);
  EXPECT_EQ(f.ExitButton->Bounds().Width, 2 * exit.Width);
  EXPECT_EQ(f.Label3->Bounds().Left, 2 * date.Left);
  EXPECT_EQ(f.IPedit->Bounds().Width, 2 * 100);
  EXPECT_DOUBLE_EQ(f.CheckButton->ShownPointSize(), font);

  access::Resize(*f.Window, 2 * 631, 2 * 452);
  EXPECT_DOUBLE_EQ(f.CheckButton->ShownPointSize(), 2 * font);
  EXPECT_EQ(f.StringGrid1->RowHeight(), 2 * 21);
}

// The tick boxes, in the list and above it, are drawn whole at the design
// size, in the smallest window and in a large one, ticked or not.
TEST_F(WindowShell, TickBoxesAreDrawnWholeAtEverySize) {
  app::TForm1& f = Form();
  f.StringGrid1->AddCheckBox(app::kTickColumn, 0, true);
  access::ShowWindow(*f.Window);
  for (auto [width, height] : {std::pair{631, 452}, std::pair{400, 300}, std::pair{1262, 904}}) {
    access::Resize(*f.Window, width, height);
    for (platform::CheckBox* box : {f.CheckBox1.get(), f.CheckBox2.get(), f.CheckBox3.get(), f.CheckBox4.get(),
                                    f.CheckBox5.get()})
      EXPECT_TRUE(access::TickBoxDrawnWhole(*box)) << box->Hint() << " at " << width << "x" << height;
    EXPECT_TRUE(access::TickBoxDrawnWhole(*f.StringGrid1, 0, app::kTickColumn)) << "the list at " << width << "x"
                                                                              << height;
  }
}

TEST_F(WindowShell, KeyPreviewSeesKeysOfEveryControl) {
  access::KeyPress(*Form().IPedit, 'a');
  EXPECT_TRUE(Form().StopRequested);
  EXPECT_EQ(Form().IPedit->Text(), "a") << "the edit still receives the key";

  Form().StopRequested = false;
  access::KeyPress(*Form().StringGrid1, 27);
  EXPECT_TRUE(Form().StopRequested);

  Form().StopRequested = false;
  Form().SetControlsEnabled(false);
  access::KeyPress(*Form().Window, '\r');
  EXPECT_TRUE(Form().StopRequested) << "keys reach the window while its controls are disabled";
}

TEST_F(WindowShell, HandlerErrorsGoToTheErrorBox) {
  platform::RunGuarded([] { throw platform::Exception("Cannot create /nowhere/pop3"); });
  platform::RunGuarded([] { throw platform::Exception("-ERR refused\r\n"); });
  platform::RunGuarded([] { throw platform::Exception("Stopped."); });

  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[0].Kind, BoxKind::Error);
  EXPECT_EQ(Boxes()[0].Caption, app::kApplicationTitle);
  EXPECT_EQ(Boxes()[0].Text, "Cannot create /nowhere/pop3.");
  EXPECT_EQ(Boxes()[1].Text, "-ERR refused\r\n");
  EXPECT_EQ(Boxes()[2].Text, "Stopped.");
}

}  // namespace

}  // namespace apptest
