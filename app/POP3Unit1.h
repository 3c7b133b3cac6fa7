#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mailbox/Mailbox.h"
#include "platform/core/Clock.h"
#include "platform/core/Component.h"
#include "platform/core/WindowTimer.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Cursor.h"
#include "platform/gui/DesktopNotifier.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/MainWindow.h"
#include "platform/gui/MessageGrid.h"
#include "platform/gui/TextArea.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/WavePlayer.h"

namespace app {

inline constexpr const char* kApplicationTitle = "Vorra`s POP3 Checker";
inline constexpr const char* kAlertApplicationTitle = "Vorra`s POP3 Checker MAIL";
inline constexpr const char* kWindowCaption = "Vorra`s POP3 Check / Delete Utility Ver 1.2";
// The tray icon's hint, before any note of the automatic check.
inline constexpr const char* kTrayHint = "POP3 Check / Delete";
inline constexpr int kAboutCommand = 9999;
// Design time auto-check period, until start-up sets the user's interval.
inline constexpr unsigned kDesignTimerIntervalMs = 300000;

class AutoCheck;
class CommandRun;
class DesktopAlerts;
class ListView;
class MailboxChoice;
class MessageViewer;
class SettingsStore;
class StatusLine;
class WindowMailboxEvents;

// The main window: its controls, the window state its commands share, and
// the handlers of its controls. It draws; the mailbox decides. Every
// network command asks the mailbox (mailbox/Mailbox.h), which runs it as a
// session of its own and keeps the rows that the list draws; the concerns
// of the window that keep state of their own are objects of their own: the
// automatic check (app/AutoCheck.h), the viewer (app/Viewer.h), the
// settings with the keyring and the security questions
// (app/SettingsStore.h), the desktop notification (app/DesktopAlerts.h),
// the status line (app/StatusLine.h) and the commands in progress
// (app/CommandRun.h). The window watches several mailboxes
// (app/MailboxChoice.h) and shows the chosen one.
//
// The numbered control names are the window's design names; the comments
// below say what each one is. The handlers are grouped by the file that
// holds them; the window is built in app/WindowLayout.cpp.
class TForm1 : public platform::TComponent {
 public:
  // clock: what the automatic check's due times are measured on.
  explicit TForm1(const platform::Clock& clock = platform::SystemClock());
  ~TForm1() override;

  // Window and controls, in the order they are built.
  std::unique_ptr<platform::MainWindow> Window;
  // The top panel: account edits, and the option tick boxes under their
  // captions.
  std::unique_ptr<platform::Panel> Panel1;
  std::unique_ptr<platform::Label> IPlabel, UserLabel, PasswordLabel;
  std::unique_ptr<platform::Label> Label6;  // "Save": caption over CheckBox1
  // "Auto-Check": caption over CheckBox2 and CheckBox4; a click adds five
  // minutes to the auto-check interval, a double click resets it.
  std::unique_ptr<platform::Label> Label7;
  std::unique_ptr<platform::Label> Label9;  // "Sound": caption over CheckBox3
  // "Analyse": caption over CheckBox5; a click ticks (or unticks) every
  // listed row.
  std::unique_ptr<platform::Label> Label8;
  std::unique_ptr<platform::Edit> IPedit, UserEdit, PasswordEdit;
  std::unique_ptr<platform::CheckBox> CheckBox1;  // "Save Password": the password goes into the settings
  std::unique_ptr<platform::CheckBox> CheckBox2;  // "Auto-Check Every N Minutes": the timer runs
  // "Continuos Auto-Checking Even After Match Found": auto-checks go on
  // after a rule raised the alert.
  std::unique_ptr<platform::CheckBox> CheckBox4;
  std::unique_ptr<platform::CheckBox> CheckBox3;  // "Play Wave File": the alert plays its sound
  // "Analyse From: Subject: Date:": a check fetches each message's summary
  // to fill those columns.
  std::unique_ptr<platform::CheckBox> CheckBox5;
  // Over the list: the status line, and the column captions.
  std::unique_ptr<platform::Label> Label5;  // status ("Connecting ..." etc.), magenta, hidden when idle
  std::unique_ptr<platform::Label> Label1;  // "From:"; a click shows or hides Edit1
  std::unique_ptr<platform::Label> Label2;  // "Subject:"; a click shows or hides Edit2
  std::unique_ptr<platform::Label> Label3;  // "Date:"; a click clears the list
  std::unique_ptr<platform::Label> Label4;  // "Size:"; a click shows or hides Edit3
  // The auto-check match rules, hidden until their caption is clicked.
  std::unique_ptr<platform::Edit> Edit1;  // FROM: rule, text searched in the sender
  std::unique_ptr<platform::Edit> Edit2;  // SUBJECT: rule, text searched in the subject
  std::unique_ptr<platform::Edit> Edit3;  // SIZE: rule, a message size limit
  // The message list: it draws the mailbox's rows (a tick box, sender,
  // subject, date, size, and the hidden message number), newest on top.
  std::unique_ptr<platform::MessageGrid> StringGrid1;
  std::unique_ptr<platform::TextArea> Memo1;
  std::unique_ptr<platform::Button> CheckButton, DeleteButton, ExitButton;

