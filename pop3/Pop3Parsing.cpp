#include "pop3/Pop3Parsing.h"

#include "net/LineSocket.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Reply.h"

namespace pop3 {

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

ListEntry ParseListLine(const std::string& line) {
  ListEntry entry;
  entry.Msg = StrToIntNoBlanks(net::NthWord(line, ' ', 1));
  entry.Size = StrToIntNoBlanks(net::NthWord(line, ' ', 2));
  return entry;
}

std::optional<ListEntry> TryParseListLine(const std::string& line) {
  try {
    return ParseListLine(line);
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

namespace {

std::string CheckedUniqueId(const std::string& id) {
  if (id.empty()) throw platform::Exception("The server sent an empty unique id");
  if (id.size() > TPop3Client::kMaxUniqueIdLength) {
    throw platform::Exception("The server sent a unique id longer than " +
                              std::to_string(TPop3Client::kMaxUniqueIdLength) + " characters");
  }
  return id;
}

}  // namespace

UniqueIdEntry ParseUniqueIdLine(const std::string& line) {
  UniqueIdEntry entry;
  entry.Msg = StrToIntNoBlanks(net::NthWord(line, ' ', 1));
  std::string::size_type blank = line.find(' ');
  entry.Id = CheckedUniqueId(TrimControl(blank == std::string::npos ? std::string() : line.substr(blank + 1)));
  return entry;
}

UniqueIdEntry ParseUniqueIdReply(const std::string& reply) {
  const std::string line = WithoutLineEnd(reply);
  std::string::size_type blank = line.find(' ');
  return ParseUniqueIdLine(blank == std::string::npos ? std::string() : line.substr(blank + 1));
}

std::int32_t ParseStatCount(const std::string& reply) {
  return StrToIntNoBlanksDef(net::NthWord(WithoutLineEnd(reply), ' ', 2), 0);
}

std::int32_t ParseListSize(const std::string& reply) {
  return StrToIntNoBlanks(TrimControl(net::NthWord(reply, ' ', 3)));
}

void NoteSummaryLine(TSummary& summary, const std::string& line) {
  const std::string trimmed = WithoutLineEnd(line);
  if (StartsWith(line, "Subject:")) summary.Subject = trimmed.substr(8);
  if (StartsWith(line, "From:")) summary.From = trimmed.substr(5);
  if (StartsWith(line, "Message-ID:")) {
    summary.MessageId =
        trimmed.size() > 12 ? trimmed.substr(12, TPop3Client::kMaxMessageIdLength) : std::string();
  }
}

}  // namespace pop3
