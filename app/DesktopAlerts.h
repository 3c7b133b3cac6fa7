#pragma once

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

 private:
  TForm1& form_;
  bool notify_ = true;
};

}  // namespace app