  // Components without a place on screen. FormScaler1's proportional
  // resizing is built into the window; PopupMenu1 with Restore1 into the
  // tray icon.
  std::unique_ptr<platform::WindowTimer> Timer1;
  platform::SaveDialogOptions SaveDialog1;
  std::unique_ptr<platform::WavePlayer> WavePlayer1;
  std::unique_ptr<platform::TrayIcon> TrayIcon1;
  std::unique_ptr<platform::DesktopNotifier> Notifier1;

  // The mailbox the window shows: its rows and the commands on it. The
  // window watches several (app/MailboxChoice.h); this is the chosen one.
  mailbox::Mailbox& Mailbox() { return *mailbox_; }

  // Window state shared by the commands.
  bool ConnectPending = false;  // a log-in failed and is still to be reported
  int ListTotal = 0;            // the last check's processing total (the check button's hint)
  int FetchLimit = 0;           // rows a listing may add; 0: no limit
  bool StopRequested = false;   // a key was pressed: the manual summary walk ends
  bool SoundAvailable = false;  // the alert wave file exists and the setting allows it
  bool SoundSuppressed = false; // the alert sound does not play (again) in this check
  bool MailAlerted = false;     // an automatic-check alert stands
  bool ViewerFetch = false;     // the viewer is in use
  platform::CursorShape SavedCursor = platform::CursorShape::Default;
  int IntervalMinutes = 0;      // minutes between automatic checks
  bool AutoCheckBusy = false;   // an automatic check runs
  // The automatic check of several mailboxes runs: a failure of one is
  // told in the tray hint, not in a box, and does not stop the watch.
  bool QuietFailures = false;
  bool InTray = false;          // the window sits in the notification area
  bool SelectAllState = false;  // what the last "Analyse" label click applied
  std::int32_t ViewerMessage = 0;  // the message whose header the viewer shows; 0 when none waits for its body
  bool AttachmentsSaved = false;   // the body fetch placed an attachment

  // Check cycle (app/CheckCycle.cpp). POP3List draws a row the listing put
  // on top, POP3RetrieveEnd the summary of a row; the other POP3 handlers
  // answer the mailbox's events.
  void CheckButtonClick();
  void POP3List(std::int32_t Msg, std::int32_t Size);
  void POP3RetrieveEnd(int Row);
  void POP3AuthenticationFailed(bool& Handled);
  void POP3ConnectionFailed(platform::TComponent* Sender);
  void POP3InvalidHost(bool& Handled);
  void POP3Failure(platform::TComponent* Sender);
  void POP3DecodeEnd(platform::TComponent* Sender);
  void POP3PacketRecvd(platform::TComponent* Sender);
  void FormKeyPress(char& Key);
  // Connection security (app/ConnectionSecurity.cpp): the box of a session
  // that could not be made safe, the question before a log-in in clear,
  // and what the last session used.
  void POP3SecurityFailure(const std::string& Text, const std::string& Host, bool TlsOffered);
  void POP3PlaintextLogin(const std::string& Host, bool& Handled);
  void POP3LoggedIn(const std::string& Host, const std::string& Tls, bool TlsOffered);

