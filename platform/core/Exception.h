#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// The general exception of the program: a message text and nothing else.
// Every failure the logic raises is an Exception or derives from it.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message), message_(message) {}
  // The whole text, also past a NUL byte (what() ends at the first one).
  std::string Message() const { return message_; }

 private:
  std::string message_;
};

// A file could not be created, opened, read or written.
class EFileError : public Exception {
 public:
  using Exception::Exception;
};

// A file was to be created new, but its name is taken: by a file, a folder
// or a symbolic link (a dangling one too).
class EFileExists : public EFileError {
 public:
  using EFileError::EFileError;
};

}  // namespace platform
