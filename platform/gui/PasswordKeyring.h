#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

// One password kept in the desktop's keyring (the Secret Service of GNOME
// Keyring or KWallet, reached over the session bus), under the program's
// name and key. Every call is asynchronous: it starts at once and answers
// through the event loop, at the latest kKeyringTimeoutMs after its start.
namespace keyring {

inline constexpr int kKeyringTimeoutMs = 10000;

enum class Status {
  Done,       // stored, read or removed
  NotFound,   // the keyring answered, but holds no such entry
  NoKeyring,  // no keyring is there, or it refused
  NoAnswer,   // the keyring did not answer within kKeyringTimeoutMs
};

// One call to the keyring in progress. Destroying it before its answer
// drops the answer (the keyring may still carry out a store or removal).
class Call {
 public:
  ~Call();
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  bool Finished() const;
  // Valid once Finished.
  Status Result() const;
  // A read's password, once Finished with Done; empty otherwise.
  const std::string& Password() const;

  // Called once, from the event loop, when the call has finished.
  std::function<void()> OnFinished;

  struct Impl;  // toolkit side; platform code only
  explicit Call(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

std::unique_ptr<Call> StartStore(const std::string& key, const std::string& password);
std::unique_ptr<Call> StartRead(const std::string& key);
// Removing an entry that is not there gives NotFound.
std::unique_ptr<Call> StartRemove(const std::string& key);

}  // namespace keyring

}  // namespace platform
