#include "platform/testing/TestAccess.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QMouseEvent>
#include <QTextDocument>
#include <QTimer>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QStyledItemDelegate>
#include <QTest>
#include <QImage>
#include <QPixmap>
#include <cstdlib>
#include <optional>
#include <QWindow>

#include "platform/gui/Controls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/MainWindow.h"
#include "platform/gui/MessageGrid.h"
#include "platform/gui/TextArea.h"
#include "platform/gui/TrayIcon.h"
#include "platform/gui/qt/ControlCore.h"
#include "platform/gui/qt/GridView.h"
#include "platform/gui/qt/MainWindowImpl.h"
#include "platform/gui/qt/Text.h"
#include "platform/gui/qt/TrayIconImpl.h"
#include "platform/gui/qt/TextView.h"
#include "platform/gui/qt/WavePlayerImpl.h"
#include "platform/testing/TextAreaAccess.h"

namespace platform::test_access {

// Befriended by MainWindow and TrayIcon: the one way into their toolkit side.
struct Internals {
  static MainWindow::Impl& Of(MainWindow& window) { return *window.impl_; }
  static TrayIcon::Impl& Of(TrayIcon& tray) { return *tray.impl_; }
  static WavePlayer::Impl& Of(WavePlayer& player) { return *player.impl_; }
};

namespace {

QWidget* WidgetOf(Control& control) { return control.Core().widget.data(); }

void ClickAt(QWidget* widget, const QPoint& pos, Qt::MouseButton button = Qt::LeftButton) {
  if (widget == nullptr || !widget->isVisible()) return;
  QTest::mouseClick(widget, button, Qt::NoModifier, pos);
}

void DoubleClickAt(QWidget* widget, const QPoint& pos) {
  if (widget == nullptr || !widget->isVisible()) return;
  // The sequence a real double click produces: press, release, double
  // click, release.
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, pos);
  QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, pos);
}

int QtKey(char key) {
  switch (key) {
    case 27:
      return Qt::Key_Escape;
    case '\r':
    case '\n':
      return Qt::Key_Return;
    case '\b':
      return Qt::Key_Backspace;
    case ' ':
      return Qt::Key_Space;
    default:
      return QChar(QLatin1Char(key)).toUpper().unicode();
  }
}

std::unique_ptr<QKeyEvent> MakeKey(QEvent::Type type, char key) {
  return std::make_unique<QKeyEvent>(type, QtKey(key), Qt::NoModifier, QString(QLatin1Char(key)));
}

qt::GridView* ViewOf(MessageGrid& grid) { return static_cast<qt::GridView*>(WidgetOf(grid)); }

QPoint CellPoint(MessageGrid& grid, int row, int col) {
  qt::GridView* view = ViewOf(grid);
  QModelIndex index = view->model()->index(row, col);
  QRect cell = view->visualRect(index);
  if (!(index.flags() & Qt::ItemIsUserCheckable)) return cell.center();
  QStyleOptionViewItem option;
  option.initFrom(view);
  option.rect = cell;
  option.features |= QStyleOptionViewItem::HasCheckIndicator;
  QRect check = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
  return check.isValid() ? check.center() : cell.center();
}

}  // namespace

void ShowWindow(MainWindow& window) {
  QWidget* widget = WidgetOf(window);
  widget->show();
  (void)QTest::qWaitForWindowExposed(widget, 10000);
}

void Minimize(MainWindow& window) { WidgetOf(window)->showMinimized(); }

void Resize(MainWindow& window, int width, int height) {
  QWidget* widget = WidgetOf(window);
  widget->resize(width, height);
  (void)QTest::qWaitFor([widget, width, height] { return widget->width() == width && widget->height() == height; },
                        10000);
}

void Click(Control& control) {
  QWidget* widget = WidgetOf(control);
  ClickAt(widget, widget->rect().center());
}

void DoubleClick(Control& control) {
  QWidget* widget = WidgetOf(control);
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) widget = area->viewport();
  DoubleClickAt(widget, widget->rect().center());
}

