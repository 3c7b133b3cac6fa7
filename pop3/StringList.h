#pragma once

#include <string>
#include <vector>

#include "platform/core/Exception.h"

namespace pop3 {

// An index outside the list: "List index out of bounds (N)".
class EListError : public platform::Exception {
 public:
  using Exception::Exception;
};

// An ordered list of strings, optionally kept sorted. Indexes count from 0.
// In sorted mode Add inserts at the item's sorted place (after equal items)
// and Put moves the replaced item to its sorted place; Insert is refused.
class StringList {
 public:
  StringList() = default;
  virtual ~StringList() = default;
  StringList(const StringList&) = default;
  StringList& operator=(const StringList&) = default;
  // Moving hands the storage over: a list assigned an empty one (as a whole
  // message is replaced by an empty one) keeps no capacity behind.
  StringList(StringList&&) noexcept = default;
  StringList& operator=(StringList&&) noexcept = default;

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  // Raise EListError for an index outside 0 .. Count() - 1.
  const std::string& Get(int index) const;
  const std::string& operator[](int index) const { return Get(index); }
  void Put(int index, const std::string& text);
  void Delete(int index);
  // Returns the index the item went to.
  int Add(const std::string& text);
  // Raises EListError on a sorted list or for an index outside 0 .. Count().
  void Insert(int index, const std::string& text);
  // Gives the storage back too: a list may have held a whole message.
  void Clear() { std::vector<std::string>().swap(items_); }
  // Index of the first item equal to text (compared as the sort order
  // compares), -1 when there is none.
  int IndexOf(const std::string& text) const;

  // The items joined with CR LF between them.
  std::string Text() const;
  // Replaces the items by the lines of text (ends CR LF or LF; a last line
  // without an end counts; a final line end adds no empty item).
  void SetText(const std::string& text);

  bool Sorted() const { return sorted_; }
  // Turning sorting on sorts the items at once (stably).
  void SetSorted(bool value);

  const std::vector<std::string>& Items() const { return items_; }
  std::vector<std::string>::const_iterator begin() const { return items_.begin(); }
  std::vector<std::string>::const_iterator end() const { return items_.end(); }

 protected:
  // Sort order of two items: negative, zero or positive. The default
  // compares case-insensitively (ASCII letters), then byte by byte.
  virtual int Compare(const std::string& a, const std::string& b) const;
  void CheckIndex(int index, int limit) const;

 private:
  int SortedPosition(const std::string& text) const;
  void SortItems();

  std::vector<std::string> items_;
  bool sorted_ = false;
};

// Case-insensitive comparison of ASCII letters; other bytes compare by value.
int CompareText(const std::string& a, const std::string& b);

}  // namespace pop3
