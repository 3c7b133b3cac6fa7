#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "net/LineSocket.h"
#include "pop3/AnswerReader.h"
#include "pop3/Capabilities.h"
#include "pop3/ExStringList.h"
#include "pop3/MailMessage.h"
#include "pop3/Pop3Parsing.h"
#include "pop3/Pop3Reply.h"

namespace pop3 {

using net::THandlerEvent;
using net::TNotifyEvent;
using platform::TComponent;

// Msg: message number; Size: its size in octets. No sender.
using TListEvent = std::function<void(std::int32_t Msg, std::int32_t Size)>;
// FileName may be changed by the handler. No sender.
using TVarFileNameEvent = std::function<void(std::string& FileName)>;

// How a session is protected. TLS: the connection starts with the TLS
// handshake. STARTTLS: plain greeting, then STLS and the handshake, before
// any log-in. Auto: TLS on port 995; elsewhere CAPA after the greeting and
// STLS when the server lists it, else plaintext. None: plaintext, no CAPA.
enum class SecurityMode { Auto, TLS, STARTTLS, None };

// The session could not be made safe enough to log in: a refused
// certificate, a refused or missing STLS, a log-in in clear that was not
// allowed, a refused access token. Nothing secret was sent. The message
// tells the user what happened and what to do.
class ESecurityError : public platform::Exception {
 public:
  using Exception::Exception;
};

// A message's header past the summary caps (kMaxHeaderLines,
// kMaxHeaderBytes): that message alone is at fault, though its unread
// answer has cost the connection.
class EHeaderTooLong : public platform::Exception {
 public:
  using Exception::Exception;
};

// The server sent what no command asked for: data while no answer was due,
// or, in place of an answer, one that belongs to another command. Answers
// can no longer be told apart, so the connection has been dropped without
// another command (no QUIT: nothing of the session is committed).
class EOutOfStep : public platform::Exception {
 public:
  using Exception::Exception;
};

using SecurityEvent = std::function<void(const std::string& Text)>;

// The header summary of one message, filled by FetchSummary.
struct TSummary {
  std::string Subject;    // after "Subject:", the blank after the colon kept
  std::string From;       // after "From:", the blank after the colon kept
  std::int32_t Bytes = 0; // size from the reply to "LIST n"
  std::string MessageId;  // after "Message-ID: ", at most 256 characters
  TExStringList Header;   // every line of the TOP answer, "." included
};

// An answer to a command that was sent ahead and is still to be read.
struct AnswerDue {
  // "TOP n 0" (multi-line), "LIST n", "DELE n", a one-line command given
  // as Text (USER, PASS, STAT), or the multi-line "LIST " and "UIDL".
  enum Kind { Top, ListOne, Dele, Line, ListAll, UidlAll } What;
  std::int32_t Msg;   // the message; for Line, the command's place in its batch
  std::size_t Bytes;  // most bytes the answer is expected to take
  std::string Text;   // Line: the command, without its line end
};

// The POP3 client: the POP3 conversation on top of the transport's line
// operations. Every operation is synchronous: it waits in the transport's
// wait loop, which keeps the event loop turning, so handlers (of this and of
// other objects) may run while it waits. Failures are raised: a refused
// reply as ERefused (its message the reply line with its CR LF, the
// server's words apart in ServerText); transport failures as net::ESockError (a connection closed by the
// server while an answer is due: kConnectionClosedText); a number the server
// sent that is no integer as EConvertError.
//
// No command is ever sent while an earlier answer is still unread. Answers
// to commands sent ahead (pipelined, see SummaryPipeline) are read and
// dropped before any other command goes out; a connection found closed,
// and a multi-line answer abandoned midway (a line that cannot be
// converted, a cap exceeded, a failing handler), drop the connection
// without QUIT before the failure is raised. The Disconnect
// that ends the session then has nothing to sign off.
//
// Busy is set while ListMessages, FetchSummary, DeleteMessage or
// FetchMessage runs; any of them called meanwhile (from a handler) returns
// at once without effect.
//
// OnConnect hides the transport's event of the same name: here it means
// "log-in completed". The transport's own connect event stays reachable as
// TLineSocket::OnConnect but is not part of this component's surface.
class TPop3Client : public net::TLineSocket {
  friend class SummaryPipeline;

