#include "pop3/AttachmentName.h"

#include <string_view>

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

std::string SafeAttachmentName(const std::string& name) {
  std::string_view last(name);
  const std::size_t slash = last.find_last_of("/\\");
  if (slash != std::string_view::npos) last.remove_prefix(slash + 1);

  std::string clean;
  clean.reserve(last.size());
  for (const char c : last) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) continue;
    clean += c;
  }
  // A drive prefix survives the path split when no separator follows it
  // ("C:evil"); a name never starts with a letter and a colon otherwise.
  while (clean.size() >= 2 && clean[1] == ':' &&
         ((clean[0] >= 'A' && clean[0] <= 'Z') || (clean[0] >= 'a' && clean[0] <= 'z'))) {
    clean.erase(0, 2);
  }
  if (clean.empty() || clean == "." || clean == "..") return kDefaultAttachmentName;
  return clean;
}

namespace {

// The first bytes of text, at most count of them, ending before a UTF-8
// sequence that would be cut.
std::string CutAtCharacter(const std::string& text, std::size_t count) {
  if (text.size() <= count) return text;
  std::size_t end = count;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

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
  const std::size_t extensionStart = baseLength + 1;
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
