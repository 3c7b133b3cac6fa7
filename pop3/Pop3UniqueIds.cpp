#include <string>
#include <utility>

#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Parsing.h"

namespace pop3 {

bool TPop3Client::ListUniqueIds(std::map<std::int32_t, std::string>& ids) {
  ids.clear();
  if (busy_) return false;
  BusyScope busy(busy_);
  CheckConnection();
  return ReadUniqueIdListing(ids);
}

std::optional<std::string> TPop3Client::UniqueId(std::int32_t msg) {
  if (busy_) return std::nullopt;
  BusyScope busy(busy_);
  CheckConnection();
  return AskUniqueId(msg);
}

std::optional<std::int32_t> TPop3Client::LocateMessage(std::int32_t msg, const std::string& uniqueId) {
  if (busy_) return std::nullopt;
  BusyScope busy(busy_);
  CheckConnection();
  if (AskUniqueId(msg) == uniqueId) return msg;
  std::map<std::int32_t, std::string> ids;
  ReadUniqueIdListing(ids);
  for (const auto& [number, id] : ids)
    if (id == uniqueId) return number;
  return std::nullopt;
}

// Without +OK no listing and no "." follow.
bool TPop3Client::ReadUniqueIdListing(std::map<std::int32_t, std::string>& ids) {
  if (!ReplyPasses(Command("UIDL"))) return false;
  AnswerReader answer(*this,
                       {kMaxListLines, kMaxListBytes,
                        "The server listed more than " + std::to_string(kMaxListLines) + " unique ids or " +
                            std::to_string(kMaxListBytes) + " bytes"},
                       DotStuffing::Keep);
  answer.ReadRest([&ids](std::string& line) {
    UniqueIdEntry entry = ParseUniqueIdLine(line);
    ids[entry.Msg] = std::move(entry.Id);
  });
  return true;
}

// A refusal here is an answer about this message, not a broken session.
std::optional<std::string> TPop3Client::AskUniqueId(std::int32_t msg) {
  std::string reply = Command("UIDL " + std::to_string(msg));
  if (!ReplyPasses(reply)) return std::nullopt;
  return ParseUniqueIdReply(reply);
}

}  // namespace pop3
