#include "pop3/Capabilities.h"

#include "pop3/TextHelpers.h"

namespace pop3 {

ServerCapabilities::ServerCapabilities(const std::vector<std::string>& answerLines) {
  for (const std::string& line : answerLines) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) continue;
    const std::size_t end = line.find_first_of(" \t", start);
    tags_.push_back(AsciiUpper(line.substr(start, end == std::string::npos ? std::string::npos : end - start)));
    const std::size_t rest = end == std::string::npos ? std::string::npos : line.find_first_not_of(" \t", end);
    std::string arguments = rest == std::string::npos ? std::string() : line.substr(rest);
    while (!arguments.empty() && (arguments.back() == ' ' || arguments.back() == '\t')) arguments.pop_back();
    arguments_.push_back(std::move(arguments));
  }
}

std::string ServerCapabilities::Arguments(const std::string& name) const {
  const std::string wanted = AsciiUpper(name);
  for (std::size_t i = 0; i < tags_.size(); ++i)
    if (tags_[i] == wanted) return arguments_[i];
  return "";
}

bool ServerCapabilities::Has(const std::string& name) const {
  const std::string wanted = AsciiUpper(name);
  for (const std::string& tag : tags_)
    if (tag == wanted) return true;
  return false;
}

}  // namespace pop3
