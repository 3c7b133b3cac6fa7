#include "platform/core/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/core/Exception.h"
#include "platform/core/RegularFile.h"

namespace platform {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

[[noreturn]] void Raise(const std::string& what, const std::string& fileName, int errorNumber) {
  throw EFileError(what + " \"" + fileName + "\": " + std::strerror(errorNumber));
}

}  // namespace

FileStream::FileStream(const std::string& fileName, FileOpenMode mode, FileAccess access)
    : fileName_(fileName), writable_(mode != FileOpenMode::OpenRead) {
  const std::string quoted = " \"" + fileName_ + "\"";
  if (writable_) {
    mode_t permissions = access == FileAccess::OwnerOnly ? 0600 : 0666;
    // O_EXCL with O_CREAT refuses every existing entry, a symbolic link
    // included, without following it; O_NOFOLLOW says so once more.
    const int how = mode == FileOpenMode::CreateNew ? O_CREAT | O_EXCL | O_NOFOLLOW : O_CREAT | O_TRUNC;
    fd_ = OpenRegularFile(fileName_, O_RDWR | how, permissions, "Cannot create file" + quoted);
  } else {
    fd_ = OpenRegularFile(fileName_, O_RDONLY, 0, "Cannot open file" + quoted);
  }
}

FileStream::~FileStream() {
  if (fd_ < 0) return;
  try {
    Flush();
  } catch (const EFileError&) {
    // Nowhere to report it from a destructor; Close exists for that.
  }
  ::close(fd_);
}

void FileStream::RequireOpen() const {
  if (fd_ < 0) Raise("Cannot use closed file", fileName_, EBADF);
}

void FileStream::Flush() {
  RequireOpen();
  std::size_t done = 0;
  while (done < writeBuffer_.size()) {
    ssize_t written = ::pwrite(fd_, writeBuffer_.data() + done, writeBuffer_.size() - done,
                               static_cast<off_t>(writeStart_ + static_cast<std::int64_t>(done)));
    if (written < 0) {
      if (errno == EINTR) continue;
      Raise("Cannot write to file", fileName_, errno);
    }
    done += static_cast<std::size_t>(written);
  }
  writeBuffer_.clear();
}

void FileStream::Close() {
  RequireOpen();
  int fd = fd_;
  try {
    Flush();
  } catch (const EFileError&) {
    ::close(fd);
    fd_ = -1;
    throw;
  }
  fd_ = -1;
  if (::close(fd) != 0) Raise("Cannot write to file", fileName_, errno);
}

void FileStream::FillReadBuffer() {
  readBuffer_.resize(kBufferSize);
  for (;;) {
    ssize_t got = ::pread(fd_, readBuffer_.data(), kBufferSize, static_cast<off_t>(position_));
    if (got >= 0) {
      readBuffer_.resize(static_cast<std::size_t>(got));
      readStart_ = position_;
      return;
    }
    if (errno != EINTR) {
      readBuffer_.clear();
      Raise("Cannot read from file", fileName_, errno);
    }
  }
}

std::size_t FileStream::Read(void* buffer, std::size_t count) {
  RequireOpen();
  if (count == 0) return 0;
  // Pending writes first, so that a read sees them.
  if (!writeBuffer_.empty()) Flush();
  std::int64_t readEnd = readStart_ + static_cast<std::int64_t>(readBuffer_.size());
  if (position_ < readStart_ || position_ >= readEnd) {
    FillReadBuffer();
    if (readBuffer_.empty()) return 0;
  }
  std::size_t offset = static_cast<std::size_t>(position_ - readStart_);
  std::size_t copied = std::min(count, readBuffer_.size() - offset);
  std::memcpy(buffer, readBuffer_.data() + offset, copied);
  position_ += static_cast<std::int64_t>(copied);
  return copied;
}

std::size_t FileStream::Write(const void* buffer, std::size_t count) {
  RequireOpen();
  if (!writable_) Raise("Cannot write to file", fileName_, EBADF);
  if (count == 0) return 0;
  readBuffer_.clear();  // the bytes read ahead may be overwritten now
  std::int64_t pendingEnd = writeStart_ + static_cast<std::int64_t>(writeBuffer_.size());
  if (!writeBuffer_.empty() && position_ != pendingEnd) Flush();
  if (writeBuffer_.empty()) writeStart_ = position_;
  writeBuffer_.append(static_cast<const char*>(buffer), count);
  position_ += static_cast<std::int64_t>(count);
  if (writeBuffer_.size() >= kBufferSize) Flush();
  return count;
}

void FileStream::SetPosition(std::int64_t position) {
  if (position < 0) throw codec::EStreamError("Invalid stream position in \"" + fileName_ + "\"");
  position_ = position;
}

std::int64_t FileStream::Size() const {
  RequireOpen();
  struct stat info {};
  if (::fstat(fd_, &info) != 0) Raise("Cannot read the size of file", fileName_, errno);
  std::int64_t pendingEnd = writeStart_ + static_cast<std::int64_t>(writeBuffer_.size());
  std::int64_t size = static_cast<std::int64_t>(info.st_size);
  return writeBuffer_.empty() ? size : std::max(size, pendingEnd);
}

}  // namespace platform
