#include "FuzzTempDir.h"

#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>

#include "FuzzCheck.h"

namespace fs = std::filesystem;

namespace {

std::string MakeFolder(const char* tag) {
  std::string base = "/dev/shm";
  std::error_code error;
  if (!fs::is_directory(base, error)) {
    const char* tmp = std::getenv("TMPDIR");
    base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  }
  std::string pattern = base + "/pop3check-fuzz-" + tag + ".XXXXXX";
  FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
  return pattern;
}

}  // namespace

const std::string& FuzzTempDir(const char* tag) {
  static const std::string folder = MakeFolder(tag);
  static const bool registered = [] {
    std::atexit([] {
      std::error_code error;
      fs::remove_all(FuzzTempDir(""), error);
    });
    return true;
  }();
  (void)registered;
  return folder;
}

void EmptyFolder(const std::string& folder) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    fs::remove_all(entry.path(), error);
  }
}

std::string ListFolder(const std::string& folder) {
  std::set<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    names.insert(entry.path().filename().string());
  }
  std::string list;
  for (const std::string& name : names) list += name + "\n";
  return list;
}