 public:
  // Most lines and bytes (line ends included) one scan listing may have; a
  // longer listing fails (and the connection is dropped, as for every
  // abandoned answer).
  static constexpr int kMaxListLines = 1000000;
  static constexpr std::size_t kMaxListBytes = 64u * 1024 * 1024;
  // Most lines and bytes (line ends included) kept of one TOP answer; a
  // longer header fails and the connection is dropped.
  static constexpr int kMaxHeaderLines = 10000;
  static constexpr std::size_t kMaxHeaderBytes = 4 * 1024 * 1024;
  static constexpr std::size_t kMaxMessageIdLength = 256;
  // Most lines and bytes kept of the answer to CAPA.
  static constexpr int kMaxCapabilityLines = 1000;
  static constexpr std::size_t kMaxCapabilityBytes = 64 * 1024;
  // Longest unique id taken from "UIDL" (servers send at most 70
  // characters); a longer one fails like a broken answer.
  static constexpr std::size_t kMaxUniqueIdLength = 512;
  // Longest header line kept of a TOP answer (RFC 5322's line limit): a
  // longer one is cut there, at a whole UTF-8 character, and the rest of it
  // dropped, so that one absurd line never costs the message its summary.
  static constexpr std::size_t kMaxHeaderLineBytes = 998;

  explicit TPop3Client(TComponent* owner = nullptr);
  // Drops any session without QUIT and without firing events.
  ~TPop3Client() override;

  // Published events and properties of the component.
  TVarFileNameEvent OnDecodeStart;   // before an attachment file is written
  TNotifyEvent OnDecodeEnd;          // once an attachment's file is complete
  std::string UserID;
  std::string Password;
  bool Parse = false;                // retrieval option
  // A command and its whole answer take at most this many TimeOuts, however
  // slowly the server keeps sending: TimeOut alone bounds only each wait,
  // and a server that sends a byte now and then would hold a check for
  // hours. 0 = no overall limit.
  int CommandTimeOuts = 20;
  bool DeleteOnRead = false;         // retrieval option
  THandlerEvent OnAuthenticationNeeded;
  THandlerEvent OnAuthenticationFailed;
  TNotifyEvent OnReset;              // never fired
  TListEvent OnList;
  TNotifyEvent OnRetrieveStart;
  TNotifyEvent OnRetrieveEnd;
  TNotifyEvent OnSuccess;
  TNotifyEvent OnFailure;
  TNotifyEvent OnConnect;

  // When set, and the server's CAPA answer before the log-in listed
  // PIPELINING, STAT, "LIST " and "UIDL" go out in one write after the
  // log-in; ListMessages and ListUniqueIds then read the answers already
  // on their way (Disconnect reads and drops those nobody asked for).
  bool ListOnLogIn = false;

  // Protection of the session (see SecurityMode); None keeps the plaintext
  // conversation of old. Every other mode asks CAPA before the log-in (again
  // after STLS), and its answer serves the whole session unless it lacked
  // PIPELINING (see LearnCapabilities).
  SecurityMode Security = SecurityMode::None;
  // The host was seen offering TLS before: a session that would log in
  // without it is refused (a stripped STLS is an attack sign).
  bool TlsRequired = false;
  // When not empty, the log-in is SASL XOAUTH2 with the access token that
  // this command prints (first line of its standard output; run through
  // /bin/sh -c within TimeOut) instead of USER and PASS.
  std::string TokenCommand;
  // Fired with the text of every ESecurityError before it is raised.
  SecurityEvent OnSecurityFailure;
  // Fired before credentials would go to the server without TLS; the
  // handler sets Handled to allow it. Unassigned: allowed.
  THandlerEvent OnPlaintextLogin;

  // The TLS version of the current (or last) session, empty when it ran in
  // plaintext.
  const std::string& SessionTls() const { return sessionTls_; }
  // The server offered TLS in the current (or last) session.
  bool TlsOffered() const { return tlsOffered_; }
  // The capability lines (line ends removed, without the terminating ".")
  // of the CAPA answer of this session, as valid now: empty when no CAPA was
  // sent or it was refused, and emptied by STLS (they must be asked again).
  const std::vector<std::string>& CapabilityLines() const { return capabilityLines_; }
  // The last reply that refused USER, PASS or the access token, line end
  // included; empty when none was refused since Connect began.
  const std::string& LogInRefusal() const { return logInRefusal_; }

  // Folder for attachment files. A non-empty value is stored with a '/'
  // appended when it does not end in one; empty means the current folder.
  const std::string& AttachFilePath() const { return attachFilePath_; }
  void SetAttachFilePath(const std::string& value);

  std::int32_t MailCount() const { return mailCount_; }
  bool Busy() const { return busy_; }
  const TSummary& Summary() const { return summary_; }
  const TMailMessage& MailMessage() const { return mailMessage_; }
  TMailMessage& MailMessage() { return mailMessage_; }

