#include "platform/core/DataFolder.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace platform {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  // No home at all (a bare service account): the folder lands in the current
  // folder rather than at the root of the file system.
  return ".";
}
#endif

}  // namespace

std::string DataFolder() {
#ifdef _WIN32
  return "c:\\pop3";
#else
  std::string home = HomeFolder();
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  if (home == "/") return "/pop3";
  return home + "/pop3";
#endif
}

std::string DataFolderFile(const std::string& name) { return DataFolder() + kSeparator + name; }

std::string SettingsFilePath() { return DataFolderFile("pop3.ini"); }

std::string WaveFilePath() { return DataFolderFile("gotmail.wav"); }

}  // namespace platform
