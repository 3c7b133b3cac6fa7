#include "platform/gui/Dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <deque>
#include <optional>

#include "platform/gui/Application.h"
#include "platform/gui/MainWindow.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/Text.h"

namespace platform {

namespace {

constexpr size_t kMaxRecorded = 1000;

struct ScriptState {
  bool scripted = false;
  std::deque<BoxAnswer> answers;
  std::deque<std::optional<std::string>> saveNames;  // nullopt: cancelled
  std::deque<dialog_script::ShownBox> shown;
  std::vector<SaveDialogOptions> saveDialogs;
};

ScriptState& Script() {
  static ScriptState state;
  return state;
}

QWidget* DialogParent() {
  MainWindow* window = Application::MainForm();
  return window != nullptr ? window->Core().widget.data() : nullptr;
}

void Record(BoxKind kind, const std::string& text) {
  auto& shown = Script().shown;
  shown.push_back({kind, Application::Title(), text});
  if (shown.size() > kMaxRecorded) shown.pop_front();
}

// The scripted answer for the box now opening, if any.
std::optional<BoxAnswer> ScriptedAnswer(BoxAnswer fallback) {
  ScriptState& script = Script();
  if (!script.answers.empty()) {
    BoxAnswer answer = script.answers.front();
    script.answers.pop_front();
    return answer;
  }
  if (script.scripted) return fallback;
  return std::nullopt;
}

QMessageBox::Icon BoxIcon(BoxKind kind) {
  switch (kind) {
    case BoxKind::Question:
      return QMessageBox::Question;
    case BoxKind::Error:
      return QMessageBox::Critical;
    case BoxKind::Information:
      break;
  }
  return QMessageBox::Information;
}

BoxAnswer ShowBox(BoxKind kind, const std::string& text) {
  Record(kind, text);
  BoxAnswer fallback = kind == BoxKind::Question ? BoxAnswer::No : BoxAnswer::Ok;
  if (auto scripted = ScriptedAnswer(fallback)) return *scripted;
  QMessageBox box(BoxIcon(kind), qt::ToQt(Application::Title()), qt::ToQtLines(text),
                  kind == BoxKind::Question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                  DialogParent());
  // A box's text often holds a server's reply or a name from a message:
  // taken for markup, it could make the toolkit load any file as a picture.
  box.setTextFormat(Qt::PlainText);
  const int pressed = box.exec();
  if (kind != BoxKind::Question) return BoxAnswer::Ok;
  return pressed == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

// "Text|*.txt|All|*.*" becomes "Text (*.txt);;All (*.*)".
QString QtFilter(const std::string& filter) {
  QStringList parts = qt::ToQt(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
  return filters.join(QStringLiteral(";;"));
}

}  // namespace

void ShowInformation(const std::string& text) { ShowBox(BoxKind::Information, text); }

bool AskYesNo(const std::string& text) { return ShowBox(BoxKind::Question, text) == BoxAnswer::Yes; }

void ShowError(const std::string& text) { ShowBox(BoxKind::Error, text); }

bool RunSaveDialog(const SaveDialogOptions& options, std::string& fileName) {
  ScriptState& script = Script();
  script.saveDialogs.push_back(options);
  if (script.saveDialogs.size() > kMaxRecorded) script.saveDialogs.erase(script.saveDialogs.begin());
  if (!script.saveNames.empty() || script.scripted) {
    std::optional<std::string> name;
    if (!script.saveNames.empty()) {
      name = script.saveNames.front();
      script.saveNames.pop_front();
    }
    if (!name) return false;
    fileName = *name;
    return true;
  }
  QFileDialog dialog(DialogParent());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QtFilter(options.Filter));
  dialog.setDefaultSuffix(qt::ToQt(options.DefaultExt));
  dialog.setDirectory(qt::ToQt(options.InitialDir));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.OverwritePrompt);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
  return true;
}

namespace dialog_script {

void SetScripted(bool scripted) { Script().scripted = scripted; }
bool Scripted() { return Script().scripted; }
void SetNextAnswer(BoxAnswer answer) { Script().answers.push_back(answer); }
void SetNextSaveFileName(const std::string& fileName) { Script().saveNames.emplace_back(fileName); }
void SetNextSaveCancelled() { Script().saveNames.emplace_back(std::nullopt); }

std::vector<ShownBox> Shown() { return {Script().shown.begin(), Script().shown.end()}; }
std::vector<SaveDialogOptions> SaveDialogsShown() { return Script().saveDialogs; }

void Reset() {
  ScriptState& script = Script();
  script.answers.clear();
  script.saveNames.clear();
  script.shown.clear();
  script.saveDialogs.clear();
}

}  // namespace dialog_script

}  // namespace platform
