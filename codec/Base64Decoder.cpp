#include "codec/Base64Decoder.h"

#include <algorithm>

#include "codec/CodecTables.h"

namespace codec {

namespace {

inline unsigned char Byte1(unsigned d1, unsigned d2) { return static_cast<unsigned char>((d1 << 2) | (d2 >> 4)); }
inline unsigned char Byte2(unsigned d2, unsigned d3) { return static_cast<unsigned char>((d2 << 4) | (d3 >> 2)); }
inline unsigned char Byte3(unsigned d3, unsigned d4) { return static_cast<unsigned char>((d3 << 6) | d4); }

// Characters outside "+" to "z": blanks, controls, 8-bit bytes and a few
// punctuation marks.
inline bool HasNoEntry(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < '+' || u > 'z';
}

// The rule for characters outside the alphabet: whether c, coming as the
// character at position (0 to 3) of a group, is passed over instead of
// taken. A group begins only at a digit. Inside a group the characters
// outside "+" to "z" are passed over too, as RFC 2045 has decoders ignore
// what is not of the alphabet, so that a blank or a line break that a
// relay put into a group does not shift the bits of the rest; the
// non-digits within "+" to "z" still take their digit-table value there
// (kBase64NotDigit, and kBase64Pad for "="), which goes into the group's
// bytes.
inline bool PassedOver(char c, int position) { return position == 0 ? !IsBase64Digit(c) : HasNoEntry(c); }

}  // namespace

void Base64Groups::StartLine() {
  taken_ = 0;
  endPending_ = false;
  leading_ = true;
}

void Base64Groups::StartText() {
  StartLine();
  leading_ = false;
}

bool Base64Groups::Take(char c, unsigned char*& out) {
  if (endPending_) return false;
  if (taken_ == 0 && (c == '=' || (leading_ && c == '\r'))) {
    // Where a group should begin these end the text, unless the line ends
    // first: a line's last character never begins a group.
    endPending_ = true;
    return true;
  }
  if (taken_ >= 2 && c == '=') return false;
  if (PassedOver(c, taken_)) return true;
  const unsigned value = Base64Value(c);
  switch (taken_) {
    case 0:
      digits_[0] = value;
      leading_ = false;
      break;
    case 1:
      *out++ = Byte1(digits_[0], value);
      digits_[1] = value;
      break;
    case 2:
      *out++ = Byte2(digits_[1], value);
      digits_[2] = value;
      break;
    default:
      *out++ = Byte3(digits_[2], value);
      taken_ = 0;
      return true;
  }
  ++taken_;
  return true;
}

std::size_t Base64Groups::TakeWholeGroups(std::string_view text, unsigned char*& out) {
  if (taken_ != 0 || endPending_) return 0;
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  // A local pointer, so that the bytes written cannot be taken to change it.
  unsigned char* to = out;
  std::size_t i = 0;
  for (; i + 4 <= text.size(); i += 4) {
    const unsigned d1 = kBase64Digits[in[i]], d2 = kBase64Digits[in[i + 1]];
    const unsigned d3 = kBase64Digits[in[i + 2]], d4 = kBase64Digits[in[i + 3]];
    if ((d1 | d2 | d3 | d4) >= 64) break;
    to[0] = Byte1(d1, d2);
    to[1] = Byte2(d2, d3);
    to[2] = Byte3(d3, d4);
    to += 3;
  }
  out = to;
  if (i > 0) leading_ = false;
  return i;
}

void Base64Decoder::WholeLine(std::string_view line) {
  // A line of three characters counts; shorter ones are ignored.
  if (line.size() >= 3 && !line.starts_with("====")) TakeAll(line);
  groups_.StartLine();
}

void Base64Decoder::LineText(std::string_view text) {
  if (state_ == LineState::Ignored) return;
  if (state_ == LineState::Start) {
    // The line's first four characters decide whether it counts at all.
    const std::size_t n = std::min(text.size(), sizeof start_ - started_);
    text.copy(start_ + started_, n);
    started_ += n;
    text.remove_prefix(n);
    if (started_ < sizeof start_) return;
    if (std::string_view(start_, 4) == "====") {
      state_ = LineState::Ignored;
      return;
    }
    state_ = LineState::Groups;
    if (!TakeAll(std::string_view(start_, 4))) return;
  }
  TakeAll(text);
}

void Base64Decoder::LineEnd() {
  // A line of three characters counts; shorter ones are ignored.
  if (state_ == LineState::Start && started_ == 3) TakeAll(std::string_view(start_, 3));
  state_ = LineState::Start;
  started_ = 0;
  groups_.StartLine();
}

bool Base64Decoder::TakeAll(std::string_view text) {
  if (text.empty()) return true;
  // At most one byte per character.
  unsigned char* out = sink_.Reserve(text.size());
  bool goOn = true;
  for (std::size_t i = 0; i < text.size();) {
    i += groups_.TakeWholeGroups(text.substr(i), out);
    if (i == text.size()) break;
    if (!groups_.Take(text[i++], out)) {
      goOn = false;
      break;
    }
  }
  sink_.Commit(out);
  if (!goOn) lines_.Stop();
  return goOn;
}

std::string DecodeBase64Text(std::string_view text) {
  std::string bytes(text.size(), '\0');
  auto* const start = reinterpret_cast<unsigned char*>(bytes.data());
  unsigned char* out = start;
  Base64Groups groups;
  groups.StartText();
  for (std::size_t i = 0; i < text.size();) {
    i += groups.TakeWholeGroups(text.substr(i), out);
    if (i == text.size() || !groups.Take(text[i++], out)) break;
  }
  bytes.resize(static_cast<std::size_t>(out - start));
  return bytes;
}

}  // namespace codec
