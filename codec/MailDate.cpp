#include "codec/MailDate.h"

#include <cstddef>
#include <cstdio>
#include <ctime>
#include <vector>

#include "codec/Charset.h"

namespace codec {

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!IsDigit(c)) return false;
  return true;
}

int Number(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

// The text without comments (nested, with quoted pairs), split at blanks,
// line breaks and commas; "07-Dec-2026" comes as three tokens.
std::vector<std::string> Tokens(std::string_view text) {
  std::vector<std::string> tokens;
  std::string current;
  int depth = 0;
  auto flush = [&] {
    if (!current.empty()) tokens.push_back(current);
    current.clear();
  };
  for (std::size_t i = 0; i < text.size() && tokens.size() < 32; ++i) {
    const char c = text[i];
    if (depth > 0) {
      if (c == '\\') ++i;
      else if (c == '(') ++depth;
      else if (c == ')') --depth;
      continue;
    }
    if (c == '(') {
      flush();
      depth = 1;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',') {
      flush();
    } else if (c == '-' && !current.empty() && (IsAlpha(current.back()) || IsDigit(current.back())) &&
               i + 1 < text.size() && (IsAlpha(text[i + 1]) || IsDigit(text[i + 1]))) {
      // Inside "07-Dec-2026"; a zone's "-" starts a token instead.
      flush();
    } else {
      if (current.size() < 64) current += c;
    }
  }
  flush();
  return tokens;
}

int MonthNumber(const std::string& token) {
  static const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
  if (token.size() < 3) return 0;
  const std::string lower = Lower(token);
  for (int m = 0; m < 12; ++m)
    if (lower.compare(0, 3, kMonths[m]) == 0) return m + 1;
  return 0;
}

bool IsDayName(const std::string& token) {
  static const char* const kDays[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
  if (token.size() < 3) return false;
  const std::string lower = Lower(token);
  for (const char* day : kDays)
    if (lower.compare(0, 3, day) == 0) return true;
  return false;
}

// "10:31" or "10:31:05"; seconds 60 (a leap second) count as 59.
bool ReadTime(const std::string& token, int& seconds) {
  std::vector<std::string> parts(1);
  for (char c : token) {
    if (c == ':') parts.emplace_back();
    else parts.back() += c;
  }
  if (parts.size() < 2 || parts.size() > 3) return false;
  for (const std::string& part : parts)
    if (!AllDigits(part) || part.size() > 2) return false;
  const int hour = Number(parts[0]), minute = Number(parts[1]);
  int second = parts.size() == 3 ? Number(parts[2]) : 0;
  if (hour > 23 || minute > 59 || second > 60) return false;
  if (second == 60) second = 59;
  seconds = hour * 3600 + minute * 60 + second;
  return true;
}

// A zone: "+hhmm", "-hhmm", "+hh:mm", or a name. offset in seconds east
// of UTC. Names other than the American ones (military letters, "CET")
// carry no reliable offset and count as UTC.
bool ReadZone(const std::string& token, int& offset) {
  if (token[0] == '+' || token[0] == '-') {
    std::string digits;
    for (std::size_t i = 1; i < token.size(); ++i)
      if (token[i] != ':' || i != 3) digits += token[i];
    if (!AllDigits(digits) || digits.size() != 4) return false;
    const int hours = Number(digits.substr(0, 2)), minutes = Number(digits.substr(2));
    if (minutes > 59) return false;
    offset = (hours * 3600 + minutes * 60) * (token[0] == '-' ? -1 : 1);
    return true;
  }
  for (char c : token)
    if (!IsAlpha(c)) return false;
  struct NamedZone {
    const char* Name;
    int Hours;
  };
  static const NamedZone kZones[] = {{"est", -5}, {"edt", -4}, {"cst", -6}, {"cdt", -5},
                                     {"mst", -7}, {"mdt", -6}, {"pst", -8}, {"pdt", -7}};
  const std::string lower = Lower(token);
  offset = 0;
  for (const NamedZone& zone : kZones)
    if (lower == zone.Name) offset = zone.Hours * 3600;
  return true;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int year, int month, int day) {
  year -= month <= 2;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

int FullYear(const std::string& digits) {
  const int value = Number(digits);
  if (digits.size() == 2) return value < 50 ? 2000 + value : 1900 + value;
  if (digits.size() == 3) return 1900 + value;
  return value;
}

}  // namespace

std::optional<std::int64_t> ParseMailDate(std::string_view text) {
  const std::vector<std::string> tokens = Tokens(text);
  int month = 0, seconds = -1, offset = 0;
  bool haveZone = false;
  std::vector<std::string> numbers;  // day and year, in the order written
  for (const std::string& token : tokens) {
    if (seconds >= 0 && numbers.size() >= 2 && month != 0) {
      // After a complete date and time only the zone may follow; anything
      // else after it (a second zone name) is passed over.
      if (!haveZone && ReadZone(token, offset)) haveZone = true;
      else if (!haveZone) return std::nullopt;
      continue;
    }
    if (AllDigits(token)) {
      if (token.size() > 4) return std::nullopt;
      if (numbers.size() >= 2) return std::nullopt;
      numbers.push_back(token);
    } else if (token.find(':') != std::string::npos && IsDigit(token[0])) {
      if (seconds >= 0 || !ReadTime(token, seconds)) return std::nullopt;
    } else if (month == 0 && MonthNumber(token) != 0 && !IsDayName(token)) {
      month = MonthNumber(token);
    } else if (IsDayName(token) && month == 0 && numbers.empty()) {
      continue;
    } else if (seconds >= 0 && !haveZone && ReadZone(token, offset)) {
      haveZone = true;  // asctime order: the zone before the year
    } else {
      return std::nullopt;
    }
  }
  if (month == 0 || seconds < 0 || numbers.size() != 2) return std::nullopt;
  // "7 Dec 2026": the number before the month is the day. "Dec 7 2026"
  // (asctime): the first number after it is.
  const std::string& dayText = numbers[0];
  const std::string& yearText = numbers[1];
  if (dayText.size() > 2 || yearText.size() < 2) return std::nullopt;
  const int day = Number(dayText);
  const int year = FullYear(yearText);
  if (year < 1900 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  return DaysFromCivil(year, month, day) * 86400 + seconds - offset;
}

std::string FormatLocalDateTime(std::int64_t when) {
  const std::time_t moment = static_cast<std::time_t>(when);
  std::tm local{};
  if (localtime_r(&moment, &local) == nullptr) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%02d.%02d.%02d %02d:%02d", local.tm_mday, local.tm_mon + 1,
                ((local.tm_year + 1900) % 100 + 100) % 100, local.tm_hour, local.tm_min);
  return text;
}

std::string ShownMailDate(std::string_view text) {
  if (std::optional<std::int64_t> when = ParseMailDate(text)) return FormatLocalDateTime(*when);
  return ShownAsEightBit(text);
}

}  // namespace codec
