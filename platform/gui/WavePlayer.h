#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

namespace test_access {
struct Internals;
}

// Plays one wave file in the background, once. Playing returns at once;
// a file CanPlay refuses, or a machine without an audio output, plays
// nothing and raises nothing.
class WavePlayer {
 public:
  // The largest sound played: the sound system holds it whole in memory.
  static constexpr std::size_t kMaxFileSize = 16 * 1024 * 1024;

  WavePlayer();
  ~WavePlayer();
  WavePlayer(const WavePlayer&) = delete;
  WavePlayer& operator=(const WavePlayer&) = delete;

  void SetFileName(const std::string& fileName);
  const std::string& FileName() const { return fileName_; }

  // True when fileName may be handed to the sound system: a regular file of
  // at most kMaxFileSize bytes that can be opened. It is looked at without
  // waiting on it, as the sound system would wait for ever on a named pipe.
  // A missing file is refused without a word; any other refusal is said
  // once, on standard error.
  bool CanPlay(const std::string& fileName);

  // Plays the file when CanPlay takes it at this moment.
  void Play();

 private:
  // The widgets' test driver (platform/testing) looks inside.
  friend struct test_access::Internals;
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string fileName_;
  bool refusalReported_ = false;
};

}  // namespace platform
