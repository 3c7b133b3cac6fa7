#pragma once

#include <optional>
#include <string>

#include "mailbox/MessageList.h"
#include "pop3/StringList.h"

namespace mailbox {

// Cuts one header value out of header (a summary's lines, each ended by
// CR LF): finds label, else fallbackLabel, anywhere in the text (also inside
// another header name); the value starts skip characters after the match
// and runs to the end of that physical line, CR excluded. Nothing when
// neither label occurs.
std::optional<std::string> ExtractHeaderValue(const std::string& header, const std::string& label,
                                              const std::string& fallbackLabel, int skip);

// The header fields a row shows, cut out of a summary's header text by
// ExtractHeaderValue(header, Label, FallbackLabel, Skip).
struct ShownField {
  enum Kind { Sender, Subject, Date };
  const char* Label;
  const char* FallbackLabel;
  int Skip;
  Kind Which;
};
inline constexpr ShownField kShownFields[] = {
    {"From:", "FROM:", 6, ShownField::Sender},
    {"Subject:", "SUBJECT:", 9, ShownField::Subject},
    {"Date:", "DATE:", 6, ShownField::Date},
};

// The value of field in header (a summary's lines, each ended by CR LF):
// cut out by ExtractHeaderValue, with the continuation lines of a folded
// field joined on (each after its CR LF, which decoding undoes). Nothing
// when neither label occurs.
std::optional<std::string> FieldValue(const std::string& header, const ShownField& field);

// What the row shows of a field's value: the sender and the subject
// decoded (encoded words and charsets, in UTF-8), line breaks and other
// control characters as blanks, no direction overrides; the date as a
// complete local date and time, or as it came when it cannot be read.
std::string ShownFieldText(const ShownField& field, const std::string& value);

// The tooltip of the field's cell: the date header as it was sent; the
// whole shown text of the sender and the subject, which the column cuts.
std::string FieldHint(const ShownField& field, const std::string& value);

// The sender, subject and date that the summary's header lines give a row;
// a field the header lacks is none.
struct SummaryFields {
  std::optional<ShownText> From, Subject, Date;
};
SummaryFields ShownSummary(const pop3::StringList& header);

// Every line followed by CR LF, bytes as they came from the server: the
// text of a summary's header.
std::string LinesText(const pop3::StringList& lines);

}  // namespace mailbox
