#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace pop3 {

struct TSummary;

// One line of a scan listing as the client reads it, line end removed.
struct ListEntry {
  std::int32_t Msg = 0;   // first blank-delimited field
  std::int32_t Size = 0;  // second blank-delimited field
};

// "msg size" of one listing line (line end removed). Raises EConvertError
// when either field is no integer (the message number is judged first).
ListEntry ParseListLine(const std::string& line);
// The same, nothing instead of the error.
std::optional<ListEntry> TryParseListLine(const std::string& line);

// One rule reads a unique id wherever the server gives one: in a line of
// the "UIDL" listing ("msg id", line end removed) and in the reply to
// "UIDL n" after its status word. The message number is the first
// blank-delimited field; the id is the rest of the line after the blank
// that follows it, blanks and control characters trimmed at both ends (so
// an id with blanks inside reads the same in both answers). Raises
// EConvertError when the number is no integer, and platform::Exception when
// the id is empty or longer than kMaxUniqueIdLength.
struct UniqueIdEntry {
  std::int32_t Msg = 0;
  std::string Id;
};
UniqueIdEntry ParseUniqueIdLine(const std::string& line);

// The entry in the reply to "UIDL n" ("+OK n id" as received), read by the
// rule of ParseUniqueIdLine; the caller compares its number with n.
UniqueIdEntry ParseUniqueIdReply(const std::string& reply);

// The message count of a STAT reply as received: its second blank-delimited
// field without the line end; 0 when that is no integer.
std::int32_t ParseStatCount(const std::string& reply);

// The size in the reply to "LIST n" ("+OK n size" as received): the third
// blank-delimited field, blanks and control characters around it trimmed.
// Raises EConvertError when it is no integer.
std::int32_t ParseListSize(const std::string& reply);

// Notes what one line of a TOP answer (as received, line end included)
// says of the message: the text after "Subject:" and "From:" into Subject
// and From, the text after "Message-ID: " (at most kMaxMessageIdLength
// characters) into MessageId. Lines naming none of them change nothing;
// Header is never touched.
void NoteSummaryLine(TSummary& summary, const std::string& line);

}  // namespace pop3
