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
  Form().ListedCount = 0;
  Form().POP3List(1, 100);
  Form().POP3List(2, 200);
  Form().POP3List(3, 300);

  EXPECT_THAT(Column(5), ElementsAre("3", "2", "1"));
  EXPECT_THAT(Column(4), ElementsAre("300", "200", "100"));
  EXPECT_EQ(Form().ListedCount, 3);
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(Form().StringGrid1->HasCheckBox(0, row));
}

TEST_F(FormOperations, ListingStopsAtTheLimit) {
  Form().ClearMessageList();
  Form().ListedCount = 0;
  Form().FetchLimit = 2;
  for (int msg = 1; msg <= 4; ++msg) Form().POP3List(msg, msg * 10);

  EXPECT_THAT(Column(5), ElementsAre("2", "1"));
  EXPECT_EQ(Form().ListedCount, 2);
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

TEST_F(FormOperations, CredentialsTakeHostAndPortFromTheServerText) {
  EnterAccount("mail.example.net:2110", "ann", "p:w");
  Form().CopyCredentials();
  EXPECT_EQ(Form().POP3->Host, "mail.example.net");
  EXPECT_EQ(Form().POP3->Port, 2110);
  EXPECT_EQ(Form().POP3->UserID, "ann");
  EXPECT_EQ(Form().POP3->Password, "p:w");

  access::TypeText(*Form().IPedit, "10.0.0.1");
  Form().CopyCredentials();
  EXPECT_EQ(Form().POP3->Host, "10.0.0.1");
  EXPECT_EQ(Form().POP3->Port, 110);
}

}  // namespace

}  // namespace apptest
