#pragma once

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFrame>
#include <QResizeEvent>
#include <QShowEvent>
#include <QWidget>
#include <functional>

namespace platform::qt {

// The main window's widget: passes its window events on to callbacks.
// Assistive technology sees it as a window (WindowAccessibility.cpp).
class WindowWidget : public QWidget {
  Q_OBJECT

 public:
  WindowWidget();

  std::function<void(QCloseEvent*)> onClose;
  std::function<void()> onMinimized;
  std::function<void()> onResized;
  std::function<void()> onShown;
  std::function<void(const QPoint& globalPos)> onContextMenu;

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (onClose) onClose(event);
  }

  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized() && !(change->oldState() & Qt::WindowMinimized) && onMinimized) onMinimized();
  }

  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (onResized) onResized();
  }

  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    if (!event->spontaneous() && onShown) onShown();
  }

  void contextMenuEvent(QContextMenuEvent* event) override {
    if (onContextMenu) onContextMenu(event->globalPos());
  }
};

// A panel that groups controls; assistive technology sees a group of them
// (a plain frame would be announced as a window of its own).
class PanelFrame : public QFrame {
  Q_OBJECT

 public:
  PanelFrame();
};

}  // namespace platform::qt
