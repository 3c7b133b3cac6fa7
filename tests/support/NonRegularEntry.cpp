#include "tests/support/NonRegularEntry.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace testsupport {

namespace {

// The pipe a link points at lies beside the link.
std::string LinkedPipe(const std::string& path) { return path + ".pipe"; }

// Reading a device through a link is harmless; /dev/zero would also give
// bytes for ever to a read that is not bounded.
constexpr const char* kDevice = "/dev/zero";

int BoundSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long: " + path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (fd >= 0) ::close(fd);
    throw std::runtime_error("cannot make the socket " + path);
  }
  return fd;
}

}  // namespace

NonRegularEntry::NonRegularEntry(Kind kind, std::string path) : kind_(kind), path_(std::move(path)) {
  switch (kind_) {
    case Kind::Fifo:
      fifo_ = std::make_unique<GuardedFifo>(path_);
      break;
    case Kind::LinkToFifo:
      fifo_ = std::make_unique<GuardedFifo>(LinkedPipe(path_));
      std::filesystem::create_symlink(LinkedPipe(path_), path_);
      break;
    case Kind::Folder:
      std::filesystem::create_directory(path_);
      break;
    case Kind::Device:
      std::filesystem::create_symlink(kDevice, path_);
      break;
    case Kind::Socket:
      socket_ = BoundSocket(path_);
      break;
  }
}

NonRegularEntry::~NonRegularEntry() {
  if (socket_ >= 0) ::close(socket_);
  fifo_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
  if (kind_ == Kind::LinkToFifo) std::filesystem::remove(LinkedPipe(path_), ignored);
}

std::string NonRegularEntry::Name() const {
  const char* names[] = {"named pipe", "link to a named pipe", "folder", "link to /dev/zero", "socket"};
  return names[static_cast<int>(kind_)];
}

std::string NonRegularEntry::Words() const {
  const char* words[] = {"a named pipe (FIFO)", "a named pipe (FIFO)", "a folder", "a device", "a socket"};
  return words[static_cast<int>(kind_)];
}

bool NonRegularEntry::Unchanged() const {
  struct stat entry {};
  struct stat target {};
  if (::lstat(path_.c_str(), &entry) != 0 || ::stat(path_.c_str(), &target) != 0) return false;
  switch (kind_) {
    case Kind::Fifo: return S_ISFIFO(entry.st_mode);
    case Kind::LinkToFifo: return S_ISLNK(entry.st_mode) && S_ISFIFO(target.st_mode);
    case Kind::Folder: return S_ISDIR(entry.st_mode);
    case Kind::Device: return S_ISLNK(entry.st_mode) && S_ISCHR(target.st_mode);
    case Kind::Socket: return S_ISSOCK(entry.st_mode);
  }
  return false;
}

}  // namespace testsupport
