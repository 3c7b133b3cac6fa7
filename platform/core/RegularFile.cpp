#include "platform/core/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/core/Exception.h"

namespace platform {

namespace {

[[noreturn]] void RaiseSystemError(const std::string& what, int errorNumber) {
  throw EFileError(what + ": " + std::strerror(errorNumber));
}

std::string SizeText(std::size_t bytes) {
  constexpr std::size_t kKilo = 1024;
  if (bytes >= kKilo * kKilo && bytes % (kKilo * kKilo) == 0) return std::to_string(bytes / (kKilo * kKilo)) + " MB";
  if (bytes >= kKilo && bytes % kKilo == 0) return std::to_string(bytes / kKilo) + " KB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

FdGuard::~FdGuard() {
  if (fd_ >= 0) ::close(fd_);
}

int FdGuard::Close() {
  int result = ::close(fd_);
  fd_ = -1;
  return result;
}

std::string EntryKind(mode_t mode) {
  if (S_ISREG(mode)) return "a file";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

std::string NotRegularFileProblem(mode_t mode) { return "it is " + EntryKind(mode) + ", not a regular file"; }

std::string TooLargeProblem(std::size_t maxBytes) { return "it is larger than " + SizeText(maxBytes); }

void RaiseUnusableFile(const std::string& what, const std::string& problem) {
  throw EUnusableFile(what + ": " + problem, problem);
}

int OpenRegularFile(const std::string& path, int flags, mode_t mode, const std::string& what, IfMissing ifMissing) {
  struct stat info {};
  // Looked at first, so that a device is never even opened (opening one can
  // set hardware going); a name that is free is left to open.
  if ((flags & O_EXCL) == 0 && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    RaiseUnusableFile(what, NotRegularFileProblem(info.st_mode));
  int fd = -1;
  do {
    fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    const int error = errno;
    const bool missing = (error == ENOENT || error == ENOTDIR) && (flags & O_CREAT) == 0;
    if (missing && ifMissing == IfMissing::ReturnNothing) return -1;
    if (error == EEXIST && (flags & O_EXCL) != 0) throw EFileExists(what + ": " + std::strerror(error));
    RaiseSystemError(what, error);
  }
  FdGuard guard(fd);
  // The entry may have been swapped since it was looked at: what was opened
  // decides.
  if (::fstat(fd, &info) != 0) RaiseSystemError(what, errno);
  if (!S_ISREG(info.st_mode)) RaiseUnusableFile(what, NotRegularFileProblem(info.st_mode));
  // A regular file never makes a read or write wait for long, and the code
  // above the descriptor does not expect EAGAIN.
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) RaiseSystemError(what, errno);
  return guard.Release();
}

void RequireSizeAtMost(int fd, std::size_t maxBytes, const std::string& what) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) RaiseSystemError(what, errno);
  if (info.st_size < 0 || static_cast<unsigned long long>(info.st_size) > maxBytes)
    RaiseUnusableFile(what, TooLargeProblem(maxBytes));
}

}  // namespace platform
