#pragma once

#include <optional>
#include <string>

namespace apptest {

// A fresh, empty home folder for the duration of one test: HOME points at
// it (so the data folder lies inside it) and is restored afterwards, and
// the folder with everything in it is removed.
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

}  // namespace apptest
