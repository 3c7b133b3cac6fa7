#pragma once

#include <string>

namespace platform {

// The program's data folder: c:\pop3 on Windows, $HOME/pop3 elsewhere (the
// home folder from the password database when HOME is unset or empty). It
// holds the settings file, the alert sound and the files written from mail.
// Looked up afresh on every call, so a changed HOME takes effect at once.
// Texts shown to the user that name the folder should use this value.
std::string DataFolder();

// name inside the data folder, joined with the folder separator.
std::string DataFolderFile(const std::string& name);

// The settings file, pop3.ini in the data folder.
std::string SettingsFilePath();

// The alert sound supplied by the user, gotmail.wav in the data folder.
std::string WaveFilePath();

}  // namespace platform
