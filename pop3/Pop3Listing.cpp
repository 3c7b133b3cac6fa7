#include <algorithm>
#include <string>

#include "pop3/Pop3Client.h"
#include "pop3/Pop3Parsing.h"

namespace pop3 {

using platform::Exception;

void TPop3Client::ListMessages() {
  if (busy_) return;
  BusyScope busy(busy_);
  CheckConnection();
  // Without +OK no listing and no "." follow: waiting for them would hang.
  CheckReply(Command("LIST "));
  listedSizes_.clear();
  listingComplete_ = false;
  int lines = 0;
  ReadWholeAnswer([&] {
    std::string line = WithoutLineEnd(ReadAnswerLine());
    if (line == ".") return false;
    if (lines++ >= kMaxListLines) {
      throw Exception("The server listed more than " + std::to_string(kMaxListLines) + " messages");
    }
    if (OnList) {
      const TListEntry entry = ParseListLine(line);
      NoteListedSize(entry);
      OnList(entry.Msg, entry.Size);
    } else if (auto entry = TryParseListLine(line)) {
      NoteListedSize(*entry);
    }
    return true;
  });
  std::stable_sort(listedSizes_.begin(), listedSizes_.end(),
                   [](const TListEntry& a, const TListEntry& b) { return a.Msg < b.Msg; });
  listingComplete_ = true;
}

void TPop3Client::ReadSummaryHeader() {
  std::size_t bytes = 0;
  ReadWholeAnswer([&] {
    std::string line = ReadAnswerLine();
    std::string trimmed = WithoutLineEnd(line);
    NoteSummaryLine(summary_, line);
    bytes += trimmed.size();
    if (trimmed != "." && (summary_.Header.Count() >= kMaxHeaderLines || bytes > kMaxHeaderBytes)) {
      throw Exception("The message header is too long (more than " + std::to_string(kMaxHeaderLines) +
                      " lines or " + std::to_string(kMaxHeaderBytes) + " bytes)");
    }
    summary_.Header.Add(trimmed);
    return trimmed != ".";
  });
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
  SendAhead({{TAnswerDue::Top, msg, 0}, {TAnswerDue::ListOne, msg, 0}});
  CompleteSummary(msg, TakeDueReply(TAnswerDue::Top, msg), std::nullopt, true);
}

void TPop3Client::DeleteMessage(std::int32_t msg) {
  if (busy_) return;
  {
    BusyScope busy(busy_);
    CheckConnection();
    std::string reply = Command("DELE " + std::to_string(msg));
    if (IsRefusal(reply)) {
      if (OnFailure) OnFailure(this);
      throw Exception(reply);
    }
  }
  // After Busy is cleared, so that the handler may start the next operation.
  if (OnSuccess) OnSuccess(this);
}

}  // namespace pop3
