#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/MessageGrid.h"
#include "pop3/Pop3Reply.h"
#include "pop3/StringList.h"

namespace app {

// Columns of the message list. A row that stands for a message has a tick
// box in column 0 and its server message number in the hidden column 5;
// the empty list is one row without a tick box.
inline constexpr int kTickColumn = 0;
inline constexpr int kSenderColumn = 1;
inline constexpr int kSubjectColumn = 2;
inline constexpr int kDateColumn = 3;
inline constexpr int kSizeColumn = 4;
inline constexpr int kNumberColumn = 5;

// The row's message number; raises pop3::EConvertError when column 5 holds
// anything but an integer (the empty list's row included).
inline std::int32_t RowMessageNumber(const platform::MessageGrid& grid, int row) {
  return pop3::StrToIntNoBlanks(grid.Cell(kNumberColumn, row));
}

// The row's message number, or 0 when column 5 holds none.
inline std::int32_t RowMessageNumberOrZero(const platform::MessageGrid& grid, int row) {
  return pop3::StrToIntNoBlanksDef(grid.Cell(kNumberColumn, row), 0);
}

// The last row index a walk up to and including lastIndex visits: never
// past the index after the last row, however large lastIndex is (a count
// the server sent).
inline int WalkEnd(const platform::MessageGrid& grid, int lastIndex) { return std::min(lastIndex, grid.RowCount()); }

// The message numbers of the rows with a tick box from row firstIndex to
// lastIndex, in that order, as a walk over them will ask for their
// summaries; the plan ends before a row whose number is no integer (the
// walk fails there).
inline std::vector<std::int32_t> SummaryPlan(const platform::MessageGrid& grid, int lastIndex, int firstIndex = 0) {
  std::vector<std::int32_t> plan;
  for (int row = firstIndex; row <= WalkEnd(grid, lastIndex); ++row) {
    if (!grid.HasCheckBox(kTickColumn, row)) continue;
    try {
      plan.push_back(RowMessageNumber(grid, row));
    } catch (const pop3::EConvertError&) {
      break;
    }
  }
  return plan;
}

// The last row a walk "up to and including listTotal" may visit: never past
// the rows the list has, whatever count the server announced.
inline int LastRowToWalk(const platform::MessageGrid& grid, int listTotal) {
  return listTotal < grid.RowCount() ? listTotal : grid.RowCount() - 1;
}

inline bool RowTicked(const platform::MessageGrid& grid, int row) {
  return grid.HasCheckBox(kTickColumn, row) && grid.CheckBoxState(kTickColumn, row);
}

// The header fields a row shows, cut out of a summary's header text by
// ExtractHeaderValue(header, Label, FallbackLabel, Skip) into Column.
struct ShownField {
  const char* Label;
  const char* FallbackLabel;
  int Skip;
  int Column;
};
inline constexpr ShownField kShownFields[] = {
    {"From:", "FROM:", 6, kSenderColumn},
    {"Subject:", "SUBJECT:", 9, kSubjectColumn},
    {"Date:", "DATE:", 6, kDateColumn},
};

// The value of field in header (a summary's lines, each ended by CR LF):
// cut out by ExtractHeaderValue, with the continuation lines of a folded
// field joined on (each after its CR LF, which decoding undoes). Nothing
// when neither label occurs.
std::optional<std::string> FieldValue(const std::string& header, const ShownField& field);

// What the row shows of a field's value: the sender and the subject
// decoded (encoded words and charsets, in UTF-8), line breaks and other
// control characters as blanks; the date as a complete local date and
// time, or as it came when it cannot be read.
std::string ShownFieldText(const ShownField& field, const std::string& value);

// The tooltip of the field's cell: the date header as it was sent; the
// whole shown text of the sender and the subject, which the column cuts.
std::string FieldHint(const ShownField& field, const std::string& value);

// Every line followed by CR LF, bytes as they came from the server: the
// text of a summary's header or of a message body.
inline std::string LinesText(const pop3::StringList& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace app
