#include "platform/gui/qt/CaptionLabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace platform::qt {

namespace {

const QString kDoubleClickAction = QStringLiteral("Double click");

// A caption as assistive technology sees it: static text that names the
// control it is the buddy of, or, once the keyboard can click it, a button
// with the caption's text as its name.
class AccessibleCaption : public QAccessibleWidget {
 public:
  explicit AccessibleCaption(CaptionLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}

  QAccessible::Role role() const override {
    return Label().KeyboardClickable() ? QAccessible::Button : QAccessible::StaticText;
  }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && Label().accessibleName().isEmpty()) return Label().text();
    return QAccessibleWidget::text(kind);
  }

  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
      QAccessible::Relation match) const override {
    auto related = QAccessibleWidget::relations(match);
    if ((match & QAccessible::Labelled) && Label().buddy() != nullptr) {
      if (QAccessibleInterface* buddy = QAccessible::queryAccessibleInterface(Label().buddy()))
        related.append({buddy, QAccessible::Labelled});
    }
    return related;
  }

  QStringList actionNames() const override {
    if (!Label().KeyboardClickable() || !Label().isEnabled()) return {};
    QStringList names{pressAction()};
    if (Label().onDoubleClick) names << kDoubleClickAction;
    return names;
  }

  void doAction(const QString& action) override {
    if (!Label().KeyboardClickable() || !Label().isEnabled()) return;
    if (action == pressAction()) Label().Click();
    if (action == kDoubleClickAction && Label().onDoubleClick) Label().DoubleClick();
  }

  QStringList keyBindingsForAction(const QString& action) const override {
    if (action == pressAction()) return {QStringLiteral("Space")};
    if (action == kDoubleClickAction) return {QStringLiteral("Shift+Space")};
    return {};
  }

 private:
  CaptionLabel& Label() const { return *static_cast<CaptionLabel*>(widget()); }
};

QAccessibleInterface* CaptionAccessibility(const QString&, QObject* object) {
  auto* label = qobject_cast<CaptionLabel*>(object);
  return label != nullptr ? new AccessibleCaption(label) : nullptr;
}

}  // namespace

CaptionLabel::CaptionLabel() {
  static const bool installed = (QAccessible::installFactory(&CaptionAccessibility), true);
  (void)installed;
  setFocusPolicy(Qt::NoFocus);
}

void CaptionLabel::SetKeyboardClickable(bool clickable) { setFocusPolicy(clickable ? Qt::TabFocus : Qt::NoFocus); }

bool CaptionLabel::KeyboardClickable() const { return focusPolicy() & Qt::TabFocus; }

void CaptionLabel::Click() {
  if (onClick) onClick();
}

void CaptionLabel::DoubleClick() {
  Click();
  if (onDoubleClick) onDoubleClick();
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QStyleOptionFocusRect frame;
  frame.initFrom(this);
  frame.backgroundColor = palette().color(backgroundRole());
  QPainter painter(this);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

void CaptionLabel::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const bool activates = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
  if (!KeyboardClickable() || !activates || (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
    QLabel::keyPressEvent(event);
    return;
  }
  event->accept();
  if (event->isAutoRepeat()) return;
  if (event->modifiers() & Qt::ShiftModifier)
    DoubleClick();
  else
    Click();
}

}  // namespace platform::qt
