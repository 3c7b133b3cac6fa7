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

std::string SettingsFilePath() { return DataFolderFile(kSettingsFileName); }

std::string WaveFilePath() { return DataFolderFile(kWaveFileName); }

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool IsPartFileName(std::string_view lower) {
  const std::string prefix = Lower(kPartFilePrefix);
  const std::string suffix = Lower(kPartFileSuffix);
  if (lower.size() <= prefix.size() + suffix.size() || !StartsWith(lower, prefix)) return false;
  if (lower.substr(lower.size() - suffix.size()) != suffix) return false;
  const std::string_view digits = lower.substr(prefix.size(), lower.size() - prefix.size() - suffix.size());
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

bool IsProgramFileName(std::string_view name) {
  const std::string lower = Lower(name);
  for (const char* own : {kSettingsFileName, kWaveFileName}) {
    const std::string ownLower = Lower(own);
    if (lower == ownLower || StartsWith(lower, ownLower + ".")) return true;
  }
  return IsPartFileName(lower);
}

}  // namespace platform
