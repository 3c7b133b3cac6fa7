#pragma once

#include <string>
#include <vector>

#include "pop3/StringList.h"
#include "pop3/TextLines.h"
#include "tests/support/TempHome.h"

namespace fetchtest {

// The temporary home of the tests (HOME points at it while the object
// lives), with the attachment folder ~/pop3 made in it.
class TempHome : public testsupport::TempHome {
 public:
  TempHome();

  const std::string& Root() const { return Path(); }
  // Root + "/pop3/", with the separator the client's setter appends.
  std::string AttachFolder() const { return Path() + "/pop3/"; }
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
// Names in folder matching Temp*.mme (the program's part file names, which
// no attachment takes), sorted.
std::vector<std::string> TempFiles(const std::string& folder);

std::vector<std::string> Items(const pop3::StringList& list);
std::vector<std::string> Items(const pop3::TextLines& lines);

}  // namespace fetchtest
