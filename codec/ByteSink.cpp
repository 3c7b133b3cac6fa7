#include "codec/ByteSink.h"

namespace codec {

ByteSink::ByteSink(Stream& output, std::size_t capacity) : output_(output), buffer_(capacity) {}

void ByteSink::Flush() {
  if (used_ == 0) return;
  failed_ = true;
  output_.WriteBuffer(buffer_.data(), used_);
  failed_ = false;
  used_ = 0;
}

void ByteSink::FlushAfterError() noexcept {
  if (failed_) return;
  try {
    Flush();
  } catch (...) {
    // The first error is the one the caller reports.
  }
}

}  // namespace codec
