#pragma once

#include <cstdint>
#include <string>

#include "platform/core/Exception.h"

namespace pop3 {

// A text that should hold an integer does not: "'abc' is not a valid
// integer value".
class EConvertError : public platform::Exception {
 public:
  using Exception::Exception;
};

// The server refused a command. what() is the reply as received, CR LF
// included; ServerText holds the server's own words apart from it: the
// reply without its status word ("-ERR") and line end. A caller that
// shows or logs the server's reason takes it from here, and tells a
// refusal from the program's own failures by this type.
class ERefused : public platform::Exception {
 public:
  explicit ERefused(const std::string& reply);
  const std::string& ServerText() const { return serverText_; }

 private:
  std::string serverText_;
};

// Text of the Exception raised when the server refused the log-in.
inline constexpr const char* kAuthenticationFailed = "Authentication failed";

// Text of the ESockError raised when the server closes the connection while
// an answer is still expected.
inline constexpr const char* kConnectionClosedText = "Connection closed by the server";

// The reply test: the reply's first blank-delimited field contains "+OK"
// anywhere ("+OK" followed by CR LF passes too).
bool ReplyPasses(const std::string& reply);

// Raises ERefused for the reply when the reply test fails.
void CheckReply(const std::string& reply);

// The deletion rule: the reply's first blank-delimited field, without the
// line end, is exactly "-ERR" ("-ERR no such message" and a bare "-ERR" are
// refusals; anything else counts as done).
bool IsRefusal(const std::string& reply);

// The extended response code of a reply (RFC 2449): "IN-USE" for
// "-ERR [IN-USE] locked", upper-cased, hierarchy kept ("SYS/TEMP"); empty
// when the text after the status word does not start with "[code]".
std::string ResponseCode(const std::string& reply);
// The reply's text without its status word, its response code and its line
// end.
std::string ReplyText(const std::string& reply);

// line without its CR LF (or lone LF) at the end.
std::string WithoutLineEnd(const std::string& line);

// text without leading and trailing blanks and control characters.
std::string TrimControl(const std::string& text);

// Strict decimal conversion: an optional sign and digits only, within the
// 32-bit range; anything else, a blank anywhere included, raises
// EConvertError. (The window's settings take leading blanks:
// app::StrToIntLeadingBlanks.)
std::int32_t StrToIntNoBlanks(const std::string& text);

// As StrToIntNoBlanks, but fallback instead of an error.
std::int32_t StrToIntNoBlanksDef(const std::string& text, std::int32_t fallback);

}  // namespace pop3
