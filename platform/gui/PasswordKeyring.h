#pragma once

#include <string>

namespace platform {

// One password kept in the desktop's keyring (the Secret Service of GNOME
// Keyring or KWallet, reached over the session bus), under the program's
// name and key. Every call waits for the keyring's answer, at most
// kKeyringTimeoutMs, serving the event loop meanwhile; a keyring that does
// not answer in time counts as absent.
namespace keyring {

inline constexpr int kKeyringTimeoutMs = 10000;

enum class Status {
  Done,       // stored, read or removed
  NotFound,   // the keyring answered, but holds no such entry
  NoKeyring,  // no keyring answered, or it refused
};

Status StorePassword(const std::string& key, const std::string& password);
// password is left alone unless the result is Done.
Status ReadPassword(const std::string& key, std::string& password);
// Removing an entry that is not there gives NotFound.
Status RemovePassword(const std::string& key);

}  // namespace keyring

}  // namespace platform
