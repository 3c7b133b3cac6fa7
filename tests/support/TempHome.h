#pragma once

#include <optional>
#include <string>

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

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::optional<std::string> savedHome_;
};

}  // namespace testsupport
