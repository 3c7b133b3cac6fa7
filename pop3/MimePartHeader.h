#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pop3 {

// What the MIME walk needs of one entity's header (the message's own or a
// part's), read as RFC 2045/2046/2183 give it: fields unfolded, names in
// any letter case, the first occurrence of a field deciding.
struct PartHeader {
  // "type/subtype" lower-cased, or defaultType when the header has no
  // usable Content-Type (no field, or a value without a "/").
  std::string type;
  std::string boundary;     // exact boundary parameter (its bytes as sent), empty when none
  std::string encoding;     // Content-Transfer-Encoding lower-cased and trimmed; empty is 7bit
  std::string disposition;  // first token of Content-Disposition, lower-cased
  std::string charset;      // charset parameter of Content-Type as text, empty when none
  // filename= of Content-Disposition, else name= of Content-Type, as text
  // in UTF-8: encoded words, RFC 2231 forms and charsets decoded (see
  // codec::HeaderParameter).
  std::string fileName;
  bool hasFileName = false;  // a name parameter is present, even an empty one

  std::string MainType() const { return type.substr(0, type.find('/')); }
};

// Reads the header made of lines[begin, end) (without the empty line that
// ends it). Continuation lines (starting with a blank or a tab) join the
// field before them.
PartHeader ParsePartHeader(const std::vector<std::string>& lines, std::size_t begin, std::size_t end,
                            const std::string& defaultType);

// True when line can stand in a header: a field "name:" (printable
// characters other than the colon before it) or a continuation. The walk
// takes a part's header up to its empty line or the first other line.
bool IsHeaderLine(std::string_view line);

// How a part's body is carried, from its Content-Transfer-Encoding value in
// any letter case and with blanks around it. Anything not named here
// (7bit, 8bit, binary, unknown) is saved as sent.
enum class TransferCoding { AsSent, Base64, QuotedPrintable, UU };
TransferCoding TransferCodingOf(const std::string& encoding);

// A part is an attachment when its disposition says so, when it names a
// file, or when it is no text (images, applications, audio, video,
// messages).
bool IsAttachment(const PartHeader& header);

}  // namespace pop3
