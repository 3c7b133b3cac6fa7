#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace pop3 {

// What the MIME walk needs of one entity's header (the message's own or a
// part's), read as RFC 2045/2046/2183 give it: fields unfolded, names in
// any letter case, the first occurrence of a field deciding.
struct PartHeader {
  // "type/subtype" lower-cased, or defaultType when the header has no
  // usable Content-Type (no field, or a value without a "/").
  std::string type;
  std::string boundary;     // exact boundary parameter, empty when none
  std::string encoding;     // Content-Transfer-Encoding lower-cased and trimmed; empty is 7bit
  std::string disposition;  // first token of Content-Disposition, lower-cased
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
bool IsHeaderLine(const std::string& line);

// The parameter `name` (lower-case) of a structured field value such as
// "multipart/mixed; boundary = \"x y\"": quoted or token values, blanks
// around "=", RFC 2231 forms (name*=charset'lang'%XX..., name*0=, name*1*=)
// joined in order with their escapes decoded, no charset applied: the
// bytes as sent, which a boundary needs. found tells an empty value from a
// missing parameter.
std::string HeaderParameter(const std::string& value, const std::string& name, bool& found);

}  // namespace pop3
