#include "platform/core/ProfileFile.h"

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/core/Exception.h"

namespace platform {

namespace {

using Lines = std::vector<std::string>;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Only ASCII letters are folded: names in this file are ASCII, and folding
// code-page letters would depend on a locale.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// The section name when line opens a section.
std::optional<std::string_view> SectionName(std::string_view line) {
  std::string_view text = Trimmed(line);
  if (text.empty() || text.front() != '[') return std::nullopt;
  text.remove_prefix(1);
  std::string_view::size_type close = text.find(']');
  return Trimmed(text.substr(0, close));
}

// Position of the '=' of a key line whose key is key, or npos.
std::string::size_type KeyValueSplit(std::string_view line, std::string_view key) {
  std::string_view::size_type equals = line.find('=');
  if (equals == std::string_view::npos) return std::string::npos;
  std::string_view name = Trimmed(line.substr(0, equals));
  if (name.empty() || name.front() == ';') return std::string::npos;
  return SameName(name, key) ? equals : std::string::npos;
}

struct SectionRange {
  std::size_t header;  // index of the "[...]" line
  std::size_t end;     // index after its last line
};

std::optional<SectionRange> FindSection(const Lines& lines, std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::optional<std::string_view> name = SectionName(lines[i]);
    if (!name || !SameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end])) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

// Sets key in the found section or appends the section; returns nothing
// because every path changes exactly one place in lines.
void SetValue(Lines& lines, std::string_view section, std::string_view key, std::string_view value) {
  std::optional<SectionRange> range = FindSection(lines, section);
  if (!range) {
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(std::string(key) + "=" + std::string(value));
    return;
  }
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    std::string::size_type equals = KeyValueSplit(lines[i], key);
    if (equals == std::string::npos) continue;
    lines[i] = lines[i].substr(0, equals + 1) + std::string(value);
    return;
  }
  // A new key joins the section's last entry, before the blank lines that
  // separate it from the next section.
  std::size_t at = range->end;
  while (at > range->header + 1 && Trimmed(lines[at - 1]).empty()) --at;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::string(key) + "=" + std::string(value));
}

// Drops what follows the last line end of content: a read cut that line short.
void DropCutLine(std::string& content) {
  std::string::size_type end = content.find_last_of("\r\n");
  content.resize(end == std::string::npos ? 0 : end + 1);
}

// Why section, key or value cannot be written, or empty when they can.
std::string UnwritableReason(std::string_view section, std::string_view key, std::string_view value) {
  if (!ProfileFile::CanHoldValue(section) || section.find(']') != std::string_view::npos)
    return "the section name " + std::string(section) + " cannot be held in a line";
  std::string_view name = Trimmed(key);
  if (!ProfileFile::CanHoldValue(key) || name.empty() || name.find('=') != std::string_view::npos ||
      name.front() == '[' || name.front() == ';')
    return "the key name " + std::string(key) + " cannot be held in a line";
  if (!ProfileFile::CanHoldValue(value))
    return "the value of " + std::string(key) + " holds a line break or NUL character";
  return {};
}

}  // namespace

ProfileFile::ProfileFile(std::string fileName, FileAccess access)
    : fileName_(std::move(fileName)), access_(access) {}

bool ProfileFile::CanHoldValue(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) const {
  std::string result = ReadValue(section, key).value_or(defaultValue);
  if (result.size() > kMaxValueLength) result.resize(kMaxValueLength);
  return result;
}

std::optional<std::string> ProfileFile::ReadValue(const std::string& section, const std::string& key) const {
  std::optional<std::string> content;
  bool truncated = false;
  try {
    content = ReadFileIfExists(fileName_, kMaxFileSize, truncated);
  } catch (const EFileError&) {
    // An unreadable file, or a name that is no file at all, reads as a
    // missing one, as the profile functions do; a later write reports it.
  }
  if (!content) return std::nullopt;
  if (truncated) DropCutLine(*content);
  Lines lines = SplitLines(*content);
  std::optional<SectionRange> range = FindSection(lines, Trimmed(section));
  if (!range) return std::nullopt;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    std::string::size_type equals = KeyValueSplit(lines[i], Trimmed(key));
    if (equals == std::string::npos) continue;
    std::string value = lines[i].substr(equals + 1);
    if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    return value;
  }
  return std::nullopt;
}

void ProfileFile::WriteString(const std::string& section, const std::string& key,
                               const std::string& value) const {
  std::string reason = UnwritableReason(section, key, value);
  if (!reason.empty()) throw EFileError("Unable to write to " + fileName_ + ": " + reason);
  Rewrite([&](Lines& lines) { SetValue(lines, Trimmed(section), Trimmed(key), value); });
}

// The section's lines go, up to the next section; the blank lines that
// separated it from the one before stay.
void ProfileFile::EraseSection(const std::string& section) const {
  Rewrite([&](Lines& lines) {
    std::optional<SectionRange> range = FindSection(lines, Trimmed(section));
    if (!range) return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(range->header),
                lines.begin() + static_cast<std::ptrdiff_t>(range->end));
  });
}

void ProfileFile::RenameSection(const std::string& from, const std::string& to) const {
  std::string reason = UnwritableReason(to, "Key", "");
  if (!reason.empty()) throw EFileError("Unable to write to " + fileName_ + ": " + reason);
  Rewrite([&](Lines& lines) {
    std::optional<SectionRange> range = FindSection(lines, Trimmed(from));
    if (range) lines[range->header] = "[" + std::string(Trimmed(to)) + "]";
  });
}

void ProfileFile::Rewrite(const std::function<void(std::vector<std::string>&)>& change) const {
  const std::string failure = "Unable to write to " + fileName_;
  bool truncated = false;
  std::optional<std::string> content;
  try {
    content = ReadFileIfExists(fileName_, kMaxFileSize, truncated);
  } catch (const EUnusableFile& error) {
    throw EFileError(failure + ": " + error.Problem());
  } catch (const EFileError&) {
    throw EFileError(failure);
  }
  if (truncated)
    throw EFileError(failure + ": the file is longer than " + std::to_string(kMaxFileSize / 1024) +
                     " KB, which no settings file is; move it away to start afresh");
  try {
    Lines lines = content ? SplitLines(*content) : Lines{};
    change(lines);
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    WriteFileReplacing(fileName_, text, access_);
  } catch (const EUnusableFile& error) {
    throw EFileError(failure + ": " + error.Problem());
  } catch (const EFileError&) {
    throw EFileError(failure);
  }
}

}  // namespace platform
