#pragma once

#include <optional>
#include <string>

#include "platform/core/ProfileFile.h"

namespace app {

// Sections and keys of the settings file (pop3.ini in the data folder).
namespace settings {
inline constexpr const char* kEmail = "EMAIL";
inline constexpr const char* kServer = "Server";
inline constexpr const char* kUserID = "UserID";
inline constexpr const char* kPassword = "Password";
// Connection security: Auto (default), TLS, STARTTLS or None.
inline constexpr const char* kSecurity = "Security";
inline constexpr const char* kTlsFingerprint = "TLSFingerprint";
inline constexpr const char* kTlsCAFile = "TLSCAFile";
inline constexpr const char* kTokenCommand = "TokenCommand";
// Per host: "Yes" once the host was seen offering TLS.
// The mailboxes after the first: sections kEmail + "2", "3", ... with the
// keys of kEmail, and in any of them these two.
inline constexpr const char* kName = "Name";            // how the mailbox is shown; default UserID@host
inline constexpr const char* kMailboxAutoCheck = "AutoCheck";  // Yes (default) or No: in the automatic check
// The chosen mailbox, 1 for EMAIL, 2 for EMAIL2, ...
inline constexpr const char* kMailboxes = "MAILBOXES";
inline constexpr const char* kChosen = "Chosen";
inline constexpr const char* kTlsHosts = "TLSHOSTS";
// Per host: the answer ("Yes"/"No") to the question before a log-in in clear.
inline constexpr const char* kPlaintextHosts = "PLAINTEXT";
// PasswordIn=Keyring: the saved password is in the desktop's keyring under
// kKeyringEntry, and Password is empty.
inline constexpr const char* kPasswordIn = "PasswordIn";
inline constexpr const char* kInKeyring = "Keyring";
inline constexpr const char* kKeyringEntry = "password";
inline constexpr const char* kAutoCheck = "AUTOCHECK";
inline constexpr const char* kInterval = "Interval";
inline constexpr const char* kFrom = "From";
inline constexpr const char* kSubject = "Subject";
inline constexpr const char* kSize = "Size";
inline constexpr const char* kDebug = "DEBUG";
inline constexpr const char* kFetchCount = "FetchCount";
inline constexpr const char* kSound = "SOUND";
inline constexpr const char* kPlayWave = "PlayWave";
// Read at start-up only: Notify=No turns the desktop notification off;
// Autostart=Yes or No writes or removes the autostart entry.
inline constexpr const char* kDesktop = "DESKTOP";
inline constexpr const char* kNotify = "Notify";
inline constexpr const char* kAutostart = "Autostart";

inline constexpr const char* kDefaultSecurity = "Auto";
inline constexpr const char* kDefaultInterval = "30";
inline constexpr const char* kDefaultFetchCount = "0";
inline constexpr const char* kDefaultPlayWave = "Yes";
}  // namespace settings

// The settings file. It holds the scrambled password, so every write leaves
// it readable by its owner only.
platform::ProfileFile SettingsFile();

// Writes one value to the settings file, creating the data folder first
// when it has gone missing. Raises platform::EFileError "Cannot create " +
// the folder, or "Unable to write to " + the file name.
void WriteSetting(const std::string& section, const std::string& key, const std::string& value);

// One key of the settings file and the text a save writes into it.
struct SettingValue {
  const char* Section;
  const char* Key;
  std::string Value;
};

// One key a save writes, as start-up left it. A save writes only what the
// user changed since, so that a value start-up did not reach, or reached
// but did not change, keeps its stored bytes.
struct LoadedSetting {
  bool Read = false;                  // start-up read the key
  std::optional<std::string> Stored;  // its text in the file then; none when missing
  std::string Saved;                  // what a save would write for the window start-up left
};

// The auto-check interval is kept in whole minutes, never more than this
// many; the timer takes it in milliseconds.
inline constexpr int kLongestIntervalMinutes = 60;
inline constexpr unsigned IntervalMilliseconds(int minutes) { return static_cast<unsigned>(minutes) * 60000U; }

// The hint of the "Auto-Check" tick box for an interval given as text.
std::string AutoCheckHint(const std::string& minutes);

}  // namespace app
