// What assistive technology reads of a TextView: a read-only multi-line
// text with the text interface. A text of up to kWholeTextBytes is given
// whole; of a larger one, the lines in view (a screen reader reading a
// message of megabytes reads what is on screen, as the user scrolls).
#include "platform/gui/qt/TextView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <algorithm>
#include <string_view>
#include <vector>

namespace platform::qt {

namespace {

constexpr std::size_t kWholeTextBytes = 1 << 20;

// Lines [firstLine, firstLine + lineCount) decoded as the clipboard gets
// them, joined by LF; where each line starts in it.
struct ReadText {
  std::size_t generation = static_cast<std::size_t>(-1);
  std::size_t firstLine = 0;
  std::size_t lineCount = 0;
  QString text;
  std::vector<int> lineStarts;
};

std::string_view LineBytes(const TextLines& lines, std::size_t index) { return lines.BytesOf(lines.LineAt(index)); }

class AccessibleTextView : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit AccessibleTextView(TextView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QAccessible::State state() const override {
    QAccessible::State shown = QAccessibleWidget::state();
    shown.readOnly = true;
    shown.multiLine = true;
    shown.selectableText = true;
    return shown;
  }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return Read().text;
    return QAccessibleWidget::text(kind);
  }

  void selection(int index, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = 0;
    if (index != 0 || selectionCount() == 0) return;
    *startOffset = OffsetOf(View().SelectionFrom());
    *endOffset = OffsetOf(View().SelectionTo());
  }

  int selectionCount() const override {
    const TextView& view = View();
    return view.SelectionFrom() < view.SelectionTo() && OffsetOf(view.SelectionFrom()) < OffsetOf(view.SelectionTo());
  }

  void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
  void removeSelection(int) override { View().Select(View().Caret(), View().Caret()); }
  void setSelection(int, int startOffset, int endOffset) override {
    View().Select(PositionOf(startOffset), PositionOf(endOffset));
  }

  int cursorPosition() const override { return OffsetOf(View().Caret()); }
  void setCursorPosition(int position) override { View().Select(PositionOf(position), PositionOf(position)); }

  QString text(int startOffset, int endOffset) const override {
    return Read().text.mid(startOffset, std::max(0, endOffset - startOffset));
  }
  int characterCount() const override { return static_cast<int>(Read().text.size()); }

  QRect characterRect(int offset) const override {
    TextView& view = View();
    const std::size_t position = PositionOf(offset);
    const std::size_t line = view.Lines().LineOf(position);
    const std::size_t begin = view.Lines().LineAt(line).begin;
    const QPoint from = view.PointOf(line, position - begin);
    const QPoint to = view.PointOf(line, PositionOf(offset + 1) - begin);
    const int height = static_cast<int>(view.LineHeight());
    const QRect shown(from.x(), from.y() - height / 2, std::max(1, to.x() - from.x()), height);
    return QRect(view.viewport()->mapToGlobal(shown.topLeft()), shown.size());
  }

  int offsetAtPoint(const QPoint& point) const override {
    TextView& view = View();
    return OffsetOf(view.PositionAt(view.viewport()->mapFromGlobal(point)));
  }

  void scrollToSubstring(int startIndex, int endIndex) override {
    View().ShowPosition(PositionOf(endIndex));
    View().ShowPosition(PositionOf(startIndex));
  }

  QString attributes(int, int* startOffset, int* endOffset) const override {
    *startOffset = 0;
    *endOffset = characterCount();
    return QString();
  }

 private:
  TextView& View() const { return *static_cast<TextView*>(widget()); }

  const ReadText& Read() const;
  int OffsetOf(std::size_t position) const;
  std::size_t PositionOf(int offset) const;

  mutable ReadText read_;
};

const ReadText& AccessibleTextView::Read() const {
  const TextView& view = View();
  const TextLines& lines = view.Lines();
  const bool whole = lines.Text().size() <= kWholeTextBytes;
  const std::size_t first = whole ? 0 : view.FirstShownLine();
  const std::size_t count = whole ? lines.LineCount() : view.ShownLineCount();
  if (read_.generation == view.TextGeneration() && read_.firstLine == first && read_.lineCount == count) return read_;
  read_ = ReadText{view.TextGeneration(), first, count, QString(), {}};
  for (std::size_t index = first; index < first + count; ++index) {
    if (index > first) read_.text += QLatin1Char('\n');
    read_.lineStarts.push_back(static_cast<int>(read_.text.size()));
    read_.text += ToQtCopy(LineBytes(lines, index), lines.Utf8());
  }
  return read_;
}

// Positions before the text read give its start, after it its end.
int AccessibleTextView::OffsetOf(std::size_t position) const {
  const ReadText& read = Read();
  const TextLines& lines = View().Lines();
  const std::size_t line = lines.LineOf(position);
  if (line < read.firstLine) return 0;
  if (line >= read.firstLine + read.lineCount) return static_cast<int>(read.text.size());
  const std::string_view before = LineBytes(lines, line).substr(0, position - lines.LineAt(line).begin);
  return read.lineStarts[line - read.firstLine] + static_cast<int>(ToQtCopy(before, lines.Utf8()).size());
}

std::size_t AccessibleTextView::PositionOf(int offset) const {
  const ReadText& read = Read();
  const TextLines& lines = View().Lines();
  offset = std::clamp(offset, 0, static_cast<int>(read.text.size()));
  const auto after = std::upper_bound(read.lineStarts.begin(), read.lineStarts.end(), offset);
  const auto row = static_cast<std::size_t>(after - read.lineStarts.begin()) - 1;
  const TextLines::Line line = lines.LineAt(read.firstLine + row);
  const std::string_view bytes = LineBytes(lines, read.firstLine + row);
  // Each character is one UTF-16 unit, or two past U+FFFF (a 4-byte
  // sequence).
  int units = offset - read.lineStarts[row];
  std::size_t pos = 0;
  while (units > 0 && pos < bytes.size()) {
    const std::size_t length = CharLength(bytes, pos, lines.Utf8());
    units -= length == 4 ? 2 : 1;
    pos += length;
  }
  return line.begin + pos;
}

QAccessibleInterface* TextViewAccessibility(const QString&, QObject* object) {
  auto* view = qobject_cast<TextView*>(object);
  return view != nullptr ? new AccessibleTextView(view) : nullptr;
}

}  // namespace

void InstallTextViewAccessibility() {
  static const bool installed = (QAccessible::installFactory(&TextViewAccessibility), true);
  (void)installed;
}

QString TextView::AccessibleTextIfActive() const {
  if (!QAccessible::isActive()) return QString();
  QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(const_cast<TextView*>(this));
  return shown != nullptr ? shown->text(QAccessible::Value) : QString();
}

void TextView::NotifyTextChanged(const QString& before) {
  if (!QAccessible::isActive()) return;
  QAccessibleTextUpdateEvent event(this, 0, before, AccessibleTextIfActive());
  QAccessible::updateAccessibility(&event);
}

void TextView::NotifySelectionChanged() {
  if (!QAccessible::isActive()) return;
  QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(this);
  QAccessibleTextInterface* text = shown != nullptr ? shown->textInterface() : nullptr;
  if (text == nullptr) return;
  int from = 0;
  int to = 0;
  text->selection(0, &from, &to);
  QAccessibleTextSelectionEvent selected(this, from, to);
  selected.setCursorPosition(text->cursorPosition());
  QAccessible::updateAccessibility(&selected);
}

}  // namespace platform::qt
