#pragma once

#include <functional>
#include <memory>

namespace platform {

// What the system bus tells of the machine's power and network: logind's
// PrepareForSleep(false), sent when the machine has woken, and
// NetworkManager's StateChanged into a connected state. Only the services
// that own those names are listened to. Nothing here waits for the bus:
// its answers and signals come through the event loop, and where there is
// no system bus, or no such service, nothing is told.
class SystemBusWatch {
 public:
  SystemBusWatch();
  ~SystemBusWatch();
  SystemBusWatch(const SystemBusWatch&) = delete;
  SystemBusWatch& operator=(const SystemBusWatch&) = delete;

  // The machine woke from sleep or hibernation.
  std::function<void()> OnWake;
  // The network became usable (local, site or global connectivity) after
  // it was not, or at the first state heard.
  std::function<void()> OnNetworkUp;

  struct Impl;  // toolkit side; platform code only

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
