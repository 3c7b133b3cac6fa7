#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/PasswordStore.h"
#include "app/Settings.h"
#include "platform/core/Component.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Cursor.h"
#include "platform/gui/DesktopNotifier.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/MainWindow.h"
#include "platform/gui/MessageGrid.h"
#include "platform/core/ProfileFile.h"
#include "platform/gui/TextArea.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/WavePlayer.h"
#include "platform/core/WindowTimer.h"
#include "pop3/Pop3Client.h"
#include "pop3/SummaryPipeline.h"

namespace app {

inline constexpr const char* kApplicationTitle = "Vorra`s POP3 Checker";
inline constexpr const char* kAlertApplicationTitle = "Vorra`s POP3 Checker MAIL";
inline constexpr const char* kWindowCaption = "Vorra`s POP3 Check / Delete Utility Ver 1.2";
inline constexpr int kAboutCommand = 9999;
inline constexpr int kDefaultPop3Port = 110;
// No single step of a session may keep the window waiting longer.
inline constexpr int kServerTimeOutMs = 60000;
// Design time auto-check period, until start-up sets the user's interval.
inline constexpr unsigned kDesignTimerIntervalMs = 300000;

inline constexpr int kImplicitTlsPort = 995;

// The server edit holds a host name, a dotted address or an IPv6 literal
// (in brackets when a port follows: "[2001:db8::1]:995"), optionally
// followed by ":" and a decimal port 1..65535; without a valid port the port
// is 110 and the whole text is the host. "pop3s://" before it asks for
// implicit TLS, on port 995 unless a port is given; so does port 995.
struct ServerAddress {
  std::string Host;
  int Port = kDefaultPop3Port;
  bool ImplicitTls = false;
};
ServerAddress SplitServerAddress(const std::string& text);

// Cuts one header value out of header (the summary's lines, each ended by
// CR LF): finds label, else fallbackLabel, anywhere in the text (also inside
// another header name); the value starts skip characters after the match
// and runs to the end of that physical line, CR excluded. Nothing when
// neither label occurs.
std::optional<std::string> ExtractHeaderValue(const std::string& header, const std::string& label,
                                              const std::string& fallbackLabel, int skip);

// The main window: its controls, its POP3 client and the state that the
// window's commands share. The numbered control names are the window's
// design names; the comments below say what each one is. Each group of
// handlers names the file that holds it; the constructor and destructor
// are in app/POP3Unit1.cpp, building the controls in app/WindowLayout.cpp. Every network command of the window is a POP3
// session of its own: Disconnect, CopyCredentials, Connect, the work,
// Disconnect.
//
// A command that talks to the server holds a CommandScope for its whole
// run and gives up when CloseRequested is set: closing the window while a
// command waits cancels the wait (the client's Abort) and closes the window
// once the command has returned.
class TForm1 : public platform::TComponent {
 public:
  TForm1();
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
  std::unique_ptr<pop3::TPop3Client> POP3;

  // Check cycle state.
  bool ConnectPending = false;
  int ListTotal = 0;
  int ListedCount = 0;
  int FetchLimit = 0;
  int SummaryRow = 0;
  bool StopRequested = false;
  bool SoundAvailable = false;
  bool SoundSuppressed = false;
  bool MailAlerted = false;
  bool ViewerFetch = false;
  platform::CursorShape SavedCursor = platform::CursorShape::Default;

  // Auto-check state.
  int IntervalMinutes = 0;
  bool AutoCheckBusy = false;
  // Rows that raised an alert in the running check, for its one desktop
  // notification; NotifyAlerts is the DESKTOP Notify setting.
  std::vector<int> AlertRows;
  bool NotifyAlerts = true;
  // Window shell state: the program sits in the notification area.
  bool InTray = false;

  // Message list and viewer state.
  bool SelectAllState = false;
  int ViewerMessage = 0;
  bool AttachmentsSaved = false;
  // A viewer fetch waits on the server: further double clicks are ignored.
  bool ViewerFetchRunning = false;
  // The unique id of the message the viewer shows; empty without one.
  std::string ViewerMessageId;
  // The unique ids the last check took ("UIDL"), by the message number a
  // row shows; empty when the server has no UIDL. Emptied with the list.
  std::map<std::int32_t, std::string> ListedIds;

  // Network commands in progress (nested through the event loop) and a
  // close of the window that waits for them to end.
  int CommandDepth = 0;
  bool CloseRequested = false;

  // Counts a running network command (app/WindowShell.cpp).
  class CommandScope {
   public:
    explicit CommandScope(TForm1& form);
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

   private:
    TForm1& form_;
  };

