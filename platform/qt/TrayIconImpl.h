#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <string>

#include "platform/TrayIcon.h"

namespace platform {

struct TrayIcon::Impl {
  QSystemTrayIcon icon;
  QMenu menu;
  QTimer animation;
  std::string hint;
  int imageIndex = -1;
  bool shown = false;

  void NextImage();
};

namespace qt {

// Tests pretend that the desktop has a notification area.
void SetSystemTrayAvailableOverride(bool available);

}  // namespace qt

}  // namespace platform
