#include "BenchFileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace codec::bench {

namespace {

[[noreturn]] void Fail(const std::string& what) { throw EStreamError(what + ": " + std::strerror(errno)); }

}  // namespace

BenchFileStream::BenchFileStream(const std::string& path, Mode mode)
    : fd_(mode == Mode::kRead ? ::open(path.c_str(), O_RDONLY) : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {
  if (fd_ < 0) Fail("cannot open " + path);
}

BenchFileStream::~BenchFileStream() { ::close(fd_); }

std::size_t BenchFileStream::Read(void* buffer, std::size_t count) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, count);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) Fail("read");
  }
}

std::size_t BenchFileStream::Write(const void* buffer, std::size_t count) {
  const auto* bytes = static_cast<const char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t put = ::write(fd_, bytes + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) Fail("write");
    done += static_cast<std::size_t>(put);
  }
  return done;
}

std::int64_t BenchFileStream::Position() const {
  const off_t at = ::lseek(fd_, 0, SEEK_CUR);
  if (at < 0) Fail("seek");
  return at;
}

void BenchFileStream::SetPosition(std::int64_t position) {
  if (::lseek(fd_, position, SEEK_SET) < 0) Fail("seek");
}

std::int64_t BenchFileStream::Size() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) Fail("stat");
  return info.st_size;
}

}  // namespace codec::bench
