#include "pop3/ExStringList.h"

namespace pop3 {

std::string FieldName(const std::string& line) {
  return line.substr(0, line.find(':'));
}

namespace {

std::string SortedName(const std::string& line) {
  std::size_t colon = line.find(':');
  return colon == std::string::npos ? std::string() : line.substr(0, colon);
}

}  // namespace

int TExStringList::Compare(const std::string& a, const std::string& b) const {
  int byName = CompareText(SortedName(a), SortedName(b));
  return byName != 0 ? byName : CompareText(a, b);
}

int TExStringList::FindField(const std::string& name) const {
  if (!Sorted()) {
    for (int i = 0; i < Count(); ++i) {
      const std::string& item = Get(i);
      if (item.find(':') == std::string::npos) continue;
      if (CompareText(FieldName(item), name) == 0) return i;
    }
    return -1;
  }
  int low = 0;
  int high = Count() - 1;
  while (low <= high) {
    int middle = low + (high - low) / 2;
    int order = CompareText(SortedName(Get(middle)), name);
    if (order == 0) return middle;
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return -1;
}

void TExStringList::SetField(const std::string& name, const std::string& value) {
  int index = FindField(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  std::string item = name + ": " + value;
  if (index < 0) {
    Add(item);
  } else {
    Put(index, item);
  }
}

}  // namespace pop3