  // Asks OnAuthenticationNeeded (once) when UserID or Password is empty,
  // refuses a UserID, Password or Host holding CR, LF or NUL, connects,
  // reads the greeting, logs in with USER and PASS (one refusal may be
  // answered by OnAuthenticationFailed setting Handled, which sends both
  // once more) and sets MailCount from STAT. A failure after the connection
  // was made sends QUIT and closes before it is raised. OnConnect fires once
  // the log-in is done, also when STAT then fails.
  void Connect() override;
  // QUIT and close when connected; nothing otherwise. The connection is
  // closed also when QUIT fails, then the failure is raised.
  void Disconnect() override;
  // Cancels the running wait and drops the connection without QUIT.
  void Abort() override;

  // Drops the connection without QUIT, for a session that cannot go on:
  // the connection was found closed, or an answer was broken off (see
  // AnswerReader).
  void DropConnection();

  // "LIST " and one OnList call per listed message, in the server's order.
  // The sizes listed are kept for this session (see ListedSize).
  void ListMessages();
  // TOP n 0 and LIST n: fills Summary and fires OnRetrieveEnd. When TOP is
  // refused, Summary stays as it was. When this session's CAPA answer
  // listed PIPELINING, both commands go out together (one round trip).
  void FetchSummary(std::int32_t msg);
  // DELE n. A refusal fires OnFailure and raises; success fires OnSuccess
  // after Busy was cleared.
  void DeleteMessage(std::int32_t msg);
  // DELE for every message of msgs, in one write when this session's CAPA
  // answer listed PIPELINING, else one at a time; the replies are read in
  // order. Each refusal fires OnFailure (and each success OnSuccess, once
  // Busy is cleared). Per message, whether it is now marked for deletion
  // (the server removes them at QUIT). Raises what a command raises, the
  // connection dropped; returns at once, all false, while Busy is set.
  std::vector<bool> DeleteMessages(const std::vector<std::int32_t>& msgs);
  // RETR n into MailMessage, attachments into AttachFilePath, the message
  // parsed once while it is read (ReadMessage). DELE n after it when
  // DeleteOnRead is set; a refusal raises ERefused.
  void FetchMessage(std::int32_t msg);

  // Sends CAPA once per session, when connected; later calls do nothing.
  // It is not sent when the answer before the log-in already listed
  // PIPELINING, or CAPA was refused then. A refusal (any reply failing the
  // reply test) means that nothing is known. Does not test Busy. Raises what a command raises; an answer
  // longer than kMaxCapabilityLines or kMaxCapabilityBytes fails and the
  // connection is dropped.
  void LearnCapabilities();
  // What this session's CAPA answer listed; nothing before LearnCapabilities
  // or after a refusal.
  const ServerCapabilities& Capabilities() const { return capabilities_; }
  // The size this session's scan listing gave msg; nothing when the listing
  // did not run, did not list msg, or listed it more than once.
  std::optional<std::int32_t> ListedSize(std::int32_t msg) const;
  // Unique ids ("UIDL") name a message across sessions, where a message
  // number names it only within one. Each sets Busy while it runs and
  // returns at once, without effect, while Busy is set; none fires an event.
  //
  // "UIDL": the id of every listed message by its number. Servers that
  // derive ids from a message's bytes give two equal messages one id, so
  // an id listed more than once names no message, and neither does a
  // number listed twice: such numbers are left out, and their messages
  // are treated as those of a server without ids. False, with ids empty,
  // when the server refuses the command (it has no UIDL); the session goes
  // on. A listing line that is no "number id" fails and drops the
  // connection.
  bool ListUniqueIds(std::map<std::int32_t, std::string>& ids);
  // "UIDL": the whole listing as the server sent it, repeats included;
  // empty when the server refuses the command (or while Busy is set).
  std::vector<UniqueIdEntry> UniqueIdListing();
  // "UIDL n": message n's id; nothing when the server refuses (no such
  // message) or answers for another number.
  std::optional<std::string> UniqueId(std::int32_t msg);
  // The number that the message with uniqueId has now: msg when "UIDL msg"
  // still gives that id, else its number in the whole "UIDL" listing (the
  // mailbox changed since msg was taken); nothing when it is gone, or when
  // the listing gives the id to more than one message (which of them is
  // meant is in doubt).
  std::optional<std::int32_t> LocateMessage(std::int32_t msg, const std::string& uniqueId);

 protected:
  // Sets Busy for one operation and clears it on every way out.
  class BusyScope {
   public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    bool& busy_;
  };

