#pragma once

#include <functional>
#include <string>

namespace platform {

// What a shell command left behind.
struct ShellCommandResult {
  bool started = false;   // false: /bin/sh could not be run, or was given up while it started
  bool timedOut = false;  // given up after timeoutMs, or when stop() held, and killed
  int exitStatus = -1;    // exit code; -1 when it did not exit normally
  std::string output;     // standard output
  std::string errors;     // standard error
};

// Runs command through /bin/sh -c with no standard input, keeping the event
// loop turning through every wait (the shell's start included), for at most
// timeoutMs (0 = no limit) or until stop() returns true; then the command is
// killed. A shell that has not started within 5 s counts as not started.
// Output beyond 1 MiB per stream is dropped.
ShellCommandResult RunShellCommand(const std::string& command, int timeoutMs, const std::function<bool()>& stop);

}  // namespace platform
