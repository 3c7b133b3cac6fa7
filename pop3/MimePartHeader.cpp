#include "pop3/MimePartHeader.h"

#include <cstdlib>
#include <map>
#include <optional>

#include "codec/HeaderParameters.h"

#include "pop3/MimeExtractor.h"
#include "pop3/TextHelpers.h"

namespace pop3 {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (IsBlank(text[begin]) || text[begin] == '\r')) ++begin;
  while (end > begin && (IsBlank(text[end - 1]) || text[end - 1] == '\r')) --end;
  return text.substr(begin, end - begin);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An RFC 2231 extended value: %XX escapes decoded; the first piece carries
// "charset'language'" before the text.
std::string DecodeExtended(const std::string& value, bool first) {
  std::size_t start = 0;
  if (first) {
    const std::size_t quote = value.find('\'');
    const std::size_t second = quote == std::string::npos ? quote : value.find('\'', quote + 1);
    if (second != std::string::npos) start = second + 1;
  }
  std::string decoded;
  for (std::size_t i = start; i < value.size(); ++i) {
    if (value[i] == '%' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0 && HexValue(value[i + 2]) >= 0) {
      decoded += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
      i += 2;
    } else {
      decoded += value[i];
    }
  }
  return decoded;
}

// Reads one parameter value at pos (just after "=" and its blanks): a
// quoted string with its backslash escapes, or everything up to the next
// ";" without trailing blanks. Leaves pos at the ";" or the end.
std::string ParameterValue(const std::string& text, std::size_t& pos) {
  std::string value;
  if (pos < text.size() && text[pos] == '"') {
    for (++pos; pos < text.size() && text[pos] != '"'; ++pos) {
      if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;
      value += text[pos];
    }
    while (pos < text.size() && text[pos] != ';') ++pos;
    return value;
  }
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] != ';') ++pos;
  return Trimmed(text.substr(start, pos - start));
}

struct Piece {
  std::string value;
  bool extended = false;
};

// The unfolded value of the first field called name (lower-case, without
// colon) in lines[begin, end); found says whether there is one.
std::string FieldValue(const std::vector<std::string>& lines, std::size_t begin, std::size_t end,
                       const std::string& name, bool& found) {
  found = false;
  for (std::size_t i = begin; i < end; ++i) {
    const std::string& line = lines[i];
    if (line.size() <= name.size() || line[name.size()] != ':') continue;
    if (AsciiLower(line.substr(0, name.size())) != name) continue;
    std::string value = line.substr(name.size() + 1);
    for (std::size_t next = i + 1; next < end && !lines[next].empty() && IsBlank(lines[next][0]); ++next) {
      value += lines[next];
    }
    found = true;
    return value;
  }
  return std::string();
}

}  // namespace

bool IsHeaderLine(const std::string& line) {
  if (line.empty()) return false;
  if (IsBlank(line[0])) return true;
  for (const char c : line) {
    if (c == ':') return true;
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x21 || u > 0x7E) return false;
  }
  return false;
}

std::string HeaderParameter(const std::string& value, const std::string& name, bool& found) {
  found = false;
  std::string plain;
  std::map<int, Piece> pieces;
  std::size_t pos = value.find(';');
  while (pos != std::string::npos && pos < value.size()) {
    ++pos;  // past ";"
    const std::size_t equals = value.find_first_of("=;", pos);
    if (equals == std::string::npos || value[equals] == ';') {
      pos = equals;
      continue;
    }
    const std::string attribute = AsciiLower(Trimmed(value.substr(pos, equals - pos)));
    pos = equals + 1;
    while (pos < value.size() && IsBlank(value[pos])) ++pos;
    const std::string text = ParameterValue(value, pos);
    if (attribute == name) {
      if (!found) plain = text;
      found = true;
    } else if (attribute.size() > name.size() && attribute.compare(0, name.size(), name) == 0 &&
               attribute[name.size()] == '*') {
      // name*, name*N or name*N*
      std::string rest = attribute.substr(name.size() + 1);
      Piece piece{text, false};
      if (!rest.empty() && rest.back() == '*') {
        piece.extended = true;
        rest.pop_back();
      } else if (rest.empty()) {
        piece.extended = true;
      }
      if (rest.find_first_not_of("0123456789") != std::string::npos || rest.size() > 3) continue;
      const int index = rest.empty() ? 0 : std::atoi(rest.c_str());
      pieces.emplace(index, piece);
    }
  }
  if (pieces.empty()) return plain;
  found = true;
  std::string joined;
  int expected = 0;
  for (const auto& [index, piece] : pieces) {
    if (index != expected++) break;  // a gap ends the value
    joined += piece.extended ? DecodeExtended(piece.value, index == 0) : piece.value;
  }
  return joined;
}

PartHeader ParsePartHeader(const std::vector<std::string>& lines, std::size_t begin, std::size_t end,
                            const std::string& defaultType) {
  PartHeader header;
  bool found = false;
  const std::string contentType = FieldValue(lines, begin, end, "content-type", found);
  std::string type = AsciiLower(Trimmed(contentType.substr(0, contentType.find(';'))));
  header.type = type.find('/') == std::string::npos ? defaultType : type;
  header.boundary = HeaderParameter(contentType, "boundary", found);

  header.encoding = AsciiLower(Trimmed(FieldValue(lines, begin, end, "content-transfer-encoding", found)));
  const std::string disposition = FieldValue(lines, begin, end, "content-disposition", found);
  header.disposition = AsciiLower(Trimmed(disposition.substr(0, disposition.find(';'))));

  std::optional<std::string> name = codec::HeaderParameter(disposition, "filename");
  if (!name) name = codec::HeaderParameter(contentType, "name");
  header.hasFileName = name.has_value();
  header.fileName = name.value_or(std::string());
  return header;
}

}  // namespace pop3
