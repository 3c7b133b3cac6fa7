#include "pop3/StringList.h"

#include <algorithm>

namespace pop3 {

namespace {

unsigned char Folded(char c) {
  auto byte = static_cast<unsigned char>(c);
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

}  // namespace

int CompareText(const std::string& a, const std::string& b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    unsigned char x = Folded(a[i]);
    unsigned char y = Folded(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int StringList::Compare(const std::string& a, const std::string& b) const {
  return CompareText(a, b);
}

void StringList::CheckIndex(int index, int limit) const {
  if (index < 0 || index >= limit) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
}

const std::string& StringList::Get(int index) const {
  CheckIndex(index, Count());
  return items_[static_cast<std::size_t>(index)];
}

void StringList::Put(int index, const std::string& text) {
  CheckIndex(index, Count());
  if (!sorted_) {
    items_[static_cast<std::size_t>(index)] = text;
    return;
  }
  items_.erase(items_.begin() + index);
  Add(text);
}

void StringList::Delete(int index) {
  CheckIndex(index, Count());
  items_.erase(items_.begin() + index);
}

int StringList::SortedPosition(const std::string& text) const {
  auto at = std::upper_bound(items_.begin(), items_.end(), text,
                             [this](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
  return static_cast<int>(at - items_.begin());
}

int StringList::Add(const std::string& text) {
  int index = sorted_ ? SortedPosition(text) : Count();
  items_.insert(items_.begin() + index, text);
  return index;
}

void StringList::Insert(int index, const std::string& text) {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  CheckIndex(index, Count() + 1);
  items_.insert(items_.begin() + index, text);
}

int StringList::IndexOf(const std::string& text) const {
  for (int i = 0; i < Count(); ++i) {
    if (Compare(items_[static_cast<std::size_t>(i)], text) == 0) return i;
  }
  return -1;
}

std::string StringList::Text() const {
  std::string text;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += items_[i];
  }
  return text;
}

void StringList::SetText(const std::string& text) {
  items_.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t stop = (end > start && text[end - 1] == '\r') ? end - 1 : end;
    items_.push_back(text.substr(start, stop - start));
    start = end + 1;
  }
  if (sorted_) SortItems();
}

void StringList::SetSorted(bool value) {
  if (value && !sorted_) SortItems();
  sorted_ = value;
}

void StringList::SortItems() {
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
}

}  // namespace pop3
