#include <arpa/inet.h>

#include <cstring>

#include "platform/core/Socket.h"
#include "platform/core/SocketErrors.h"
#include "platform/core/SocketInternal.h"

namespace platform {

namespace {

thread_local int lastSocketError = kSockNoError;

}  // namespace

void SetLastSocketError(int socketError) { lastSocketError = socketError; }

int FailWithErrno(int errnoValue) {
  lastSocketError = SocketErrorFromErrno(errnoValue);
  return -1;
}

int LastSocketError() { return lastSocketError; }

void SocketEventSink::OnLookupAddresses(int errorCode, const std::vector<IpAddress>& addresses) {
  if (errorCode != kSockNoError) {
    OnLookupDone(errorCode, 0);
    return;
  }
  for (const IpAddress& address : addresses) {
    if (!address.v6) {
      OnLookupDone(kSockNoError, address.IPv4());
      return;
    }
  }
  OnLookupDone(kSockNO_DATA, 0);  // the name exists, but has no IPv4 address
}

IpAddress IpAddress::FromIPv4(std::uint32_t addressNetOrder) {
  IpAddress address;
  std::memcpy(address.bytes.data(), &addressNetOrder, 4);
  return address;
}

bool IpAddress::Parse(const std::string& text, IpAddress& address) {
  std::uint32_t v4 = 0;
  if (ParseDottedAddress(text, v4)) {
    address = FromIPv4(v4);
    return true;
  }
  IpAddress v6;
  v6.v6 = true;
  if (::inet_pton(AF_INET6, text.c_str(), v6.bytes.data()) != 1) return false;
  address = v6;
  return true;
}

std::uint32_t IpAddress::IPv4() const {
  std::uint32_t value = 0;
  if (!v6) std::memcpy(&value, bytes.data(), 4);
  return value;
}

bool IpAddress::IsLoopback() const {
  if (!v6) return bytes[0] == 127;
  static const std::array<std::uint8_t, 16> kLoopback6{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  return bytes == kLoopback6;
}

std::string IpAddress::Text() const {
  char text[INET6_ADDRSTRLEN] = {};
  ::inet_ntop(v6 ? AF_INET6 : AF_INET, bytes.data(), text, sizeof text);
  return text;
}

bool IsIPv6Literal(const std::string& text) {
  in6_addr parsed{};
  return ::inet_pton(AF_INET6, text.c_str(), &parsed) == 1;
}

// Strict dotted-decimal only: looser forms ("127.1", hexadecimal parts) go to
// the resolver, which knows them as well, instead of being taken as numbers.
bool ParseDottedAddress(const std::string& text, std::uint32_t& addressNetOrder) {
  in_addr parsed{};
  if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1) return false;
  addressNetOrder = parsed.s_addr;
  return true;
}

}  // namespace platform
