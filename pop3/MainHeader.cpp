#include "pop3/MainHeader.h"

#include <string_view>

#include "codec/HeaderFields.h"
#include "net/LineSocket.h"
#include "pop3/TextHelpers.h"

namespace pop3 {

namespace {

// The line from its 1-based character `from` on, at most
// kMaxHeaderValueLength characters; empty when the line is shorter.
std::string ValueFrom(const std::string& line, std::size_t from) {
  if (line.size() < from) return std::string();
  return line.substr(from - 1, kMaxHeaderValueLength);
}

// The line's first word is name and its colon.
bool FirstWordIsField(const std::string& line, std::string_view name) {
  return codec::IsFieldLine(line, name) && (line.size() == name.size() + 1 || line[name.size() + 1] == ' ');
}

}  // namespace

void NoteMessageField(TMailMessage& message, const std::string& line) {
  if (FirstWordIsField(line, "Subject")) {
    message.Subject = ValueFrom(line, 9);
  } else if (FirstWordIsField(line, "From")) {
    message.From = ValueFrom(line, 7);
  } else if (FirstWordIsField(line, "Content-Type")) {
    message.ContentType = ValueFrom(line, 15);
  } else if (FirstWordIsField(line, "Message-ID")) {
    message.MessageId = ValueFrom(line, 13);
  }
}

bool MainHeaderReader::TakeLine(const std::string& line) {
  message_.Header.Add(line);
  if (line.empty()) return true;
  NoteMessageField(message_, line);
  const std::string upper = AsciiUpper(line);
  if (upper.find("CONTENT-TRANSFER-ENCODING") != std::string::npos) encoding_ = ValueFrom(line, 28);
  if (upper.find("NAME") != std::string::npos) attachName_ = net::NthWord(line, '"', 2);
  return false;
}

PartHeader MainHeaderReader::Parsed() const {
  const std::vector<std::string>& lines = message_.Header.Items();
  return ParsePartHeader(lines, 0, lines.size(), "text/plain");
}

}  // namespace pop3
