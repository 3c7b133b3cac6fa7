#include "codec/Charset.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <map>
#include <memory>
#include <utility>

#include "codec/Utf8.h"

namespace codec {

namespace {

// Labels seen in mail that glibc's iconv does not know, or knows only as
// the narrower set that senders do not keep to.
struct CharsetAlias {
  const char* Label;
  const char* IconvName;
};
constexpr CharsetAlias kMailAliases[] = {
    {"ks_c_5601-1987", "CP949"}, {"ks_c_5601", "CP949"},     {"euc-kr", "CP949"},
    {"gb2312", "GB18030"},       {"gbk", "GB18030"},         {"x-gbk", "GB18030"},
    {"cp936", "GB18030"},        {"x-sjis", "SHIFT_JIS"},    {"shift-jis", "SHIFT_JIS"},
    {"sjis", "SHIFT_JIS"},       {"x-euc-jp", "EUC-JP"},     {"iso-8859-8-i", "ISO-8859-8"},
    {"iso-8859-6-i", "ISO-8859-6"}, {"unicode-1-1-utf-7", "UTF-7"}, {"x-mac-roman", "MACINTOSH"},
    {"ascii", "US-ASCII"},       {"us-ascii", "US-ASCII"},   {"utf8", "UTF-8"},
    {"x-unknown", ""},           {"unknown-8bit", ""},       {"x-user-defined", ""},
};

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The charset label in lower case without its language suffix; empty when
// it holds anything but the characters of a charset token (iconv reads
// "//" as options and must never see one).
std::string NormalisedLabel(std::string_view charset) {
  std::string label;
  for (char c : charset) {
    if (c == '*') break;
    const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
                       c == '_' || c == '.' || c == ':' || c == '+';
    if (!plain || label.size() >= 64) return {};
    label += AsciiLower(c);
  }
  return label;
}

std::string IconvNameFor(const std::string& label) {
  for (const CharsetAlias& alias : kMailAliases)
    if (label == alias.Label) return alias.IconvName;
  return label;
}

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Converter = std::unique_ptr<void, IconvCloser>;

// Opening a converter loads a module and costs far more than converting a
// header, and mail uses a handful of charsets: converters are kept per
// thread, by name. A name iconv refused is kept as null.
iconv_t ConverterFor(const std::string& iconvName) {
  thread_local std::map<std::string, Converter> converters;
  auto found = converters.find(iconvName);
  if (found == converters.end()) {
    iconv_t cd = iconv_open("UTF-8", iconvName.c_str());
    Converter kept(cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd);
    if (converters.size() > 64) converters.clear();
    found = converters.emplace(iconvName, std::move(kept)).first;
  }
  return static_cast<iconv_t>(found->second.get());
}

std::optional<std::string> Iconv(iconv_t cd, std::string_view bytes) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.resize(bytes.size() * 4 + 16);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  std::size_t used = 0;
  for (;;) {
    char* to = out.data() + used;
    std::size_t outLeft = out.size() - used;
    const std::size_t result = iconv(cd, inLeft > 0 ? &in : nullptr, &inLeft, &to, &outLeft);
    used = out.size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) {
      if (inLeft == 0) break;
      continue;
    }
    if (errno != E2BIG) return std::nullopt;  // EILSEQ, or a sequence cut short (EINVAL)
    out.resize(out.size() * 2);
  }
  // The shift back to the initial state of stateful charsets (ISO-2022-JP).
  for (;;) {
    char* to = out.data() + used;
    std::size_t outLeft = out.size() - used;
    const std::size_t result = iconv(cd, nullptr, nullptr, &to, &outLeft);
    used = out.size() - outLeft;
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno != E2BIG) return std::nullopt;
    out.resize(out.size() * 2);
  }
  out.resize(used);
  return out;
}

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    if (s[i] < 0x80) {
      ++i;
      continue;
    }
    const Utf8Piece piece = NextUtf8Piece(text, i);
    if (!piece.WellFormed) return false;
    i += piece.Length;
  }
  return true;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += c;
    } else {
      out += static_cast<char>(0xC0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3F));
    }
  }
  return out;
}

