#include "tests/support/GuardedFifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <utility>

namespace testsupport {

GuardedFifo::GuardedFifo(std::string path, int boundMs) : path_(std::move(path)) {
  if (::mkfifo(path_.c_str(), 0600) != 0) throw std::runtime_error("cannot make the named pipe " + path_);
  guard_ = std::thread([this, boundMs] { Guard(boundMs); });
}

GuardedFifo::~GuardedFifo() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  stopped_.notify_all();
  guard_.join();
}

// The bound is no wait for anything to happen: a correct test ends long
// before it and stops the guard. Opening for reading and writing never
// blocks on Linux and counts as both ends, so it frees an open waiting for
// either; closing again leaves the pipe without a writer, so a read that
// follows ends at once.
void GuardedFifo::Guard(int boundMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto wait = std::chrono::milliseconds(boundMs);
  while (!stopped_.wait_for(lock, wait, [this] { return stop_; })) {
    waited_ = true;
    const int fd = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
    wait = std::chrono::milliseconds(50);
  }
}

}  // namespace testsupport
