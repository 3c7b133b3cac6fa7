#include "app/ListView.h"

#include "app/POP3Unit1.h"

namespace app {

// The list control cannot have no row: the empty list is one row of six
// empty cells without a tick box.
void ListView::ListCleared() {
  platform::MessageGrid& grid = *form_.StringGrid1;
  grid.RemoveRows(0, grid.RowCount() - 1);
  if (grid.HasCheckBox(0, 0)) grid.RemoveCheckBox(0, 0);
  for (int col = 0; col < grid.ColCount(); ++col) {
    grid.SetCell(col, 0, "");
    grid.SetCellHint(col, 0, "");
  }
}

void ListView::RowAdded() {
  const mailbox::MessageRow& row = form_.Mailbox().List().Row(0);
  form_.POP3List(row.Number, row.Size);
}

void ListView::RowChanged(int row) { form_.POP3RetrieveEnd(row); }

// The listing put each row on top: the last row is drawn first.
void ListView::DrawAll() {
  const mailbox::MessageList& list = form_.Mailbox().List();
  ListCleared();
  for (int row = list.Count() - 1; row >= 0; --row) form_.POP3List(list.Row(row).Number, list.Row(row).Size);
  for (int row = 0; row < list.Count(); ++row) form_.POP3RetrieveEnd(row);
}

}  // namespace app
