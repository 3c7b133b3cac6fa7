#include "tests/support/TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace testsupport {

TempHome::TempHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pop3check-home.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary home folder");
  path_ = pattern;
  if (const char* home = std::getenv("HOME")) savedHome_ = home;
  setenv("HOME", path_.c_str(), 1);
}

TempHome::~TempHome() {
  if (savedHome_)
    setenv("HOME", savedHome_->c_str(), 1);
  else
    unsetenv("HOME");
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace testsupport
