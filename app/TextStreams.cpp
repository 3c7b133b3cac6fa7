#include "app/TextStreams.h"

#include <algorithm>
#include <cstring>

namespace app {

namespace {

std::size_t CheckedPosition(std::int64_t position) {
  if (position < 0) throw codec::EStreamError("Stream position out of range");
  return static_cast<std::size_t>(position);
}

}  // namespace

LinesStream::LinesStream(const std::vector<std::string>& lines, std::size_t begin, std::size_t end)
    : lines_(lines), begin_(begin), end_(end), line_(begin) {
  for (std::size_t i = begin; i < end; ++i) size_ += lines[i].size() + 2;
}

std::size_t LinesStream::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<char*>(buffer);
  std::size_t done = 0;
  while (done < count && line_ < end_) {
    const std::string& line = lines_[line_];
    if (offset_ < line.size()) {
      const std::size_t n = std::min(count - done, line.size() - offset_);
      std::memcpy(out + done, line.data() + offset_, n);
      done += n;
      offset_ += n;
    } else {
      out[done++] = offset_ == line.size() ? '\r' : '\n';
      if (++offset_ == line.size() + 2) {
        ++line_;
        offset_ = 0;
      }
    }
  }
  position_ += done;
  return done;
}

void LinesStream::SetPosition(std::int64_t position) {
  position_ = CheckedPosition(position);
  line_ = begin_;
  offset_ = 0;
  for (std::size_t left = position_; line_ < end_; ++line_) {
    if (left < lines_[line_].size() + 2) {
      offset_ = left;
      break;
    }
    left -= lines_[line_].size() + 2;
  }
}

std::size_t StringStream::Write(const void* buffer, std::size_t count) {
  if (bytes_.size() < position_ + count) bytes_.resize(position_ + count);
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ += count;
  return count;
}

void StringStream::SetPosition(std::int64_t position) { position_ = CheckedPosition(position); }

}  // namespace app
