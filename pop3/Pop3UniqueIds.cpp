#include <map>
#include <string>
#include <utility>
#include <vector>

#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Parsing.h"

namespace pop3 {

namespace {

// The ids that name exactly one message, by number: a repeated id, or a
// number listed twice, is left out.
std::map<std::int32_t, std::string> UnrepeatedIds(const std::vector<UniqueIdEntry>& entries) {
  std::map<std::string, int> idCount;
  std::map<std::int32_t, int> numberCount;
  for (const UniqueIdEntry& entry : entries) {
    ++idCount[entry.Id];
    ++numberCount[entry.Msg];
  }
  std::map<std::int32_t, std::string> ids;
  for (const UniqueIdEntry& entry : entries)
    if (idCount[entry.Id] == 1 && numberCount[entry.Msg] == 1) ids[entry.Msg] = entry.Id;
  return ids;
}

}  // namespace

bool TPop3Client::ListUniqueIds(std::map<std::int32_t, std::string>& ids) {
  ids.clear();
  if (busy_) return false;
  BusyScope busy(busy_);
  CheckConnection();
  std::vector<UniqueIdEntry> entries;
  if (!ReadUniqueIdListing(entries)) return false;
  ids = UnrepeatedIds(entries);
  return true;
}

std::vector<UniqueIdEntry> TPop3Client::UniqueIdListing() {
  std::vector<UniqueIdEntry> entries;
  if (busy_) return entries;
  BusyScope busy(busy_);
  CheckConnection();
  ReadUniqueIdListing(entries);
  return entries;
}

std::optional<std::string> TPop3Client::UniqueId(std::int32_t msg) {
  if (busy_) return std::nullopt;
  BusyScope busy(busy_);
  CheckConnection();
  return AskUniqueId(msg);
}

// Only an id that names one message now identifies it: with two messages
// under the id, deleting either could delete the one the user kept.
std::optional<std::int32_t> TPop3Client::LocateMessage(std::int32_t msg, const std::string& uniqueId) {
  if (busy_) return std::nullopt;
  BusyScope busy(busy_);
  CheckConnection();
  if (AskUniqueId(msg) == uniqueId) return msg;
  std::vector<UniqueIdEntry> entries;
  if (!ReadUniqueIdListing(entries)) return std::nullopt;
  std::optional<std::int32_t> found;
  for (const UniqueIdEntry& entry : entries) {
    if (entry.Id != uniqueId) continue;
    if (found) return std::nullopt;
    found = entry.Msg;
  }
  return found;
}

// Without +OK no listing and no "." follow.
bool TPop3Client::ReadUniqueIdListing(std::vector<UniqueIdEntry>& entries) {
  if (!ReplyPasses(ReplyTo(AnswerDue::UidlAll, "UIDL"))) return false;
  AnswerReader answer(*this, ListingLimits("unique ids"), DotStuffing::Keep);
  answer.ReadRest([&entries](std::string& line) { entries.push_back(ParseUniqueIdLine(line)); });
  return true;
}

// A refusal here is an answer about this message, not a broken session; so
// is an answer for another number, which names no message it was asked for.
std::optional<std::string> TPop3Client::AskUniqueId(std::int32_t msg) {
  std::string reply = Command("UIDL " + std::to_string(msg));
  if (!ReplyPasses(reply)) return std::nullopt;
  UniqueIdEntry entry = ParseUniqueIdReply(reply);
  if (entry.Msg != msg) return std::nullopt;
  return entry.Id;
}

}  // namespace pop3