void ClickCell(MessageGrid& grid, int row, int col) { ClickAt(ViewOf(grid)->viewport(), CellPoint(grid, row, col)); }

void DoubleClickCell(MessageGrid& grid, int row, int col) {
  qt::GridView* view = ViewOf(grid);
  DoubleClickAt(view->viewport(), view->visualRect(view->model()->index(row, col)).center());
}

void RightClickCell(MessageGrid& grid, int row, int col) {
  qt::GridView* view = ViewOf(grid);
  ClickAt(view->viewport(), view->visualRect(view->model()->index(row, col)).center(), Qt::RightButton);
}

void SelectCell(MessageGrid& grid, int row, int col) { ViewOf(grid)->setCurrentCell(row, col); }

void KeyPress(Control& control, char key) {
  QWidget* widget = WidgetOf(control);
  if (widget == nullptr || !widget->isVisible()) return;
  QTest::sendKeyEvent(QTest::Click, widget, static_cast<Qt::Key>(QtKey(key)), key, Qt::NoModifier);
}

void PostKeyPress(Control& control, char key) {
  QWidget* widget = WidgetOf(control);
  QCoreApplication::postEvent(widget, MakeKey(QEvent::KeyPress, key).release());
  QCoreApplication::postEvent(widget, MakeKey(QEvent::KeyRelease, key).release());
}

void TypeText(Edit& edit, const std::string& text) {
  auto* line = static_cast<QLineEdit*>(WidgetOf(edit));
  line->selectAll();
  if (text.empty()) {
    KeyPress(edit, '\b');
    return;
  }
  for (QChar character : qt::ToQt(text)) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
    QCoreApplication::sendEvent(line, &press);
  }
}

void PasteText(Edit& edit, const std::string& text) {
  auto* line = static_cast<QLineEdit*>(WidgetOf(edit));
  QGuiApplication::clipboard()->setText(qt::ToQt(text));
  line->selectAll();
  line->paste();
}

namespace {

// What a text widget draws for text in format: markup rendered, else the
// text as it is.
std::string Rendered(const QString& text, Qt::TextFormat format) {
  const bool rich = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(text));
  if (!rich) return qt::FromQt(text);
  QTextDocument document;
  document.setHtml(text);
  return qt::FromQt(document.toPlainText());
}

}  // namespace

std::string ShownText(Control& control) {
  QWidget* widget = WidgetOf(control);
  if (auto* label = qobject_cast<QLabel*>(widget)) return Rendered(label->text(), label->textFormat());
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return qt::FromQt(line->displayText());
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return qt::FromQt(button->text());
  if (qobject_cast<qt::TextView*>(widget) != nullptr) return ShownTextOf(static_cast<TextArea&>(control));
  return {};
}

// Tooltips have no format of their own: the toolkit guesses.
std::string ShownHint(Control& control) { return Rendered(WidgetOf(control)->toolTip(), Qt::AutoText); }

std::string ShownHint(TrayIcon& tray) { return Rendered(Internals::Of(tray).icon.toolTip(), Qt::AutoText); }

std::string ShownTitle(MainWindow& window) {
  QWidget* widget = Internals::Of(window).widget;
  QWindow* handle = widget->windowHandle();
  return qt::FromQt(handle != nullptr ? handle->title() : widget->windowTitle());
}

std::vector<std::string> ShownRealBoxes(const std::function<void()>& action) {
  std::vector<std::string> shown;
  const bool scripted = dialog_script::Scripted();
  dialog_script::SetScripted(false);
  QTimer closer;
  closer.setInterval(10);
  QObject::connect(&closer, &QTimer::timeout, [&shown] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    shown.push_back(Rendered(box->text(), box->textFormat()));
    box->done(box->defaultButton() != nullptr ? box->standardButton(box->defaultButton()) : QMessageBox::Ok);
  });
  closer.start();
  action();
  closer.stop();
  dialog_script::SetScripted(scripted);
  return shown;
}

