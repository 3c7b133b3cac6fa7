#include "codec/EncodedWords.h"

#include <cstddef>
#include <utility>

#include "codec/Base64Decoder.h"
#include "codec/Charset.h"
#include "codec/CodecTables.h"

namespace codec {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

std::optional<std::string> DecodeQ(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '_') {
      out += ' ';
    } else if (c == '=') {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = HexDigitValue(text[i + 1]), low = HexDigitValue(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

// Strict where the body's decoder is lenient: only digits, at most two
// "=" at the end, and no length that leaves a lone character. What passes
// is decoded by the coder's own groups.
std::optional<std::string> DecodeB(std::string_view text) {
  std::size_t length = text.size();
  while (length > 0 && text[length - 1] == '=') --length;
  if (text.size() - length > 2 || length % 4 == 1) return std::nullopt;
  for (std::size_t i = 0; i < length; ++i)
    if (!IsBase64Digit(text[i])) return std::nullopt;
  return DecodeBase64Text(text.substr(0, length));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsCharsetChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_' ||
         c == '.' || c == ':' || c == '+' || c == '*' || c == '!' || c == '#' || c == '$' || c == '%' || c == '&' ||
         c == '\'' || c == '^' || c == '`' || c == '{' || c == '}' || c == '|' || c == '~';
}

// Encoded text: printable ASCII but "?" and the blank.
bool IsWordTextChar(char c) { return c > ' ' && c < 127 && c != '?'; }

struct EncodedWord {
  std::size_t End = 0;       // just past the closing "?="
  std::string_view Charset;  // as written
  std::string Bytes;         // decoded from B or Q, still in that charset
};

// The encoded word that starts at "=?" at position at, decoded; nothing
// when it is malformed.
std::optional<EncodedWord> ReadEncodedWord(std::string_view s, std::size_t at) {
  std::size_t i = at + 2;
  const std::size_t charsetStart = i;
  while (i < s.size() && IsCharsetChar(s[i])) ++i;
  if (i == charsetStart || i >= s.size() || s[i] != '?' || i - charsetStart > 75) return std::nullopt;
  const std::string_view charset = s.substr(charsetStart, i - charsetStart);
  ++i;
  if (i + 1 >= s.size() || s[i + 1] != '?') return std::nullopt;
  const char encoding = s[i];
  i += 2;
  const std::size_t textStart = i;
  while (i < s.size() && IsWordTextChar(s[i])) ++i;
  // The text may not hold "?", so its end is the first "?": that must
  // close the word. A "=" before that "?" belongs to the text (Q escapes,
  // Base64 padding).
  if (i + 1 >= s.size() || s[i] != '?' || s[i + 1] != '=') return std::nullopt;
  std::optional<std::string> bytes = DecodeWordText(encoding, s.substr(textStart, i - textStart));
  if (!bytes) return std::nullopt;
  return EncodedWord{i + 2, charset, *std::move(bytes)};
}

bool SameCharset(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    const char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

// value with its folding undone: a line break (CR LF, LF or a lone CR)
// followed by a blank or a tab is dropped; other line breaks stay.
std::string Unfolded(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\r' || c == '\n') {
      std::size_t next = i + 1;
      if (c == '\r' && next < value.size() && value[next] == '\n') ++next;
      if (next < value.size() && IsBlank(value[next])) {
        i = next - 1;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace

std::optional<std::string> DecodeWordText(char encoding, std::string_view text) {
  if (encoding == 'Q' || encoding == 'q') return DecodeQ(text);
  if (encoding == 'B' || encoding == 'b') return DecodeB(text);
  return std::nullopt;
}

std::string DecodeHeaderText(std::string_view value) {
  const std::string unfolded = Unfolded(value);
  const std::string_view s = unfolded;
  std::string out;
  out.reserve(s.size());
  // Mailers split long text into words without regard to characters, so
  // the bytes of adjacent words in one charset are converted together.
  std::string pendingBytes;
  std::string_view pendingCharset;
  auto flushPending = [&] {
    if (!pendingBytes.empty()) out += DecodeCharset(pendingBytes, pendingCharset);
    pendingBytes.clear();
  };
  std::size_t plainStart = 0;  // first byte of the run of text not yet copied
  std::size_t lastWordEnd = kNotFound;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t start = s.find("=?", i);
    if (start == kNotFound) break;
    std::optional<EncodedWord> word = ReadEncodedWord(s, start);
    if (!word) {
      i = start + 1;
      continue;
    }
    const std::string_view between = s.substr(plainStart, start - plainStart);
    bool onlyBlanks = true;
    for (char c : between) onlyBlanks = onlyBlanks && IsBlank(c);
    const bool adjacent = lastWordEnd == plainStart && onlyBlanks;
    if (!adjacent || !SameCharset(word->Charset, pendingCharset)) flushPending();
    if (!adjacent) out += ShownAsEightBit(between);
    pendingCharset = word->Charset;
    pendingBytes += word->Bytes;
    plainStart = lastWordEnd = i = word->End;
  }
  flushPending();
  out += ShownAsEightBit(s.substr(plainStart));
  return out;
}

}  // namespace codec
