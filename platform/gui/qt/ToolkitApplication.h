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
// main window previews key presses before the control that has the focus.
class ToolkitApplication : public QApplication {
 public:
  // Returns true when the key press was swallowed.
  using KeyPreview = std::function<bool(QObject* receiver, QKeyEvent* event)>;

  ToolkitApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  void SetKeyPreview(KeyPreview preview) { keyPreview_ = std::move(preview); }

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      if (event->type() == QEvent::KeyPress && keyPreview_ && keyPreview_(receiver, static_cast<QKeyEvent*>(event)))
        return true;
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
