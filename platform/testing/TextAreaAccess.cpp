#include "platform/testing/TextAreaAccess.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <memory>

#include "platform/gui/TextArea.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/Text.h"
#include "platform/gui/qt/TextView.h"

namespace platform::test_access {

namespace {

qt::TextView* ViewOf(TextArea& area) { return static_cast<qt::TextView*>(area.Core().widget.data()); }

Qt::KeyboardModifiers QtModifiers(unsigned modifiers) {
  Qt::KeyboardModifiers held = Qt::NoModifier;
  if (modifiers & kShift) held |= Qt::ShiftModifier;
  if (modifiers & kControl) held |= Qt::ControlModifier;
  return held;
}

Qt::Key QtKey(Key key) {
  switch (key) {
    case Key::Up:
      return Qt::Key_Up;
    case Key::Down:
      return Qt::Key_Down;
    case Key::Left:
      return Qt::Key_Left;
    case Key::Right:
      return Qt::Key_Right;
    case Key::PageUp:
      return Qt::Key_PageUp;
    case Key::PageDown:
      return Qt::Key_PageDown;
    case Key::Home:
      return Qt::Key_Home;
    case Key::End:
      return Qt::Key_End;
  }
  return Qt::Key_unknown;
}

QPoint PointOf(TextArea& area, TextSpot spot) { return ViewOf(area)->PointOf(spot.line, spot.offset); }

QString WithoutMnemonics(QString caption) { return caption.remove(QLatin1Char('&')); }

QAccessibleInterface* AccessibleOf(Control& control) {
  return QAccessible::queryAccessibleInterface(control.Core().widget.data());
}

}  // namespace

void KeyPress(Control& control, Key key, unsigned modifiers) {
  QWidget* widget = control.Core().widget.data();
  if (widget == nullptr || !widget->isVisible()) return;
  QTest::keyClick(widget, QtKey(key), QtModifiers(modifiers));
}

void KeyChord(Control& control, char letter, unsigned modifiers) {
  QWidget* widget = control.Core().widget.data();
  if (widget == nullptr || !widget->isVisible()) return;
  QTest::keyClick(widget, static_cast<Qt::Key>(QChar(QLatin1Char(letter)).toUpper().unicode()), QtModifiers(modifiers));
}

void DragText(TextArea& area, TextSpot from, TextSpot to) {
  QWidget* viewport = ViewOf(area)->viewport();
  const QPoint start = PointOf(area, from);
  const QPoint end = PointOf(area, to);
  QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, start);
  QTest::mouseMove(viewport, (start + end) / 2);
  QTest::mouseMove(viewport, end);
  QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, end);
}

void ShiftClickText(TextArea& area, TextSpot at) {
  QTest::mouseClick(ViewOf(area)->viewport(), Qt::LeftButton, Qt::ShiftModifier, PointOf(area, at));
}

std::vector<std::string> ShownLines(TextArea& area) {
  qt::TextView* view = ViewOf(area);
  std::vector<std::string> shown;
  const std::size_t first = view->FirstShownLine();
  for (std::size_t line = first; line < first + view->ShownLineCount(); ++line)
    shown.push_back(qt::FromQt(view->ShownLine(line)));
  return shown;
}

// Each line's band of the viewport as painted now, read pixel by pixel.
std::vector<Ink> DrawnLines(TextArea& area) {
  qt::TextView* view = ViewOf(area);
  const QImage drawn = view->viewport()->grab().toImage();
  const QPalette::ColorGroup group = view->hasFocus() ? QPalette::Active : QPalette::Inactive;
  const QRgb background = view->palette().color(group, QPalette::Base).rgb();
  const QRgb highlight = view->palette().color(group, QPalette::Highlight).rgb();
  const qreal scale = drawn.devicePixelRatio();
  std::vector<Ink> lines;
  const std::size_t first = view->FirstShownLine();
  for (std::size_t line = first; line < first + view->ShownLineCount(); ++line) {
    const int middle = view->PointOf(line, 0).y();
    const int half = static_cast<int>(view->LineHeight() / 2);
    Ink ink = Ink::Blank;
    for (int y = std::max(0, middle - half + 1); y < std::min(view->viewport()->height(), middle + half); ++y) {
      for (int x = 0; x < view->viewport()->width(); ++x) {
        const QRgb pixel = drawn.pixel(static_cast<int>(x * scale), static_cast<int>(y * scale)) | 0xFF000000u;
        if (pixel == (highlight | 0xFF000000u)) ink = Ink::Selected;
        if (pixel != (background | 0xFF000000u) && ink == Ink::Blank) ink = Ink::Text;
      }
    }
    lines.push_back(ink);
  }
  return lines;
}

std::string ClipboardText() { return qt::FromQt(QGuiApplication::clipboard()->text()); }

std::vector<std::string> ContextMenuCaptions(TextArea& area) {
  const std::unique_ptr<QMenu> menu(ViewOf(area)->CreateContextMenu());
  std::vector<std::string> captions;
  for (QAction* action : menu->actions())
    if (action->isEnabled()) captions.push_back(qt::FromQt(WithoutMnemonics(action->text())));
  return captions;
}

bool ChooseContextMenuItem(TextArea& area, const std::string& caption) {
  const std::unique_ptr<QMenu> menu(ViewOf(area)->CreateContextMenu());
  for (QAction* action : menu->actions()) {
    if (action->isEnabled() && qt::FromQt(WithoutMnemonics(action->text())) == caption) {
      action->trigger();
      return true;
    }
  }
  return false;
}

std::string AccessibleName(Control& control) {
  QAccessibleInterface* shown = AccessibleOf(control);
  return shown != nullptr ? qt::FromQt(shown->text(QAccessible::Name)) : std::string();
}

std::string AccessibleText(Control& control) {
  QAccessibleInterface* shown = AccessibleOf(control);
  QAccessibleTextInterface* text = shown != nullptr ? shown->textInterface() : nullptr;
  return text != nullptr ? qt::FromQt(text->text(0, text->characterCount())) : std::string();
}

std::string ShownTextOf(TextArea& area) {
  qt::TextView* view = ViewOf(area);
  QString shown;
  for (std::size_t line = 0; line < view->Lines().LineCount(); ++line) {
    if (line > 0) shown += QLatin1Char('\n');
    shown += view->ShownLine(line);
  }
  return qt::FromQt(shown);
}

}  // namespace platform::test_access
