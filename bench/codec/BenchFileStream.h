#pragma once

#include <string>

#include "codec/Stream.h"

namespace codec::bench {

// A plain POSIX file as a Stream, for the benchmark only: the program's own
// file stream lives in the platform layer, which the coder does not see.
class BenchFileStream : public Stream {
 public:
  enum class Mode { kRead, kCreate };
  BenchFileStream(const std::string& path, Mode mode);
  ~BenchFileStream() override;

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Position() const override;
  void SetPosition(std::int64_t position) override;
  std::int64_t Size() const override;

 private:
  int fd_;
};

}  // namespace codec::bench
