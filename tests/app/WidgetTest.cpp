#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/gui/Application.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dialogs.h"
#include "platform/core/Exception.h"
#include "platform/gui/MainWindow.h"
#include "platform/gui/MessageGrid.h"
#include "platform/gui/TextArea.h"
#include "platform/gui/TrayIcon.h"
#include "platform/testing/TestAccess.h"
#include "tests/support/Wait.h"
#include "platform/core/UnhandledError.h"
#include "platform/core/WindowTimer.h"

namespace {

namespace access = platform::test_access;
namespace script = platform::dialog_script;
using ::testing::ElementsAre;

// A bare window with one grid of three columns, shown offscreen.
class Widgets : public ::testing::Test {
 protected:
  void SetUp() override {
    script::Reset();
    grid_.SetBounds(0, 0, 300, 200);
    label_.SetBounds(10, 210, 0, 0);
    edit_.SetBounds(10, 230, 100, 21);
    access::ShowWindow(window_);
  }
  void TearDown() override { script::Reset(); }

  platform::MainWindow window_{320, 260};
  platform::MessageGrid grid_{window_, {20, 100, 100}, 21};
  platform::Label label_{window_, "caption"};
  platform::Edit edit_{window_};
};

TEST_F(Widgets, GridRowsInsertAndRemoveButNeverVanish) {
  EXPECT_EQ(grid_.RowCount(), 1);
  grid_.InsertRows(0, 2);
  grid_.SetCell(1, 2, "bottom");
  grid_.InsertRows(3, 1);
  EXPECT_EQ(grid_.RowCount(), 4);
  EXPECT_EQ(grid_.Cell(1, 2), "bottom");

  grid_.RemoveRows(0, 2);
  EXPECT_EQ(grid_.RowCount(), 2);
  EXPECT_EQ(grid_.Cell(1, 0), "bottom");
  grid_.RemoveRows(0, 10);
  EXPECT_EQ(grid_.RowCount(), 1);
  EXPECT_EQ(grid_.Cell(1, 0), "");
}

TEST_F(Widgets, GridOutsideReadsEmptyAndIgnoresWrites) {
  grid_.SetCell(1, 5, "lost");
  grid_.AddCheckBox(0, 5);
  EXPECT_EQ(grid_.RowCount(), 1);
  EXPECT_EQ(grid_.Cell(1, 1), "");
  EXPECT_EQ(grid_.Cell(7, 0), "");
  EXPECT_FALSE(grid_.HasCheckBox(0, 1));
  EXPECT_FALSE(grid_.CheckBoxState(0, -1));
}

TEST_F(Widgets, GridTickBoxesAddReadSetRemove) {
  grid_.AddCheckBox(0, 0);
  EXPECT_TRUE(grid_.HasCheckBox(0, 0));
  EXPECT_FALSE(grid_.CheckBoxState(0, 0));
  grid_.SetCheckBoxState(0, 0, true);
  EXPECT_TRUE(grid_.CheckBoxState(0, 0));
  grid_.RemoveCheckBox(0, 0);
  EXPECT_FALSE(grid_.HasCheckBox(0, 0));
  EXPECT_FALSE(grid_.CheckBoxState(0, 0));
  grid_.SetCheckBoxState(0, 0, true);
  EXPECT_FALSE(grid_.HasCheckBox(0, 0)) << "setting a state adds no tick box";
}

TEST_F(Widgets, UserTogglesTickBoxByClickOrSpaceOnly) {
  grid_.InsertRows(0, 1);
  grid_.AddCheckBox(0, 0);
  grid_.SetCell(1, 0, "text");
  std::vector<std::string> toggles;
  grid_.OnCheckBoxClick = [&](int col, int row, bool checked) {
    toggles.push_back(std::to_string(col) + "," + std::to_string(row) + (checked ? " on" : " off"));
  };

  access::ClickCell(grid_, 0, 0);
  EXPECT_TRUE(grid_.CheckBoxState(0, 0));
  access::SelectCell(grid_, 0, 0);
  access::KeyPress(grid_, ' ');
  EXPECT_FALSE(grid_.CheckBoxState(0, 0));
  access::ClickCell(grid_, 0, 1);
  access::ClickCell(grid_, 1, 0);
  access::SelectCell(grid_, 0, 1);
  access::KeyPress(grid_, 'x');
  grid_.SetCheckBoxState(0, 0, true);

  EXPECT_THAT(toggles, ElementsAre("0,0 on", "0,0 off"));
  EXPECT_EQ(grid_.Cell(1, 0), "text");
  EXPECT_FALSE(grid_.HasCheckBox(0, 1));
}

TEST_F(Widgets, CanEditQueryMayRefuseToggle) {
  grid_.AddCheckBox(0, 0);
  int asked = 0;
  grid_.OnCanEditCell = [&](int row, int col, bool& canEdit) {
    ++asked;
    EXPECT_EQ(row, 0);
    EXPECT_EQ(col, 0);
    canEdit = false;
  };
  access::ClickCell(grid_, 0, 0);
  EXPECT_GT(asked, 0);
  EXPECT_FALSE(grid_.CheckBoxState(0, 0));
}

TEST_F(Widgets, GridReportsDoubleAndRightClicksWithRowAndColumn) {
  grid_.InsertRows(0, 2);
  std::vector<std::string> events;
  grid_.OnDblClickCell = [&](int row, int col) { events.push_back("dbl " + std::to_string(row) + "," + std::to_string(col)); };
  grid_.OnRightClickCell = [&](int row, int col) {
    events.push_back("right " + std::to_string(row) + "," + std::to_string(col));
  };
  access::DoubleClickCell(grid_, 2, 1);
  access::RightClickCell(grid_, 1, 2);
  EXPECT_THAT(events, ElementsAre("dbl 2,1", "right 1,2"));
}

TEST_F(Widgets, GridKeyPressMaySwallowKey) {
  grid_.AddCheckBox(0, 0);
  access::SelectCell(grid_, 0, 0);
  std::string keys;
  grid_.OnKeyPress = [&](char& key) {
    keys += key;
    key = 0;
  };
  access::KeyPress(grid_, ' ');
  access::KeyPress(grid_, 27);
  EXPECT_EQ(keys, std::string(" \x1b"));
  EXPECT_FALSE(grid_.CheckBoxState(0, 0)) << "a swallowed space toggles nothing";
}

TEST_F(Widgets, WireTextShownAsUtf8OrLatin1AndReadBackUnchanged) {
  grid_.SetCell(1, 0, "caf\xE9");
  EXPECT_EQ(grid_.Cell(1, 0), "caf\xE9");
  label_.SetText("caf\xE9");
  EXPECT_EQ(access::ShownText(label_), "caf\xC3\xA9");
  EXPECT_EQ(label_.Text(), "caf\xE9");
  label_.SetText("caf\xC3\xA9");
  EXPECT_EQ(access::ShownText(label_), "caf\xC3\xA9");

  access::TypeText(edit_, "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(edit_.Text(), "\xC3\xA9t\xC3\xA9");

  // Bytes set into an edit come back as they were until the user edits
  // them, whatever the screen made of them.
  for (const std::string& bytes : {std::string("caf\xE9"), std::string("a\0b", 3), std::string("\xFF\xC3")}) {
    edit_.SetText(bytes);
    EXPECT_EQ(edit_.Text(), bytes);
  }
  access::TypeText(edit_, "caf\xC3\xA9");
  EXPECT_EQ(edit_.Text(), "caf\xC3\xA9") << "typed text is UTF-8";
}

TEST_F(Widgets, EditHoldsNoLineBreakHoweverTheTextArrives) {
  access::PasteText(edit_, "mail.example.org\n");
  EXPECT_EQ(edit_.Text(), "mail.example.org");
  EXPECT_EQ(access::ShownText(edit_), "mail.example.org");
  access::PasteText(edit_, "\r\nmail.\rexample\n.org\r\n");
  EXPECT_EQ(edit_.Text(), "mail.example.org");
  access::TypeText(edit_, "a\rb\nc");
  EXPECT_EQ(edit_.Text(), "abc");
  edit_.SetText("pass\r\nword\xE9\n");
  EXPECT_EQ(edit_.Text(), "password\xE9");
}

TEST_F(Widgets, LabelDoubleClickIsOneClickThenDoubleClick) {
  std::string events;
  label_.OnClick = [&] { events += "click "; };
  label_.OnDblClick = [&] { events += "double "; };
  access::DoubleClick(label_);
  access::Click(label_);
  EXPECT_EQ(events, "click double click ");
}

TEST_F(Widgets, HiddenOrDisabledControlsIgnoreTheUser) {
  int clicks = 0;
  label_.OnClick = [&] { ++clicks; };
  label_.Hide();
  access::Click(label_);
  platform::Button button(window_, "Go");
  button.SetBounds(150, 210, 60, 25);
  button.OnClick = [&] { ++clicks; };
  button.SetEnabled(false);
  access::Click(button);
  EXPECT_EQ(clicks, 0);
  button.SetEnabled(true);
  access::Click(button);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Widgets, ScriptedBoxesAnswerInOrderAndAreRecorded) {
  script::SetNextAnswer(platform::BoxAnswer::Yes);
  EXPECT_TRUE(platform::AskYesNo("Analyse This Item ?"));
  EXPECT_FALSE(platform::AskYesNo("Again ?")) << "unscripted questions are answered No";
  platform::ShowInformation("Done !");

  std::vector<std::string> texts;
  for (const auto& box : script::Shown()) texts.push_back(box.Text);
  EXPECT_THAT(texts, ElementsAre("Analyse This Item ?", "Again ?", "Done !"));
  EXPECT_EQ(script::Shown()[0].Kind, platform::BoxKind::Question);
}

TEST_F(Widgets, ScriptedSaveDialogReturnsNameOrCancels) {
  platform::SaveDialogOptions options;
  options.Filter = "Text|*.txt";
  options.DefaultExt = "txt";
  std::string name = "unchanged";
  script::SetNextSaveFileName("/tmp/out.txt");
  script::SetNextSaveCancelled();
  EXPECT_TRUE(platform::RunSaveDialog(options, name));
  EXPECT_EQ(name, "/tmp/out.txt");
  EXPECT_FALSE(platform::RunSaveDialog(options, name));
  EXPECT_FALSE(platform::RunSaveDialog(options, name));
  EXPECT_EQ(name, "/tmp/out.txt");
  ASSERT_EQ(script::SaveDialogsShown().size(), 3u);
  EXPECT_EQ(script::SaveDialogsShown()[0].Filter, "Text|*.txt");
  EXPECT_TRUE(script::SaveDialogsShown()[0].OverwritePrompt);
}

TEST_F(Widgets, WindowTimerKeepsTickingAfterHandlerError) {
  platform::SetUnhandledErrorHandler([](const std::exception& error) { platform::Application::ShowException(error); });
  platform::WindowTimer timer(5, false);
  int ticks = 0;
  timer.SetOnTimer([&] {
    ++ticks;
    throw platform::Exception("tick failed");
  });
  EXPECT_FALSE(timer.Running());
  timer.SetEnabled(true);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return ticks >= 2; }));
  EXPECT_TRUE(timer.Running());
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Running());
  platform::SetUnhandledErrorHandler(nullptr);
  ASSERT_FALSE(script::Shown().empty());
  EXPECT_EQ(script::Shown()[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(script::Shown()[0].Text, "tick failed.");
}

// A reply from the server becomes the exception's text as it came, and may
// hold NUL; the box shows all of it.
TEST_F(Widgets, ErrorBoxShowsTheWholeTextPastANul) {
  const std::string reply("\0\xff}{ garbage\x7f", 13);
  platform::Application::ShowException(platform::Exception(reply));
  platform::Application::ShowException(std::runtime_error("plain failure"));
  ASSERT_EQ(script::Shown().size(), 2u);
  EXPECT_EQ(script::Shown()[0].Kind, platform::BoxKind::Error);
  EXPECT_EQ(script::Shown()[0].Text, reply + ".");
  EXPECT_EQ(script::Shown()[1].Text, "plain failure.");
}

}  // namespace

