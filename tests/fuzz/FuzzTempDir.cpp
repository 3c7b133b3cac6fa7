#include "FuzzTempDir.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// /dev/shm when it exists, else the temporary folder (TMPDIR or /tmp).
std::string Parent() {
  std::error_code error;
  return fs::is_directory("/dev/shm", error) ? "/dev/shm" : "";
}

}  // namespace

const std::string& FuzzTempDir(const char* tag) {
  // Removed with everything in it when the process exits; a folder that
  // cannot be made ends the harness (the exception leaves a static
  // initialiser).
  static const testsupport::TempFolder folder(std::string("fuzz-") + tag, Parent());
  return folder.Path();
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
