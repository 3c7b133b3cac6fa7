#include <arpa/inet.h>

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

// Strict dotted-decimal only: looser forms ("127.1", hexadecimal parts) go to
// the resolver, which knows them as well, instead of being taken as numbers.
bool ParseDottedAddress(const std::string& text, std::uint32_t& addressNetOrder) {
  in_addr parsed{};
  if (::inet_pton(AF_INET, text.c_str(), &parsed) != 1) return false;
  addressNetOrder = parsed.s_addr;
  return true;
}

}  // namespace platform
