#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

// A named pipe that nobody writes, made at path, for tests of code that must
// never wait on opening one. Should that code still be waiting after
// boundMs, a guard thread opens the pipe's other end itself, which ends the
// wait (reads then find the end of the file), and keeps doing so until the
// object goes; Waited() then tells the test that the code under test waited
// instead of leaving the test hanging. The pipe itself stays in place.
// Throws std::runtime_error when the pipe cannot be made.
class GuardedFifo {
 public:
  explicit GuardedFifo(std::string path, int boundMs = 5000);
  ~GuardedFifo();
  GuardedFifo(const GuardedFifo&) = delete;
  GuardedFifo& operator=(const GuardedFifo&) = delete;

  const std::string& Path() const { return path_; }
  // True once the guard had to free a waiting open.
  bool Waited() const { return waited_.load(); }

 private:
  void Guard(int boundMs);

  std::string path_;
  std::atomic<bool> waited_{false};
  std::mutex mutex_;
  std::condition_variable stopped_;
  bool stop_ = false;
  std::thread guard_;
};

}  // namespace testsupport
