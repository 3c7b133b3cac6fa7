#pragma once

#include <ostream>
#include <string>
#include <vector>

// The conversations of the fault matrix: the good POP3 sessions of the
// window's network commands against a scripted two-message mailbox, and the
// scripts that replace one reply of a session with a fault.
namespace apptest::faultmatrix {

inline constexpr const char* kUser = "ann";
inline constexpr const char* kPassword = "secret";

// The window commands, each with the session that takes the fault: a manual
// check with "Analyse" ticked, a deletion of the ticked message 1, the
// header view of message 1 (a double click on its row) and the body view
// (a double click on that header).
// Deletion: the design's server (no PIPELINING), one row ticked.
// PipelinedDeletion: a server that lists PIPELINING before the log-in, both
// rows ticked.
enum class Command { Check, Deletion, PipelinedDeletion, Header, Body };

enum class Fault {
  Err,              // "-ERR" instead of the reply
  Garbage,          // a line of binary garbage instead of the reply
  GarbageInAnswer,  // the status line, a line of garbage, then the answer
  LfOnly,           // the right reply, every line ended by LF alone
  Drop,             // the connection closed before the reply
  DropMidAnswer,    // the status line, some answer lines, half a line, closed
  Stall,            // no reply at all: only the client's time-out ends the wait
  OneByte,          // the right reply, sent one byte at a time
  LongLine,         // the right answer with a line of over 64 KiB before its last line
  Unasked,          // the right reply, then a whole answer that no command asked for
};

// One step of a session: what the client sends and the server's good reply.
struct Exchange {
  std::string Name;                // "Greeting", "User", "Top1", ...
  std::string ClientLine;          // empty for the greeting
  std::vector<std::string> Reply;  // status line, then the answer ending in "."
  bool MultiLine = false;
  // The client converts every answer line (a scan listing), so a garbage
  // line in the answer ends the operation with the rest still unread, and
  // the client drops the connection.
  bool ParsesAnswerLines = false;
  // Only "-ERR" is a refusal: anything else counts as done (DELE).
  bool OnlyErrRefuses = false;
  // The command goes out with the one before, ahead of that one's reply
  // (pipelined): the client sends every command of such a run first, then
  // reads the replies in order.
  bool SentWithPrevious = false;
  // CAPA: a refusal fails nothing; the client goes on without pipelining,
  // one command at a time.
  bool RefusalMeansNoPipelining = false;
  // A refusal (or a reply that is no "+OK") only says the server lacks the
  // command: the client goes on without it, and does not ask it again later
  // in the session (CAPA before the log-in), so nothing is pipelined.
  bool RefusalMeansAbsent = false;
  // Any reply but "+OK" means the server lacks the command, and the session
  // goes on without it (UIDL).
  bool RefusalGoesOn = false;
  // Lines of this answer have no reason to be long (CAPA): one over the
  // transport's line limit drops the session, as a listing line does.
  bool RefusesLongLines = false;
  // LIST n sent only to anchor a pipelined TOP n 0 (the size is known from
  // the scan listing): without pipelining it is not sent at all.
  bool AnchorOnly = false;
  // The comparison of a ticked row with its message (a deletion's TOP n 0
  // or LIST n): a refusal means the row names no message now, so the
  // session goes on with the other rows and leaves out this step (its DELE).
  std::string DeletionOfRow = {};
};
using Session = std::vector<Exchange>;

// The two messages: 1 is a multipart message with a Base64 attachment
// ("report.bin"), 2 a plain one. Each text ends in CR LF.
const std::string& MessageText(int msg);
// The sender shown in the list for message msg.
std::string SenderOf(int msg);

// A check: log-in, LIST, UIDL (which this server lacks, so later commands
// name messages by number and check them against their rows), CAPA
// (PIPELINING listed), the summaries of rows 0 (message 2) and 1 (message 1)
// pipelined, their sizes taken from the listing, QUIT.
Session CheckSession();
// The deletion of message 1: log-in, TOP 1 0 and LIST 1 to compare it with
// its row, DELE 1, QUIT.
Session DeletionSession();
// The deletion of both rows from a server that lists PIPELINING before the
// log-in: CAPA, USER with PASS, STAT, TOP 2 0 with LIST 2, TOP 1 0 with
// LIST 1 (each row compared with its message), DELE 2 with DELE 1, QUIT.
Session PipelinedDeletionSession();
// The header view of message 1: log-in, TOP 1 0, LIST 1, QUIT.
Session HeaderSession();
// The body view of message 1: log-in, RETR 1, QUIT.
Session BodySession();
// The session of command that takes the fault.
Session FaultedSession(Command command);

// The script of the session as a good server plays it.
std::string GoodScript(const Session& session);
// The session up to the step named step, the fault in place of its reply,
// then what the client is expected to send afterwards: QUIT after a refused
// reply, the rest of the session after a reply it takes, nothing once the
// connection is closed or timed out or an answer was abandoned midway.
std::string FaultedScript(const Session& session, const std::string& step, Fault fault);

// The client reads the faulty reply through and goes on with the session as
// if it were good.
bool ClientGoesOn(const Session& session, const std::string& step, Fault fault);

// What the status line over the list says once the command is over: a
// session cut short after the log-in leaves the list incomplete, or a view
// not shown, and the window says so without a box. (A failed log-in has
// its boxes; a deletion says what it did not delete in a box.)
enum class Note { None, ListIncomplete, HeaderNotShown, BodyNotShown };

// One cell of the matrix.
struct Cell {
  Command Cmd;
  std::string Step;
  Fault Kind;
};

Note ExpectedNote(const Cell& cell);

const char* CommandName(Command command);
const char* FaultName(Fault fault);
// Whether the fault makes sense for the step (the answer faults need a
// multi-line answer).
bool Applies(Fault fault, const Exchange& exchange);
// Every step of the command's session crossed with every fault that applies.
std::vector<Cell> Cells(Command command);
// "Greeting_Err": the step and the fault, as a test name.
std::string CellName(const Cell& cell);
// "Check/Greeting/Err", for test output.
void PrintTo(const Cell& cell, std::ostream* out);

}  // namespace apptest::faultmatrix
