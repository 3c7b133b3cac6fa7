#include "tests/support/ScriptedSessions.h"

namespace testsupport::sessions {

std::string LogIn(const std::string& stat) {
  return std::string("S: +OK ready\nC: CAPA\nS: -ERR\nC: USER ") + kUser + "\nS: +OK\nC: PASS " + kPassword +
         "\nS: +OK logged in\nC: STAT\nS: +OK " + stat + "\n";
}

std::string Quit() { return "C: QUIT\nS: +OK bye\n"; }

std::string Listing(int count) {
  std::string script = "C: LIST \nS: +OK\n";
  for (int msg = 1; msg <= count; ++msg) script += "S: " + std::to_string(msg) + " " + std::to_string(msg * 100) + "\n";
  return script + "S: .\nC: UIDL\nS: -ERR not supported\n";
}

std::string PipeliningCheckStart(int count) {
  std::string script = std::string("S: +OK ready\nC: CAPA\nS: +OK\nS: PIPELINING\nS: .\nC: USER ") + kUser +
                       "\nC: PASS " + kPassword + "\nS: +OK\nS: +OK logged in\nC: STAT\nC: LIST \nC: UIDL\n";
  int total = 0;
  for (int msg = 1; msg <= count; ++msg) total += msg * 100;
  script += "S: +OK " + std::to_string(count) + " " + std::to_string(total) + "\nS: +OK\n";
  for (int msg = 1; msg <= count; ++msg) script += "S: " + std::to_string(msg) + " " + std::to_string(msg * 100) + "\n";
  return script + "S: .\nS: -ERR not supported\n";
}

std::string WalkSummary(int msg, const std::vector<std::string>& headerLines) {
  std::string script = "C: TOP " + std::to_string(msg) + " 0\nS: +OK\n";
  for (const std::string& line : headerLines) script += "S: " + line + "\n";
  return script + "S:\nS: .\n";
}

std::string Summary(int msg, const std::vector<std::string>& headerLines) {
  const std::string number = std::to_string(msg);
  return WalkSummary(msg, headerLines) + "C: LIST " + number + "\nS: +OK " + number + " " + std::to_string(msg * 100) +
         "\n";
}

}  // namespace testsupport::sessions
