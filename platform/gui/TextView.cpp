#include "platform/gui/qt/TextView.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

namespace platform::qt {

namespace {

int ClampToInt(std::size_t value) { return static_cast<int>(std::min<std::size_t>(value, INT_MAX)); }

// Rows of lines that fit in height, whole or (rounding up) in part.
std::size_t RowsIn(qreal height, qreal lineHeight, bool inPart) {
  const qreal rows = std::max<qreal>(0, height) / lineHeight;
  return static_cast<std::size_t>(std::max<qreal>(1, inPart ? std::ceil(rows) : std::floor(rows)));
}

}  // namespace

TextView::TextView(QWidget* parent) : QAbstractScrollArea(parent) {
  InstallTextViewAccessibility();
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  geometry_.SetFont(font());
  UpdateScrollBars();
}

void TextView::SetText(std::string text) {
  dragScroll_.stop();
  dragging_ = false;
  const QString before = AccessibleTextIfActive();
  lines_.Assign(std::move(text));
  ++generation_;
  geometry_.Forget();
  anchor_ = caret_ = lines_.LineAt(0).begin;
  goalX_ = -1;
  UpdateScrollBars();
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  viewport()->update();
  NotifyTextChanged(before);
}

QString TextView::ShownLine(std::size_t index) const {
  const TextLines::Line line = lines_.LineAt(index);
  return ShowPiece(lines_.BytesOf(line), lines_.Utf8()).text;
}

std::size_t TextView::FirstShownLine() const { return static_cast<std::size_t>(verticalScrollBar()->value()); }

std::size_t TextView::ShownLineCount() const {
  const std::size_t rows = RowsIn(viewport()->height() - kMargin, geometry_.LineHeight(), true);
  return std::min(rows, lines_.LineCount() - FirstShownLine());
}

std::size_t TextView::FullLinesInView() const {
  return RowsIn(viewport()->height() - kMargin, geometry_.LineHeight(), false);
}

QPoint TextView::PointOf(std::size_t index, std::size_t offset) {
  const qreal x = kMargin - horizontalScrollBar()->value() + geometry_.XOf(index, offset);
  const qreal rows = static_cast<qreal>(index) - static_cast<qreal>(FirstShownLine());
  const qreal y = kMargin + (rows + 0.5) * geometry_.LineHeight();
  return QPointF(x, y).toPoint();
}

void TextView::UpdateScrollBars() {
  const std::size_t page = FullLinesInView();
  const std::size_t count = lines_.LineCount();
  verticalScrollBar()->setRange(0, ClampToInt(count > page ? count - page : 0));
  verticalScrollBar()->setPageStep(ClampToInt(page));
  verticalScrollBar()->setSingleStep(1);
  const qreal content = std::min<qreal>(std::ceil(geometry_.WidestWidth() + 2 * kMargin), INT_MAX);
  const int width = viewport()->width();
  horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(content) - width));
  horizontalScrollBar()->setPageStep(width);
  horizontalScrollBar()->setSingleStep(std::max(1, 2 * fontMetrics().averageCharWidth()));
}

void TextView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  const QPalette::ColorGroup group =
      !isEnabled() ? QPalette::Disabled : (hasFocus() ? QPalette::Active : QPalette::Inactive);
  const qreal lineHeight = geometry_.LineHeight();
  const int scrolled = horizontalScrollBar()->value();
  const qreal left = scrolled - kMargin;
  const qreal right = left + viewport()->width();
  const qreal widestBefore = geometry_.WidestWidth();
  const std::size_t from = SelectionFrom();
  const std::size_t to = SelectionTo();
  qreal top = kMargin;
  for (std::size_t index = FirstShownLine(); index < lines_.LineCount() && top < viewport()->height();
       ++index, top += lineHeight) {
    if (top + lineHeight < event->rect().top()) continue;
    if (top > event->rect().bottom()) break;
    const TextLines::Line line = lines_.LineAt(index);
    // A selection that goes on past the line's end holds its line end.
    const bool selected = from < to && from <= line.end && to > line.begin;
    const std::size_t lineFrom = selected ? std::max(from, line.begin) - line.begin : 0;
    const std::size_t lineTo = selected ? to - line.begin : 0;
    geometry_.Draw(painter, index, QPointF(kMargin - scrolled, top), left, right, lineFrom, lineTo, palette(), group);
  }
  // Lines wider than the estimate widen the scrolled width as they come in
  // view, as the toolkit's editors do.
  if (geometry_.WidestWidth() > widestBefore) UpdateScrollBars();
}

void TextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void TextView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() != QEvent::FontChange) return;
  geometry_.SetFont(font());
  UpdateScrollBars();
  viewport()->update();
}

// The selection is drawn in the colours of the focus it has.
void TextView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void TextView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

void TextView::scrollContentsBy(int, int) { viewport()->update(); }

void TextView::Select(std::size_t anchor, std::size_t caret) {
  const std::size_t end = lines_.Text().size();
  anchor_ = std::clamp(anchor, lines_.LineAt(0).begin, end);
  caret_ = std::clamp(caret, lines_.LineAt(0).begin, end);
  goalX_ = -1;
  SelectionChanged();
}

void TextView::SelectAll() { Select(0, lines_.Text().size()); }

std::string_view TextView::SelectedBytes() const {
  return std::string_view(lines_.Text()).substr(SelectionFrom(), SelectionTo() - SelectionFrom());
}

void TextView::CopySelection() const {
  if (SelectionFrom() < SelectionTo()) QGuiApplication::clipboard()->setText(ToQtCopy(SelectedBytes(), lines_.Utf8()));
}

QMenu* TextView::CreateContextMenu() {
  auto* menu = new QMenu(this);
  QAction* copy = menu->addAction(QCoreApplication::translate("TextView", "&Copy"), this, [this] { CopySelection(); });
  copy->setShortcut(QKeySequence::Copy);
  copy->setEnabled(SelectionFrom() < SelectionTo());
  QAction* all = menu->addAction(QCoreApplication::translate("TextView", "Select &All"), this, [this] { SelectAll(); });
  all->setShortcut(QKeySequence::SelectAll);
  all->setEnabled(!lines_.Text().empty());
  return menu;
}

void TextView::contextMenuEvent(QContextMenuEvent* event) {
  const std::unique_ptr<QMenu> menu(CreateContextMenu());
  menu->exec(event->globalPos());
}

void TextView::SelectionChanged() {
  viewport()->update();
  NotifySelectionChanged();
}

}  // namespace platform::qt
