#pragma once

#include <string>

namespace testsupport {

// A fresh, empty folder of the test's own, removed with everything in it
// when the object goes (the folder's own permissions are given back first,
// so a test that made it read-only does not leave it behind). It is made in
// parent, or in the temporary folder (TMPDIR, else /tmp) when parent is
// empty, and named "pop3check-" + tag + ".XXXXXX". Throws
// std::runtime_error when it cannot be made.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag = "test", const std::string& parent = "");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Path of an entry name inside the folder.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace testsupport
