// The text view's mouse and keyboard: the caret, the selection and
// scrolling.
#include "platform/gui/qt/TextView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace platform::qt {

namespace {

// How often a drag past the view's edge scrolls it a step.
constexpr int kDragScrollMs = 50;

bool IsNavigationKey(int key) {
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
      return true;
    default:
      return false;
  }
}

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

void TextView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    CopySelection();
  } else if (event->matches(QKeySequence::SelectAll)) {
    SelectAll();
  } else if (IsNavigationKey(event->key()) && !(event->modifiers() & (Qt::AltModifier | Qt::MetaModifier))) {
    const bool control = event->modifiers() & Qt::ControlModifier;
    if (event->modifiers() & Qt::ShiftModifier) {
      MoveCaret(event->key(), control);
    } else {
      ScrollBy(event->key(), control);
    }
  } else {
    QAbstractScrollArea::keyPressEvent(event);
    return;
  }
  event->accept();
}

void TextView::ScrollBy(int key, bool control) {
  QScrollBar* vertical = verticalScrollBar();
  QScrollBar* horizontal = horizontalScrollBar();
  switch (key) {
    case Qt::Key_Up:
      vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
      break;
    case Qt::Key_Down:
      vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      break;
    case Qt::Key_PageUp:
      vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
      break;
    case Qt::Key_PageDown:
      vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
      break;
    case Qt::Key_Left:
      horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
      break;
    case Qt::Key_Right:
      horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      break;
    case Qt::Key_Home:
      if (control) vertical->setValue(0);
      horizontal->setValue(0);
      break;
    case Qt::Key_End:
      if (control) {
        vertical->setValue(vertical->maximum());
        horizontal->setValue(0);
      } else {
        horizontal->setValue(horizontal->maximum());
      }
      break;
  }
}

// A caret that went out of view while nothing is selected starts again
// at the first line in view: Shift with a key selects from what is seen.
void TextView::MoveCaret(int key, bool control) {
  const std::size_t first = FirstShownLine();
  if (anchor_ == caret_) {
    const std::size_t shown = lines_.LineOf(caret_);
    if (shown < first || shown >= first + FullLinesInView()) anchor_ = caret_ = lines_.LineAt(first).begin;
  }
  const std::size_t line = lines_.LineOf(caret_);
  const auto page = static_cast<std::ptrdiff_t>(FullLinesInView());
  if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_PageUp && key != Qt::Key_PageDown) goalX_ = -1;
  switch (key) {
    case Qt::Key_Left:
      caret_ = CharBefore(caret_);
      break;
    case Qt::Key_Right:
      caret_ = CharAfter(caret_);
      break;
    case Qt::Key_Up:
      caret_ = VerticalMove(line, -1);
      break;
    case Qt::Key_Down:
      caret_ = VerticalMove(line, 1);
      break;
    case Qt::Key_PageUp:
      caret_ = VerticalMove(line, -page);
      break;
    case Qt::Key_PageDown:
      caret_ = VerticalMove(line, page);
      break;
    case Qt::Key_Home:
      caret_ = lines_.LineAt(control ? 0 : line).begin;
      break;
    case Qt::Key_End:
      caret_ = control ? lines_.Text().size() : lines_.LineAt(line).end;
      break;
  }
  ShowPosition(caret_);
  SelectionChanged();
}

// Up and down keep the caret's x; past the first or last line the caret
// goes to that line's start or end.
std::size_t TextView::VerticalMove(std::size_t line, std::ptrdiff_t lines) {
  const std::size_t last = lines_.LineCount() - 1;
  if (lines < 0 && line == 0) return lines_.LineAt(0).begin;
  if (lines > 0 && line == last) return lines_.LineAt(last).end;
  if (goalX_ < 0) goalX_ = geometry_.XOf(line, caret_ - lines_.LineAt(line).begin);
  const auto target = static_cast<std::size_t>(
      std::clamp<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(line) + lines, 0, static_cast<std::ptrdiff_t>(last)));
  return lines_.LineAt(target).begin + geometry_.OffsetAt(target, goalX_);
}

