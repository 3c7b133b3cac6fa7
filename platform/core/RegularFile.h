#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

// Opening files without ever waiting on them, for every file operation of
// the platform core. Not for use outside platform/core.
namespace platform {

// Closes a descriptor on every exit path unless released.
class FdGuard {
 public:
  explicit FdGuard(int fd) : fd_(fd) {}
  ~FdGuard();
  FdGuard(const FdGuard&) = delete;
  FdGuard& operator=(const FdGuard&) = delete;
  int Get() const { return fd_; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now and reports the result, so that a late write error is seen.
  int Close();

 private:
  int fd_;
};

// What OpenRegularFile does when path names nothing.
enum class IfMissing { Raise, ReturnNothing };

// Opens path with the open(2) flags given (O_CLOEXEC is added) and returns
// the descriptor, which the caller closes. The open never waits: a named
// pipe without a writer, a device or any other entry that is no regular file
// (symbolic links followed) is refused before it is opened, and the open
// itself is non-blocking in case the entry changes in between; the
// descriptor returned is blocking again. O_EXCL opens are not looked at
// first, as they only ever make a new file.
// Raises EUnusableFile what + ": " + the problem for an entry that is no
// regular file, EFileExists for an O_EXCL open of a name that is taken,
// and EFileError what + ": " + the system's reason for any other failure.
// With IfMissing::ReturnNothing, a path that does not exist (and is not to
// be created) returns -1 instead.
int OpenRegularFile(const std::string& path, int flags, mode_t mode, const std::string& what,
                    IfMissing ifMissing = IfMissing::Raise);

// Refuses the open regular file fd when it holds more than maxBytes: raises
// EUnusableFile what + ": it is larger than ...".
void RequireSizeAtMost(int fd, std::size_t maxBytes, const std::string& what);

// What an entry of the given st_mode is, in words: "a folder", "a named
// pipe (FIFO)", "a device", "a socket", "a file".
std::string EntryKind(mode_t mode);

// The problem with an entry that is no regular file: "it is a named pipe
// (FIFO), not a regular file" and the like.
std::string NotRegularFileProblem(mode_t mode);

// The problem with a file above a size limit: "it is larger than 8 MB".
std::string TooLargeProblem(std::size_t maxBytes);

[[noreturn]] void RaiseUnusableFile(const std::string& what, const std::string& problem);

}  // namespace platform
