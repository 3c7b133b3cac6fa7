#include "pop3/SummaryPipeline.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "pop3/Pop3Client.h"

namespace pop3 {

namespace {

// Room for a status line and the terminating line besides the header, and
// the most a reply to "LIST n" is expected to take.
constexpr std::size_t kAnswerOverhead = 512;
// What a header whose message the listing did not size is counted as.
constexpr std::size_t kUnknownHeaderBytes = 64 * 1024;

}  // namespace

SummaryPipeline::SummaryPipeline(TPop3Client& client, std::vector<std::int32_t> planned, Limits limits)
    : client_(client), planned_(planned.begin(), planned.end()), limits_(limits) {
  limits_.MaxCommands = std::max<std::size_t>(limits_.MaxCommands, 1);
  if (!client_.busy_) {
    client_.busy_ = true;
    holdsBusy_ = true;
  }
}

SummaryPipeline::SummaryPipeline(TPop3Client& client, std::vector<std::int32_t> planned)
    : SummaryPipeline(client, std::move(planned), Limits()) {}

SummaryPipeline::~SummaryPipeline() { Finish(); }

void SummaryPipeline::Finish() {
  if (!holdsBusy_) return;
  planned_.clear();
  try {
    client_.SettleAnswersDue();
  } catch (const std::exception&) {
    // The connection has been dropped: nothing is left to misread.
  }
  client_.busy_ = false;
  holdsBusy_ = false;
}

void SummaryPipeline::FetchSummary(std::int32_t msg) {
  if (!holdsBusy_) return;
  client_.CheckConnection();
  if (client_.OnRetrieveStart) client_.OnRetrieveStart(&client_);
  // One summary alone gains nothing from pipelining, and asking would cost
  // a round trip.
  if (!started_ && planned_.size() >= 2) client_.LearnCapabilities();
  started_ = true;

  const auto& due = client_.answersDue_;
  const bool sentAhead = !due.empty() && due.front().What == AnswerDue::Top && due.front().Msg == msg;
  if (!sentAhead) {
    client_.SettleAnswersDue();
    FollowPlan(msg);
    SendCommands(msg);
  } else if (client_.Capabilities().Pipelining()) {
    TopUp();
  }
  const std::optional<std::int32_t> listed = client_.ListedSize(msg);
  const bool listDue = due.size() >= 2 && due[1].What == AnswerDue::ListOne && due[1].Msg == msg;
  const std::string reply = client_.TakeDueReply(AnswerDue::Top, msg);
  client_.CompleteSummary(msg, reply, listed, listDue);
}

bool SummaryPipeline::FollowPlan(std::int32_t msg) {
  auto planned = std::find(planned_.begin(), planned_.end(), msg);
  if (planned == planned_.end()) {
    planned_.clear();
    return false;
  }
  planned_.erase(planned_.begin(), planned + 1);
  return true;
}

namespace {

// The commands a summary of msg needs: TOP, and, when the server lets it go
// out before TOP's answer, LIST n: it gives the size where the listing did
// not, and its reply, which names the message, shows that the answers
// before it belong to the commands they were read for.
std::vector<AnswerDue> SummaryCommands(const TPop3Client& client, std::int32_t msg) {
  const std::optional<std::int32_t> listed = client.ListedSize(msg);
  const std::size_t headerBytes =
      listed && *listed >= 0 ? std::min<std::size_t>(static_cast<std::size_t>(*listed), TPop3Client::kMaxHeaderBytes)
                             : kUnknownHeaderBytes;
  std::vector<AnswerDue> commands = {{AnswerDue::Top, msg, headerBytes + kAnswerOverhead, {}}};
  if (client.Capabilities().Pipelining()) commands.push_back({AnswerDue::ListOne, msg, kAnswerOverhead, {}});
  return commands;
}

}  // namespace

void SummaryPipeline::SendCommands(std::int32_t msg) {
  std::vector<AnswerDue> commands = SummaryCommands(client_, msg);
  if (client_.Capabilities().Pipelining()) AddPlanned(commands);
  client_.SendAhead(commands);
}

void SummaryPipeline::TopUp() {
  std::vector<AnswerDue> more;
  AddPlanned(more);
  if (!more.empty()) client_.SendAhead(more);
}

// Counts what is due already and what commands holds (not sent yet), so
// that everything goes out in one write.
void SummaryPipeline::AddPlanned(std::vector<AnswerDue>& commands) {
  std::size_t count = client_.answersDue_.size() + commands.size();
  std::size_t bytes = 0;
  for (const AnswerDue& due : client_.answersDue_) bytes += due.Bytes;
  for (const AnswerDue& due : commands) bytes += due.Bytes;
  while (!planned_.empty()) {
    const std::vector<AnswerDue> next = SummaryCommands(client_, planned_.front());
    std::size_t nextBytes = 0;
    for (const AnswerDue& due : next) nextBytes += due.Bytes;
    if (count + next.size() > limits_.MaxCommands || bytes + nextBytes > limits_.MaxAnswerBytes) break;
    commands.insert(commands.end(), next.begin(), next.end());
    count += next.size();
    bytes += nextBytes;
    planned_.pop_front();
  }
}

}  // namespace pop3
