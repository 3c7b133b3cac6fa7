#pragma once

#include <string>
#include <string_view>

namespace platform {

// The program's data folder: c:\pop3 on Windows, $HOME/pop3 elsewhere (the
// home folder from the password database when HOME is unset or empty). It
// holds the settings file, the alert sound and the files written from mail.
// Looked up afresh on every call, so a changed HOME takes effect at once.
// Texts shown to the user that name the folder should use this value.
std::string DataFolder();

// name inside the data folder, joined with the folder separator.
std::string DataFolderFile(const std::string& name);

// The names of the files the program itself keeps in the data folder.
inline constexpr const char* kSettingsFileName = "pop3.ini";
inline constexpr const char* kWaveFileName = "gotmail.wav";
// Temporary part files of message retrieval: prefix, a number, suffix.
inline constexpr const char* kPartFilePrefix = "Temp";
inline constexpr const char* kPartFileSuffix = ".mme";

// True when name, in any letter case, is one the program reads or writes in
// the data folder: the settings file, the alert sound, the temporary files
// beside either of them while they are replaced (the name followed by a
// dot and anything), and the part files (prefix, digits, suffix). Files
// written from mail must never take such a name. A new file of the program
// gets its name above and a rule here.
bool IsProgramFileName(std::string_view name);

// The settings file, pop3.ini in the data folder.
std::string SettingsFilePath();

// The alert sound supplied by the user, gotmail.wav in the data folder.
std::string WaveFilePath();

}  // namespace platform
