#pragma once

namespace app {

class TForm1;

// The network commands in progress, nested through the event loop, and a
// close of the window that waits for them: closing the window while a
// command waits cancels the wait (the mailbox's Abort) and closes the
// window once the command has returned.
class CommandRun {
 public:
  explicit CommandRun(TForm1& form) : form_(form) {}

  // Held by a command for its whole run.
  class Scope {
   public:
    explicit Scope(CommandRun& run) : run_(run) { ++run_.depth_; }
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    CommandRun& run_;
  };

  bool Running() const { return depth_ > 0; }
  bool CloseRequested() const { return closeRequested_; }
  // The window is asked to close: false while a command runs (its wait is
  // cancelled, and the window closes when it has returned).
  bool MayClose();

  // How the commands on the list start: the viewer closes, the list shows
  // with the status "Connecting ...", and the input controls are disabled.
  void ShowListForCommand();
  // A check or deletion started by the user: the alert title and
  // MailAlerted end, the auto-check timer stops, the rule edits hide, then
  // ShowListForCommand.
  void BeginUserListCommand();
  // Before a command's session: the mailbox gets the settings in the
  // window (waiting, in sight, for the keyring's password where needed);
  // the cursor is kept in SavedCursor and the hourglass shows.
  void PrepareSession();
  // The mailbox gets the settings in the window.
  void ApplyMailboxSettings();
  // Stops the auto-check timer and starts it again: its countdown begins
  // afresh.
  void RestartAutoCheckTimer();

 private:
  TForm1& form_;
  int depth_ = 0;
  bool closeRequested_ = false;
};

}  // namespace app
