#include "codec/Stream.h"

#include <algorithm>
#include <cstring>

namespace codec {

void Stream::ReadBuffer(void* buffer, std::size_t count) {
  auto* out = static_cast<unsigned char*>(buffer);
  while (count > 0) {
    const std::size_t got = Read(out, count);
    if (got == 0) throw EStreamError("Stream read error");
    out += got;
    count -= got;
  }
}

void Stream::WriteBuffer(const void* buffer, std::size_t count) {
  if (Write(buffer, count) != count) throw EStreamError("Stream write error");
}

MemoryStream::MemoryStream(std::string_view bytes) : data_(bytes.begin(), bytes.end()) {}

std::size_t MemoryStream::Read(void* buffer, std::size_t count) {
  const auto size = static_cast<std::int64_t>(data_.size());
  if (position_ >= size || count == 0) return 0;
  const std::size_t n = std::min(count, static_cast<std::size_t>(size - position_));
  std::memcpy(buffer, data_.data() + position_, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::size_t MemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  const auto start = static_cast<std::size_t>(position_);
  // A position past the end leaves a gap that reads back as zero bytes.
  if (data_.size() < start + count) data_.resize(start + count);
  std::memcpy(data_.data() + start, buffer, count);
  position_ += static_cast<std::int64_t>(count);
  return count;
}

void MemoryStream::SetPosition(std::int64_t position) {
  if (position < 0) throw EStreamError("Stream position out of range");
  position_ = position;
}

void MemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

}  // namespace codec
