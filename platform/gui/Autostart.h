#pragma once

#include <string>

namespace platform {

// The program's XDG autostart entry: a .desktop file in the user's
// autostart folder ($XDG_CONFIG_HOME/autostart, by default
// ~/.config/autostart) that starts the program with the desktop session,
// straight into the notification area ("pop3check --minimized").
std::string AutostartEntryPath();
bool AutostartEntryExists();

// Writes the entry (creating the folders on the way), replacing an older
// one. Raises EFileError "Unable to write to " + the file name.
void WriteAutostartEntry();

// Removes the entry when it is there. Raises EFileError "Cannot remove " +
// the file name when it stays.
void RemoveAutostartEntry();

}  // namespace platform
