#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/testing/TestAccess.h"
#include "tests/app/FormTest.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;

class FormOperations : public FormTest {};

TEST_F(FormOperations, ClearMessageListLeavesOneEmptyRowWithoutTickBox) {
  platform::MessageGrid& grid = *Form().StringGrid1;
  grid.InsertRows(0, 3);
  for (int row = 0; row < grid.RowCount(); ++row) {
    grid.AddCheckBox(0, row, true);
    for (int col = 1; col < 6; ++col) grid.SetCell(col, row, "x");
  }

  Form().ClearMessageList();

  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_FALSE(grid.HasCheckBox(0, 0));
  EXPECT_THAT(Column(3), ElementsAre(""));
  EXPECT_THAT(Column(5), ElementsAre(""));
}

TEST_F(FormOperations, ListingReusesTheEmptyRowThenAddsAtTheTop) {
  Form().ClearMessageList();
  Form().Mailbox().List().AddListed(1, 100);
  Form().Mailbox().List().AddListed(2, 200);
  Form().Mailbox().List().AddListed(3, 300);

  EXPECT_THAT(Column(5), ElementsAre("3", "2", "1"));
  EXPECT_THAT(Column(4), ElementsAre("300", "200", "100"));
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(Form().StringGrid1->HasCheckBox(0, row));
}

// A row's summary shows in its cells, each field's hint as the cell's
// tooltip (the column may cut the text).
TEST_F(FormOperations, RowsSummaryIsDrawnWithItsHints) {
  mailbox::MessageList& list = Form().Mailbox().List();
  Form().ClearMessageList();
  list.AddListed(1, 100);
  list.AddListed(2, 200);

  list.SetSummary(1, mailbox::ShownText{"Ann", "Ann <ann@example.com>"},
                  mailbox::ShownText{"A subject", "A subject, whole"},
                  mailbox::ShownText{"07.12.26 10:31", "Mon, 07 Dec 2026 10:31:00 +0100"});

  const int columns[] = {1, 2, 3};
  std::vector<std::string> texts, hints;
  for (int col : columns) {
    texts.push_back(Form().StringGrid1->Cell(col, 1));
    hints.push_back(Form().StringGrid1->CellHint(col, 1));
    EXPECT_EQ(Form().StringGrid1->Cell(col, 0), "") << col;
  }
  EXPECT_THAT(texts, ElementsAre("Ann", "A subject", "07.12.26 10:31"));
  EXPECT_THAT(hints, ElementsAre("Ann <ann@example.com>", "A subject, whole", "Mon, 07 Dec 2026 10:31:00 +0100"));
}

// A date as the rows show it once read is drawn whole, at the design size
// and in the smallest window (columns and font shrink with it).
TEST_F(FormOperations, ReadDatesAreDrawnWhole) {
  mailbox::MessageList& list = Form().Mailbox().List();
  Form().ClearMessageList();
  const char* dates[] = {"07.12.26 10:31", "07.12.98 08:59", "07.07.26 10:31", "28.08.26 00:00"};
  for (int row = 0; row < 4; ++row) {
    list.AddListed(row + 1, 100);
    list.SetSummary(0, std::nullopt, std::nullopt, mailbox::ShownText{dates[row], dates[row]});
  }

  for (auto [width, height] : {std::pair{631, 452}, std::pair{400, 300}}) {
    access::Resize(*Form().Window, width, height);
    for (int row = 0; row < Form().StringGrid1->RowCount(); ++row)
      EXPECT_FALSE(access::CellTextCut(*Form().StringGrid1, row, 3)) << Column(3)[row] << " at " << width << "x" << height;
  }
  EXPECT_EQ(Column(3).size(), 4u);
}

TEST_F(FormOperations, SetControlsEnabledTouchesOnlyTheGroup) {
  Form().SetControlsEnabled(false);

  EXPECT_FALSE(Form().IPedit->Enabled());
  EXPECT_FALSE(Form().CheckBox5->Enabled());
  EXPECT_FALSE(Form().Label3->Enabled());
  EXPECT_FALSE(Form().StringGrid1->Enabled());
  EXPECT_FALSE(Form().ExitButton->Enabled());
  for (platform::Control* outside : {static_cast<platform::Control*>(Form().Label7.get()),
                                     static_cast<platform::Control*>(Form().IPlabel.get()),
                                     static_cast<platform::Control*>(Form().Label8.get()),
                                     static_cast<platform::Control*>(Form().Memo1.get()),
                                     static_cast<platform::Control*>(Form().Edit1.get())})
    EXPECT_TRUE(outside->Enabled());

  Form().SetControlsEnabled(true);
  EXPECT_TRUE(WindowRestored());
}

// The four captions above the list follow one rule while a command runs:
// all grey, whatever colour their rule gave them, and back afterwards. Red
// is drawn as a red (darkened as far as the palette's background needs for
// reading it).
TEST_F(FormOperations, ListCaptionsGreyOutAlikeWhileDisabled) {
  Form().Label1->SetColor(platform::kColorRed);
  Form().Label4->SetColor(platform::kColorRed);
  platform::Label* captions[] = {Form().Label1.get(), Form().Label2.get(), Form().Label3.get(), Form().Label4.get()};
  const unsigned red = access::ShownTextColor(*captions[0]);
  EXPECT_EQ(red & 0x00FFFFu, 0u);
  EXPECT_GE(red >> 16, 0x80u);
  EXPECT_EQ(access::ShownTextColor(*captions[1]), platform::kColorBlack);

  Form().SetControlsEnabled(false);

  for (platform::Label* caption : captions)
    EXPECT_EQ(access::ShownTextColor(*caption), access::ShownTextColor(*captions[2])) << caption->Text();
  EXPECT_NE(access::ShownTextColor(*captions[2]), platform::kColorBlack);
  Form().SetControlsEnabled(true);
  EXPECT_EQ(access::ShownTextColor(*captions[0]), red);
  EXPECT_EQ(access::ShownTextColor(*captions[2]), platform::kColorBlack);
}

// Window titles are the design's alone: the application title is not
// handed to the toolkit, which would append it to each of them.
TEST_F(FormOperations, ApplicationTitleIsNotAppendedToWindowTitles) {
  Form().SetApplicationTitle(app::kAlertApplicationTitle);
  EXPECT_EQ(access::ToolkitDisplayName(), "");
  EXPECT_EQ(Form().Window->Caption(), app::kWindowCaption);
}

// A right click asks about its row; the cell does not stay highlighted.
TEST_F(FormOperations, RightClickLeavesNoCellSelected) {
  Form().Mailbox().List().AddListed(1, 100);
  Form().StringGrid1->SetCell(1, 0, "Sender");
  platform::dialog_script::SetNextAnswer(platform::BoxAnswer::No);

  access::RightClickCell(*Form().StringGrid1, 0, 1);

  EXPECT_THAT(BoxTexts(BoxKind::Question), ElementsAre("Analyse This Item ?"));
  EXPECT_FALSE(access::CellSelected(*Form().StringGrid1, 0, 1));
}

}  // namespace

}  // namespace apptest
