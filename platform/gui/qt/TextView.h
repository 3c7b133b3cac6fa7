#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPoint>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/gui/qt/LineGeometry.h"
#include "platform/gui/qt/TextLines.h"

class QMenu;

namespace platform::qt {

// A read-only view of a text that draws its lines straight from the
// program's bytes: it holds the text once (TextLines) and converts and
// lays out only the lines in view. Lines are not wrapped; both scroll bars
// scroll, the vertical one a line at a time.
//
// Selection: a press of the left button places the caret (invisible) and
// a drag selects; Shift with a press, or with the arrows, Page Up/Down,
// Home and End, extends the selection from its anchor. Those keys without
// Shift scroll the view (Ctrl+Home / Ctrl+End: the first / last line).
// Ctrl+A selects everything, Ctrl+C and the context menu copy. A double
// click selects nothing: it is the window's command.
class TextView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TextView(QWidget* parent = nullptr);

  // Takes text over and shows it from its first line; the previous text's
  // storage and everything measured of it are freed.
  void SetText(std::string text);
  const TextLines& Lines() const { return lines_; }

  // A whole line's characters as drawn (a tab is drawn as space up to the
  // next tab stop).
  QString ShownLine(std::size_t index) const;
  // The first line in view and how many lines the view shows, the last
  // one perhaps in part.
  std::size_t FirstShownLine() const;
  std::size_t ShownLineCount() const;
  // Where the boundary before the byte at offset in line index is drawn
  // in the viewport, half way down the line.
  QPoint PointOf(std::size_t index, std::size_t offset);
  // The text position (an offset in Text()) nearest to a point of the
  // viewport.
  std::size_t PositionAt(QPoint point);
  // Scrolls as little as needed to show a text position.
  void ShowPosition(std::size_t position);
  qreal LineHeight() const { return geometry_.LineHeight(); }
  // Counts the texts set, so that what was read of one is not taken for
  // another's.
  std::size_t TextGeneration() const { return generation_; }

  // The selection as absolute offsets in Text(), from <= to, and its bytes.
  std::size_t SelectionFrom() const { return std::min(anchor_, caret_); }
  std::size_t SelectionTo() const { return std::max(anchor_, caret_); }
  std::size_t Caret() const { return caret_; }
  std::string_view SelectedBytes() const;
  void Select(std::size_t anchor, std::size_t caret);
  void SelectAll();
  void CopySelection() const;

  // The context menu (Copy, Select All), owned by the caller.
  QMenu* CreateContextMenu();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  // The toolkit's text documents keep this margin around their text.
  static constexpr qreal kMargin = 4;

  void UpdateScrollBars();
  std::size_t FullLinesInView() const;
  void ScrollBy(int key, bool control);
  void MoveCaret(int key, bool control);
  std::size_t VerticalMove(std::size_t line, std::ptrdiff_t lines);
  std::size_t CharBefore(std::size_t position) const;
  std::size_t CharAfter(std::size_t position) const;
  void DragTo(QPoint point);
  void SelectionChanged();
  // Tells assistive technology (TextViewAccessible.cpp); the text it reads,
  // while it is listening.
  QString AccessibleTextIfActive() const;
  void NotifyTextChanged(const QString& before);
  void NotifySelectionChanged();

  TextLines lines_;
  std::size_t generation_ = 0;
  LineGeometry geometry_{lines_};
  std::size_t anchor_ = 0;
  std::size_t caret_ = 0;
  // The x that moves up and down keep, while they follow each other.
  qreal goalX_ = -1;
  bool dragging_ = false;
  QPoint dragPoint_;
  QBasicTimer dragScroll_;
};

// Lets assistive technology read every TextView (once per process).
void InstallTextViewAccessibility();

}  // namespace platform::qt
