#pragma once

#include <string>
#include <vector>

namespace testsupport {

// One step of a scripted POP3 conversation, as ScriptedPop3Server's header
// describes the text form.
struct Pop3ScriptStep {
  enum Kind { Send, SendBytewise, Raw, Expect, Idle, Wait, Close, Stall } kind;
  // Send, SendBytewise: the line with its CR LF; Raw: the bytes, unescaped;
  // Expect: the expected line without CR LF; Wait: the milliseconds.
  std::string text;
};

// Reads a script, one step per line. Raises std::invalid_argument for a
// line it cannot read, naming the line.
std::vector<Pop3ScriptStep> ParsePop3Script(const std::string& script);

// Whether a client line meets an expected one: equal, or, when expected
// ends in '*', starting with the rest of it.
bool Pop3LineMatches(const std::string& expected, const std::string& line);

}  // namespace testsupport
