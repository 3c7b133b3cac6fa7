#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/HtmlText.h"
#include "codec/Utf8.h"

namespace codec {

namespace {

// Tags of running text and simple blocks. Anything else (tables, scripts,
// styles, forms, images, frames) needs a real renderer, and the HTML is
// shown as it came instead.
constexpr std::string_view kInlineTags[] = {"a",    "b",   "i",      "u",   "em",   "strong", "span", "font",
                                            "small", "big", "code",   "tt",  "sub",  "sup",    "s",    "strike",
                                            "html", "body", "head",  "meta", "title", "abbr", "cite", "q",
                                            "wbr",  "center", "mark"};
constexpr std::string_view kBlockTags[] = {"br", "p",  "div", "h1", "h2",  "h3",         "h4",  "h5",
                                           "h6", "li", "ul",  "ol", "pre", "blockquote", "hr",  "dl",
                                           "dt", "dd", "address"};

bool IsIn(std::string_view name, const std::string_view* first, const std::string_view* last) {
  for (const std::string_view* it = first; it != last; ++it)
    if (*it == name) return true;
  return false;
}
bool IsInline(std::string_view name) { return IsIn(name, std::begin(kInlineTags), std::end(kInlineTags)); }
bool IsBlock(std::string_view name) { return IsIn(name, std::begin(kBlockTags), std::end(kBlockTags)); }

// The character reference at html[at] ("&amp;", "&#228;", "&#xE4;")
// appended to out; returns the length taken, 0 when there is none.
std::size_t TakeReference(std::string_view html, std::size_t at, std::string& out) {
  const std::size_t semicolon = html.find(';', at);
  if (semicolon == std::string_view::npos || semicolon - at > 10) return 0;
  const std::string_view name = html.substr(at + 1, semicolon - at - 1);
  struct Named {
    std::string_view Name;
    std::uint32_t Code;
  };
  static const Named kNamed[] = {{"amp", '&'},     {"lt", '<'},      {"gt", '>'},      {"quot", '"'},
                                 {"apos", '\''},   {"nbsp", ' '},    {"euro", 0x20AC}, {"copy", 0xA9},
                                 {"auml", 0xE4},   {"ouml", 0xF6},   {"uuml", 0xFC},   {"Auml", 0xC4},
                                 {"Ouml", 0xD6},   {"Uuml", 0xDC},   {"szlig", 0xDF},  {"eacute", 0xE9},
                                 {"egrave", 0xE8}, {"hellip", 0x2026}, {"ndash", 0x2013}, {"mdash", 0x2014}};
  for (const Named& named : kNamed) {
    if (name == named.Name) {
      codec::AppendUtf8(out, named.Code);
      return semicolon - at + 1;
    }
  }
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 7) return 0;
  std::uint32_t code = 0;
  for (char c : digits) {
    int value;
    if (c >= '0' && c <= '9') value = c - '0';
    else if (hex && c >= 'a' && c <= 'f') value = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') value = c - 'A' + 10;
    else return 0;
    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(value);
  }
  codec::AppendUtf8(out, code);
  return semicolon - at + 1;
}

// The lower-case name of the tag that starts at html[at] ("<", then "/"
// or not); empty for comments and declarations.
std::string TagName(std::string_view html, std::size_t at) {
  std::size_t i = at + 1;
  if (i < html.size() && html[i] == '/') ++i;
  std::string name;
  while (i < html.size() && ((html[i] >= 'a' && html[i] <= 'z') || (html[i] >= 'A' && html[i] <= 'Z') ||
                             (html[i] >= '0' && html[i] <= '9'))) {
    const char c = html[i++];
    name += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return name;
}

// Drops trailing blanks of out and ends its line, keeping at most one
// empty line in a row.
void EndLine(std::string& out) {
  while (!out.empty() && out.back() == ' ') out.pop_back();
  if (out.empty()) return;
  if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\n\n") == 0) return;
  out += '\n';
}

}  // namespace

std::string HtmlAsPlainText(const std::string& html) {
  std::string out;
  bool inHead = false, inPre = false;
  for (std::size_t i = 0; i < html.size();) {
    const char c = html[i];
    if (c == '<') {
      if (html.compare(i, 4, "<!--") == 0) {
        const std::size_t end = html.find("-->", i + 4);
        i = end == std::string::npos ? html.size() : end + 3;
        continue;
      }
      const std::size_t close = html.find('>', i);
      if (close == std::string::npos) return html;
      const std::string name = TagName(html, i);
      const bool closing = i + 1 < html.size() && html[i + 1] == '/';
      if (!name.empty() && !IsInline(name) && !IsBlock(name)) return html;
      if (name == "head") inHead = !closing;
      if (name == "pre") inPre = !closing;
      if (IsBlock(name) && (name != "br" || !closing)) EndLine(out);
      if (name == "li" && !closing) out += "- ";
      i = close + 1;
      continue;
    }
    if (inHead) {
      ++i;
      continue;
    }
    if (c == '&') {
      if (const std::size_t taken = TakeReference(html, i, out)) {
        i += taken;
        continue;
      }
    }
    if (!inPre && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
      if (!out.empty() && out.back() != ' ' && out.back() != '\n') out += ' ';
      ++i;
      continue;
    }
    out += c;
    ++i;
  }
  while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
  return out + "\n";
}

}  // namespace codec
