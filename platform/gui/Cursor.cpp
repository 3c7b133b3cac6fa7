#include "platform/gui/Cursor.h"

#include <QApplication>
#include <QCursor>

namespace platform {

namespace {

CursorShape current = CursorShape::Default;

}  // namespace

CursorShape ScreenCursor() { return current; }

// The hourglass is one override cursor on the application; the default
// shape is no override at all.
void SetScreenCursor(CursorShape shape) {
  if (shape == current) return;
  if (shape == CursorShape::HourGlass) {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  } else {
    while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  }
  current = shape;
}

}  // namespace platform
