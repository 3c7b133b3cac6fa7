#pragma once

#include <optional>
#include <string>

#include "tests/support/TempFolder.h"

namespace testsupport {

// A fresh, empty folder standing in for the user's home for one test: HOME
// points at it while the object lives (so the data folder ~/pop3 lies
// inside it) and is put back afterwards; the folder and everything in it
// is then removed. Made below the temporary folder (TMPDIR).
class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& Path() const { return folder_.Path(); }

 private:
  TempFolder folder_{"home"};
  std::optional<std::string> savedHome_;
};

}  // namespace testsupport
