#include "pop3/MimePartHeader.h"

#include <optional>
#include <span>

#include "codec/HeaderFields.h"
#include "codec/HeaderParameters.h"
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

}  // namespace

bool IsHeaderLine(std::string_view line) {
  if (line.empty()) return false;
  if (IsBlank(line[0])) return true;
  for (const char c : line) {
    if (c == ':') return true;
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x21 || u > 0x7E) return false;
  }
  return false;
}

PartHeader ParsePartHeader(const std::vector<std::string>& lines, std::size_t begin, std::size_t end,
                            const std::string& defaultType) {
  const std::span<const std::string> fields(lines.data() + begin, end - begin);
  auto field = [&fields](std::string_view name) { return codec::HeaderFieldValue(fields, name).value_or(""); };
  PartHeader header;
  const std::string contentType = field("content-type");
  std::string type = AsciiLower(Trimmed(contentType.substr(0, contentType.find(';'))));
  header.type = type.find('/') == std::string::npos ? defaultType : type;
  header.boundary = codec::HeaderParameterBytes(contentType, "boundary").value_or("");
  header.charset = codec::HeaderParameter(contentType, "charset").value_or("");

  header.encoding = AsciiLower(Trimmed(field("content-transfer-encoding")));
  const std::string disposition = field("content-disposition");
  header.disposition = AsciiLower(Trimmed(disposition.substr(0, disposition.find(';'))));

  std::optional<std::string> name = codec::HeaderParameter(disposition, "filename");
  if (!name) name = codec::HeaderParameter(contentType, "name");
  header.hasFileName = name.has_value();
  header.fileName = name.value_or(std::string());
  return header;
}

TransferCoding TransferCodingOf(const std::string& encoding) {
  const std::string name = AsciiLower(Trimmed(encoding));
  if (name == "base64") return TransferCoding::Base64;
  if (name == "quoted-printable") return TransferCoding::QuotedPrintable;
  if (name == "x-uuencode" || name == "x-uue" || name == "uuencode" || name == "uue") return TransferCoding::UU;
  return TransferCoding::AsSent;
}

bool IsAttachment(const PartHeader& header) {
  if (header.disposition == "attachment" || header.hasFileName) return true;
  const std::string mainType = header.MainType();
  return mainType != "text" && mainType != "multipart";
}

}  // namespace pop3
