// The roles assistive technology gives the window and its panels. The
// toolkit sees plain widgets in both and would call the window a filler
// and the panel a frame, which screen readers take for a window.
#include <QAccessible>
#include <QAccessibleWidget>

#include "platform/gui/qt/WindowWidget.h"

namespace platform::qt {

namespace {

QAccessibleInterface* WindowAccessibility(const QString&, QObject* object) {
  if (auto* window = qobject_cast<WindowWidget*>(object)) return new QAccessibleWidget(window, QAccessible::Window);
  if (auto* panel = qobject_cast<PanelFrame*>(object)) return new QAccessibleWidget(panel, QAccessible::Grouping);
  return nullptr;
}

void InstallWindowAccessibility() {
  static const bool installed = (QAccessible::installFactory(&WindowAccessibility), true);
  (void)installed;
}

}  // namespace

WindowWidget::WindowWidget() { InstallWindowAccessibility(); }

PanelFrame::PanelFrame() { InstallWindowAccessibility(); }

}  // namespace platform::qt
