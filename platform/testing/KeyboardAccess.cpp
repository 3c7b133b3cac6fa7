#include "platform/testing/KeyboardAccess.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "platform/gui/Control.h"
#include "platform/gui/MainWindow.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/Text.h"

namespace platform::test_access {

namespace {

struct KeyStroke {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

KeyStroke StrokeOf(NavKey key) {
  switch (key) {
    case NavKey::Tab:
      return {Qt::Key_Tab, Qt::NoModifier};
    case NavKey::BackTab:
      return {Qt::Key_Backtab, Qt::ShiftModifier};
    case NavKey::Enter:
      return {Qt::Key_Return, Qt::NoModifier};
    case NavKey::Space:
      return {Qt::Key_Space, Qt::NoModifier};
    case NavKey::Escape:
      return {Qt::Key_Escape, Qt::NoModifier};
    case NavKey::Up:
      return {Qt::Key_Up, Qt::NoModifier};
    case NavKey::Down:
      return {Qt::Key_Down, Qt::NoModifier};
    case NavKey::Menu:
      return {Qt::Key_Menu, Qt::NoModifier};
    case NavKey::ShiftF10:
      return {Qt::Key_F10, Qt::ShiftModifier};
  }
  return {Qt::Key_unknown, Qt::NoModifier};
}

// Where a key typed now arrives: an open popup first, then the focus.
QWidget* KeyTarget() {
  if (QWidget* popup = QApplication::activePopupWidget()) return popup;
  if (QWidget* focus = QApplication::focusWidget()) return focus;
  return QApplication::activeWindow();
}

}  // namespace

void ActivateWindow(MainWindow& window) {
  QWidget* widget = window.Core().widget.data();
  widget->activateWindow();
  QApplication::setActiveWindow(widget);
  (void)QTest::qWaitForWindowActive(widget, 10000);
}

void PressKey(NavKey key) {
  QWidget* target = KeyTarget();
  if (target == nullptr) return;
  const KeyStroke stroke = StrokeOf(key);
  QTest::keyClick(target, stroke.key, stroke.modifiers);
}

void TypeAtFocus(const std::string& text) {
  for (QChar character : qt::ToQt(text)) {
    QWidget* target = KeyTarget();
    if (target == nullptr) return;
    QTest::keyClick(target, character.toLatin1());
  }
}

bool PressUntilFocused(NavKey key, const Control& control) {
  for (int press = 0; press < 40 && !control.Focused(); ++press) PressKey(key);
  return control.Focused();
}

// The menu runs its own event loop inside action: a timer of that loop
// finds it, reads it and closes it as Esc would.
std::vector<std::string> MenuOpenedBy(const std::function<void()>& action) {
  std::vector<std::string> captions;
  QTimer reader;
  reader.setInterval(10);
  QObject::connect(&reader, &QTimer::timeout, [&captions] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr || !captions.empty()) return;
    for (QAction* item : menu->actions()) captions.push_back(qt::FromQt(item->text().remove(QLatin1Char('&'))));
    QTest::keyClick(menu, Qt::Key_Escape);
  });
  reader.start();
  action();
  reader.stop();
  return captions;
}

}  // namespace test_access
