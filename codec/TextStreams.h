#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/Stream.h"

namespace codec {

// Bytes written into a string the caller owns, which grows as a memory
// stream does: decoded text goes straight where it is wanted, without a
// memory stream to copy it out of. Write-only: Read gives nothing.
class StringStream : public Stream {
 public:
  explicit StringStream(std::string& bytes) : bytes_(bytes) {}
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Position() const override { return static_cast<std::int64_t>(position_); }
  void SetPosition(std::int64_t position) override;
  std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }

 private:
  std::string& bytes_;
  std::size_t position_ = 0;
};

}  // namespace codec