  // Transaction that drops the connection and raises ESockError
  // kConnectionClosedText instead of returning an empty reply. Starts the
  // command's overall deadline (CommandTimeOuts), which bounds the reply
  // and every answer line read after it. Data already waiting when no
  // answer is due raises EOutOfStep before anything is sent.
  std::string Command(const std::string& command);
  // ReadLn that drops the connection and raises ESockError
  // kConnectionClosedText instead of returning the empty string.
  std::string ReadAnswerLine();
  // Judges a USER or PASS reply; true when the log-in may go on, false when
  // OnAuthenticationFailed asked for another round. Raises "Authentication
  // failed" otherwise. attempts counts the rounds already retried.
  bool CheckAuthReply(const std::string& reply, int& attempts);

  bool busy_ = false;

 private:
  [[noreturn]] void RaiseConnectionClosed();
  // Raises EOutOfStep, the connection dropped, when bytes are waiting
  // although every answer asked for has been read.
  void RefuseUnaskedData();
  [[noreturn]] void RaiseOutOfStep(const std::string& what);
  void StartCommandDeadline();
  void AskForCredentials();
  void LogIn();
  // The security steps of Connect (Pop3Security.cpp): before and after the
  // greeting, then the choice of log-in.
  void SecureBeforeGreeting();
  void SecureAfterGreeting();
  void StartTlsSession();
  bool RequestCapabilities();
  void ConfirmPlaintextLogIn();
  void LogInWithToken();
  std::string FetchAccessToken();
  [[noreturn]] void RefuseSession(const std::string& text);
  // The caps of a TOP header, read for a summary or drained unread.
  static AnswerLimits SummaryHeaderLimits();
  // The caps of a scan or unique-id listing; entries names what is listed.
  static AnswerLimits ListingLimits(const std::string& entries);
  // The status line of the answer to command: the one due first when it is
  // of the kind what (sent ahead after the log-in), else command's own,
  // sent now.
  std::string ReplyTo(AnswerDue::Kind what, const std::string& command);
  // USER and PASS in one write; false when OnAuthenticationFailed asked
  // for another round (see CheckAuthReply).
  bool LogInPipelined(int& attempts);
  // The status line of STAT, sent with "LIST " and "UIDL" in one write when
  // ListOnLogIn is set and the server pipelines.
  std::string AskStatus();
  // Raises EHeaderTooLong past those caps.
  void ReadSummaryHeader();
  // Forgets what belonged to the session: answers due, listed sizes,
  // capabilities.
  void ForgetSession();
  void NoteListedSize(const ListEntry& entry);
  // Sends the commands of answers in one write and notes them as due. A
  // failed send drops the connection (what went out is unknown). Raises
  // EOutOfStep as Command does.
  void SendAhead(const std::vector<AnswerDue>& answers);
  // Reads the status line of the answer due first (it must be what/msg),
  // reported as Transaction reports a reply. When the read fails the
  // connection is dropped.
  std::string TakeDueReply(AnswerDue::Kind what, std::int32_t msg);
  // Reads and drops every answer still due. When that fails, the
  // connection is dropped and the failure raised.
  void SettleAnswersDue();
  // The rest of FetchSummary once TOP's status line topReply was read:
  // reply test, header, size (listedSize when given, else LIST n's reply,
  // read from the answers due when listDue, else asked for now),
  // "Summary Retrieved", OnRetrieveEnd. A LIST n reply that passes must be
  // "+OK n size" for this msg (and its listed size, when the listing gave
  // one), or the answers are out of step (EOutOfStep) and the summary is
  // not handed out.
  void CompleteSummary(std::int32_t msg, const std::string& topReply, std::optional<std::int32_t> listedSize,
                       bool listDue);
  // The whole "UIDL" listing as the server sent it, repeats included;
  // false when the server refuses the command.
  void CheckListAnchor(std::int32_t msg, const std::string& reply, std::optional<std::int32_t> listedSize);
  bool ReadUniqueIdListing(std::vector<UniqueIdEntry>& entries);
  std::optional<std::string> AskUniqueId(std::int32_t msg);

  std::string attachFilePath_;
  TSummary summary_;
  TMailMessage mailMessage_;
  std::int32_t mailCount_ = 0;
  std::deque<AnswerDue> answersDue_;
  ServerCapabilities capabilities_;
  bool capabilitiesAsked_ = false;
  // What became of CAPA before the log-in on this connection (after STLS,
  // on the encrypted one).
  enum class CapaBeforeLogIn { NotAsked, Refused, Answered } capaBeforeLogIn_ = CapaBeforeLogIn::NotAsked;
  std::string logInRefusal_;
  std::vector<ListEntry> listedSizes_;  // sorted by Msg once the listing is complete
  bool listingComplete_ = false;
  std::string sessionTls_;
  bool tlsOffered_ = false;
  std::vector<std::string> capabilityLines_;
};

}  // namespace pop3
