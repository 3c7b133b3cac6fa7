#pragma once

#include <cstddef>

#include "net/LineSocket.h"

// Shared by the sources of TLineSocket only.
namespace net::detail {

// Longest a wait blocks without any event before it tests its flags again.
// Events (notifications, ticks, user input) end the block earlier.
constexpr int kWaitSliceMs = 100;

// Most a single receive asks for, as the transfer area holds 64 KiB plus 4.
constexpr std::size_t kMaxReceive = 65536;

// Brackets one wait: StopTimeout on every way out.
class TimeoutScope {
 public:
  explicit TimeoutScope(TLineSocket& socket) : socket_(socket) { socket_.StartTimeout(); }
  ~TimeoutScope() {
    try {
      socket_.StopTimeout();
    } catch (...) {
      // Stopping a timer cannot fail; the status handler's errors are
      // swallowed already. Nothing may leave a destructor.
    }
  }
  TimeoutScope(const TimeoutScope&) = delete;
  TimeoutScope& operator=(const TimeoutScope&) = delete;

 private:
  TLineSocket& socket_;
};

}  // namespace net::detail
