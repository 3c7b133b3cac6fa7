#include "mailbox/ViewText.h"

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "codec/Base64Decoder.h"
#include "codec/ByteSink.h"
#include "codec/CharacterClasses.h"
#include "codec/Charset.h"
#include "codec/EncodedWords.h"
#include "codec/HtmlText.h"
#include "codec/QuotedPrintable.h"
#include "codec/TextStreams.h"
#include "pop3/MimePartHeader.h"

namespace mailbox {

namespace {

using Lines = std::vector<std::string>;

bool IsContinuation(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

bool NeedsDecoding(std::string_view text) {
  if (text.find("=?") != std::string_view::npos) return true;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// The lines, each followed by CR LF, in one piece of the right size.
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

// The decoded bytes go straight into the string, sized for them.
std::string DecodedBase64(std::string_view coded) {
  std::string bytes;
  bytes.reserve(coded.size() / 4 * 3 + 3);  // 3 bytes in 4 characters
  codec::StringStream output(bytes);
  codec::ByteSink sink(output);
  codec::Base64Decoder decoder(sink);
  decoder.Push(coded);
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

// The display text, as it lies at the start of the message's Body, decoded
// as its part's header says. The part may be most of a large message: each
// step takes over the text of the one before, or lets it go as soon as it
// has made its own.
std::string DecodedText(std::string_view sent, const pop3::TDisplayPart& part) {
  std::string bytes;
  switch (part.Coding) {
    case pop3::TransferCoding::QuotedPrintable:
      bytes = codec::DecodeQuotedPrintable(sent);
      break;
    case pop3::TransferCoding::Base64:
      bytes = DecodedBase64(sent);
      break;
    default:
      bytes = std::string(sent);
      break;
  }
  // Without a charset, lines of a body put together from several sources
  // may differ: each shows as UTF-8 when it is, else as ISO-8859-1.
  std::string text = part.Charset.empty() ? EightBitLinesOf(std::move(bytes))
                                          : codec::DecodeCharsetTaking(std::move(bytes), part.Charset);
  if (part.Type == "text/html") text = codec::HtmlAsPlainText(text);
  text = WithCrLf(std::move(text));
  if (!text.empty() && (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)) text += "\r\n";
  return text;
}

// Items [first, Count) of lines, each shown as ShownAsEightBit shows it.
std::string EightBitLines(const pop3::TextLines& lines, int first) {
  std::string text;
  text.reserve(lines.Text(first, lines.Count()).size());  // more only for lines shown as ISO-8859-1
  for (int i = first; i < lines.Count(); ++i) text.append(codec::ShownAsEightBit(lines[i])).append("\r\n");
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
  // No field turns the text after it around (a subject "\u202Efdp.exe").
  return codec::WithoutDirectionOverrides(std::move(text));
}

std::string BodyViewText(const pop3::TMailMessage& message) {
  const pop3::TDisplayPart& display = message.Display;
  if (!display.AsSent) return EightBitLines(message.Body, 0);
  // The display part's lines as they came, then the notes of the files.
  return DecodedText(message.Body.Text(0, display.Items), display) + EightBitLines(message.Body, display.Items);
}

}  // namespace mailbox
