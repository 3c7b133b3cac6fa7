#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <string>

#include "platform/gui/TrayIcon.h"

namespace platform {

struct TrayIcon::Impl {
  QSystemTrayIcon icon;
  QMenu menu;
  QTimer animation;
  std::string hint;
  int imageIndex = -1;
  bool shown = false;

  void NextImage();

  // Set only by the widgets' test driver: the offscreen platform the tests
  // run on has no notification area, and the tests need to pretend one.
  static inline bool assumeSystemTray = false;
};

}  // namespace platform