std::size_t TextView::CharBefore(std::size_t position) const {
  const std::size_t index = lines_.LineOf(position);
  const TextLines::Line line = lines_.LineAt(index);
  if (position <= line.begin) return index > 0 ? lines_.LineAt(index - 1).end : line.begin;
  std::size_t before = position - 1;
  const std::string& text = lines_.Text();
  if (lines_.Utf8()) {
    while (before > line.begin && IsContinuation(text[before])) --before;
  }
  return before;
}

std::size_t TextView::CharAfter(std::size_t position) const {
  const std::size_t index = lines_.LineOf(position);
  const TextLines::Line line = lines_.LineAt(index);
  if (position >= line.end) return index + 1 < lines_.LineCount() ? lines_.LineAt(index + 1).begin : line.end;
  return position + CharLength(lines_.Text(), position, lines_.Utf8());
}

void TextView::ShowPosition(std::size_t position) {
  const std::size_t line = lines_.LineOf(position);
  const std::size_t first = FirstShownLine();
  const std::size_t page = FullLinesInView();
  if (line < first) verticalScrollBar()->setValue(static_cast<int>(line));
  if (line >= first + page) verticalScrollBar()->setValue(static_cast<int>(line - page + 1));
  // Measuring the caret's line may widen what there is to scroll.
  const qreal x = geometry_.XOf(line, position - lines_.LineAt(line).begin);
  UpdateScrollBars();
  QScrollBar* horizontal = horizontalScrollBar();
  const qreal width = viewport()->width() - 2 * kMargin;
  if (x < horizontal->value()) horizontal->setValue(static_cast<int>(std::floor(x)));
  if (x > horizontal->value() + width) horizontal->setValue(static_cast<int>(std::ceil(x - width)));
}

std::size_t TextView::PositionAt(QPoint point) {
  const qreal rows = std::floor((point.y() - kMargin) / geometry_.LineHeight());
  const qreal line = std::clamp(static_cast<qreal>(FirstShownLine()) + rows, 0.0,
                                static_cast<qreal>(lines_.LineCount() - 1));
  const auto index = static_cast<std::size_t>(line);
  const qreal x = point.x() - kMargin + horizontalScrollBar()->value();
  return lines_.LineAt(index).begin + geometry_.OffsetAt(index, x);
}

void TextView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const std::size_t at = PositionAt(event->position().toPoint());
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = at;
  caret_ = at;
  goalX_ = -1;
  dragging_ = true;
  SelectionChanged();
}

void TextView::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) DragTo(event->position().toPoint());
}

// As the toolkit's editors do, a selection made with the mouse becomes
// the desktop's primary selection where it has one.
void TextView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  dragScroll_.stop();
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard->supportsSelection() && SelectionFrom() < SelectionTo())
    clipboard->setText(ToQtCopy(SelectedBytes(), lines_.Utf8()), QClipboard::Selection);
}

// A double click is the window's command (TextArea's OnDblClick); it
// selects no word, and its press does not move the caret again.
void TextView::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

// Dragging past an edge scrolls towards the pointer while it stays there.
void TextView::DragTo(QPoint point) {
  dragPoint_ = point;
  caret_ = PositionAt(point);
  if (viewport()->rect().contains(point)) {
    dragScroll_.stop();
  } else if (!dragScroll_.isActive()) {
    dragScroll_.start(kDragScrollMs, this);
  }
  SelectionChanged();
}

void TextView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != dragScroll_.timerId()) {
    QAbstractScrollArea::timerEvent(event);
    return;
  }
  const QRect shown = viewport()->rect();
  if (dragPoint_.y() < shown.top()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (dragPoint_.y() > shown.bottom()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  if (dragPoint_.x() < shown.left()) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (dragPoint_.x() > shown.right()) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  DragTo(dragPoint_);
}

}  // namespace platform::qt
