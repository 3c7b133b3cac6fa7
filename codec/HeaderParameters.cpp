#include "codec/HeaderParameters.h"

#include <cstddef>
#include <map>

#include "codec/Charset.h"
#include "codec/CodecTables.h"
#include "codec/EncodedWords.h"

namespace codec {

namespace {

// Continuation numbers beyond this are ignored: a sender controls them.
constexpr int kMaxSections = 256;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct RawParameter {
  std::string Name;   // as written, "*" and section number included
  std::string Value;  // quotes and escapes undone
  bool Quoted = false;
};

// Reads "name=value" pairs after each ";" (the first item, the type or
// disposition, is passed over). Quoted strings may hold ";".
class ParameterReader {
 public:
  explicit ParameterReader(std::string_view s) : s_(s) { SkipToNextSemicolon(); }

  bool Next(RawParameter& parameter) {
    while (at_ < s_.size()) {
      ++at_;  // the ";"
      SkipSpace();
      const std::size_t nameStart = at_;
      while (at_ < s_.size() && s_[at_] != '=' && s_[at_] != ';' && !IsSpace(s_[at_])) ++at_;
      parameter.Name = std::string(s_.substr(nameStart, at_ - nameStart));
      SkipSpace();
      if (at_ >= s_.size() || s_[at_] != '=' || parameter.Name.empty()) {
        SkipToNextSemicolon();
        continue;
      }
      ++at_;
      SkipSpace();
      ReadValue(parameter);
      SkipToNextSemicolon();
      return true;
    }
    return false;
  }

 private:
  void SkipSpace() {
    while (at_ < s_.size() && IsSpace(s_[at_])) ++at_;
  }

  void SkipToNextSemicolon() {
    while (at_ < s_.size() && s_[at_] != ';') {
      if (s_[at_] == '"') {
        RawParameter ignored;
        ReadQuoted(ignored);
      } else {
        ++at_;
      }
    }
  }

  void ReadQuoted(RawParameter& parameter) {
    ++at_;
    parameter.Quoted = true;
    parameter.Value.clear();
    while (at_ < s_.size() && s_[at_] != '"') {
      if (s_[at_] == '\\' && at_ + 1 < s_.size()) ++at_;
      if (s_[at_] != '\r' && s_[at_] != '\n') parameter.Value += s_[at_];
      ++at_;
    }
    if (at_ < s_.size()) ++at_;  // the closing quote; a missing one ends the value at the end
  }

  void ReadValue(RawParameter& parameter) {
    parameter.Quoted = false;
    parameter.Value.clear();
    if (at_ < s_.size() && s_[at_] == '"') {
      ReadQuoted(parameter);
      return;
    }
    const std::size_t start = at_;
    while (at_ < s_.size() && s_[at_] != ';' && !IsSpace(s_[at_])) ++at_;
    parameter.Value = std::string(s_.substr(start, at_ - start));
  }

  std::string_view s_;
  std::size_t at_ = 0;
};

// %XX escapes undone; a "%" not followed by two hex digits stays as it is.
std::string PercentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexDigitValue(text[i + 1]), low = HexDigitValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        out += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// The parts of an extended value "charset'language'text": the charset is
// cut off (and returned), the language dropped. A value without two
// apostrophes is all text.
std::string_view SplitCharset(std::string_view value, std::string& charset) {
  const std::size_t first = value.find('\'');
  if (first == std::string_view::npos) return value;
  const std::size_t second = value.find('\'', first + 1);
  if (second == std::string_view::npos) return value;
  charset = std::string(value.substr(0, first));
  return value.substr(second + 1);
}

struct Section {
  std::string Value;
  bool Extended = false;
};

// How a written parameter name relates to name: plain, "name*", or
// "name*N" / "name*N*" (number in section).
enum class NameForm { Other, Plain, Extended, Continued };

NameForm ClassifyName(std::string_view written, std::string_view name, int& section, bool& extended) {
  if (EqualsIgnoringCase(written, name)) return NameForm::Plain;
  if (written.size() <= name.size() || !EqualsIgnoringCase(written.substr(0, name.size()), name) ||
      written[name.size()] != '*')
    return NameForm::Other;
  std::string_view rest = written.substr(name.size() + 1);
  if (rest.empty()) return NameForm::Extended;
  extended = rest.back() == '*';
  if (extended) rest.remove_suffix(1);
  if (rest.empty() || rest.size() > 3) return NameForm::Other;
  section = 0;
  for (char c : rest) {
    if (c < '0' || c > '9') return NameForm::Other;
    section = section * 10 + (c - '0');
  }
  if (rest.size() > 1 && rest[0] == '0') return NameForm::Other;
  return section < kMaxSections ? NameForm::Continued : NameForm::Other;
}

// The sections joined in the order of their numbers, up to the first gap,
// extended ones with their escapes undone; charset is set from section 0.
std::string JoinedSectionBytes(const std::map<int, Section>& sections, std::string& charset) {
  std::string bytes;
  for (int expected = 0; const auto& [number, section] : sections) {
    if (number != expected++) break;  // a gap ends the value
    std::string_view value = section.Value;
    if (section.Extended) {
      if (number == 0) value = SplitCharset(value, charset);
      bytes += PercentDecoded(value);
    } else {
      bytes += value;
    }
  }
  return bytes;
}

// Everything a field value gives for one parameter name, in each form.
struct FoundParameter {
  std::optional<std::string> Plain;     // name=, the first one given
  std::optional<std::string> Extended;  // name*=, the first one given, as written
  std::map<int, Section> Sections;      // name*N= and name*N*=
};

FoundParameter FindParameter(std::string_view value, std::string_view name) {
  FoundParameter found;
  ParameterReader reader(value);
  RawParameter parameter;
  while (reader.Next(parameter)) {
    int section = 0;
    bool sectionExtended = false;
    switch (ClassifyName(parameter.Name, name, section, sectionExtended)) {
      case NameForm::Plain:
        if (!found.Plain) found.Plain = parameter.Value;
        break;
      case NameForm::Extended:
        if (!found.Extended) found.Extended = parameter.Value;
        break;
      case NameForm::Continued:
        found.Sections.try_emplace(section, Section{parameter.Value, sectionExtended});
        break;
      case NameForm::Other:
        break;
    }
  }
  return found;
}

}  // namespace

std::optional<std::string> HeaderParameter(std::string_view value, std::string_view name) {
  const FoundParameter found = FindParameter(value, name);
  std::string charset;
  if (found.Extended) {
    const std::string bytes = PercentDecoded(SplitCharset(*found.Extended, charset));
    return charset.empty() ? ShownAsEightBit(bytes) : DecodeCharset(bytes, charset);
  }
  if (found.Sections.count(0) != 0) {
    const std::string bytes = JoinedSectionBytes(found.Sections, charset);
    return charset.empty() ? ShownAsEightBit(bytes) : DecodeCharset(bytes, charset);
  }
  if (found.Plain) return DecodeHeaderText(*found.Plain);
  return std::nullopt;
}

std::optional<std::string> HeaderParameterBytes(std::string_view value, std::string_view name) {
  const FoundParameter found = FindParameter(value, name);
  std::string charset;
  if (found.Extended) return PercentDecoded(SplitCharset(*found.Extended, charset));
  if (found.Sections.count(0) != 0) return JoinedSectionBytes(found.Sections, charset);
  return found.Plain;
}

}  // namespace codec
