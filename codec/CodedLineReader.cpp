#include "codec/CodedLineReader.h"

#include <algorithm>
#include <cstring>

namespace codec {

CodedLineReader::CodedLineReader(Stream& input, std::size_t blockSize)
    : input_(input), buffer_(std::max(blockSize, 2 * kMaxLineLength)) {}

bool CodedLineReader::ReadCodedLine(std::string_view& line) {
  for (;;) {
    const char* data = buffer_.data();
    const auto* lf = static_cast<const char*>(std::memchr(data + scan_, '\n', end_ - scan_));
    const std::size_t pending = (lf != nullptr ? static_cast<std::size_t>(lf - data) : end_) - begin_;
    if (pending > kMaxLineLength) {
      // Hostile or unwrapped input: hand the line on in consecutive pieces
      // rather than holding it whole.
      line = std::string_view(data + begin_, kMaxLineLength);
      begin_ += kMaxLineLength;
      scan_ = begin_;
      return true;
    }
    if (lf != nullptr) {
      std::size_t length = pending;
      if (length > 0 && data[begin_ + length - 1] == '\r') --length;
      line = std::string_view(data + begin_, length);
      begin_ += pending + 1;
      scan_ = begin_;
      return true;
    }
    scan_ = end_;
    if (atEof_) {
      if (pending == 0) return false;
      std::size_t length = pending;
      if (data[begin_ + length - 1] == '\r') --length;
      line = std::string_view(data + begin_, length);
      begin_ = scan_ = end_;
      return true;
    }
    Fill();
  }
}

void CodedLineReader::Fill() {
  // Move the unfinished line (shorter than kMaxLineLength here) to the
  // front once the free tail gets small, so every read request stays large.
  if (begin_ > 0 && buffer_.size() - end_ < buffer_.size() / 2) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    scan_ -= begin_;
    begin_ = 0;
  }
  const std::size_t got = input_.Read(buffer_.data() + end_, buffer_.size() - end_);
  if (got == 0) atEof_ = true;
  end_ += got;
}

void CodedLineReader::RestorePosition() {
  const std::size_t unread = end_ - begin_;
  if (unread > 0) input_.SetPosition(input_.Position() - static_cast<std::int64_t>(unread));
}

}  // namespace codec
