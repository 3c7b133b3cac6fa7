#include "mailbox/ShownFields.h"

#include <string>

#include "codec/CharacterClasses.h"
#include "codec/Charset.h"
#include "codec/EncodedWords.h"
#include "codec/MailDate.h"

namespace mailbox {

namespace {

// A header this long is not a header a person reads; what lies past it is
// not shown.
constexpr std::string::size_type kMaxFieldLength = 16 * 1024;

std::string ControlsAsBlanks(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

// Folding undone: the line breaks go, the blanks after them stay.
std::string Unfolded(const std::string& value) {
  std::string out;
  for (char c : value)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

}  // namespace

std::optional<std::string> ExtractHeaderValue(const std::string& header, const std::string& label,
                                              const std::string& fallbackLabel, int skip) {
  std::string::size_type match = header.find(label);
  if (match == std::string::npos) match = header.find(fallbackLabel);
  if (match == std::string::npos) return std::nullopt;
  // The value runs from skip characters past the match to the end of its
  // physical line; one character after the colon (normally the blank) is
  // passed over, nothing is trimmed.
  std::string::size_type lineEnd = header.find('\r', match);
  std::string::size_type lineLength = lineEnd == std::string::npos ? header.size() - match : lineEnd - match + 1;
  long length = static_cast<long>(lineLength) - skip - 1;
  std::string::size_type start = match + static_cast<std::string::size_type>(skip);
  if (length <= 0 || start >= header.size()) return std::string();
  return header.substr(start, static_cast<std::string::size_type>(length));
}

std::optional<std::string> FieldValue(const std::string& header, const ShownField& field) {
  std::optional<std::string> value = ExtractHeaderValue(header, field.Label, field.FallbackLabel, field.Skip);
  if (!value) return value;
  std::string::size_type match = header.find(field.Label);
  if (match == std::string::npos) match = header.find(field.FallbackLabel);
  std::string::size_type lineEnd = header.find("\r\n", match);
  while (lineEnd != std::string::npos && lineEnd + 2 < header.size() &&
         (header[lineEnd + 2] == ' ' || header[lineEnd + 2] == '\t') && value->size() < kMaxFieldLength) {
    const std::string::size_type next = header.find("\r\n", lineEnd + 2);
    const std::string::size_type end = next == std::string::npos ? header.size() : next;
    *value += header.substr(lineEnd, end - lineEnd);
    lineEnd = next;
  }
  return value;
}

// A sender or subject never turns the text after it around: "Invoice
// \u202Efdp.exe" would show as "Invoice exe.pdf".
std::string ShownFieldText(const ShownField& field, const std::string& value) {
  if (field.Which == ShownField::Date) return ControlsAsBlanks(codec::ShownMailDate(Unfolded(value)));
  return codec::WithoutDirectionOverrides(ControlsAsBlanks(codec::DecodeHeaderText(value)));
}

std::string FieldHint(const ShownField& field, const std::string& value) {
  if (field.Which == ShownField::Date)
    return codec::WithoutDirectionOverrides(ControlsAsBlanks(codec::ShownAsEightBit(Unfolded(value))));
  return ShownFieldText(field, value);
}

SummaryFields ShownSummary(const pop3::StringList& header) {
  const std::string text = LinesText(header);
  SummaryFields fields;
  for (const ShownField& field : kShownFields) {
    std::optional<std::string> value = FieldValue(text, field);
    if (!value) continue;
    ShownText shown{ShownFieldText(field, *value), FieldHint(field, *value)};
    switch (field.Which) {
      case ShownField::Sender:
        fields.From = std::move(shown);
        break;
      case ShownField::Subject:
        fields.Subject = std::move(shown);
        break;
      case ShownField::Date:
        fields.Date = std::move(shown);
        break;
    }
  }
  return fields;
}

std::string LinesText(const pop3::StringList& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace mailbox
