#pragma once

#include <string>

#include "pop3/StringList.h"

namespace pop3 {

// A string list whose items are header lines: a name, a colon, a blank and
// a value ("Subject: Hello"). An item's name is its text before the first
// colon, not trimmed; names compare case-insensitively.
//
// In sorted mode the items are ordered by name first (then by their whole
// text), so that FindField's binary search over names always agrees with
// the order of the list.
class TExStringList : public StringList {
 public:
  // Index of the item whose name equals name, -1 when there is none (also
  // for an empty list). Unsorted: the first match from the top; items
  // without a colon are skipped. Sorted: a binary search, where an item
  // without a colon has the empty name.
  int FindField(const std::string& name) const;

  // Non-empty value: the item named name becomes "name: value" (appended,
  // or in sorted mode inserted at its place, when absent). Empty value: the
  // item is deleted when present; nothing changes otherwise.
  void SetField(const std::string& name, const std::string& value);

 protected:
  int Compare(const std::string& a, const std::string& b) const override;
};

// The name part of a header line: everything before the first colon, or the
// whole line when it has none.
std::string FieldName(const std::string& line);

}  // namespace pop3
