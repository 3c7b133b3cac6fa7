#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace app {

class TForm1;

// The window's part in the desktop: the desktop notification of an
// alerting automatic check and the autostart entry, both switched in the
// DESKTOP section of the settings file.
class DesktopAlerts {
 public:
  explicit DesktopAlerts(TForm1& form) : form_(form) {}

  // Reads DESKTOP Notify and Autostart; Autostart writes or removes the
  // autostart entry only when it says Yes or No, so that an entry the user
  // made or removed by hand stays as it is otherwise.
  void ApplyDesktopSettings();
  // One notice for a check, naming the rows that raised its alert (top
  // first); none when no row did or the notice is switched off.
  void NotifyMailAlert(const std::vector<int>& alertRows);
  // One notice for a check of several mailboxes: summary names each with
  // its matches; a click chooses the mailbox firstMailbox and shows its
  // rows.
  void NotifyMailboxes(const std::string& summary, const std::string& body, std::size_t firstMailbox);
  // A click on the last notice: the mailbox it named first is chosen.
  void Activated();

 private:
  TForm1& form_;
  bool notify_ = true;
  std::optional<std::size_t> alertMailbox_;
};

}  // namespace app
