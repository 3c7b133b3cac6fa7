#include "platform/gui/Autostart.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/core/Exception.h"
#include "platform/core/Files.h"

namespace platform {

namespace {

// A relative XDG_CONFIG_HOME is invalid and to be ignored, as the base
// directory rules say.
std::filesystem::path ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && std::filesystem::path(xdg).is_absolute()) return xdg;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "") / ".config";
}

constexpr const char* kEntry =
    "[Desktop Entry]\n"
    "Type=Application\n"
    "Name=POP3 Checker\n"
    "Comment=Watch a POP3 mailbox from the notification area\n"
    "Exec=pop3check --minimized\n"
    "Icon=pop3check\n"
    "Terminal=false\n"
    "X-GNOME-Autostart-enabled=true\n";

}  // namespace

std::string AutostartEntryPath() { return (ConfigHome() / "autostart" / "org.pop3check.pop3check.desktop").string(); }

bool AutostartEntryExists() {
  std::error_code error;
  return std::filesystem::is_regular_file(AutostartEntryPath(), error);
}

// Replaced safely (see WriteFileReplacing), so that the session never reads
// half an entry, and never through a named pipe or device of that name.
void WriteAutostartEntry() {
  std::filesystem::path path = AutostartEntryPath();
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  try {
    WriteFileReplacing(path.string(), kEntry);
  } catch (const EUnusableFile& failure) {
    throw EFileError("Unable to write to " + path.string() + ": " + failure.Problem());
  } catch (const EFileError&) {
    throw EFileError("Unable to write to " + path.string());
  }
}

void RemoveAutostartEntry() {
  std::error_code error;
  std::filesystem::remove(AutostartEntryPath(), error);
  if (AutostartEntryExists()) throw EFileError("Cannot remove " + AutostartEntryPath());
}

}  // namespace platform
