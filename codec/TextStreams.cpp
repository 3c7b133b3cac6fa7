#include "codec/TextStreams.h"

#include <cstring>

namespace codec {

std::size_t StringStream::Write(const void* buffer, std::size_t count) {
  if (bytes_.size() < position_ + count) bytes_.resize(position_ + count);
  std::memcpy(bytes_.data() + position_, buffer, count);
  position_ += count;
  return count;
}

void StringStream::SetPosition(std::int64_t position) {
  if (position < 0) throw EStreamError("Stream position out of range");
  position_ = static_cast<std::size_t>(position);
}

}  // namespace codec
