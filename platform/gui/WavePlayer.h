#pragma once

#include <memory>
#include <string>

namespace platform {

namespace test_access {
struct Internals;
}

// Plays one wave file in the background, once. Playing returns at once;
// a missing or unreadable file, or a machine without an audio output,
// plays nothing and raises nothing.
class WavePlayer {
 public:
  WavePlayer();
  ~WavePlayer();
  WavePlayer(const WavePlayer&) = delete;
  WavePlayer& operator=(const WavePlayer&) = delete;

  void SetFileName(const std::string& fileName);
  const std::string& FileName() const { return fileName_; }

  void Play();

 private:
  // The widgets' test driver (platform/testing) looks inside.
  friend struct test_access::Internals;
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string fileName_;
};

}  // namespace platform
