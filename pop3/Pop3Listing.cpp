#include <algorithm>
#include <string>

#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Parsing.h"

namespace pop3 {

using platform::Exception;

AnswerLimits TPop3Client::ListingLimits(const std::string& entries) {
  return {kMaxListLines, kMaxListBytes,
          "The server listed more than " + std::to_string(kMaxListLines) + " " + entries + " or " +
              std::to_string(kMaxListBytes) + " bytes"};
}

std::string TPop3Client::ReplyTo(AnswerDue::Kind what, const std::string& command) {
  if (!answersDue_.empty() && answersDue_.front().What == what) return TakeDueReply(what, answersDue_.front().Msg);
  return Command(command);
}

void TPop3Client::ListMessages() {
  if (busy_) return;
  BusyScope busy(busy_);
  CheckConnection();
  // Without +OK no listing and no "." follow: waiting for them would hang.
  CheckReply(ReplyTo(AnswerDue::ListAll, "LIST "));
  listedSizes_.clear();
  listingComplete_ = false;
  AnswerReader answer(*this, ListingLimits("messages"), DotStuffing::Keep);
  answer.ReadRest([this](std::string& line) {
    if (OnList) {
      const ListEntry entry = ParseListLine(line);
      NoteListedSize(entry);
      OnList(entry.Msg, entry.Size);
    } else if (auto entry = TryParseListLine(line)) {
      NoteListedSize(*entry);
    }
  });
  std::stable_sort(listedSizes_.begin(), listedSizes_.end(),
                   [](const ListEntry& a, const ListEntry& b) { return a.Msg < b.Msg; });
  listingComplete_ = true;
}

namespace {

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

void CutHeaderLine(std::string& line, std::size_t maxBytes) {
  if (line.size() <= maxBytes) return;
  std::size_t cut = maxBytes;
  // Never half a character: back to the start of the one the cut falls in.
  for (std::size_t back = 0; back < 3 && cut > 0 && IsUtf8Continuation(line[cut]); ++back) --cut;
  line.resize(cut);
}

}  // namespace

AnswerLimits TPop3Client::SummaryHeaderLimits() {
  return {static_cast<std::size_t>(kMaxHeaderLines), kMaxHeaderBytes,
          "The message header is too long (more than " + std::to_string(kMaxHeaderLines) + " lines or " +
              std::to_string(kMaxHeaderBytes) + " bytes)",
          kMaxHeaderBytes};
}

void TPop3Client::ReadSummaryHeader() {
  AnswerReader answer(*this, SummaryHeaderLimits(), DotStuffing::Keep);
  try {
    answer.ReadRest([this](std::string& line) {
      CutHeaderLine(line, kMaxHeaderLineBytes);
      NoteSummaryLine(summary_, line);
      summary_.Header.Add(line);
    });
  } catch (const EAnswerTooLong& error) {
    throw EHeaderTooLong(error.what());
  }
  summary_.Header.Add(".");
}

void TPop3Client::FetchSummary(std::int32_t msg) {
  if (busy_) return;
  BusyScope busy(busy_);
  CheckConnection();
  if (OnRetrieveStart) OnRetrieveStart(this);
  if (!capabilities_.Pipelining()) {
    CompleteSummary(msg, Command("TOP " + std::to_string(msg) + " 0"), std::nullopt, false);
    return;
  }
  // Both commands in one round trip; when TOP is refused, LIST's reply is
  // read and dropped before the next command.
  SettleAnswersDue();
  SendAhead({{AnswerDue::Top, msg, 0, {}}, {AnswerDue::ListOne, msg, 0, {}}});
  CompleteSummary(msg, TakeDueReply(AnswerDue::Top, msg), std::nullopt, true);
}

void TPop3Client::DeleteMessage(std::int32_t msg) {
  if (busy_) return;
  {
    BusyScope busy(busy_);
    CheckConnection();
    std::string reply = Command("DELE " + std::to_string(msg));
    if (IsRefusal(reply)) {
      if (OnFailure) OnFailure(this);
      throw ERefused(reply);
    }
  }
  // After Busy is cleared, so that the handler may start the next operation.
  if (OnSuccess) OnSuccess(this);
}

}  // namespace pop3