namespace {

// Markup that a widget guessing rich text would render as "bold & tag":
// shown as written, it proves the text was taken as plain text.
const std::string kMarkup = "-ERR <b>bold</b> &amp; <i>tag</i>";

// Text from the wire, a message or the settings file reaches labels,
// hints, the tray's hint, the viewer and the boxes; none of them may take
// it for markup (a picture named in it would be loaded).
TEST_F(Widgets, OutsideTextIsShownAsWrittenNeverAsMarkup) {
  platform::TextArea viewer(window_);
  platform::TrayIcon tray;
  label_.SetText(kMarkup);
  edit_.SetHint(kMarkup);
  label_.SetHint("3");
  tray.SetHint(kMarkup);
  viewer.SetText(kMarkup);

  EXPECT_EQ(access::ShownText(label_), kMarkup);
  EXPECT_EQ(access::ShownHint(edit_), kMarkup);
  EXPECT_EQ(edit_.Hint(), kMarkup);
  EXPECT_EQ(access::ShownHint(label_), "3");
  EXPECT_EQ(access::ShownHint(tray), kMarkup);
  EXPECT_EQ(access::ShownText(viewer), kMarkup);

  std::vector<std::string> boxes = access::ShownRealBoxes([] {
    platform::ShowInformation(kMarkup);
    platform::AskYesNo(kMarkup);
    platform::Application::ShowException(platform::Exception(kMarkup + "\r\n"));
  });
  EXPECT_THAT(boxes, ElementsAre(kMarkup, kMarkup, kMarkup + "\n"));
}

// A text of megabytes is shown as a short one is: one 8-bit byte at its
// very end still has the whole text shown as Latin-1, and the next text
// replaces it whole.
TEST_F(Widgets, TextAreaShowsALargeTextWholeAndExactly) {
  platform::TextArea viewer(window_);
  std::string text;
  std::string shown;
  std::string shownAsLatin1;
  for (int line = 0; line < 60000; ++line) {
    const std::string number = std::to_string(line);
    text += number + " caf\xC3\xA9\r\n";
    shown += number + " caf\xC3\xA9\n";
    shownAsLatin1 += number + " caf\xC3\x83\xC2\xA9\n";
  }
  viewer.SetText(text + "end\rlast");
  EXPECT_EQ(viewer.Text(), text + "end\rlast");
  EXPECT_TRUE(access::ShownText(viewer) == shown + "end\nlast") << "the UTF-8 text is not shown as it is";

  viewer.SetText(text + "caf\xE9");
  EXPECT_TRUE(access::ShownText(viewer) == shownAsLatin1 + "caf\xC3\xA9") << "the text is not shown as Latin-1";

  viewer.SetText("short\r\n");
  EXPECT_EQ(access::ShownText(viewer), "short\n");
  EXPECT_EQ(viewer.Text(), "short\r\n");
}

// Where the desktop shows window titles only, the application title (and
// the alert's MAIL in it) must be part of the window's title, at once.
TEST_F(Widgets, WindowTitleFollowsTheApplicationTitle) {
  window_.SetCaption("Caption");
  platform::Application::SetTitle("Checker MAIL");
  EXPECT_EQ(window_.Caption(), "Caption");
  EXPECT_THAT(access::ShownTitle(window_), ::testing::StartsWith("Caption"));
  EXPECT_THAT(access::ShownTitle(window_), ::testing::EndsWith("Checker MAIL"));
  platform::Application::SetTitle("Checker");
  EXPECT_THAT(access::ShownTitle(window_), ::testing::EndsWith("Checker"));
  EXPECT_THAT(access::ShownTitle(window_), ::testing::Not(::testing::HasSubstr("MAIL")));
}

}  // namespace
