#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/Stream.h"

namespace app {

// Streams for the decoder over text the viewer already holds, where a
// memory stream would copy it: the text may be most of a large message.

// lines[begin, end), each followed by CR LF, read as one stream where they
// lie (nothing is joined). Read-only: Write takes nothing. The lines must
// outlive the stream and stay unchanged.
class LinesStream : public codec::Stream {
 public:
  LinesStream(const std::vector<std::string>& lines, std::size_t begin, std::size_t end);
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Position() const override { return static_cast<std::int64_t>(position_); }
  void SetPosition(std::int64_t position) override;
  std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }

 private:
  const std::vector<std::string>& lines_;
  std::size_t begin_;
  std::size_t end_;
  std::size_t size_ = 0;
  std::size_t position_ = 0;
  std::size_t line_;
  std::size_t offset_ = 0;  // within lines_[line_] and its CR LF
};

// Bytes written into a string, which grows as a memory stream does.
// Write-only: Read gives nothing.
class StringStream : public codec::Stream {
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

}  // namespace app