bool ShowsPasswordEcho(Edit& edit) {
  return static_cast<QLineEdit*>(WidgetOf(edit))->echoMode() == QLineEdit::Password;
}

// As assistive technology is told.
bool IsReadOnly(TextArea& area) {
  QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(WidgetOf(area));
  return shown != nullptr && shown->state().readOnly;
}

bool HasHorizontalScrollBar(Control& control) {
  auto* area = qobject_cast<QAbstractScrollArea*>(WidgetOf(control));
  return area != nullptr && area->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
}

bool HasVerticalScrollBar(Control& control) {
  auto* area = qobject_cast<QAbstractScrollArea*>(WidgetOf(control));
  return area != nullptr && area->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
}

unsigned ShownTextColor(Control& label) {
  QWidget* widget = WidgetOf(label);
  const QPalette::ColorGroup group = widget->isEnabled() ? QPalette::Active : QPalette::Disabled;
  return widget->palette().color(group, QPalette::WindowText).rgb() & 0xFFFFFFu;
}

// A label draws no background of its own: its text lies on its parent's.
unsigned ShownBackgroundColor(Control& label) {
  QWidget* widget = WidgetOf(label);
  QWidget* under = widget->autoFillBackground() || widget->parentWidget() == nullptr ? widget : widget->parentWidget();
  const QPalette::ColorGroup group = under->isEnabled() ? QPalette::Active : QPalette::Disabled;
  return under->palette().color(group, under->backgroundRole()).rgb() & 0xFFFFFFu;
}

// The colours of a common dark desktop theme (Breeze Dark's window colours).
void UseDarkPalette(bool dark) {
  QPalette palette = QApplication::style()->standardPalette();
  if (dark) {
    palette.setColor(QPalette::Window, QColor(0x31, 0x36, 0x3b));
    palette.setColor(QPalette::WindowText, QColor(0xfc, 0xfc, 0xfc));
    palette.setColor(QPalette::Base, QColor(0x1b, 0x1e, 0x20));
    palette.setColor(QPalette::Text, QColor(0xfc, 0xfc, 0xfc));
    palette.setColor(QPalette::Button, QColor(0x31, 0x36, 0x3b));
    palette.setColor(QPalette::ButtonText, QColor(0xfc, 0xfc, 0xfc));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x6e, 0x71, 0x75));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x6e, 0x71, 0x75));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x6e, 0x71, 0x75));
  }
  // As a theme change reaches them: the application's palette, and each
  // window's, which its controls inherit.
  QApplication::setPalette(palette);
  for (QWidget* window : QApplication::topLevelWidgets()) window->setPalette(palette);
}

namespace {

// The grid's delegate fills its style options as below; the reader only
// makes that step reachable.
struct CellOptionReader : QStyledItemDelegate {
  using QStyledItemDelegate::initStyleOption;
};

}  // namespace

bool CellTextCut(MessageGrid& grid, int row, int col) {
  qt::GridView* view = ViewOf(grid);
  const QModelIndex index = view->model()->index(row, col);
  QStyleOptionViewItem option;
  option.initFrom(view->viewport());
  option.rect = view->visualRect(index);
  option.font = view->font();
  option.fontMetrics = QFontMetrics(option.font);
  CellOptionReader().initStyleOption(&option, index);
  QStyle* style = view->style();
  // The style draws the text inside the text rectangle less a margin on
  // either side, and elides what does not fit there.
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
  const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &option, view);
  return option.fontMetrics.horizontalAdvance(option.text) > textRect.width() - 2 * margin;
}

namespace {

bool Alike(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) < 60;
}

// Along the line of count pixels from start by step: the first and the last
// pixel unlike background, when they are alike (a border on both sides) and
// apart.
std::optional<std::pair<QPoint, QPoint>> BorderAlong(const QImage& image, QPoint start, QPoint step, int count,
                                                     QRgb background) {
  std::optional<QPoint> first, last;
  for (int i = 0; i < count; ++i) {
    const QPoint at = start + step * i;
    if (Alike(image.pixel(at), background)) continue;
    if (!first) first = at;
    last = at;
  }
  if (!first || (*last - *first).manhattanLength() < 3 || !Alike(image.pixel(*first), image.pixel(*last)))
    return std::nullopt;
  return std::pair{*first, *last};
}

