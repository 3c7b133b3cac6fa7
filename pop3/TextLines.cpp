#include "pop3/TextLines.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "pop3/DisplayLines.h"
#include "pop3/StringList.h"

namespace pop3 {

namespace {

// The buffer's offsets keep their top bit for kContinues.
constexpr std::size_t kMaxBytes = 0x7FFFFFFFU;

}  // namespace

TextLines::~TextLines() { Release(); }

TextLines::TextLines(const TextLines& other) : starts_(other.starts_) { Append(std::string_view(other.data_, other.size_)); }

TextLines& TextLines::operator=(const TextLines& other) {
  if (this != &other) {
    TextLines copy(other);
    *this = std::move(copy);
  }
  return *this;
}

TextLines::TextLines(TextLines&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      starts_(std::move(other.starts_)) {
  other.starts_.clear();
}

TextLines& TextLines::operator=(TextLines&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    starts_ = std::move(other.starts_);
    other.starts_.clear();
  }
  return *this;
}

void TextLines::Release() noexcept {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
}

void TextLines::Clear() {
  Release();
  std::vector<std::uint32_t>().swap(starts_);
}

void TextLines::Append(std::string_view bytes) {
  if (bytes.size() > kMaxBytes - size_) throw std::length_error("Text too long to be held");
  if (size_ + bytes.size() > capacity_) {
    // Half as much again each time; realloc moves a large block's pages
    // instead of copying them.
    const std::size_t capacity = std::max({size_ + bytes.size(), capacity_ + capacity_ / 2, std::size_t{4096}});
    void* grown = std::realloc(data_, capacity);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    capacity_ = capacity;
  }
  if (!bytes.empty()) std::memcpy(data_ + size_, bytes.data(), bytes.size());
  size_ += bytes.size();
}

void TextLines::Add(std::string_view line) {
  const std::size_t at = size_;
  Append(line);
  Append("\r\n");
  if (line.size() <= kMaxDisplayLineBytes) {
    starts_.push_back(static_cast<std::uint32_t>(at));
    return;
  }
  for (std::size_t start = 0; start < line.size();) {
    starts_.push_back(static_cast<std::uint32_t>(at + start) | (start > 0 ? kContinues : 0U));
    start = DisplayPieceEnd(line, start);
  }
}

std::size_t TextLines::ItemEnd(std::size_t item) const {
  if (item + 1 == starts_.size()) return size_ - 2;
  return Continues(item + 1) ? Start(item + 1) : Start(item + 1) - 2;
}

void TextLines::CheckItem(int index, int limit) const {
  if (index < 0 || index > limit) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

std::string_view TextLines::operator[](int index) const {
  CheckItem(index, Count() - 1);
  const auto item = static_cast<std::size_t>(index);
  return std::string_view(data_ + Start(item), ItemEnd(item) - Start(item));
}

std::string_view TextLines::Text(int first, int last) const {
  CheckItem(first, Count());
  CheckItem(last, Count());
  for (const int edge : {first, last}) {
    if (edge < Count() && Continues(static_cast<std::size_t>(edge))) {
      throw EListError("Item " + std::to_string(edge) + " does not begin a line");
    }
  }
  if (last <= first) return {};
  const std::size_t begin = Start(static_cast<std::size_t>(first));
  return std::string_view(data_ + begin, ItemEnd(static_cast<std::size_t>(last - 1)) + 2 - begin);
}

void TextLines::ForEachLine(const std::function<void(std::string_view line)>& take) const {
  for (std::size_t item = 0; item < starts_.size();) {
    std::size_t last = item;
    while (last + 1 < starts_.size() && Continues(last + 1)) ++last;
    take(std::string_view(data_ + Start(item), ItemEnd(last) - Start(item)));
    item = last + 1;
  }
}

}  // namespace pop3