  // Check cycle (app/CheckCycle.cpp).
  void CheckButtonClick();
  void POP3List(std::int32_t Msg, std::int32_t Size);
  void POP3RetrieveEnd(platform::TComponent* Sender);
  void POP3AuthenticationFailed(bool& Handled);
  void POP3ConnectionFailed(platform::TComponent* Sender);
  void POP3InvalidHost(bool& Handled);
  // Connection security (ConnectionSecurity.cpp): the settings applied to
  // each session, the boxes of its failures, the question before a log-in in
  // clear, what the last session used, and the context-menu choice.
  void ApplyConnectionSecurity(const ServerAddress& address);
  void POP3SecurityFailure(const std::string& Text);
  void POP3PlaintextLogin(bool& Handled);
  void POP3LoggedIn(platform::TComponent* Sender);
  void AppendSecurityMenu();
  bool SecurityMenuCommand(int Command);
  void POP3Failure(platform::TComponent* Sender);
  void POP3DecodeEnd(platform::TComponent* Sender);
  void POP3PacketRecvd(platform::TComponent* Sender);
  void FormKeyPress(char& Key);

  // Group operations shared by the commands (app/WindowEvents.cpp).
  void ClearMessageList();
  void SetControlsEnabled(bool enabled);
  // Copies the server, user name and password edits into the POP3 client
  // (Host and Port from the server text, see SplitServerAddress).
  void CopyCredentials();
  void HideRuleEdits();
  // Status label: text, visible, painted at once.
  void ShowStatus(const std::string& text);
  // Stops the auto-check timer and starts it again: its countdown begins
  // afresh.
  void RestartAutoCheckTimer();
  // How every command on the list starts: the viewer closes, the list shows
  // with the status "Connecting ...", and the input controls are disabled.
  void ShowListForCommand();
  // A check or deletion started by the user: the alert title and
  // MailAlerted end, the auto-check timer stops, the rule edits hide, then
  // ShowListForCommand.
  void BeginUserListCommand();
  // Before a command's session: closes any session left open (QUIT),
  // copies the credentials into the client, keeps the cursor in SavedCursor
  // and shows the hourglass.
  void PrepareSession();

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

  // Settings file, start-up and shut-down (start-up and the panel's
  // handlers in app/StartUp.cpp, shut-down in app/Settings.cpp).
  void FormCreate();
  void FormShow();
  void FormClose();
  void ExitButtonClick();
  void IPeditChange();
  void UserEditChange();
  void IPlabelClick();
  void IPlabelDblClick();
  void CheckBox1Click();

  // Message list and analysis (app/MessageList.cpp), deletion
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

  // Operations offered to the commands (app/WindowShell.cpp).
  void PlayAlertSound();
  void StartTrayAnimation();
  void SetApplicationTitle(const std::string& title);

  // Desktop integration (app/DesktopIntegration.cpp).
  void ApplyDesktopSettings();
  void NoteAlertRow(int row);
  void NotifyMailAlert();
  void Notifier1Activated();

 private:
  // Building the window, step by step (app/WindowLayout.cpp; WireEvents
  // in app/WindowEvents.cpp).
  void CreateMainWindow();
  void CreateTopPanel();
  void CreatePanelEdits();
  void CreatePanelTickBoxes();
  void CreateListCaptions();
  void CreateListArea();
  void CreateButtons();
  void CreateComponents();
  void CreatePop3Client();
  void WireEvents();

  // Steps of the message viewer (app/Viewer.cpp).
  void WireViewerEvents();
  void SetViewerButtonsEnabled(bool enabled);
  // opened: the viewer shows the fetched text.
  void FetchHeaderView(std::int32_t msg, bool& opened);
  // Logs in for a viewer fetch (ConnectPending is cleared and loggedIn set
  // once that worked). True when the message may be fetched: the mailbox still holds
  // mail (else a box says the item is gone) and the window is not closing.
  bool OpenViewerSession(bool& loggedIn);
  // In the viewer's session: the number the viewer's message has now;
  // nothing, after the box saying so, when it is gone.
  std::optional<std::int32_t> CurrentListedMessage(std::int32_t msg);
  // The viewer shows text under the status caption, in place of the list.
  void ShowInViewer(std::string text, const char* caption);
  void FinishHeaderView(bool opened);
  void ShowBodyView();
  void FetchBodyView(bool& opened);
  void FinishBodyView(bool opened);
  void SaveViewerText();
  void CloseViewer();
  // Empties the viewer and lets the fetched message go.
  void ReleaseViewedMessage();
  // Lets the fetched message go, and the memory it held.
  void ReleaseFetchedMessage();

  // Steps of the message list commands (app/MessageList.cpp,
  // app/Deletion.cpp).
  void WireMessageListEvents();
  void AnalyseRow(int row, std::int32_t msg);
  void BeginDeletion();
  // Deletes the ticked rows' messages, one session each; returns how many
  // ticked messages were left on the server because their number no longer
  // named them, and sets failedCount to how many were left there for any
  // other reason (no session, DELE refused, the walk cut short).
  int DeleteTickedMessages(int& failedCount);
  // In an open session: whether message msg is still the one that row
  // shows (same size, and same sender, subject and date when the row shows
  // any). False when the number is gone.
  bool TickedMessageUnchanged(int row, std::int32_t msg);
  void FinishDeletion(int changedCount, int failedCount);

