#pragma once

#include <QPoint>
#include <string>
#include <vector>

#include "platform/gui/MainWindow.h"
#include "platform/gui/qt/WindowWidget.h"

namespace platform {

struct MainWindow::Impl {
  struct MenuItem {
    std::string caption;  // empty for a separator
    int command = 0;
    std::string submenu;  // empty: on the menu itself
    bool checkable = false;
    bool checked = false;
  };

  MainWindow* owner = nullptr;
  qt::WindowWidget* widget = nullptr;
  int designWidth = 0;
  int designHeight = 0;
  std::vector<MenuItem> systemMenu;
  std::string caption;

  // The title on screen: the caption, then the application title.
  void ShowTitle();

  void Rescale();
  void ShowSystemMenu(const QPoint& globalPos);
  void Choose(int command);
  void HandleClose(QCloseEvent* event);
  // Key presses and context-menu requests for a widget of the window.
  bool Preview(QObject* receiver, QEvent* event);
  bool PreviewKey(QKeyEvent* event);
  static bool IsContextMenuKey(const QKeyEvent& event);
  static bool IsPlatformKeyboardMenu(const QContextMenuEvent& event);
  static void OpenContextMenuByKey(QWidget* target);
};

}  // namespace platform
