#pragma once

#include <string>
#include <vector>

#include "pop3/StringList.h"

namespace fetchtest {

// A fresh temporary folder standing in for the user's home: HOME points at
// it while the object lives, and the attachment folder ~/pop3 exists in it.
// Everything is removed again at the end.
class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& Root() const { return root_; }
  // Root + "/pop3/", with the separator the client's setter appends.
  std::string AttachFolder() const { return root_ + "/pop3/"; }

 private:
  std::string root_;
  std::string oldHome_;
  bool hadHome_ = false;
};

// The folder of messages that tests/pop3/make_fetch_messages.py writes with
// Python's email package; made once per test program (fails the program
// when python3 cannot make them).
const std::string& MessageFolder();
// The text of the generated message name (name.eml).
std::string Message(const std::string& name);
// The original bytes of an attachment that the script saved beside it.
std::string Original(const std::string& message, const std::string& attachment);

// The whole content of a file; fails the test (and returns "") when the
// file cannot be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// Every regular file below folder, as paths relative to it, sorted.
std::vector<std::string> FilesBelow(const std::string& folder);
// Names in folder matching Temp*.mme, sorted.
std::vector<std::string> TempFiles(const std::string& folder);

std::vector<std::string> Items(const pop3::TStringList& list);

}  // namespace fetchtest
