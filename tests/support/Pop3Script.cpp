#include "tests/support/Pop3Script.h"

#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {

std::string LeftTrimmed(const std::string& text) {
  std::size_t start = text.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : text.substr(start);
}

// After "TAG:" an optional single blank separates the tag from the text.
bool TakeTagged(const std::string& line, const char* tag, std::string& text) {
  std::size_t length = std::strlen(tag);
  if (line.compare(0, length, tag) != 0) return false;
  text = line.substr(length);
  if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  return true;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char code = text[++i];
    switch (code) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '0': out += '\0'; break;
      case 'x':
        if (i + 2 < text.size()) {
          out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
          i += 2;
        }
        break;
      default: out += code; break;
    }
  }
  return out;
}

}  // namespace

std::vector<Pop3ScriptStep> ParsePop3Script(const std::string& script) {
  std::vector<Pop3ScriptStep> steps;
  std::size_t start = 0;
  while (start <= script.size()) {
    std::size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    std::string line = LeftTrimmed(script.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    std::string text;
    if (line.empty() || line[0] == '#') continue;
    if (TakeTagged(line, "S1:", text)) {
      steps.push_back({Pop3ScriptStep::SendBytewise, text + "\r\n"});
    } else if (TakeTagged(line, "S:", text)) {
      steps.push_back({Pop3ScriptStep::Send, text + "\r\n"});
    } else if (TakeTagged(line, "RAW:", text)) {
      steps.push_back({Pop3ScriptStep::Raw, Unescape(text)});
    } else if (TakeTagged(line, "C:", text)) {
      steps.push_back({Pop3ScriptStep::Expect, text});
    } else if (line == "IDLE") {
      steps.push_back({Pop3ScriptStep::Idle, {}});
    } else if (line == "CLOSE") {
      steps.push_back({Pop3ScriptStep::Close, {}});
    } else if (line == "STALL") {
      steps.push_back({Pop3ScriptStep::Stall, {}});
    } else if (line.rfind("WAIT ", 0) == 0) {
      steps.push_back({Pop3ScriptStep::Wait, line.substr(5)});
    } else {
      throw std::invalid_argument("scripted server: cannot read the script line '" + line + "'");
    }
  }
  return steps;
}

bool Pop3LineMatches(const std::string& expected, const std::string& line) {
  if (!expected.empty() && expected.back() == '*') {
    return line.compare(0, expected.size() - 1, expected, 0, expected.size() - 1) == 0;
  }
  return expected == line;
}

}  // namespace testsupport
