// The header summary: every line of a TOP answer goes through what
// FetchSummary does with it (Subject, From and Message-ID noted, the line
// kept in the Header list), then the window cuts sender, subject and date
// out of the joined header as POP3RetrieveEnd does. The Header list's field
// look-up is checked in both its unsorted and its sorted mode.
//
// Input: the TOP answer, one server line per LF. The first byte picks a
// label and a skip of the input's own for a second ExtractHeaderValue call.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "mailbox/ShownFields.h"
#include "pop3/ExStringList.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Parsing.h"
#include "pop3/Pop3Reply.h"

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// A value cut out of header is a piece of one physical line of it.
void CheckExtracted(const std::string& header, const std::string& label, const std::string& fallback, int skip) {
  const std::optional<std::string> value = mailbox::ExtractHeaderValue(header, label, fallback, skip);
  const bool labelled = header.find(label) != std::string::npos || header.find(fallback) != std::string::npos;
  FUZZ_CHECK(value.has_value() == labelled);
  if (!value) return;
  FUZZ_CHECK(value->find('\r') == std::string::npos);
  FUZZ_CHECK(header.find(*value) != std::string::npos);
}

// The name a sorted header list files a line under.
std::string SortedName(const std::string& line) {
  return line.find(':') == std::string::npos ? std::string() : pop3::FieldName(line);
}

// Unsorted: the first item with the name; sorted: some item with the name.
void CheckFieldLookup(const pop3::TExStringList& header) {
  pop3::TExStringList sorted;
  for (const std::string& line : header) sorted.Add(line);
  sorted.SetSorted(true);
  int probes = 0;
  for (const std::string& line : header) {
    if (line.find(':') == std::string::npos) continue;
    if (++probes > 16) break;
    const std::string name = pop3::FieldName(line);
    const int first = header.FindField(name);
    FUZZ_CHECK(first >= 0 && pop3::CompareText(pop3::FieldName(header[first]), name) == 0);
    for (int i = 0; i < first; ++i) {
      FUZZ_CHECK(header[i].find(':') == std::string::npos ||
                 pop3::CompareText(pop3::FieldName(header[i]), name) != 0);
    }
    const int found = sorted.FindField(name);
    FUZZ_CHECK(found >= 0 && pop3::CompareText(SortedName(sorted[found]), name) == 0);
  }
}

void CheckSummary(const pop3::TSummary& summary, const std::string& lastSubject, const std::string& lastFrom,
                  const std::string& lastMessageId) {
  FUZZ_CHECK(summary.MessageId.size() <= pop3::TPop3Client::kMaxMessageIdLength);
  FUZZ_CHECK(summary.Subject == (lastSubject.empty() ? "" : lastSubject.substr(8)));
  FUZZ_CHECK(summary.From == (lastFrom.empty() ? "" : lastFrom.substr(5)));
  FUZZ_CHECK(summary.MessageId ==
             (lastMessageId.size() > 12 ? lastMessageId.substr(12, summary.MessageId.size()) : ""));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned mode = data[0];
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

  pop3::TSummary summary;
  std::string lastSubject, lastFrom, lastMessageId;
  for (std::size_t start = 0; start < input.size();) {
    const std::size_t lf = input.find('\n', start);
    const std::size_t end = lf == std::string::npos ? input.size() : lf + 1;
    const std::string line = input.substr(start, end - start);
    start = end;
    const std::string bare = pop3::WithoutLineEnd(line);
    pop3::NoteSummaryLine(summary, line);
    if (StartsWith(line, "Subject:")) lastSubject = bare;
    if (StartsWith(line, "From:")) lastFrom = bare;
    if (StartsWith(line, "Message-ID:")) lastMessageId = bare;
    summary.Header.Add(bare);
    if (bare == ".") break;
  }
  CheckSummary(summary, lastSubject, lastFrom, lastMessageId);
  CheckFieldLookup(summary.Header);

  std::string header;
  for (const std::string& line : summary.Header) header += line + "\r\n";
  CheckExtracted(header, "From:", "FROM:", 6);
  CheckExtracted(header, "Subject:", "SUBJECT:", 9);
  CheckExtracted(header, "Date:", "DATE:", 6);
  if (summary.Header.Count() > 0) {
    const std::string label = summary.Header[0].substr(0, mode % 8);
    CheckExtracted(header, label, "X:", static_cast<int>(mode / 8));
  }
  return 0;
}
