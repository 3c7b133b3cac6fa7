#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

// Desktop notifications through the session's notification server
// (org.freedesktop.Notifications on the D-Bus session bus). The texts are
// shown as plain text: where the server would read markup, it is escaped.
// Each new notification replaces the one this object sent before, so
// repeated alerts do not pile up.
class DesktopNotifier {
 public:
  DesktopNotifier();
  ~DesktopNotifier();
  DesktopNotifier(const DesktopNotifier&) = delete;
  DesktopNotifier& operator=(const DesktopNotifier&) = delete;

  enum class Result {
    Shown,       // the server took it
    NoServer,    // no session bus, no server, or it did not answer in time
    DoNotDisturb,  // the server says notifications are inhibited
  };

  // Sends one notification; waits at most a few seconds for the server.
  Result Notify(const std::string& summary, const std::string& body);

  // The user clicked the notification (its default action).
  std::function<void()> OnActivated;

  struct Impl;  // toolkit side; platform code only

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
