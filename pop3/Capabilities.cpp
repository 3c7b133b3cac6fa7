#include "pop3/Capabilities.h"

#include "pop3/TextHelpers.h"

namespace pop3 {

ServerCapabilities::ServerCapabilities(const std::vector<std::string>& answerLines) {
  for (const std::string& line : answerLines) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    const std::size_t end = line.find_first_of(" \t", start);
    tags_.push_back(AsciiUpper(line.substr(start, end == std::string::npos ? std::string::npos : end - start)));
  }
}

bool ServerCapabilities::Has(const std::string& name) const {
  const std::string wanted = AsciiUpper(name);
  for (const std::string& tag : tags_)
    if (tag == wanted) return true;
  return false;
}

}  // namespace pop3
