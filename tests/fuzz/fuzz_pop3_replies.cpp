// Replies and listing lines of a POP3 server: the reply test, the deletion
// rule, line-end and blank trimming, field splitting and the strict integer
// conversion, and the three numbers the client takes from the server (STAT
// count, listing line, size of "LIST n"). Every line of the input is one
// server line, as ReadLn hands it over (LF included).
#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "net/LineSocket.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Parsing.h"
#include "pop3/Pop3Reply.h"

namespace {

using pop3::EConvertError;

// Independent reading of a decimal 32-bit integer: an optional sign, at
// least one digit, nothing else.
std::optional<std::int32_t> ReferenceInt(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 1LL + INT32_MAX) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// StrToIntNoBlanks raises EConvertError exactly when the reference refuses.
std::optional<std::int32_t> Converted(const std::string& text) {
  try {
    return pop3::StrToIntNoBlanks(text);
  } catch (const EConvertError& error) {
    FUZZ_CHECK(error.Message() == "'" + text + "' is not a valid integer value");
    return std::nullopt;
  }
}

void CheckInteger(const std::string& text) {
  const std::optional<std::int32_t> expected = ReferenceInt(text);
  FUZZ_CHECK(Converted(text) == expected);
  FUZZ_CHECK(pop3::StrToIntNoBlanksDef(text, -7) == (expected ? *expected : -7));
}

// The fields split at every blank and joined again give the text back. Only
// the first kMaxFields are compared: each look-up scans from the start.
void CheckFields(const std::string& text) {
  constexpr int kMaxFields = 32;
  std::string joined;
  int n = 1;
  for (std::size_t start = 0;; ++n) {
    const std::string field = net::NthWord(text, ' ', n);
    const std::size_t blank = text.find(' ', start);
    FUZZ_CHECK(field == text.substr(start, blank == std::string::npos ? std::string::npos : blank - start));
    joined += field;
    if (blank == std::string::npos) break;
    if (n == kMaxFields) return;
    joined += ' ';
    start = blank + 1;
  }
  FUZZ_CHECK(joined == text);
  FUZZ_CHECK(net::NthWord(text, ' ', n + 1).empty());
  FUZZ_CHECK(net::NthWord(text, ' ', 0).empty());
  FUZZ_CHECK(net::NthWord(text, ' ', -1).empty());
}

void CheckTrimming(const std::string& reply) {
  const std::string bare = pop3::WithoutLineEnd(reply);
  FUZZ_CHECK(reply.compare(0, bare.size(), bare) == 0);
  const std::string end = reply.substr(bare.size());
  FUZZ_CHECK(end.empty() || end == "\n" || end == "\r\n");
  FUZZ_CHECK(end.empty() == (reply.empty() || reply.back() != '\n'));

  const std::string trimmed = pop3::TrimControl(reply);
  FUZZ_CHECK(reply.find(trimmed) != std::string::npos);
  if (!trimmed.empty()) {
    FUZZ_CHECK(static_cast<unsigned char>(trimmed.front()) > ' ');
    FUZZ_CHECK(static_cast<unsigned char>(trimmed.back()) > ' ');
  }
}

void CheckReplyTests(const std::string& reply) {
  const std::string first = net::NthWord(reply, ' ', 1);
  const bool passes = pop3::ReplyPasses(reply);
  FUZZ_CHECK(passes == (first.find("+OK") != std::string::npos));
  bool raised = false;
  try {
    pop3::CheckReply(reply);
  } catch (const platform::Exception& error) {
    raised = true;
    FUZZ_CHECK(error.Message() == reply);
  }
  FUZZ_CHECK(raised == !passes);
  // A refusal never passes the reply test.
  if (pop3::IsRefusal(reply)) FUZZ_CHECK(!passes);
}

// A response code is what the reply's text holds between the "[" that
// opens it and the next "]", upper-cased; the text is part of the line.
void CheckResponseCode(const std::string& reply) {
  const std::string bare = pop3::WithoutLineEnd(reply);
  const std::string code = pop3::ResponseCode(reply);
  if (!code.empty()) {
    // The code opens the text: the first thing after the status word's blanks.
    const std::size_t open = bare.find_first_not_of(' ', bare.find(' '));
    FUZZ_CHECK(open != std::string::npos && bare[open] == '[' && bare.find(']', open) == open + 1 + code.size());
    for (std::size_t i = 0; i < code.size(); ++i) {
      const char sent = bare[open + 1 + i];
      FUZZ_CHECK(code[i] == (sent >= 'a' && sent <= 'z' ? static_cast<char>(sent - 32) : sent));
    }
  }
  const std::string text = pop3::ReplyText(reply);
  FUZZ_CHECK(text.size() <= bare.size() && bare.find(text) != std::string::npos);
  FUZZ_CHECK(text.find('\n') == std::string::npos && text == pop3::TrimControl(text));
}

void CheckClientNumbers(const std::string& reply) {
  const std::string bare = pop3::WithoutLineEnd(reply);
  const std::optional<std::int32_t> count = ReferenceInt(net::NthWord(bare, ' ', 2));
  FUZZ_CHECK(pop3::ParseStatCount(reply) == (count ? *count : 0));

  const std::optional<std::int32_t> msg = ReferenceInt(net::NthWord(bare, ' ', 1));
  const std::optional<std::int32_t> size = ReferenceInt(net::NthWord(bare, ' ', 2));
  try {
    const pop3::ListEntry entry = pop3::ParseListLine(bare);
    FUZZ_CHECK(msg && size && entry.Msg == *msg && entry.Size == *size);
  } catch (const EConvertError&) {
    FUZZ_CHECK(!msg || !size);
  }

  // A unique id is the non-empty, capped rest of the line after the number.
  try {
    const pop3::UniqueIdEntry entry = pop3::ParseUniqueIdLine(bare);
    FUZZ_CHECK(msg && entry.Msg == *msg);
    FUZZ_CHECK(!entry.Id.empty() && entry.Id.size() <= pop3::TPop3Client::kMaxUniqueIdLength);
    FUZZ_CHECK(entry.Id == pop3::TrimControl(entry.Id));
    FUZZ_CHECK(bare.find(entry.Id) != std::string::npos);
  } catch (const EConvertError&) {
    FUZZ_CHECK(!msg);
  } catch (const platform::Exception&) {
    FUZZ_CHECK(msg.has_value());
  }

  const std::optional<std::int32_t> bytes = ReferenceInt(pop3::TrimControl(net::NthWord(reply, ' ', 3)));
  try {
    const std::int32_t parsed = pop3::ParseListSize(reply);
    FUZZ_CHECK(bytes && parsed == *bytes);
  } catch (const EConvertError&) {
    FUZZ_CHECK(!bytes);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (std::size_t start = 0; start < input.size();) {
    const std::size_t lf = input.find('\n', start);
    const std::size_t end = lf == std::string::npos ? input.size() : lf + 1;
    const std::string line = input.substr(start, end - start);
    start = end;
    CheckTrimming(line);
    CheckFields(line);
    CheckReplyTests(line);
    CheckResponseCode(line);
    CheckClientNumbers(line);
    CheckInteger(pop3::WithoutLineEnd(line));
  }
  return 0;
}
