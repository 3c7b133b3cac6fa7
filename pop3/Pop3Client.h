#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec/UUCoder.h"
#include "net/LineSocket.h"
#include "pop3/ExStringList.h"
#include "pop3/MailMessage.h"
#include "pop3/Pop3Reply.h"

namespace pop3 {

using net::THandlerEvent;
using net::TNotifyEvent;
using platform::TComponent;

// Msg: message number; Size: its size in octets. No sender.
using TListEvent = std::function<void(std::int32_t Msg, std::int32_t Size)>;
// FileName may be changed by the handler. No sender.
using TVarFileNameEvent = std::function<void(std::string& FileName)>;

// The header summary of one message, filled by FetchSummary.
struct TSummary {
  std::string Subject;    // after "Subject:", the blank after the colon kept
  std::string From;       // after "From:", the blank after the colon kept
  std::int32_t Bytes = 0; // size from the reply to "LIST n"
  std::string MessageId;  // after "Message-ID: ", at most 256 characters
  TExStringList Header;   // every line of the TOP answer, "." included
};

// The POP3 client: the POP3 conversation on top of the transport's line
// operations. Every operation is synchronous: it waits in the transport's
// wait loop, which keeps the event loop turning, so handlers (of this and of
// other objects) may run while it waits. Failures are raised: a refused
// reply as platform::Exception whose message is the reply line with its
// CR LF; transport failures as net::ESockError (a connection closed by the
// server while an answer is due: kConnectionClosedText); a number the server
// sent that is no integer as EConvertError.
//
// No command is ever sent while an earlier answer is still unread: a
// connection found closed, and a multi-line answer abandoned midway (a
// line that cannot be converted, a cap exceeded, a failing handler), drop
// the connection without QUIT before the failure is raised. The Disconnect
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
  // Longest header line kept of a TOP answer (RFC 5322's line limit): a
  // longer one is cut there, at a whole UTF-8 character, and the rest of it
  // dropped, so that one absurd line never costs the message its summary.
  static constexpr std::size_t kMaxHeaderLineBytes = 998;

  explicit TPop3Client(TComponent* owner = nullptr);
  // Drops any session without QUIT and without firing events.
  ~TPop3Client() override;

  // Published events and properties of the component.
  TVarFileNameEvent OnDecodeStart;   // before an attachment file is written
  TNotifyEvent OnDecodeEnd;          // never fired
  std::string UserID;
  std::string Password;
  bool Parse = false;                // retrieval option
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

  // Extractor state of message retrieval.
  std::string AttachName;            // file name of the part being extracted
  std::string Encoding;              // last Content-Transfer-Encoding value
  std::int32_t PartState = 0;        // 2 main header, 1 display text, 0 attachment

  // Folder for attachment and temporary files. A non-empty value is stored
  // with a '/' appended when it does not end in one; empty means the
  // current folder.
  const std::string& AttachFilePath() const { return attachFilePath_; }
  void SetAttachFilePath(const std::string& value);

  std::int32_t MailCount() const { return mailCount_; }
  bool Busy() const { return busy_; }
  const TSummary& Summary() const { return summary_; }
  const TMailMessage& MailMessage() const { return mailMessage_; }
  TMailMessage& MailMessage() { return mailMessage_; }
  codec::TUUProcessor& Decoder() { return decoder_; }

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
  // TAnswerReader).
  void DropConnection();

  // "LIST " and one OnList call per listed message, in the server's order.
  void ListMessages();
  // TOP n 0 and LIST n: fills Summary and fires OnRetrieveEnd. When TOP is
  // refused, Summary stays as it was.
  void FetchSummary(std::int32_t msg);
  // DELE n. A refusal fires OnFailure and raises; success fires OnSuccess
  // after Busy was cleared.
  void DeleteMessage(std::int32_t msg);
  // RETR n into MailMessage, attachments into AttachFilePath.
  void FetchMessage(std::int32_t msg);

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
  // kConnectionClosedText instead of returning an empty reply.
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
  void AskForCredentials();
  void LogIn();
  void ReadSummaryHeader();

  codec::TUUProcessor decoder_;
  std::string attachFilePath_;
  TSummary summary_;
  TMailMessage mailMessage_;
  std::int32_t mailCount_ = 0;
};

}  // namespace pop3
