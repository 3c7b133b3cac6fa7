#include <string>

#include "app/MessageRows.h"
#include "app/POP3Unit1.h"
#include "codec/CharacterClasses.h"
#include "codec/Charset.h"
#include "codec/EncodedWords.h"
#include "codec/MailDate.h"

namespace app {

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
  if (field.Column == kDateColumn) return ControlsAsBlanks(codec::ShownMailDate(Unfolded(value)));
  return codec::WithoutDirectionOverrides(ControlsAsBlanks(codec::DecodeHeaderText(value)));
}

std::string FieldHint(const ShownField& field, const std::string& value) {
  if (field.Column == kDateColumn)
    return codec::WithoutDirectionOverrides(ControlsAsBlanks(codec::ShownAsEightBit(Unfolded(value))));
  return ShownFieldText(field, value);
}

}  // namespace app
