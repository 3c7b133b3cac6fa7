#include "tests/support/TempFolder.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace testsupport {

namespace fs = std::filesystem;

TempFolder::TempFolder(const std::string& tag, const std::string& parent) {
  const fs::path base = parent.empty() ? fs::temp_directory_path() : fs::path(parent);
  std::string pattern = (base / ("pop3check-" + tag + ".XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder " + pattern);
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

}  // namespace testsupport
