#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// The general exception of the program: a message text and nothing else.
// Every failure the logic raises is an Exception or derives from it.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// A file could not be created, opened, read or written.
class EFileError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace platform