  // Group operations shared by the commands (app/WindowEvents.cpp).
  void ClearMessageList();
  void SetControlsEnabled(bool enabled);
  void HideRuleEdits();

  // Auto-check and match rules (app/AutoCheck.cpp).
  void Timer1Timer();
  void RaiseMailAlert();
  void Label1Click();
  void Label2Click();
  void Label4Click();
  void Edit1Enter();
  void Edit2Enter();
  void Edit3Enter();
  void Edit1Exit();
  void Edit2Exit();
  void Edit3Exit();
  void CheckBox2Enter();
  void CheckBox2Exit();
  void IPeditEnter();
  void UserEditEnter();
  void PasswordEditEnter();
  void CheckBox1Enter();
  void Label7Click();
  void Label7DblClick();

  // Settings file, start-up and shut-down (app/StartUp.cpp).
  void FormCreate();
  void FormShow();
  void FormClose();
  void ExitButtonClick();
  void IPeditChange();
  void UserEditChange();
  void IPlabelClick();
  void IPlabelDblClick();
  void CheckBox1Click();

  // Message list, analysis (app/MessageList.cpp) and deletion
  // (app/Deletion.cpp).
  void StringGrid1CanEditCell(int ARow, int ACol, bool& canedit);
  void StringGrid1CheckBoxClick(int ACol, int ARow, bool State);
  void StringGrid1KeyPress(char& Key);
  void StringGrid1Enter();
  void Label3Click();
  void StringGrid1RightClickCell(int ARow, int ACol);
  void Label8Click();
  void DeleteButtonClick();

  // Message viewer (app/Viewer.cpp).
  void StringGrid1DblClickCell(int ARow, int ACol);
  void Memo1DblClick();
  void Memo1KeyPress(char& Key);
  void Memo1Click();
  void POP3DecodeStart(std::string& FileName);

  // Window shell (app/WindowShell.cpp).
  void AppMinimized();
  void SystemCommand(int Command);
  void Restore1Click();
  void TrayIcon1Click();
  void TrayIcon1DblClick();
  // The window is asked to close: waits for a running command first.
  void WindowCloseQuery(bool& CanClose);
  void Notifier1Activated();

  // Operations offered to the commands (app/WindowShell.cpp).
  void PlayAlertSound();
  void StartTrayAnimation();
  void SetApplicationTitle(const std::string& title);

 private:
  friend class AutoCheck;
  friend class CommandRun;
  friend class DesktopAlerts;
  friend class ListView;
  friend class MailboxChoice;
  friend class MessageViewer;
  friend class SettingsStore;
  friend class StatusLine;
  friend class WindowMailboxEvents;
  friend void WireWindowEvents(TForm1& form);

  // The window's own parts, each with its own state; built in this order
  // (app/POP3Unit1.cpp).
  std::unique_ptr<WindowMailboxEvents> mailboxEvents_;
  std::unique_ptr<MailboxChoice> choice_;
  mailbox::Mailbox* mailbox_ = nullptr;  // the chosen one of choice_
  std::unique_ptr<StatusLine> status_;
  std::unique_ptr<CommandRun> commands_;
  std::unique_ptr<ListView> listView_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<DesktopAlerts> alerts_;
  std::unique_ptr<AutoCheck> autoCheck_;
  std::unique_ptr<MessageViewer> viewer_;
};

// Builds the window's controls and components (app/WindowLayout.cpp), and
// wires their events to the handlers (app/WindowEvents.cpp).
void BuildWindow(TForm1& form);
void WireWindowEvents(TForm1& form);

}  // namespace app