  // In an open session holding mail (app/CheckCycle.cpp): sets ListTotal
  // from the mailbox size and FetchLimit, then LIST fills the rows (see
  // POP3List) and UIDL fills ListedIds.
  void ListMailbox();
  // The id the last check took for the listed message msg; empty without.
  std::string ListedId(std::int32_t msg) const;
  // In an open session: the number that the message listed as msg with id
  // has now, found by its id (nothing when it is gone); msg itself when id
  // is empty (the server has no UIDL).
  std::optional<std::int32_t> CurrentNumber(std::int32_t msg, const std::string& id);

  // Steps of the manual check (app/CheckCycle.cpp).
  void BeginManualCheck();
  void RunManualCheck();
  void ListAndSummarise();
  void FetchSummaries();
  void FinishManualCheck();

  // Steps of the automatic check (app/AutoCheck.cpp).
  void WireAutoCheckEvents();
  void RunAutoCheck();
  void CheckMailboxForRules();
  void FetchAllSummaries();
  void ApplyMatchRules();
  void MatchTextRule(const std::string& rule, int column);
  void MatchSizeRule();
  void FinishAutoCheck();
  // Writes IntervalMinutes to the settings file and applies it to the
  // timer and the "Auto-Check" hint.
  void ApplyIntervalChange();
  // Each rule label red when its rule is set, else black.
  void ColourRuleLabels();

  // The summaries of the listed rows into the rows, for both checks
  // (app/SummaryWalk.cpp). The manual check's walk pumps events, shows its
  // progress and ends at a key press.
  void WalkSummaries(bool manual);
  // One session's walk from row from on; the row whose header was past the
  // caps and cost the connection, if one did.
  std::optional<int> WalkRowsFrom(int from, bool manual);
  // The summary of the row's message into the row, through the walk's
  // summaries. A failure of that message alone, while the connection
  // holds, leaves the row as it was and counts as Done; the others end this
  // session's walk (ConnectionLost also stands for a failure while the
  // window closes).
  enum class RowSummary { Done, HeaderTooLong, ConnectionLost };
  RowSummary FetchRowSummary(pop3::SummaryPipeline& summaries, int row);
  // A new session for the rows after a lost connection; false when it
  // cannot serve them (see the .cpp).
  bool ResumeSummarySession();

  // Steps of start-up and shut-down (app/StartUp.cpp, app/Settings.cpp;
  // the password's place in app/PasswordStore.h).
  void WireSettingsEvents();
  // Reads the settings into the window; returns the SOUND PlayWave text.
  // Raises at a value that is no number, after recording what it read.
  std::string ReadSettings();
  // Reads one value a save writes and records it in LoadedSettings.
  std::optional<std::string> ReadSavedSetting(const platform::ProfileFile& file, const char* section,
                                              const char* key);
  // Writes the interval as clamped and a missing PlayWave, when they differ
  // from the file; a failure is shown once and start-up goes on.
  void WriteStartUpSettings(const std::string& interval, const std::optional<std::string>& storedInterval,
                            const std::optional<std::string>& storedPlayWave);
  void ApplySoundSetting(const std::string& playWave);
  // The values a save writes, taken from the window, in the order written.
  std::vector<SettingValue> SavedSettingValues() const;
  // Notes what a save would write for the window as start-up left it.
  void RecordStartUpState();
  bool NeedsWriting(const SettingValue& value) const;
  // Writes every value the user changed; one that cannot be written is
  // skipped and the others are still written. Raises afterwards, with one
  // text naming every distinct failure.
  void SaveSettings();
  // The saved password (app/PasswordField.cpp): from the settings file, or
  // empty while the keyring's read runs; the edit and "Save" are filled when
  // it answers. Written back the same way.
  std::string ReadPasswordSetting(const platform::ProfileFile& file);
  void KeyringPasswordRead(const std::string& password);
  // Before a command reads the password edit: waits, in sight, for the
  // keyring's read while it is out and the edit empty.
  void AwaitKeyringPassword();
  void SavePasswordSetting();
  void LeaveWhileSaving();
  std::unique_ptr<PasswordStore> Passwords = std::make_unique<PasswordStore>();
  // Part of what a check or a view went for could not be shown: the note
  // stays on the status line, its hint saying why, until the next command
  // starts. The first note of a command is kept.
  void NoteIncomplete(const std::string& shortText, const std::string& longText);
  void NoteIncomplete(const std::exception& failure, const std::string& extra = std::string());
  void ClearIncompleteNote();
  // The end of a command: the status line shows the note (with prefix),
  // or hides when there is none.
  void FinishStatusLine(const std::string& prefix = "Incomplete: ");
  // QUIT at the end of a check: a server found out of step only then has
  // its answers in the rows already checked one by one, but the check says
  // so. A view on screen is complete, and its session just ends.
  void EndCheckSession();
  void EndViewSession();
  std::string IncompleteNote, IncompleteHint;

  // The keys a save writes, by key name, as start-up found and left them.
  std::map<std::string, LoadedSetting> LoadedSettings;
};

}  // namespace app
