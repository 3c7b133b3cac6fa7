// What the client keeps of one session to send commands ahead of their
// answers: the answers still due, the sizes of the scan listing and the
// server's capabilities.

#include <algorithm>
#include <string>
#include <vector>

#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Parsing.h"

namespace pop3 {

using platform::Exception;

namespace {

std::string CommandText(const char* verb, std::int32_t msg, const char* tail = "") {
  return std::string(verb) + std::to_string(msg) + tail + "\r\n";
}

}  // namespace

void TPop3Client::ForgetSession() {
  answersDue_.clear();
  capabilities_ = ServerCapabilities();
  capabilitiesAsked_ = false;
  listedSizes_.clear();
  listingComplete_ = false;
}

void TPop3Client::NoteListedSize(const ListEntry& entry) {
  listingComplete_ = false;
  listedSizes_.push_back(entry);
}

// Looked up after the listing has been sorted once; a number listed twice
// says nothing certain about either.
std::optional<std::int32_t> TPop3Client::ListedSize(std::int32_t msg) const {
  if (!listingComplete_) return std::nullopt;
  auto byMsg = [](const ListEntry& a, const ListEntry& b) { return a.Msg < b.Msg; };
  auto [first, last] = std::equal_range(listedSizes_.begin(), listedSizes_.end(), ListEntry{msg, 0}, byMsg);
  if (last - first != 1) return std::nullopt;
  return first->Size;
}

void TPop3Client::LearnCapabilities() {
  if (capabilitiesAsked_ || !IsConnected()) return;
  capabilitiesAsked_ = true;
  // A server without CAPA refuses it after the log-in as well; one whose
  // answer listed PIPELINING has nothing to add that this client uses.
  if (capaBeforeLogIn_ == CapaBeforeLogIn::Refused) return;
  if (capaBeforeLogIn_ == CapaBeforeLogIn::Answered && capabilities_.Pipelining()) return;
  if (!ReplyPasses(Command("CAPA"))) return;
  std::vector<std::string> lines;
  AnswerReader answer(*this,
                       {static_cast<std::size_t>(kMaxCapabilityLines), kMaxCapabilityBytes,
                        "The server's list of capabilities is too long (more than " +
                            std::to_string(kMaxCapabilityLines) + " lines or " +
                            std::to_string(kMaxCapabilityBytes) + " bytes)"},
                       DotStuffing::Keep);
  answer.ReadRest([&lines](std::string& line) { lines.push_back(std::move(line)); });
  capabilities_ = ServerCapabilities(lines);
}

void TPop3Client::SendAhead(const std::vector<AnswerDue>& answers) {
  RefuseUnaskedData();
  std::string commands;
  for (const AnswerDue& answer : answers) {
    switch (answer.What) {
      case AnswerDue::Top:
        commands += CommandText("TOP ", answer.Msg, " 0");
        break;
      case AnswerDue::ListOne:
        commands += CommandText("LIST ", answer.Msg);
        break;
      case AnswerDue::Dele:
        commands += CommandText("DELE ", answer.Msg);
        break;
      case AnswerDue::Line:
        commands += answer.Text + "\r\n";
        break;
      case AnswerDue::ListAll:
        commands += "LIST \r\n";
        break;
      case AnswerDue::UidlAll:
        commands += "UIDL\r\n";
        break;
    }
  }
  try {
    Write(commands);
  } catch (...) {
    DropConnection();
    throw;
  }
  answersDue_.insert(answersDue_.end(), answers.begin(), answers.end());
}

std::string TPop3Client::TakeDueReply(AnswerDue::Kind what, std::int32_t msg) {
  if (answersDue_.empty() || answersDue_.front().What != what || answersDue_.front().Msg != msg) {
    DropConnection();
    throw Exception("Internal error: the answer due is not the one asked for; connection closed");
  }
  answersDue_.pop_front();
  std::string reply;
  try {
    reply = ReadAnswerLine();
  } catch (...) {
    // A wait cut short leaves the reply, and the answers after it, to
    // arrive later, where no command can tell them from its own.
    DropConnection();
    throw;
  }
  ReportStatus(net::kStatusReply, reply);
  return reply;
}

// A refused multi-line command has no lines after its status line; an
// accepted one is read to its end under the caps its own reader keeps.
void TPop3Client::SettleAnswersDue() {
  if (answersDue_.empty()) return;
  try {
    while (!answersDue_.empty()) {
      const AnswerDue due = answersDue_.front();
      answersDue_.pop_front();
      const std::string reply = ReadAnswerLine();
      if (!ReplyPasses(reply)) continue;
      if (due.What == AnswerDue::Top) {
        AnswerReader answer(*this, SummaryHeaderLimits(), DotStuffing::Keep);
        answer.ReadRest([](std::string&) {});
      } else if (due.What == AnswerDue::ListAll || due.What == AnswerDue::UidlAll) {
        AnswerReader answer(*this, ListingLimits("lines"), DotStuffing::Keep);
        answer.ReadRest([](std::string&) {});
      }
    }
  } catch (...) {
    DropConnection();
    throw;
  }
}

// The reply to LIST n names its message, so it shows whether the answers
// before it were the ones asked for (a reply that passes but names another
// message, or no size, is no reply to this command).
void TPop3Client::CheckListAnchor(std::int32_t msg, const std::string& reply, std::optional<std::int32_t> listedSize) {
  if (!ReplyPasses(reply)) return;
  const std::string line = WithoutLineEnd(reply);
  const bool named = StrToIntNoBlanksDef(net::NthWord(line, ' ', 2), -1) == msg;
  std::optional<std::int32_t> size;
  try {
    size = ParseListSize(reply);
  } catch (const EConvertError&) {
    // A size that is no number is a fault of its own, raised by the caller.
  }
  if (!named || (listedSize && size && *size != *listedSize))
    RaiseOutOfStep("The server's answer to \"LIST " + std::to_string(msg) + "\" was \"" + line.substr(0, 80) + "\"");
}

void TPop3Client::CompleteSummary(std::int32_t msg, const std::string& topReply,
                                  std::optional<std::int32_t> listedSize, bool listDue) {
  if (!ReplyPasses(topReply)) {
    // The reply to LIST n sent with the refused TOP goes too, so that the
    // next answer due is the next summary's.
    if (listDue) TakeDueReply(AnswerDue::ListOne, msg);
    CheckReply(topReply);
  }
  summary_.Header.Clear();
  summary_.Subject.clear();
  summary_.From.clear();
  summary_.MessageId.clear();
  ReadSummaryHeader();
  if (listedSize && !listDue) {
    summary_.Bytes = *listedSize;
  } else {
    const std::string number = std::to_string(msg);
    std::string reply = listDue ? TakeDueReply(AnswerDue::ListOne, msg) : Command("LIST " + number);
    CheckListAnchor(msg, reply, listedSize);
    // A refusal gets its own text rather than a conversion error about "such".
    CheckReply(reply);
    summary_.Bytes = ParseListSize(reply);
  }
  ReportStatus(net::kStatusReply, "Summary Retrieved");
  if (OnRetrieveEnd) OnRetrieveEnd(this);
}

}  // namespace pop3
