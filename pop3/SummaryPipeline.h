#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "pop3/Pop3Client.h"

namespace pop3 {

// Fetches the summaries of many messages of one session, as FetchSummary
// does one at a time, at the cost of a handful of round trips: when the
// server lists PIPELINING in its answer to CAPA, the commands for the next
// planned messages go out ahead of their answers, and the answers are read
// in order.
//
// While it lives the walk holds the client's Busy flag (another operation
// started meanwhile returns at once); a walk begun while the client was
// already busy does nothing at all.
//
// Each TOP n 0 sent ahead goes with LIST n: its reply gives the size when
// the listing did not, and, since it names message n, shows that the
// answers read before it belong to the commands they were read for; a
// summary is handed out only once that reply has been seen. Answers out of
// step (a reply to LIST n that names no n, data where no answer is due)
// raise EOutOfStep with the connection dropped.
//
// Commands sent ahead are bounded by count and by the bytes their answers
// may take: each TOP answer is counted at its listed size (64 KiB when the
// listing did not size it) plus 512 for its status and end lines, a reply
// to LIST n at 512. A header is a fraction of its message, so what really
// comes stays well within the client's receive buffer and the server's
// send buffer together, and a reader that falls behind does not make the
// server block on a full socket buffer. The commands themselves take a few
// kilobytes at most, so sending them never blocks the client while the
// server waits for it to read: neither side can deadlock.
class SummaryPipeline {
 public:
  struct Limits {
    std::size_t MaxCommands = 200;              // commands whose answers are due at most
    std::size_t MaxAnswerBytes = 256 * 1024;    // bytes those answers may take at most
  };

  // planned: the messages whose summaries will be asked for, in that order.
  // Sends nothing yet.
  SummaryPipeline(TPop3Client& client, std::vector<std::int32_t> planned, Limits limits);
  SummaryPipeline(TPop3Client& client, std::vector<std::int32_t> planned);
  // Finish.
  ~SummaryPipeline();
  SummaryPipeline(const SummaryPipeline&) = delete;
  SummaryPipeline& operator=(const SummaryPipeline&) = delete;

  // What FetchSummary(msg) does: fills the client's Summary and fires
  // OnRetrieveStart and OnRetrieveEnd, raising what FetchSummary raises
  // (the size is the listed one when the listing gave it). The first call
  // for a plan of two or more messages asks for the capabilities. A msg
  // other than the next planned one is served all the same: what was sent
  // ahead is read and dropped first, and the plan is followed no further.
  // After a failure the answers still due stay due; Finish reads them.
  void FetchSummary(std::int32_t msg);

  // Ends the walk: the answers still due are read and dropped, so that the
  // next command's reply is its own; when that fails the connection is
  // dropped without QUIT. Releases Busy. Never raises; later FetchSummary
  // calls do nothing.
  void Finish();

 private:
  // Drops from the plan everything up to and including msg; false when msg
  // was not planned (the plan is then given up).
  bool FollowPlan(std::int32_t msg);
  // Sends the commands for msg, and when the server pipelines, for the
  // planned messages after it as far as the limits allow.
  void SendCommands(std::int32_t msg);
  // Sends the commands for the planned messages that the limits let go out.
  void TopUp();
  void AddPlanned(std::vector<AnswerDue>& commands);

  TPop3Client& client_;
  std::deque<std::int32_t> planned_;  // not sent yet
  Limits limits_;
  bool holdsBusy_ = false;
  bool started_ = false;
};

}  // namespace pop3
