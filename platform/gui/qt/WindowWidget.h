#pragma once

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QResizeEvent>
#include <QShowEvent>
#include <QWidget>
#include <functional>

namespace platform::qt {

// The main window's widget: passes its window events on to callbacks.
class WindowWidget : public QWidget {
 public:
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

}  // namespace platform::qt
