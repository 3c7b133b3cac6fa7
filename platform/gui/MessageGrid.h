#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace platform {

// The message list: a grid of text cells without header row or column, a
// vertical scroll bar only (columns past the right edge stay out of sight),
// and tick boxes in chosen cells. The user toggles a tick box by clicking it
// or with the space bar (on any cell of its row); no cell text can be
// edited and nothing is sorted. The keyboard reaches what the mouse does on
// the current cell: Enter is a double click on it, the Menu key or
// Shift+F10 a right click.
//
// Assistive technology reads the grid as a table whose columns are named
// by SetColumnTitles, and each tick box as a check box named by the rest of
// its row: "From: ..., Subject: ...", from the titled columns that hold
// text. Toggles are announced as they happen.
//
// The grid always has at least one row. Cells are addressed column first.
// Reading a cell outside the grid gives empty text and no tick box; writing
// one outside it is ignored. Cell text comes back exactly as written.
class MessageGrid : public Control {
 public:
  // columnWidths and rowHeight in design pixels.
  MessageGrid(Container& parent, const std::vector<int>& columnWidths, int rowHeight);
  ~MessageGrid() override;

  int RowCount() const;
  int ColCount() const;
  // Current (scaled) sizes in pixels.
  int ColumnWidth(int col) const;
  int RowHeight() const;

  // Names of the columns for assistive technology, in column order (the
  // screen shows no header); an empty title leaves its column unnamed and
  // out of the tick boxes' names.
  void SetColumnTitles(const std::vector<std::string>& titles);

  std::string Cell(int col, int row) const;
  void SetCell(int col, int row, const std::string& text);

  // The tooltip of a cell (empty: none), kept with the cell as its text is.
  std::string CellHint(int col, int row) const;
  void SetCellHint(int col, int row, const std::string& text);

  // Inserts count empty rows before row index (index == RowCount appends).
  void InsertRows(int index, int count);
  // Removes count rows from index on; removing every row leaves one empty row.
  void RemoveRows(int index, int count);

  void AddCheckBox(int col, int row, bool checked = false);
  bool HasCheckBox(int col, int row) const;
  bool CheckBoxState(int col, int row) const;
  void SetCheckBoxState(int col, int row, bool checked);
  void RemoveCheckBox(int col, int row);

  // Double click or right click on a cell (or their keys, above).
  std::function<void(int row, int col)> OnDblClickCell;
  std::function<void(int row, int col)> OnRightClickCell;
  // Asked (for tick-box cells only) before a click or the space bar toggles
  // the tick box; clearing canEdit refuses the toggle. The grid toggles the
  // box itself, once per click or key.
  std::function<void(int row, int col, bool& canEdit)> OnCanEditCell;
  // The user toggled a tick box (not fired by SetCheckBoxState).
  std::function<void(int col, int row, bool checked)> OnCheckBoxClick;
  // A key that produces a character, while the grid has the focus (after
  // the window's key preview). Setting key to 0 swallows it.
  std::function<void(char& key)> OnKeyPress;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
