#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace pop3 {

// Name given to an attachment part that names no file.
inline constexpr const char* kDefaultAttachmentName = "text.tmp";

// The 1-based position of the last occurrence of sub in text, 0 when there
// is none. Occurrences are counted without overlap from the left, so
// LastPos("aa", "aaa") is 1.
std::int32_t LastPos(const std::string& sub, const std::string& text);

// Reduces a file name taken from a part header (or handed back by an event
// handler) to a plain name inside the attachment folder that shows as what
// it is, in UTF-8: bytes that are not UTF-8 are read as codec::
// ShownAsEightBit reads them; only the text after the last '/' or '\\' is
// kept; controls and invisible format characters (codec::
// IsControlOrFormat: NUL, C0 and C1 controls, DEL, bidirectional controls,
// zero-width characters, line and paragraph separators, ...) are removed;
// leading blanks (codec::IsSpaceSeparator) and drive prefixes such as "C:"
// are dropped, and so are trailing dots and blanks. What is then left
// empty becomes kDefaultAttachmentName; a name starting with "-" gets "_"
// before it. Applied to its own result it changes nothing.
std::string SafeAttachmentName(const std::string& name);

// Bytes a numbered alternative adds to a name: "_" and a 32-bit number.
inline constexpr std::size_t kNumberSuffixRoom = 11;

// name shortened, when it is longer, to maxBytes - kNumberSuffixRoom bytes
// (so that every numbered alternative still fits in maxBytes): an
// extension of up to a quarter of that stays whole and the text before it
// is cut; otherwise the whole name is cut. A cut never splits a UTF-8
// sequence. Lengths count bytes, not characters.
std::string FittedAttachmentName(const std::string& name, std::size_t maxBytes);

// The n-th alternative of name: base + "_" + n + "." + extension, where the
// base is everything before the last "." (empty when there is no dot) and
// the extension everything after the first base-length + 1 characters
// (UTF-8 characters, never part of one). So "a.txt" gives "a_1.txt" and
// "README" gives "_1.EADME".
std::string NumberedAttachmentName(const std::string& name, std::int32_t n);

// The first of name, NumberedAttachmentName(name, 1), (name, 2), ... for
// which exists(folder + candidate) is false.
std::string FreeAttachmentName(const std::string& folder, const std::string& name,
                               const std::function<bool(const std::string&)>& exists);

}  // namespace pop3
