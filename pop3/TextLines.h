#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string_view>
#include <vector>

namespace pop3 {

// Lines of text held in one buffer, each followed there by CR LF, so that a
// run of lines reads as one text where it lies, and a large message's text
// costs its bytes and four more per line rather than a string object each.
// The items handed out are the lines as shown: a line longer than
// kMaxDisplayLineBytes comes as its display pieces (DisplayPieceEnd), each
// an item of its own. The buffer grows in place where the system can
// (realloc), so that a large text is not held twice while it grows; moving
// hands it over, Clear gives it back. Holds at most 2 GiB.
class TextLines {
 public:
  TextLines() = default;
  ~TextLines();
  TextLines(const TextLines& other);
  TextLines& operator=(const TextLines& other);
  TextLines(TextLines&& other) noexcept;
  TextLines& operator=(TextLines&& other) noexcept;

  // Appends line (no line end in it) as one item or its display pieces.
  // Raises std::length_error past the size limit.
  void Add(std::string_view line);
  void Clear();

  int Count() const { return static_cast<int>(starts_.size()); }
  bool Empty() const { return starts_.empty(); }
  // Item index; raises EListError "List index out of bounds (N)" for an
  // index outside 0 .. Count() - 1.
  std::string_view operator[](int index) const;
  // The text of items [first, last) as it lies in the buffer: their lines,
  // each followed by CR LF. first must begin a line and last end one (or
  // be Count()); raises EListError otherwise.
  std::string_view Text(int first, int last) const;
  // Calls take for every whole line, its pieces joined, in order.
  void ForEachLine(const std::function<void(std::string_view line)>& take) const;

  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    Iterator() = default;
    Iterator(const TextLines& lines, int index) : lines_(&lines), index_(index) {}
    std::string_view operator*() const { return (*lines_)[index_]; }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++index_;
      return before;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    const TextLines* lines_ = nullptr;
    int index_ = 0;
  };
  Iterator begin() const { return Iterator(*this, 0); }
  Iterator end() const { return Iterator(*this, Count()); }

 private:
  // Set on the start of a piece that goes on with the line before it.
  static constexpr std::uint32_t kContinues = 0x80000000U;

  std::size_t Start(std::size_t item) const { return starts_[item] & ~kContinues; }
  bool Continues(std::size_t item) const { return (starts_[item] & kContinues) != 0; }
  std::size_t ItemEnd(std::size_t item) const;
  void CheckItem(int index, int limit) const;
  void Append(std::string_view bytes);
  void Release() noexcept;

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::vector<std::uint32_t> starts_;  // where each item begins in the buffer
};

}  // namespace pop3
