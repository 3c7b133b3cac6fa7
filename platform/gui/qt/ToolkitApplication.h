#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <exception>
#include <functional>
#include <stdexcept>

#include "platform/core/UnhandledError.h"

namespace platform::qt {

// The QApplication of the program. Its notify() is the last line of defence
// against exceptions unwinding through Qt's loop, and the point where the
// main window previews key presses before the control that has the focus,
// and the context menus that the keyboard asks for.
class ToolkitApplication : public QApplication {
 public:
  // Given every key press and every context-menu request; returns true
  // when the event was swallowed.
  using KeyPreview = std::function<bool(QObject* receiver, QEvent* event)>;

  ToolkitApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  void SetKeyPreview(KeyPreview preview) { keyPreview_ = std::move(preview); }

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      const bool previewed = event->type() == QEvent::KeyPress || event->type() == QEvent::ContextMenu;
      if (previewed && keyPreview_ && keyPreview_(receiver, event)) return true;
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      ReportUnhandledError(error);
    } catch (...) {
      ReportUnhandledError(std::runtime_error("Unknown error"));
    }
    return false;
  }

 private:
  KeyPreview keyPreview_;
};

}  // namespace platform::qt
