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
};

}  // namespace platform
