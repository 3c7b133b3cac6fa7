#include "codec/Base64Decoder.h"

#include <string_view>

#include "codec/CodecTables.h"

namespace codec {

namespace {

enum class LineResult { kGoOn, kStop };

inline unsigned char Byte1(unsigned d1, unsigned d2) { return static_cast<unsigned char>((d1 << 2) | (d2 >> 4)); }
inline unsigned char Byte2(unsigned d2, unsigned d3) { return static_cast<unsigned char>((d2 << 4) | (d3 >> 2)); }
inline unsigned char Byte3(unsigned d3, unsigned d4) { return static_cast<unsigned char>((d3 << 6) | d4); }

// Index of the first group of the line, or line.size() when the line holds
// none; sets stop when the line ends the decoding.
std::size_t LeadingScan(std::string_view line, bool& stop) {
  const std::size_t last = line.size() - 1;
  std::size_t i = 0;
  // The last character never starts a group, so the scan ends before it.
  while (i < last && !IsBase64Digit(line[i])) {
    const char c = line[i];
    if (c == '\r' || c == '\n' || c == '=') {
      stop = true;
      return line.size();
    }
    ++i;
  }
  return i == last ? line.size() : i;
}

// Characters outside "+" to "z": blanks, controls, 8-bit bytes and a few
// punctuation marks. Inside a group they are passed over, as RFC 2045 has
// decoders ignore what is not of the alphabet, so that a blank or a line
// break that a relay put into a group does not shift the bits of the rest.
// The non-digits within "+" to "z" still take their digit-table value
// there (127, and 64 for "="), which goes into the group's bytes.
inline bool HasNoEntry(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < '+' || u > 'z';
}

// Decodes one group that the fast path did not take: one holding padding,
// other characters, or cut short by the line's end. Characters beyond the
// line's end are never read; a byte that would need one is not written.
// Advances i past the group.
LineResult DecodeOddGroup(std::string_view line, std::size_t& i, unsigned char*& out) {
  const std::size_t size = line.size();
  const unsigned d1 = Base64Value(line[i]);
  if (d1 == kBase64NotDigit) {
    ++i;
    return LineResult::kGoOn;
  }
  // Padding where a group should start: whatever follows is not data.
  if (d1 == kBase64Pad) return LineResult::kStop;
  // The group's second to fourth characters; size where the line has none.
  std::size_t at[3];
  std::size_t next = i + 1;
  for (std::size_t& place : at) {
    while (next < size && HasNoEntry(line[next])) ++next;
    place = next;
    if (next < size) ++next;
  }
  if (at[0] >= size) {
    i = size;
    return LineResult::kGoOn;
  }
  const unsigned d2 = Base64Value(line[at[0]]);
  *out++ = Byte1(d1, d2);
  if (at[1] >= size) {
    i = size;
    return LineResult::kGoOn;
  }
  if (line[at[1]] == '=') return LineResult::kStop;
  const unsigned d3 = Base64Value(line[at[1]]);
  *out++ = Byte2(d2, d3);
  if (at[2] >= size) {
    i = size;
    return LineResult::kGoOn;
  }
  if (line[at[2]] == '=') return LineResult::kStop;
  *out++ = Byte3(d3, Base64Value(line[at[2]]));
  i = at[2] + 1;
  return LineResult::kGoOn;
}

LineResult DecodeLine(std::string_view line, unsigned char*& out) {
  const std::size_t size = line.size();
  if (size <= 2 || line.starts_with("====")) return LineResult::kGoOn;
  bool stop = false;
  std::size_t i = LeadingScan(line, stop);
  if (stop) return LineResult::kStop;
  const auto* text = reinterpret_cast<const unsigned char*>(line.data());
  while (i + 1 < size) {
    // Fast path: four digits within the line make three bytes.
    while (i + 3 < size) {
      const unsigned d1 = kBase64Digits[text[i]], d2 = kBase64Digits[text[i + 1]];
      const unsigned d3 = kBase64Digits[text[i + 2]], d4 = kBase64Digits[text[i + 3]];
      if ((d1 | d2 | d3 | d4) >= 64) break;
      out[0] = Byte1(d1, d2);
      out[1] = Byte2(d2, d3);
      out[2] = Byte3(d3, d4);
      out += 3;
      i += 4;
    }
    if (i + 1 >= size) break;
    if (DecodeOddGroup(line, i, out) == LineResult::kStop) return LineResult::kStop;
  }
  return LineResult::kGoOn;
}

}  // namespace

void DecodeBase64(CodedLineReader& reader, ByteSink& sink) {
  std::string_view line;
  while (reader.ReadCodedLine(line)) {
    // Four characters make at most three bytes, so the line's length is room enough.
    unsigned char* out = sink.Reserve(line.size());
    const LineResult result = DecodeLine(line, out);
    sink.Commit(out);
    if (result == LineResult::kStop) return;
  }
}

}  // namespace codec
