#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/MainWindow.h"
#include "platform/gui/TextArea.h"
#include "platform/testing/TestAccess.h"
#include "platform/testing/TextAreaAccess.h"

// The message viewer's text area as the user works it: selecting and
// copying, the keys that scroll, and what it draws.
namespace {

namespace access = platform::test_access;
using access::Ink;
using access::Key;
using access::TextSpot;
using ::testing::ElementsAre;

class TextArea : public ::testing::Test {
 protected:
  void SetUp() override {
    area_.SetBounds(0, 0, 300, 200);
    access::ShowWindow(window_);
  }

  std::string Copied() {
    access::KeyChord(area_, 'C', access::kControl);
    return access::ClipboardText();
  }

  platform::MainWindow window_{320, 220};
  platform::TextArea area_{window_};
};

// Every kind of line end is copied as it stands in the text, and a
// character of two bytes is copied whole.
TEST_F(TextArea, SelectionCopiesTheTextWithItsLineEndsAsTheyAre) {
  area_.SetText("first line\r\ncaf\xc3\xa9 second\nthird\rfourth");
  access::DragText(area_, TextSpot{0, 6}, TextSpot{2, 3});
  EXPECT_EQ(Copied(), "line\r\ncaf\xc3\xa9 second\nthi");

  access::ShiftClickText(area_, TextSpot{3, 2});
  EXPECT_EQ(Copied(), "line\r\ncaf\xc3\xa9 second\nthird\rfo");
  EXPECT_THAT(access::DrawnLines(area_), ElementsAre(Ink::Selected, Ink::Selected, Ink::Selected, Ink::Selected));

  access::DragText(area_, TextSpot{1, 3}, TextSpot{1, 5});
  EXPECT_EQ(Copied(), "\xc3\xa9");
  EXPECT_THAT(access::DrawnLines(area_), ElementsAre(Ink::Text, Ink::Selected, Ink::Text, Ink::Text));
}

TEST_F(TextArea, ContextMenuCopiesAndSelectsAll) {
  const std::string text = "one\r\ntwo\r\n";
  area_.SetText(text);
  EXPECT_THAT(access::ContextMenuCaptions(area_), ElementsAre("Select All")) << "nothing selected to copy";
  ASSERT_TRUE(access::ChooseContextMenuItem(area_, "Select All"));
  EXPECT_THAT(access::ContextMenuCaptions(area_), ElementsAre("Copy", "Select All"));
  ASSERT_TRUE(access::ChooseContextMenuItem(area_, "Copy"));
  EXPECT_EQ(access::ClipboardText(), text);

  area_.SetText("other");
  EXPECT_THAT(access::ContextMenuCaptions(area_), ElementsAre("Select All")) << "a new text starts unselected";
  access::KeyChord(area_, 'A', access::kControl);
  EXPECT_EQ(Copied(), "other");
}

// Shift with the keys moves one end of the selection: a character (a CR LF
// is one step), a line keeping the column, a line's or the text's end.
TEST_F(TextArea, ShiftWithKeysExtendsTheSelection) {
  area_.SetText("abcdef\r\nabcdef\r\nabcdef");
  access::DragText(area_, TextSpot{0, 2}, TextSpot{0, 2});
  access::KeyPress(area_, Key::Right, access::kShift);
  access::KeyPress(area_, Key::Down, access::kShift);
  EXPECT_EQ(Copied(), "cdef\r\nabc");
  access::KeyPress(area_, Key::End, access::kShift);
  EXPECT_EQ(Copied(), "cdef\r\nabcdef");
  access::KeyPress(area_, Key::End, access::kShift | access::kControl);
  EXPECT_EQ(Copied(), "cdef\r\nabcdef\r\nabcdef");
  EXPECT_THAT(access::DrawnLines(area_), ElementsAre(Ink::Selected, Ink::Selected, Ink::Selected));

  access::DragText(area_, TextSpot{1, 0}, TextSpot{1, 0});
  access::KeyPress(area_, Key::Left, access::kShift);
  EXPECT_EQ(Copied(), "\r\n");
  access::KeyPress(area_, Key::Home, access::kShift | access::kControl);
  EXPECT_EQ(Copied(), "abcdef\r\n");
}

// The viewer's double click fetches the body or saves the text: it must
// reach the window and leave no word selected behind it.
TEST_F(TextArea, DoubleClickReachesTheHandlerAndSelectsNothing) {
  int clicks = 0;
  int doubleClicks = 0;
  area_.OnClick = [&] { ++clicks; };
  area_.OnDblClick = [&] { ++doubleClicks; };
  area_.SetText(std::string(40, 'w') + "\r\n" + std::string(40, 'w'));
  access::DoubleClick(area_);
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(clicks, 1) << "the double click's first click only";
  EXPECT_THAT(access::ContextMenuCaptions(area_), ElementsAre("Select All"));
  EXPECT_THAT(access::DrawnLines(area_), ElementsAre(Ink::Text, Ink::Text));
}

TEST_F(TextArea, KeysScrollToTheLastLineAndBack) {
  std::string text;
  for (int line = 0; line < 1000; ++line) text += "line " + std::to_string(line) + "\r\n";
  text += "the end";
  area_.SetText(text);
  EXPECT_EQ(access::ShownLines(area_).front(), "line 0");
  access::KeyPress(area_, Key::Down);
  EXPECT_EQ(access::ShownLines(area_).front(), "line 1");

  access::KeyPress(area_, Key::End, access::kControl);
  EXPECT_EQ(access::ShownLines(area_).back(), "the end");
  const std::vector<Ink> drawn = access::DrawnLines(area_);
  EXPECT_EQ(drawn.back(), Ink::Text) << "the last line is not drawn";
  access::KeyPress(area_, Key::Home, access::kControl);
  EXPECT_EQ(access::ShownLines(area_).front(), "line 0");

  int pages = 0;
  while (access::ShownLines(area_).back() != "the end" && pages < 1000) {
    access::KeyPress(area_, Key::PageDown);
    ++pages;
  }
  EXPECT_EQ(access::ShownLines(area_).back(), "the end");
  EXPECT_GT(pages, 10) << "a page is a screenful of lines";
  EXPECT_LT(pages, 200) << "a page is a screenful of lines";
}

// A line of thousands of characters is drawn where it is scrolled to:
// only its end has ink.
TEST_F(TextArea, ALongLineIsDrawnWhereItIsScrolledTo) {
  area_.SetText(std::string(5000, ' ') + "end\r\nshort\r\n" + std::string(3000, ' ') + "\tx");
  EXPECT_THAT(access::DrawnLines(area_), ElementsAre(Ink::Blank, Ink::Text, Ink::Blank));
  access::KeyPress(area_, Key::End);
  EXPECT_THAT(access::DrawnLines(area_), ElementsAre(Ink::Text, Ink::Blank, Ink::Blank));
  access::KeyPress(area_, Key::Home);
  access::DragText(area_, TextSpot{2, 3001}, TextSpot{2, 3001});
  access::KeyPress(area_, Key::End, access::kShift);
  EXPECT_EQ(Copied(), "x");
  EXPECT_THAT(access::DrawnLines(area_), ElementsAre(Ink::Blank, Ink::Blank, Ink::Selected));
}

TEST_F(TextArea, AssistiveTechnologyReadsANamedReadOnlyText) {
  area_.SetAccessibleName("Message");
  area_.SetText("From: Ann\r\n\r\ncaf\xc3\xa9");
  EXPECT_EQ(access::AccessibleName(area_), "Message");
  EXPECT_TRUE(access::IsReadOnly(area_));
  EXPECT_EQ(access::AccessibleText(area_), "From: Ann\n\ncaf\xc3\xa9");

  // Of a text of megabytes, the lines in view.
  std::string large;
  for (int line = 0; large.size() < (2 << 20); ++line) large += "line " + std::to_string(line) + "\r\n";
  area_.SetText(large);
  access::KeyPress(area_, Key::Down);
  const std::vector<std::string> shown = access::ShownLines(area_);
  std::string lines;
  for (const std::string& line : shown) lines += (lines.empty() ? "" : "\n") + line;
  EXPECT_EQ(access::AccessibleText(area_), lines);
  EXPECT_EQ(shown.front(), "line 1");
}

}  // namespace
