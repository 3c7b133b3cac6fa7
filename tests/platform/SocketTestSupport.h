#pragma once

#include <arpa/inet.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/core/Socket.h"

namespace sockettest {

inline std::uint32_t Loopback() { return htonl(INADDR_LOOPBACK); }

// Records every notification it receives, in order.
class RecordingSink : public platform::SocketEventSink {
 public:
  struct Notification {
    platform::SocketEventKind kind;
    int error;
  };

  void OnSocketEvent(platform::SocketEventKind kind, int errorCode) override {
    events.push_back({kind, errorCode});
    if (onEvent) onEvent(kind);
  }
  void OnLookupDone(int errorCode, std::uint32_t addressNetOrder) override {
    ++lookups;
    lookupError = errorCode;
    lookupAddress = addressNetOrder;
  }

  int Count(platform::SocketEventKind kind) const {
    int count = 0;
    for (const Notification& event : events) count += event.kind == kind ? 1 : 0;
    return count;
  }
  // Position of the first notification of kind, -1 when none came.
  int IndexOf(platform::SocketEventKind kind) const {
    for (std::size_t i = 0; i < events.size(); ++i)
      if (events[i].kind == kind) return static_cast<int>(i);
    return -1;
  }
  int ErrorOf(platform::SocketEventKind kind) const {
    const int index = IndexOf(kind);
    return index < 0 ? -1 : events[static_cast<std::size_t>(index)].error;
  }

  std::vector<Notification> events;
  std::function<void(platform::SocketEventKind)> onEvent;
  int lookups = 0;
  int lookupError = -1;
  std::uint32_t lookupAddress = 0;
};

}  // namespace sockettest
