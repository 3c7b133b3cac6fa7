#pragma once

#include <memory>
#include <string>

#include "tests/support/GuardedFifo.h"

namespace testsupport {

// An entry that is no regular file, made at a path where the program expects
// one, for tests of code that must refuse it without waiting on it. The
// named pipes are GuardedFifos: a wait on one ends after a bound and shows in
// Waited(). The entry (and the pipe a link points at) goes with the object.
class NonRegularEntry {
 public:
  enum class Kind { Fifo, LinkToFifo, Folder, Device, Socket };

  // Throws std::runtime_error when the entry cannot be made.
  NonRegularEntry(Kind kind, std::string path);
  ~NonRegularEntry();
  NonRegularEntry(const NonRegularEntry&) = delete;
  NonRegularEntry& operator=(const NonRegularEntry&) = delete;

  const std::string& Path() const { return path_; }
  // For test traces: "named pipe", "link to a named pipe", ...
  std::string Name() const;
  // What a refusal calls it, links followed: "a named pipe (FIFO)",
  // "a folder", "a device", "a socket".
  std::string Words() const;
  // True when the path still holds the entry as it was made.
  bool Unchanged() const;
  // True when a named pipe of the entry had to be freed from a waiting open.
  bool Waited() const { return fifo_ != nullptr && fifo_->Waited(); }

 private:
  Kind kind_;
  std::string path_;
  std::unique_ptr<GuardedFifo> fifo_;
  int socket_ = -1;
};

inline constexpr NonRegularEntry::Kind kEveryNonRegularKind[] = {
    NonRegularEntry::Kind::Fifo, NonRegularEntry::Kind::LinkToFifo, NonRegularEntry::Kind::Folder,
    NonRegularEntry::Kind::Device, NonRegularEntry::Kind::Socket};

}  // namespace testsupport
