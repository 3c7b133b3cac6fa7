#include "platform/gui/Control.h"

#include <QFocusEvent>
#include <QFont>
#include <algorithm>
#include <cmath>

#include "platform/core/UnhandledError.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/EventHook.h"
#include "platform/gui/qt/Text.h"

namespace platform {

void CallHandler(const std::function<void()>& handler) {
  if (handler) RunGuarded(handler);
}

ControlCore::~ControlCore() {
  // The widget may already be gone with its parent; QPointer knows.
  delete widget.data();
}

ControlCore* ControlCore::Root() {
  ControlCore* core = this;
  while (core->parent != nullptr) core = &core->parent->Core();
  return core;
}

namespace {

int Scaled(int value, double factor) { return static_cast<int>(std::lround(value * factor)); }

// Focus moves caused by another window (a box, a menu) are not moves
// between the window's controls and do not count as enter or exit.
bool IsControlFocusChange(QEvent* event) {
  auto reason = static_cast<QFocusEvent*>(event)->reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace

void ControlCore::ApplyFont() {
  if (!widget) return;
  QFont shown(qt::ToQt(font.Family));
  shown.setStyleHint(QFont::SansSerif);
  shown.setBold(font.Bold);
  shown.setPointSizeF(std::max(1.0, font.PointSize * std::min(scaleX, scaleY)));
  widget->setFont(shown);
}

void ControlCore::ApplyScale(double sx, double sy) {
  scaleX = sx;
  scaleY = sy;
  ApplyFont();
  if (!widget || parent == nullptr) return;
  if (AutoSized()) {
    widget->move(Scaled(design.Left, sx), Scaled(design.Top, sy));
    widget->adjustSize();
  } else {
    widget->setGeometry(Scaled(design.Left, sx), Scaled(design.Top, sy), Scaled(design.Width, sx),
                        Scaled(design.Height, sy));
  }
  if (onScaled) onScaled(sx, sy);
}

Control::Control(std::unique_ptr<ControlCore> core, Container* parent) : core_(std::move(core)) {
  core_->control = this;
  core_->parent = parent;
  QWidget* widget = core_->widget;
  if (parent != nullptr) {
    ControlCore& parentCore = parent->Core();
    widget->setParent(parentCore.widget);
    // Controls are visible unless hidden, also when added to a shown window.
    widget->show();
    parentCore.children.push_back(this);
    ControlCore* root = core_->Root();
    root->scaled.push_back(core_.get());
    core_->scaleX = root->scaleX;
    core_->scaleY = root->scaleY;
  }
  core_->ApplyFont();
  new qt::EventHook(widget, [this](QObject*, QEvent* event) {
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut) return false;
    if (!IsControlFocusChange(event) || core_->Root()->focusFollowsEnabling) return false;
    CallHandler(event->type() == QEvent::FocusIn ? OnEnter : OnExit);
    return false;
  });
}

namespace {

// Takes core and everything inside it out of the window's scaling list.
void ForgetScaled(std::vector<ControlCore*>& scaled, ControlCore* core) {
  scaled.erase(std::remove(scaled.begin(), scaled.end(), core), scaled.end());
  for (Control* child : core->children) ForgetScaled(scaled, &child->Core());
}

}  // namespace

Control::~Control() {
  if (core_->parent != nullptr) {
    auto& siblings = core_->parent->Core().children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    ForgetScaled(core_->Root()->scaled, core_.get());
  }
  // Children that outlive their container are left on their own; their
  // widgets went with the container's.
  for (Control* child : core_->children) child->core_->parent = nullptr;
}

void Control::SetBounds(int left, int top, int width, int height) {
  core_->design = Rect{left, top, width, height};
  core_->ApplyScale(core_->scaleX, core_->scaleY);
}

Rect Control::DesignBounds() const { return core_->design; }

Rect Control::Bounds() const {
  if (!core_->widget) return {};
  QRect shown = core_->widget->geometry();
  return Rect{shown.left(), shown.top(), shown.width(), shown.height()};
}

void Control::SetFont(const FontSpec& font) {
  core_->font = font;
  core_->ApplyScale(core_->scaleX, core_->scaleY);
}

FontSpec Control::Font() const { return core_->font; }

double Control::ShownPointSize() const { return core_->widget ? core_->widget->font().pointSizeF() : 0; }

void Control::SetVisible(bool visible) {
  if (core_->widget) core_->widget->setVisible(visible);
}

bool Control::Visible() const {
  QWidget* widget = core_->widget;
  if (widget == nullptr) return false;
  QWidget* parent = widget->parentWidget();
  return parent != nullptr ? widget->isVisibleTo(parent) : widget->isVisible();
}

// Disabling the control that has the keyboard focus makes the toolkit move
// the focus on to the next control; a command that disables the window's
// controls while it runs would leave a keyboard user somewhere else after
// every click. The focus comes back when the control is enabled again,
// unless something moved it on purpose meanwhile.
void Control::SetEnabled(bool enabled) {
  QWidget* widget = core_->widget;
  if (widget == nullptr) return;
  ControlCore* root = core_->Root();
  const bool hadFocus = widget->hasFocus();
  root->focusFollowsEnabling = true;
  widget->setEnabled(enabled);
  if (!enabled && hadFocus) {
    // Disabling a row of controls hands the focus along the row: the first
    // one that lost it is the one to come back to.
    if (root->focusLostByDisabling == nullptr || widget != root->focusMovedTo) root->focusLostByDisabling = widget;
    root->focusMovedTo = widget->window()->focusWidget();
  } else if (enabled && root->focusLostByDisabling == widget) {
    if (widget->window()->focusWidget() == root->focusMovedTo && widget->isVisible()) widget->setFocus();
    root->focusLostByDisabling = nullptr;
  }
  root->focusFollowsEnabling = false;
}

bool Control::Enabled() const { return core_->widget && core_->widget->isEnabled(); }

// The toolkit would read the tooltip to assistive technology by itself,
// but the tooltip holds markup where the hint could be taken for it; the
// description gets the hint as plain text.
void Control::SetHint(const std::string& hint) {
  core_->hint = hint;
  QWidget* widget = core_->widget;
  if (widget == nullptr) return;
  widget->setToolTip(qt::ToQtToolTip(hint));
  if (core_->descriptionFollowsHint) widget->setAccessibleDescription(qt::ToQtLines(hint));
  if (core_->nameFollowsHint) widget->setAccessibleName(qt::ToQtLines(hint));
}

std::string Control::Hint() const { return core_->hint; }

void Control::SetAccessibleName(const std::string& name) {
  core_->nameFollowsHint = false;
  if (core_->widget) core_->widget->setAccessibleName(qt::ToQt(name));
}

std::string Control::AccessibleName() const {
  return core_->widget ? qt::FromQt(core_->widget->accessibleName()) : std::string();
}

void Control::SetAccessibleDescription(const std::string& description) {
  core_->descriptionFollowsHint = false;
  if (core_->widget) core_->widget->setAccessibleDescription(qt::ToQt(description));
}

std::string Control::AccessibleDescription() const {
  return core_->widget ? qt::FromQt(core_->widget->accessibleDescription()) : std::string();
}

void Control::Repaint() {
  if (core_->widget && core_->widget->isVisible()) core_->widget->repaint();
}

void Control::SetFocus() {
  if (core_->widget) core_->widget->setFocus(Qt::OtherFocusReason);
}

bool Control::Focused() const { return core_->widget && core_->widget->hasFocus(); }

void Control::SetTabOrder(int order) { core_->tabOrder = order; }

int Control::TabOrder() const { return core_->tabOrder; }

}  // namespace platform
