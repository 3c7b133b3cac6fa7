// The settings file: over any existing file content, WriteString followed
// by ReadString gives the value back (cut to kMaxValueLength), every other
// key reads as before, and a refused write leaves the file as it was.
//
// Input (FuzzedDataProvider): section, key and value as backslash-ended
// strings, then the file's old content.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzTempDir.h"
#include "platform/core/Exception.h"
#include "platform/core/ProfileFile.h"

namespace {

using platform::ProfileFile;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Names plainly fit for a line: no line break, NUL, "]" in a section, "=",
// or a leading "[" or ";" in a key, and a key that is not blank.
bool PlainNames(std::string_view section, std::string_view key) {
  if (!ProfileFile::CanHoldValue(section) || !ProfileFile::CanHoldValue(key)) return false;
  if (section.find(']') != std::string_view::npos) return false;
  const std::string_view name = Trim(key);
  return !name.empty() && name.find('=') == std::string_view::npos && name.front() != '[' && name.front() != ';';
}

// Section and key names that occur in text, as a person reading it would
// pick them out, plus the written pair's own section; capped in number.
std::vector<std::pair<std::string, std::string>> Probes(const std::string& text, const std::string& section) {
  std::vector<std::string> sections{section, ""};
  std::vector<std::string> keys;
  std::size_t start = 0;
  while (start < text.size() && sections.size() < 8 && keys.size() < 12) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line.front() == '[') {
      const std::size_t close = line.find(']');
      sections.emplace_back(line.substr(1, close == std::string_view::npos ? line.size() : close - 1));
    } else if (line.find('=') != std::string_view::npos) {
      keys.emplace_back(line.substr(0, line.find('=')));
    }
  }
  std::vector<std::pair<std::string, std::string>> probes;
  for (const std::string& s : sections) {
    for (const std::string& k : keys) probes.emplace_back(s, k);
  }
  return probes;
}

std::string FileContent(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const std::string section = provider.ConsumeRandomLengthString(64);
  const std::string key = provider.ConsumeRandomLengthString(64);
  const std::string value = provider.ConsumeRandomLengthString(3000);
  const std::string old = provider.ConsumeRemainingBytesAsString();

  const std::string path = FuzzTempDir("profile") + "/pop3.ini";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << old;
  }
  const ProfileFile file(path);
  const std::string kAbsent = "\x01(absent)";
  const auto probes = Probes(old, section);
  std::vector<std::string> before;
  for (const auto& [s, k] : probes) before.push_back(file.ReadString(s, k, kAbsent));

  bool written = true;
  try {
    file.WriteString(section, key, value);
  } catch (const platform::EFileError& error) {
    written = false;
    FUZZ_CHECK(std::string(error.what()).rfind("Unable to write to " + path, 0) == 0);
  }
  const bool holdable = ProfileFile::CanHoldValue(value) && ProfileFile::CanHoldValue(section) &&
                        ProfileFile::CanHoldValue(key);
  if (!holdable) FUZZ_CHECK(!written);
  if (holdable && PlainNames(section, key)) FUZZ_CHECK(written);
  if (!written) {
    FUZZ_CHECK(FileContent(path) == old);
    return 0;
  }

  FUZZ_CHECK(file.ReadString(section, key, kAbsent) == value.substr(0, ProfileFile::kMaxValueLength));
  for (std::size_t i = 0; i < probes.size(); ++i) {
    const auto& [s, k] = probes[i];
    if (SameName(s, section) && SameName(k, key)) continue;
    FUZZ_CHECK(file.ReadString(s, k, kAbsent) == before[i]);
  }
  return 0;
}
