#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

namespace test_access {
struct Internals;
}

// The program's icon in the notification area: a hint, a context menu on
// right click, and an animation through two alert images at a fixed
// interval. Stopping the animation brings the normal icon back.
class TrayIcon {
 public:
  TrayIcon();
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void SetHint(const std::string& hint);
  std::string Hint() const;

  void Show();
  void Hide();
  bool Shown() const;

  // Appends an item to the context menu.
  void AddMenuItem(const std::string& caption, std::function<void()> onClick);

  void SetAnimationInterval(unsigned intervalMs);
  void StartAnimation();
  void StopAnimation();
  bool Animating() const;
  // -1 while the normal icon shows, else the animation image shown (0, 1).
  int ImageIndex() const;

  // Whether the desktop shows notification-area icons at all.
  static bool SystemTrayAvailable();

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;

 private:
  // The widgets' test driver (platform/testing) looks inside.
  friend struct test_access::Internals;
  struct Impl;  // toolkit side
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
