#include <algorithm>

#include "app/MatchRules.h"
#include "app/POP3Unit1.h"
#include "platform/core/Socket.h"

namespace app {

namespace {

constexpr int kMaxPort = 65535;

// A decimal port 1..65535: digits only, no sign, no blanks.
bool ParsePort(const std::string& text, int& port) {
  if (text.empty() || text.size() > 5) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  int value = std::stoi(text);
  if (value < 1 || value > kMaxPort) return false;
  port = value;
  return true;
}

}  // namespace

ServerAddress SplitServerAddress(const std::string& text) {
  constexpr const char* kTlsScheme = "pop3s://";
  ServerAddress address;
  std::string rest = text;
  if (rest.size() > 8 && AsciiUpper(rest.substr(0, 8)) == "POP3S://") {
    rest = rest.substr(std::string(kTlsScheme).size());
    if (!rest.empty() && rest.back() == '/') rest.pop_back();
    address.ImplicitTls = true;
    address.Port = kImplicitTlsPort;
  }
  address.Host = rest;
  // "[v6]" or "[v6]:port"; a bare IPv6 literal has no port.
  if (!rest.empty() && rest.front() == '[') {
    const std::string::size_type close = rest.find(']');
    int port = 0;
    if (close != std::string::npos && platform::IsIPv6Literal(rest.substr(1, close - 1)) &&
        (close + 1 == rest.size() || (rest[close + 1] == ':' && ParsePort(rest.substr(close + 2), port)))) {
      address.Host = rest.substr(1, close - 1);
      if (port != 0) address.Port = port;
    }
  } else if (!platform::IsIPv6Literal(rest)) {
    std::string::size_type colon = rest.rfind(':');
    int port = 0;
    if (colon != std::string::npos && ParsePort(rest.substr(colon + 1), port)) {
      address.Host = rest.substr(0, colon);
      address.Port = port;
    }
  }
  if (address.Port == kImplicitTlsPort) address.ImplicitTls = true;
  return address;
}

std::optional<std::string> ExtractHeaderValue(const std::string& header, const std::string& label,
                                              const std::string& fallbackLabel, int skip) {
  std::string::size_type match = header.find(label);
  if (match == std::string::npos) match = header.find(fallbackLabel);
  if (match == std::string::npos) return std::nullopt;
  // The value runs from skip characters past the match to the end of its
  // physical line; one character after the colon (normally the blank) is
  // passed over, nothing is trimmed.
  std::string::size_type lineEnd = header.find('\r', match);
  std::string::size_type lineLength = lineEnd == std::string::npos ? header.size() - match : lineEnd - match + 1;
  long length = static_cast<long>(lineLength) - skip - 1;
  std::string::size_type start = match + static_cast<std::string::size_type>(skip);
  if (length <= 0 || start >= header.size()) return std::string();
  return header.substr(start, static_cast<std::string::size_type>(length));
}

}  // namespace app
