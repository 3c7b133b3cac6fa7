#include <algorithm>
#include <string>
#include <vector>

#include "pop3/Pop3Client.h"
#include "pop3/Pop3Reply.h"

namespace pop3 {

namespace {

// What a batch of DELE commands may have outstanding at once: their
// commands and replies are a few bytes each, far below the socket buffers.
constexpr std::size_t kMaxDeletionsAhead = 1000;

}  // namespace

std::vector<bool> TPop3Client::DeleteMessages(const std::vector<std::int32_t>& msgs) {
  std::vector<bool> marked(msgs.size(), false);
  if (busy_) return marked;
  int succeeded = 0;
  {
    BusyScope busy(busy_);
    CheckConnection();
    const bool ahead = capabilities_.Pipelining();
    for (std::size_t first = 0; first < msgs.size();) {
      const std::size_t end = ahead ? std::min(msgs.size(), first + kMaxDeletionsAhead) : first + 1;
      std::vector<std::string> replies;
      if (ahead) {
        SettleAnswersDue();
        std::vector<AnswerDue> due;
        for (std::size_t i = first; i < end; ++i) due.push_back({AnswerDue::Dele, msgs[i], 0, {}});
        SendAhead(due);
        for (std::size_t i = first; i < end; ++i) replies.push_back(TakeDueReply(AnswerDue::Dele, msgs[i]));
      } else {
        replies.push_back(Command("DELE " + std::to_string(msgs[first])));
      }
      for (std::size_t i = first; i < end; ++i) {
        marked[i] = !IsRefusal(replies[i - first]);
        if (marked[i]) {
          ++succeeded;
        } else if (OnFailure) {
          OnFailure(this);
        }
      }
      first = end;
    }
  }
  // After Busy is cleared, so that a handler may start the next operation.
  for (int i = 0; i < succeeded && OnSuccess; ++i) OnSuccess(this);
  return marked;
}

}  // namespace pop3
