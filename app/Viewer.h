#pragma once

#include <cstdint>
#include <string>

namespace app {

class TForm1;

// The message viewer: a double click on a row shows the message's header
// in place of the list, a double click on the header the whole body (its
// attachments placed in the data folder), a double click on the body saves
// the text; Escape closes it. Each fetch is a session of the mailbox's.
class MessageViewer {
 public:
  explicit MessageViewer(TForm1& form) : form_(form) {}

  void OpenHeader(int row);
  // The header view fetches the body; any other view saves its text.
  void OpenBodyOrSave();
  // Escape: the list comes back, and the automatic check runs again.
  void CloseByKey();
  // The list comes back; the view and the message behind it are let go.
  void Close();
  // A fetch waits on the server.
  bool Fetching() const { return fetching_; }

 private:
  void ShowInViewer(std::string text, const std::string& caption);
  void FinishHeaderView(bool opened);
  void FetchBody(bool& opened);
  void Save();

  TForm1& form_;
  bool fetching_ = false;
  std::string messageId_;  // the unique id of the viewed message; empty without one
};

}  // namespace app
