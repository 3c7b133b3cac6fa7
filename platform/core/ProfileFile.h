#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Files.h"

namespace platform {

// A settings file in the usual sectioned layout, read and written one value
// at a time like the Windows profile-string functions:
//
//   [SECTION]
//   Key=value
//
// A line whose first non-blank character is '[' opens a section named by the
// text up to ']'. In a section, a line holding '=' is a key (the text before
// the first '=', blanks around it ignored) and its value (everything after
// that '=' to the end of the line, taken as it stands). Section and key
// names are compared without regard to the case of ASCII letters; the first
// matching section and key count. Lines before the first section, comments,
// blank lines and lines without '=' are kept but never match.
//
// Nothing is cached: every call reads the file afresh, and every write
// rewrites the file whole and safely (see WriteFileReplacing), with CR LF
// after every line. Lines may end in CR LF, LF or CR when read. A settings
// file is small: only its first kMaxFileSize bytes are read (a line cut
// there is dropped), and a longer file is never rewritten, so that what was
// not read is not lost. A name that is no regular file (a folder, a named
// pipe, a device) is never waited on: it reads as a missing file and is
// never written or replaced.
class ProfileFile {
 public:
  // A value read back holds at most this many characters.
  static constexpr std::size_t kMaxValueLength = 2047;
  // The most of the file that is read.
  static constexpr std::size_t kMaxFileSize = 1024 * 1024;

  // access applies to the file whenever a write creates or replaces it:
  // OwnerOnly keeps it readable by its owner alone (mode 0600).
  explicit ProfileFile(std::string fileName, FileAccess access = FileAccess::Shared);

  const std::string& FileName() const { return fileName_; }

  // The value of key in section, or defaultValue when the file, the section
  // or the key is missing or the file cannot be read; at most
  // kMaxValueLength characters either way.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;

  // The same, with nothing instead of a default when the value is missing.
  std::optional<std::string> ReadValue(const std::string& section, const std::string& key) const;

  // Sets key in section to value, creating the file, the section (appended
  // at the end) or the key (after the section's last line that is not
  // blank) as needed; every other line stays as it was. Raises EFileError
  // "Unable to write to " + the file name when the file cannot be read or
  // written, and the same text with the reason appended when the section,
  // key or value cannot be held in a line (see CanHoldValue), the file is
  // longer than kMaxFileSize or the name is no regular file; the file is
  // then left unchanged.
  void WriteString(const std::string& section, const std::string& key,
                   const std::string& value) const;

  // Removes section with its keys; nothing when there is none. Raises as
  // WriteString does.
  void EraseSection(const std::string& section) const;
  // Gives section from the name to, keeping its place and keys; nothing
  // when there is no section from. Raises as WriteString does.
  void RenameSection(const std::string& from, const std::string& to) const;

  // False when value holds a character that would end or cut the line: CR,
  // LF or NUL. Such a value has to be escaped by the caller before writing.
  static bool CanHoldValue(std::string_view value);

 private:
  // Reads the file's lines, lets change edit them and writes them back.
  void Rewrite(const std::function<void(std::vector<std::string>&)>& change) const;

  std::string fileName_;
  FileAccess access_;
};

}  // namespace platform
