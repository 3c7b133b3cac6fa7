#pragma once

#include <stdexcept>
#include <string>
#include <utility>

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

// A path names something that is no regular file (a folder, a named pipe, a
// device, a socket), or a file larger than the operation takes. Problem()
// says which, in words ("it is a named pipe (FIFO), not a regular file"),
// without the file's name, for a caller that words its own message.
class EUnusableFile : public EFileError {
 public:
  EUnusableFile(const std::string& message, std::string problem)
      : EFileError(message), problem_(std::move(problem)) {}
  const std::string& Problem() const { return problem_; }

 private:
  std::string problem_;
};

}  // namespace platform
