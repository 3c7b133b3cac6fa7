#include "pop3/Pop3Reply.h"

#include <charconv>

#include "net/LineSocket.h"

namespace pop3 {

bool ReplyPasses(const std::string& reply) {
  return net::NthWord(reply, ' ', 1).find("+OK") != std::string::npos;
}

ERefused::ERefused(const std::string& reply) : Exception(reply) {
  const std::string line = WithoutLineEnd(reply);
  const std::size_t blank = line.find(' ');
  if (blank != std::string::npos) serverText_ = line.substr(blank + 1);
}

void CheckReply(const std::string& reply) {
  if (!ReplyPasses(reply)) throw ERefused(reply);
}

bool IsRefusal(const std::string& reply) {
  return net::NthWord(WithoutLineEnd(reply), ' ', 1) == "-ERR";
}

namespace {

// Where the code's "[" stands in the reply, or npos.
std::size_t CodeStart(const std::string& line) {
  const std::size_t blank = line.find(' ');
  if (blank == std::string::npos) return std::string::npos;
  const std::size_t text = line.find_first_not_of(' ', blank);
  return text != std::string::npos && line[text] == '[' ? text : std::string::npos;
}

}  // namespace

std::string ResponseCode(const std::string& reply) {
  const std::string line = WithoutLineEnd(reply);
  const std::size_t open = CodeStart(line);
  if (open == std::string::npos) return "";
  const std::size_t close = line.find(']', open);
  if (close == std::string::npos || close - open > 64) return "";
  std::string code = line.substr(open + 1, close - open - 1);
  for (char& c : code)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return code;
}

std::string ReplyText(const std::string& reply) {
  const std::string line = WithoutLineEnd(reply);
  std::size_t start = line.find(' ');
  if (start == std::string::npos) return "";
  const std::size_t open = CodeStart(line);
  if (open != std::string::npos && !ResponseCode(reply).empty()) start = line.find(']', open) + 1;
  return TrimControl(line.substr(start));
}

std::string WithoutLineEnd(const std::string& line) {
  std::size_t size = line.size();
  if (size > 0 && line[size - 1] == '\n') --size;
  if (size > 0 && line[size - 1] == '\r' && size < line.size()) --size;
  return line.substr(0, size);
}

std::string TrimControl(const std::string& text) {
  std::size_t start = 0;
  std::size_t stop = text.size();
  while (start < stop && static_cast<unsigned char>(text[start]) <= ' ') ++start;
  while (stop > start && static_cast<unsigned char>(text[stop - 1]) <= ' ') --stop;
  return text.substr(start, stop - start);
}

namespace {

bool ParseInt(const std::string& text, std::int32_t& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  // from_chars takes a minus sign but no plus sign.
  if (first != last && *first == '+') {
    ++first;
    if (first == last || *first < '0' || *first > '9') return false;
  }
  auto [end, error] = std::from_chars(first, last, value, 10);
  return error == std::errc() && end == last;
}

}  // namespace

std::int32_t StrToIntNoBlanks(const std::string& text) {
  std::int32_t value = 0;
  if (!ParseInt(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
  return value;
}

std::int32_t StrToIntNoBlanksDef(const std::string& text, std::int32_t fallback) {
  std::int32_t value = 0;
  return ParseInt(text, value) ? value : fallback;
}

}  // namespace pop3