// Whether the box drawn in area (its corner shows the background) has its
// border across the area's middle row and down the box's middle column.
bool BoxDrawnWhole(const QImage& image, const QRect& area) {
  const QRgb background = image.pixel(area.topLeft());
  const auto across = BorderAlong(image, {area.left(), area.center().y()}, {1, 0}, area.width(), background);
  if (!across) return false;
  const int middle = (across->first.x() + across->second.x()) / 2;
  return BorderAlong(image, {middle, area.top()}, {0, 1}, area.height(), background).has_value();
}

}  // namespace

bool TickBoxDrawnWhole(CheckBox& box) {
  QWidget* widget = WidgetOf(box);
  const QImage image = widget->grab().toImage();
  const qreal ratio = image.devicePixelRatio();
  return BoxDrawnWhole(image, QRect(QPoint(0, 0), widget->size() * ratio));
}

bool TickBoxDrawnWhole(MessageGrid& grid, int row, int col) {
  qt::GridView* view = ViewOf(grid);
  const QRect cell = view->visualRect(view->model()->index(row, col));
  const QImage image = view->viewport()->grab(cell).toImage();
  return BoxDrawnWhole(image, QRect(QPoint(0, 0), image.size()));
}

bool CellSelected(MessageGrid& grid, int row, int col) {
  qt::GridView* view = ViewOf(grid);
  return view->selectionModel()->isSelected(view->model()->index(row, col));
}

std::string ToolkitDisplayName() {
  // Unset, Qt reports the application name; only a name set by the program
  // is appended to window titles.
  const QString display = QGuiApplication::applicationDisplayName();
  return display == QCoreApplication::applicationName() ? std::string() : qt::FromQt(display);
}

bool IsNextInTabChain(Control& from, Control& to) {
  const auto& members = from.Core().Root()->scaled;
  auto isControl = [&members](QWidget* widget) {
    for (ControlCore* core : members)
      if (core->widget == widget) return true;
    return false;
  };
  QWidget* start = WidgetOf(from);
  for (QWidget* next = start->nextInFocusChain(); next != nullptr && next != start; next = next->nextInFocusChain()) {
    if (isControl(next) && (next->focusPolicy() & Qt::TabFocus)) return next == WidgetOf(to);
  }
  return false;
}

std::vector<std::string> SystemMenuCaptions(MainWindow& window) {
  std::vector<std::string> captions;
  for (const auto& item : Internals::Of(window).systemMenu) captions.push_back(item.caption);
  return captions;
}

bool ChooseSystemMenuItem(MainWindow& window, const std::string& caption) {
  for (const auto& item : Internals::Of(window).systemMenu) {
    if (!caption.empty() && item.caption == caption) {
      Internals::Of(window).Choose(item.command);
      return true;
    }
  }
  return false;
}

std::vector<std::string> TrayMenuCaptions(TrayIcon& tray) {
  std::vector<std::string> captions;
  for (QAction* action : Internals::Of(tray).menu.actions()) captions.push_back(qt::FromQt(action->text()));
  return captions;
}

bool ChooseTrayMenuItem(TrayIcon& tray, const std::string& caption) {
  for (QAction* action : Internals::Of(tray).menu.actions()) {
    if (qt::FromQt(action->text()) == caption) {
      action->trigger();
      return true;
    }
  }
  return false;
}

void ClickTray(TrayIcon& tray) { emit Internals::Of(tray).icon.activated(QSystemTrayIcon::Trigger); }

void DoubleClickTray(TrayIcon& tray) { emit Internals::Of(tray).icon.activated(QSystemTrayIcon::DoubleClick); }

int PlayCount(WavePlayer& player) { return Internals::Of(player).started; }


}  // namespace platform::test_access
