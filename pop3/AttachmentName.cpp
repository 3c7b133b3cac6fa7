#include "pop3/AttachmentName.h"

#include <string_view>

#include "codec/CharacterClasses.h"
#include "codec/Charset.h"
#include "codec/Utf8.h"

namespace pop3 {

std::int32_t LastPos(const std::string& sub, const std::string& text) {
  if (sub.empty()) return 0;
  // Running total of end positions, as the naming rule defines it: each
  // search continues after the previous match.
  std::size_t total = 0;
  std::string_view rest(text);
  for (;;) {
    const std::size_t found = rest.find(sub);
    if (found == std::string_view::npos) break;
    total += found + sub.size();
    rest.remove_prefix(found + sub.size());
  }
  if (total == 0) return 0;
  return static_cast<std::int32_t>(total - (sub.size() - 1));
}

namespace {

std::u32string CodePoints(std::string_view utf8) {
  std::u32string text;
  text.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const codec::Utf8Piece piece = codec::NextUtf8Piece(utf8, i);
    text += piece.WellFormed ? piece.CodePoint : U'\uFFFD';
    i += piece.Length;
  }
  return text;
}

std::string Utf8Of(const std::u32string& text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char32_t c : text) codec::AppendUtf8(utf8, c);
  return utf8;
}

bool StartsWithDrive(const std::u32string& text) {
  return text.size() >= 2 && text[1] == U':' &&
         ((text[0] >= U'A' && text[0] <= U'Z') || (text[0] >= U'a' && text[0] <= U'z'));
}

void DropLeadingBlanks(std::u32string& text) {
  std::size_t blanks = 0;
  while (blanks < text.size() && codec::IsSpaceSeparator(text[blanks])) ++blanks;
  text.erase(0, blanks);
}

// The first bytes of text, at most count of them, ending before a UTF-8
// sequence that would be cut.
std::string CutAtCharacter(const std::string& text, std::size_t count) {
  if (text.size() <= count) return text;
  std::size_t end = count;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

std::string SafeAttachmentName(const std::string& name) {
  std::u32string text = CodePoints(codec::ShownAsEightBit(name));
  const std::size_t slash = text.find_last_of(U"/\\");
  if (slash != std::u32string::npos) text.erase(0, slash + 1);
  // Invisible characters make a name show as another: a right-to-left
  // override turns "invoice<RLO>fdp.exe" into what reads "invoiceexe.pdf".
  std::erase_if(text, codec::IsControlOrFormat);
  // A drive prefix survives the path split when no separator follows it
  // ("C:evil"); a name never starts with a letter and a colon otherwise.
  for (DropLeadingBlanks(text); StartsWithDrive(text); DropLeadingBlanks(text)) text.erase(0, 2);
  // Trailing dots and blanks hide the extension that counts
  // ("report.pdf. . ."), and other systems drop them on copying.
  while (!text.empty() && (text.back() == U'.' || codec::IsSpaceSeparator(text.back()))) text.pop_back();
  if (text.empty()) return kDefaultAttachmentName;
  // Commands given the folder's files ("rm *") take a leading "-" for an option.
  if (text.front() == U'-') text.insert(text.begin(), U'_');
  return Utf8Of(text);
}

std::string FittedAttachmentName(const std::string& name, std::size_t maxBytes) {
  const std::size_t limit = maxBytes > 2 * kNumberSuffixRoom ? maxBytes - kNumberSuffixRoom : kNumberSuffixRoom;
  if (name.size() <= limit) return name;
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0 && name.size() - dot <= limit / 4) {
    const std::string extension = name.substr(dot);
    return CutAtCharacter(name.substr(0, dot), limit - extension.size()) + extension;
  }
  return CutAtCharacter(name, limit);
}

std::string NumberedAttachmentName(const std::string& name, std::int32_t n) {
  const std::int32_t dot = LastPos(".", name);
  const std::size_t baseLength = dot > 0 ? static_cast<std::size_t>(dot - 1) : 0;
  const std::string base = name.substr(0, baseLength);
  // Past the dot, or, without one, past the name's first character: a
  // whole one, so that a UTF-8 name stays UTF-8.
  const std::size_t extensionStart =
      dot > 0 || name.empty() ? baseLength + 1 : codec::NextUtf8Piece(name, 0).Length;
  const std::string extension = extensionStart < name.size() ? name.substr(extensionStart) : std::string();
  return base + "_" + std::to_string(n) + "." + extension;
}

std::string FreeAttachmentName(const std::string& folder, const std::string& name,
                               const std::function<bool(const std::string&)>& exists) {
  std::string candidate = name;
  for (std::int32_t i = 1; exists(folder + candidate); ++i) {
    candidate = NumberedAttachmentName(name, i);
  }
  return candidate;
}

}  // namespace pop3
