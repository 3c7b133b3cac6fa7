#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Control.h"

namespace platform {

// The toolkit side of a Control: its widget and what the window needs to
// scale it. Only platform code sees this.
struct ControlCore {
  explicit ControlCore(QWidget* widget) : widget(widget) {}
  ~ControlCore();
  ControlCore(const ControlCore&) = delete;
  ControlCore& operator=(const ControlCore&) = delete;

  QPointer<QWidget> widget;
  Control* control = nullptr;
  Container* parent = nullptr;
  std::vector<Control*> children;  // containers only, in creation order
  std::vector<ControlCore*> scaled;  // the window only: every control inside it

  Rect design;
  FontSpec font;
  int tabOrder = -1;
  std::string hint;  // as the logic gave it; the widget holds it escaped
  // What assistive technology takes from the hint until the logic names or
  // describes the control itself.
  bool nameFollowsHint = false;
  bool descriptionFollowsHint = true;
  double scaleX = 1.0;
  double scaleY = 1.0;
  // The window only: the control that lost the keyboard focus by being
  // disabled, and where the toolkit moved the focus then (Control::SetEnabled).
  QPointer<QWidget> focusLostByDisabling;
  QPointer<QWidget> focusMovedTo;
  // Set while the focus moves only because a control is disabled or
  // enabled: the user did not move it, so no OnEnter or OnExit is due.
  bool focusFollowsEnabling = false;

  // Extra scaling work of a kind of control (the grid's columns and rows).
  std::function<void(double scaleX, double scaleY)> onScaled;

  // The window core that scales this control (itself for the window).
  ControlCore* Root();
  // Places and sizes the widget for the given factors.
  void ApplyScale(double sx, double sy);
  void ApplyFont();
  bool AutoSized() const { return design.Width == 0 && design.Height == 0; }
};

// Runs a handler of the logic from a toolkit callback: a missing handler is
// skipped, an exception goes to the application's error box.
void CallHandler(const std::function<void()>& handler);

}  // namespace platform
