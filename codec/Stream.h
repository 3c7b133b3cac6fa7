#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace codec {

// A stream could not be read or written (or was used without being set).
// The message says which.
class EStreamError : public std::runtime_error {
 public:
  explicit EStreamError(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// A sequence of bytes with a current position, read and written from that
// position. Derived classes implement the five virtual operations; the
// coder and the rest of the program use nothing else.
//
// Contract for implementers:
// - Read copies up to count bytes from the position into buffer, advances
//   the position by the number copied and returns it. It may return fewer
//   than count (a short read) while more data follows; it returns 0 only
//   at the end of the stream (or when count is 0). A failure to read raises
//   EStreamError (or an exception derived from std::exception).
// - Write copies count bytes from buffer to the position, overwriting or
//   extending the stream, advances the position and returns the number
//   written. Fewer than count means the device took no more; WriteBuffer
//   turns that into EStreamError. A failure may also raise directly.
// - Position is the offset from the start, 0-based. SetPosition may go past
//   the end (a later Write fills the gap, a Read returns 0); a negative
//   position raises EStreamError.
// - Size is the current length in bytes.
class Stream {
 public:
  Stream() = default;
  virtual ~Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  virtual std::int64_t Position() const = 0;
  virtual void SetPosition(std::int64_t position) = 0;
  virtual std::int64_t Size() const = 0;

  // Reads exactly count bytes, calling Read as often as needed; raises
  // EStreamError "Stream read error" when the stream ends first.
  void ReadBuffer(void* buffer, std::size_t count);
  // Writes exactly count bytes; raises EStreamError "Stream write error"
  // when Write takes fewer.
  void WriteBuffer(const void* buffer, std::size_t count);
};

// A stream held in memory; grows as it is written.
class MemoryStream : public Stream {
 public:
  MemoryStream() = default;
  // Starts with a copy of bytes, position 0.
  explicit MemoryStream(std::string_view bytes);

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Position() const override { return position_; }
  void SetPosition(std::int64_t position) override;
  std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }

  // Empties the stream and sets the position to 0.
  void Clear();
  // The whole content, independent of the position.
  const std::vector<unsigned char>& Bytes() const { return data_; }
  std::string ToString() const { return std::string(data_.begin(), data_.end()); }

 private:
  std::vector<unsigned char> data_;
  std::int64_t position_ = 0;
};

}  // namespace codec
