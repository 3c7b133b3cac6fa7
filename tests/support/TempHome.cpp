#include "tests/support/TempHome.h"

#include <cstdlib>

namespace testsupport {

TempHome::TempHome() {
  if (const char* home = std::getenv("HOME")) savedHome_ = home;
  setenv("HOME", Path().c_str(), 1);
}

TempHome::~TempHome() {
  if (savedHome_)
    setenv("HOME", savedHome_->c_str(), 1);
  else
    unsetenv("HOME");
}

}  // namespace testsupport
