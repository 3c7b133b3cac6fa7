#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

// Desktop notifications through the session's notification server
// (org.freedesktop.Notifications on the D-Bus session bus). The texts are
// shown as plain text: where the server would read markup, it is escaped.
// Each new notification replaces the one this object sent before, so
// repeated alerts do not pile up. Nothing here waits for the server: every
// call to it is answered through the event loop.
class DesktopNotifier {
 public:
  DesktopNotifier();
  ~DesktopNotifier();
  DesktopNotifier(const DesktopNotifier&) = delete;
  DesktopNotifier& operator=(const DesktopNotifier&) = delete;

  // Sends one notification and returns at once. The server is first asked
  // whether notifications are inhibited (do-not-disturb); the notification
  // is dropped if they are, and sent if the server says no or gives no
  // answer in time. A notification that comes while the previous one is
  // still on its way follows it; of several such, only the latest.
  void Notify(const std::string& summary, const std::string& body);

  // The user clicked the notification (its default action).
  std::function<void()> OnActivated;

  struct Impl;  // toolkit side; platform code only

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
