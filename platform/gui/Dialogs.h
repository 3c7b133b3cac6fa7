#pragma once

#include <string>
#include <vector>

namespace platform {

// Every modal box and the save dialog of the program pass through here, so
// that a test can script the answers and read back what was shown. Boxes
// are captioned with the application title.

enum class BoxKind { Information, Question, Error };
enum class BoxAnswer { Ok, Yes, No };

// Information box with an OK button.
void ShowInformation(const std::string& text);
// Information box with Yes and No buttons; true when Yes was chosen.
bool AskYesNo(const std::string& text);
// The application's error box, the text exactly as given.
void ShowError(const std::string& text);

struct SaveDialogOptions {
  std::string Filter;      // pairs "Description|pattern", separated by "|"
  std::string DefaultExt;  // appended when the name has no extension
  std::string InitialDir;
  bool OverwritePrompt = true;  // ask before replacing an existing file
};

// Runs the save-file dialog modally. Returns true with fileName set when
// the user confirmed a name.
bool RunSaveDialog(const SaveDialogOptions& options, std::string& fileName);

// The test script. In scripted mode nothing is shown and nothing waits for
// a person: each box takes the next scripted answer (else OK for an
// information or error box and No for a question) and each save dialog the
// next scripted name (else it is cancelled). Outside scripted mode a
// scripted answer is used the same way, for the next box only.
namespace dialog_script {

struct ShownBox {
  BoxKind Kind;
  std::string Caption;
  std::string Text;
};

void SetScripted(bool scripted);
bool Scripted();
void SetNextAnswer(BoxAnswer answer);
void SetNextSaveFileName(const std::string& fileName);
void SetNextSaveCancelled();

// Every box shown (or answered by the script) since the last Reset, oldest
// first; at most the last 1000.
std::vector<ShownBox> Shown();
std::vector<SaveDialogOptions> SaveDialogsShown();
// Forgets what was shown and every answer not used yet.
void Reset();

}  // namespace dialog_script

}  // namespace platform
