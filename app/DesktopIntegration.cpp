// The window's part in the desktop: the autostart entry and the desktop
// notification of an alert, both switched in the DESKTOP section of the
// settings file.
#include <algorithm>
#include <string>

#include "app/AlertNotice.h"
#include "app/MatchRules.h"
#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "app/Settings.h"
#include "platform/gui/Autostart.h"

namespace app {

// Autostart is changed only when the key says Yes or No, so that an entry
// the user made or removed by hand stays as it is otherwise.
void TForm1::ApplyDesktopSettings() {
  using namespace settings;
  platform::ProfileFile file = SettingsFile();
  NotifyAlerts = AsciiUpper(file.ReadString(kDesktop, kNotify, "Yes")) != "NO";
  std::string autostart = AsciiUpper(file.ReadString(kDesktop, kAutostart, ""));
  if (autostart == "YES") platform::WriteAutostartEntry();
  if (autostart == "NO") platform::RemoveAutostartEntry();
}

void TForm1::NoteAlertRow(int row) {
  if (std::find(AlertRows.begin(), AlertRows.end(), row) == AlertRows.end()) AlertRows.push_back(row);
}

// One notice per check, however many rules and rows raised the alert.
void TForm1::NotifyMailAlert() {
  std::vector<int> rows;
  rows.swap(AlertRows);
  if (rows.empty() || !NotifyAlerts) return;
  std::sort(rows.begin(), rows.end());
  std::vector<AlertedMessage> messages;
  for (int row : rows) messages.push_back({StringGrid1->Cell(kSenderColumn, row), StringGrid1->Cell(kSubjectColumn, row)});
  AlertNotice notice = ComposeAlertNotice(messages);
  Notifier1->Notify(notice.Summary, notice.Body);
}

// A click on the notice brings the window back, from the tray or from
// behind other windows.
void TForm1::Notifier1Activated() { Restore1Click(); }

}  // namespace app
