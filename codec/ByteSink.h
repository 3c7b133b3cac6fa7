#pragma once

#include <cstddef>
#include <vector>

#include "codec/Stream.h"

namespace codec {

// Collects output bytes and writes them to a stream in large blocks.
// Nothing is written until Flush or until Reserve needs the room.
class ByteSink {
 public:
  explicit ByteSink(Stream& output, std::size_t capacity = 256 * 1024);

  // Room for at least count bytes (count <= capacity), flushing first when
  // needed. Write the bytes there, then hand the end pointer to Commit.
  unsigned char* Reserve(std::size_t count) {
    if (buffer_.size() - used_ < count) Flush();
    return buffer_.data() + used_;
  }
  void Commit(unsigned char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

  // Writes every pending byte; raises EStreamError when the stream takes
  // fewer (or whatever the stream raises).
  void Flush();
  // For an error path: writes what is pending unless writing already
  // failed; never raises.
  void FlushAfterError() noexcept;

 private:
  Stream& output_;
  std::vector<unsigned char> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace codec
