#include "app/PasswordScrambler.h"

#include <string_view>

namespace app {

namespace {

constexpr char kEscapeMark = static_cast<char>(kPasswordMask);  // a scrambled NUL
constexpr char kHexDigits[] = "0123456789abcdef";

bool LineCanHold(const std::string& value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The bytes the hexadecimal text stands for, or false when it is not
// exactly the canonical form that EncodeStoredPassword writes.
bool DecodeHex(std::string_view hex, std::string& bytes) {
  if (hex.empty() || hex.size() % 2 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int high = HexValue(hex[i]);
    int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return true;
}

}  // namespace

char ScramblePassword(char c) { return static_cast<char>(static_cast<unsigned char>(c) ^ kPasswordMask); }

std::string ScramblePassword(const std::string& text) {
  std::string result(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) result[i] = ScramblePassword(text[i]);
  return result;
}

std::string EncodeStoredPassword(const std::string& password) {
  std::string scrambled = ScramblePassword(password);
  if (LineCanHold(scrambled) && (scrambled.empty() || scrambled.front() != kEscapeMark)) return scrambled;
  std::string escaped(1, kEscapeMark);
  escaped.reserve(1 + 2 * scrambled.size());
  for (unsigned char c : scrambled) {
    escaped.push_back(kHexDigits[c >> 4]);
    escaped.push_back(kHexDigits[c & 0x0F]);
  }
  return escaped;
}

std::string DecodeStoredPassword(const std::string& stored) {
  std::string scrambled;
  if (stored.empty() || stored.front() != kEscapeMark || !DecodeHex(std::string_view(stored).substr(1), scrambled))
    scrambled = stored;
  return ScramblePassword(scrambled);
}

}  // namespace app
