#pragma once

#include <string>
#include <vector>

namespace pop3 {

// What a server said it supports in its answer to CAPA: one capability per
// line, a tag (compared without regard to case) and its parameters.
class ServerCapabilities {
 public:
  // Nothing known: no CAPA was answered, or it was refused.
  ServerCapabilities() = default;
  // From the lines of a CAPA answer after its "+OK" status line, line ends
  // removed, the terminating "." line not included. Empty lines are passed
  // over.
  explicit ServerCapabilities(const std::vector<std::string>& answerLines);

  // Whether the line tagged name was listed ("PIPELINING", "STLS", ...).
  bool Has(const std::string& name) const;
  // The server lets a client send further commands before the answers to
  // the earlier ones have come.
  bool Pipelining() const { return Has("PIPELINING"); }
  // What follows the tag name on its line, blanks trimmed ("900 USER" for
  // "LOGIN-DELAY 900 USER"); empty when not listed or listed bare.
  std::string Arguments(const std::string& name) const;

 private:
  std::vector<std::string> tags_;       // upper-cased
  std::vector<std::string> arguments_;  // beside each tag
};

}  // namespace pop3
