#include "app/ViewerText.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "codec/Base64Decoder.h"
#include "codec/ByteSink.h"
#include "codec/Charset.h"
#include "codec/EncodedWords.h"
#include "codec/HtmlText.h"
#include "codec/QuotedPrintable.h"
#include "codec/TextStreams.h"
#include "pop3/MimeExtractor.h"
#include "pop3/TextHelpers.h"
#include "pop3/MimePartHeader.h"
#include "pop3/MimeWalk.h"

namespace app {

namespace {

using Lines = std::vector<std::string>;

bool IsContinuation(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

bool NeedsDecoding(std::string_view text) {
  if (text.find("=?") != std::string_view::npos) return true;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// A body may be a whole large message: its text is built in one piece of
// the right size rather than grown by doubling.
std::string Joined(const Lines& lines, std::size_t begin, std::size_t end) {
  std::size_t size = 0;
  for (std::size_t i = begin; i < end; ++i) size += lines[i].size() + 2;
  std::string text;
  text.reserve(size);
  for (std::size_t i = begin; i < end; ++i) text.append(lines[i]).append("\r\n");
  return text;
}

// Whether every CR is followed by an LF and every LF follows a CR.
bool LineEndsAreCrLf(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 == text.size() || text[i + 1] != '\n') return false;
      ++i;  // the pair's LF
    } else if (text[i] == '\n') {
      return false;
    }
  }
  return true;
}

// Line ends made CR LF throughout (the decoded text may bring bare LFs).
// Text that has no other line ends is handed back as it is, uncopied.
std::string WithCrLf(std::string text) {
  if (LineEndsAreCrLf(text)) return text;
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string DecodedBase64(const Lines& lines, std::size_t begin, std::size_t end) {
  std::size_t size = 0;
  for (std::size_t i = begin; i < end; ++i) size += lines[i].size() + 2;
  std::string bytes;
  bytes.reserve(size / 4 * 3 + 3);  // 3 bytes in 4 characters
  codec::StringStream output(bytes);
  codec::ByteSink sink(output);
  codec::Base64Decoder decoder(sink);
  for (std::size_t i = begin; i < end && !decoder.Ended(); ++i) {
    decoder.Push(lines[i]);
    decoder.Push("\r\n");
  }
  decoder.Finish();
  sink.Flush();
  return bytes;
}

// Each line as ShownAsEightBit shows it. Well-formed UTF-8 as a whole is
// so line by line too (a line feed never falls inside a sequence), and is
// handed back as it is, uncopied.
std::string EightBitLinesOf(std::string bytes) {
  if (codec::IsUtf8(bytes)) return bytes;
  std::string text;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    end = end == std::string_view::npos ? bytes.size() : end + 1;
    text += codec::ShownAsEightBit(bytes.substr(start, end - start));
    start = end;
  }
  return text;
}

// One text part, lines[begin, end): its body decoded as its header says.
// The part may be most of a large message: each step takes over the text
// of the one before, or lets it go as soon as it has made its own.
std::string DecodedText(const Lines& lines, std::size_t begin, std::size_t end, const pop3::PartHeader& header) {
  std::string bytes;
  switch (pop3::TransferCodingOf(header.encoding)) {
    case pop3::TransferCoding::QuotedPrintable:
      bytes = codec::DecodeQuotedPrintable(Joined(lines, begin, end));
      break;
    case pop3::TransferCoding::Base64:
      bytes = DecodedBase64(lines, begin, end);
      break;
    default:
      bytes = Joined(lines, begin, end);
      break;
  }
  const std::string& charset = header.charset;
  // Without a charset, lines of a body put together from several sources
  // may differ: each shows as UTF-8 when it is, else as ISO-8859-1.
  std::string text = charset.empty() ? EightBitLinesOf(std::move(bytes))
                                     : codec::DecodeCharsetTaking(std::move(bytes), charset);
  if (header.type == "text/html") text = codec::HtmlAsPlainText(text);
  text = WithCrLf(std::move(text));
  if (!text.empty() && (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)) text += "\r\n";
  return text;
}

// The display part as FetchMessage chose it: the first text/plain part
// that is no attachment, else the first such text/html part.
const pop3::MimeLeaf* DisplayLeaf(const std::vector<pop3::MimeLeaf>& leaves) {
  for (const char* type : {"text/plain", "text/html"}) {
    for (const pop3::MimeLeaf& leaf : leaves)
      if (leaf.header.type == type && !pop3::IsAttachment(leaf.header)) return &leaf;
  }
  return nullptr;
}

std::string EightBitLines(const Lines& lines, std::size_t begin) {
  std::size_t size = 0;
  for (std::size_t i = begin; i < lines.size(); ++i) size += lines[i].size() + 2;
  std::string text;
  text.reserve(size);  // more only for lines shown as ISO-8859-1
  for (std::size_t i = begin; i < lines.size(); ++i) text.append(codec::ShownAsEightBit(lines[i])).append("\r\n");
  return text;
}

}  // namespace

std::string HeaderViewText(const pop3::StringList& header) {
  const Lines& lines = header.Items();
  std::string text;
  for (std::size_t i = 0; i < lines.size();) {
    std::size_t end = i + 1;
    while (end < lines.size() && IsContinuation(lines[end])) ++end;
    const std::string field = Joined(lines, i, end);
    const std::size_t colon = lines[i].find(':');
    if (colon != std::string::npos && !IsContinuation(lines[i]) && NeedsDecoding(field)) {
      std::string value = field.substr(colon + 1);
      value.resize(value.size() - 2);  // the last CR LF
      std::string decoded = codec::DecodeHeaderText(value);
      for (char& c : decoded)
        if (c == '\r' || c == '\n') c = ' ';
      text += codec::ShownAsEightBit(lines[i].substr(0, colon + 1)) + decoded + "\r\n";
    } else {
      for (std::size_t k = i; k < end; ++k) text += codec::ShownAsEightBit(lines[k]) + "\r\n";
    }
    i = end;
  }
  return text;
}

std::string BodyViewText(const pop3::TMailMessage& message) {
  const Lines& headerLines = message.Header.Items();
  const Lines& raw = message.RawLines.Items();
  const Lines& body = message.Body.Items();
  const pop3::PartHeader mainHeader = pop3::ParsePartHeader(headerLines, 0, headerLines.size(), "text/plain");

  if (mainHeader.MainType() == "multipart") {
    std::vector<pop3::MimeLeaf> leaves;
    std::size_t walked = 0;
    if (!pop3::WalkMime(raw, mainHeader, leaves, walked)) return EightBitLines(body, 0);
    const pop3::MimeLeaf* display = DisplayLeaf(leaves);
    if (display == nullptr) return EightBitLines(body, 0);
    // Body holds the display part's lines (as they came, perhaps cut for
    // display), then one note per attachment written: the notes are its
    // last items, and the text is decoded afresh from the raw lines.
    const std::size_t notes = message.Attachments.Items().size();
    if (body.size() < notes) return EightBitLines(body, 0);
    return DecodedText(raw, display->begin, display->end, display->header) +
           EightBitLines(body, body.size() - notes);
  }
  if (body == raw && !pop3::IsAttachment(mainHeader))
    return DecodedText(raw, 0, raw.size(), mainHeader);
  return EightBitLines(body, 0);
}

}  // namespace app
