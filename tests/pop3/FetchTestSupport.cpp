#include "tests/pop3/FetchTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "tests/support/TempFolder.h"

namespace fetchtest {

namespace fs = std::filesystem;

TempHome::TempHome() { fs::create_directory(Path() + "/pop3"); }

namespace {

// The generated messages live as long as the test program.
struct MessageStore {
  MessageStore() {
    const std::string command = std::string("python3 '") + FETCH_MESSAGE_SCRIPT + "' '" + temp.Path() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make test messages: " + command);
  }
  testsupport::TempFolder temp{"fetch-messages"};
};

}  // namespace

const std::string& MessageFolder() {
  static const MessageStore store;
  return store.temp.Path();
}

std::string Message(const std::string& name) { return ReadFile(MessageFolder() + "/" + name + ".eml"); }

std::string Original(const std::string& message, const std::string& attachment) {
  return ReadFile(MessageFolder() + "/" + message + "." + attachment + ".orig");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
    return std::string();
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(path, ignored));
}

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_directory()) files.push_back(fs::relative(entry.path(), folder).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> TempFiles(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("Temp", 0) == 0 && name.size() > 8 && name.substr(name.size() - 4) == ".mme") {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> Items(const pop3::StringList& list) { return list.Items(); }

std::vector<std::string> Items(const pop3::TextLines& lines) { return std::vector<std::string>(lines.begin(), lines.end()); }

}  // namespace fetchtest