namespace {

enum class EightBitReading { Utf8, CutUtf8, Latin1 };

// Whether bytes are UTF-8, UTF-8 with characters cut short, or anything
// else. A sender that shortens a name or a line to a number of bytes cuts
// a character in two; the whole characters around the cut still say the
// text is UTF-8. Text in ISO-8859-1 almost never holds a whole multi-byte
// sequence (a letter from "Â" to "ô" followed by one to three symbols or
// C1 controls), and a lone byte from 0x80 to 0xBF, or one that starts no
// sequence, says the text is not UTF-8 at all.
EightBitReading ReadingOf(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  bool wholeCharacter = false;
  bool cut = false;
  for (std::size_t i = 0; i < bytes.size();) {
    if (s[i] < 0x80) {
      ++i;
      continue;
    }
    const Utf8Piece piece = NextUtf8Piece(bytes, i);
    if (!piece.WellFormed && !piece.CutShort) return EightBitReading::Latin1;
    wholeCharacter = wholeCharacter || piece.WellFormed;
    cut = cut || piece.CutShort;
    i += piece.Length;
  }
  if (!cut) return EightBitReading::Utf8;
  return wholeCharacter ? EightBitReading::CutUtf8 : EightBitReading::Latin1;
}

// UTF-8 with each character cut short shown as U+FFFD.
std::string WithCutCharactersReplaced(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 8);
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Piece piece = NextUtf8Piece(bytes, i);
    if (piece.WellFormed) {
      out.append(bytes.substr(i, piece.Length));
    } else {
      AppendUtf8(out, 0xFFFD);
    }
    i += piece.Length;
  }
  return out;
}

// ShownAsEightBit of bytes that are not UTF-8 as they stand.
std::string RepairedOrLatin1(std::string_view bytes, EightBitReading reading) {
  return reading == EightBitReading::CutUtf8 ? WithCutCharactersReplaced(bytes) : Latin1ToUtf8(bytes);
}

}  // namespace

std::string ShownAsEightBit(std::string_view bytes) {
  const EightBitReading reading = ReadingOf(bytes);
  if (reading == EightBitReading::Utf8) return std::string(bytes);
  return RepairedOrLatin1(bytes, reading);
}

namespace {

enum class Conversion { Unchanged, Converted, Failed };

// ConvertToUtf8's work, telling apart text that comes out as it went in,
// so that callers may keep the bytes they have rather than copy them.
// converted is set for Converted only.
Conversion ConvertedToUtf8(std::string_view bytes, std::string_view charset, std::string& converted) {
  const std::string label = NormalisedLabel(charset);
  if (label.empty()) return Conversion::Failed;
  const std::string name = IconvNameFor(label);
  if (name.empty()) return Conversion::Failed;
  // The common cases need no converter.
  if (name == "UTF-8" || name == "utf-8") return IsUtf8(bytes) ? Conversion::Unchanged : Conversion::Failed;
  if (IsAscii(bytes) && name != "UTF-7" && name != "utf-7" && label.rfind("iso-2022", 0) != 0 &&
      label.rfind("utf-16", 0) != 0 && label.rfind("utf-32", 0) != 0 && label.rfind("ucs", 0) != 0 &&
      label.rfind("hz", 0) != 0) {
    // Every charset mail uses besides these keeps ASCII as it is; the name
    // must still be one iconv knows.
    return ConverterFor(name) == nullptr ? Conversion::Failed : Conversion::Unchanged;
  }
  iconv_t cd = ConverterFor(name);
  if (cd == nullptr) return Conversion::Failed;
  std::optional<std::string> text = Iconv(cd, bytes);
  if (!text || !IsUtf8(*text)) return Conversion::Failed;
  converted = *std::move(text);
  return Conversion::Converted;
}

}  // namespace

std::optional<std::string> ConvertToUtf8(std::string_view bytes, std::string_view charset) {
  std::string converted;
  switch (ConvertedToUtf8(bytes, charset, converted)) {
    case Conversion::Unchanged:
      return std::string(bytes);
    case Conversion::Converted:
      return converted;
    case Conversion::Failed:
      break;
  }
  return std::nullopt;
}

std::string DecodeCharset(std::string_view bytes, std::string_view charset) {
  if (std::optional<std::string> converted = ConvertToUtf8(bytes, charset)) return *std::move(converted);
  return ShownAsEightBit(bytes);
}

std::string DecodeCharsetTaking(std::string bytes, std::string_view charset) {
  std::string converted;
  switch (ConvertedToUtf8(bytes, charset, converted)) {
    case Conversion::Unchanged:
      return bytes;
    case Conversion::Converted:
      return converted;
    case Conversion::Failed:
      break;
  }
  const EightBitReading reading = ReadingOf(bytes);
  if (reading == EightBitReading::Utf8) return bytes;
  return RepairedOrLatin1(bytes, reading);
}

}  // namespace codec
