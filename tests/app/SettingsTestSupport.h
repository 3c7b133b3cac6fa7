#pragma once

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/core/DataFolder.h"
#include "platform/core/Files.h"

// Files of the data folder as the tests see them: written and read here
// byte for byte, independently of the program's own settings code.
namespace apptest {

// Creates the data folder and the settings file with exactly text.
inline void WriteSettingsText(const std::string& text) {
  std::filesystem::create_directories(platform::DataFolder());
  std::ofstream(platform::SettingsFilePath(), std::ios::binary) << text;
}

inline std::string SettingsText() {
  std::ifstream in(platform::SettingsFilePath(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The settings file's lines, line ends removed; none when it is missing.
inline std::vector<std::string> SettingsLines() { return platform::SplitLines(SettingsText()); }

// A short, valid PCM wave file: 8 kHz, 8 bits, mono, 80 samples.
inline void WriteWaveFile() {
  auto le = [](std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
  };
  std::string samples;
  for (int i = 0; i < 80; ++i) samples.push_back(static_cast<char>(i % 8 < 4 ? 0x90 : 0x70));
  std::string wave = "RIFF" + le(36 + static_cast<std::uint32_t>(samples.size()), 4) + "WAVE" + "fmt " + le(16, 4) +
                     le(1, 2) + le(1, 2) + le(8000, 4) + le(8000, 4) + le(1, 2) + le(8, 2) + "data" +
                     le(static_cast<std::uint32_t>(samples.size()), 4) + samples;
  std::filesystem::create_directories(platform::DataFolder());
  std::ofstream(platform::WaveFilePath(), std::ios::binary) << wave;
}

// The permission bits of path, or -1 when it is missing.
inline int PermissionBits(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

// While it lives, no file of this process can grow (reads are unaffected):
// every safe write fails, also for root, whom file modes do not stop.
class WritesRefused {
 public:
  WritesRefused() {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved_;
    none.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &none);
  }
  ~WritesRefused() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }
  WritesRefused(const WritesRefused&) = delete;
  WritesRefused& operator=(const WritesRefused&) = delete;

 private:
  rlimit saved_{};
  void (*previous_)(int) = SIG_DFL;
};

}  // namespace apptest
