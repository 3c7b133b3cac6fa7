#include "platform/gui/qt/LineGeometry.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

namespace platform::qt {

namespace {

// Lines measured at a time: a screenful of long lines and some.
constexpr std::size_t kMeasuredLines = 64;
// Wider than any segment or short line (a short line of 1024 tabs is 8192
// average characters wide).
constexpr qreal kUnboundedWidth = 4e6;

// The toolkit stops a layout's tabs at multiples of the stop from the
// layout's own start. A piece that starts at x in its line gets its stops
// listed instead, where the line's stops fall, for as far as its
// characters could reach.
QList<qreal> TabStopsFrom(qreal x, const QString& text, const QFont& font, qreal tabStop) {
  const qreal reach = static_cast<qreal>(text.size()) * std::max(QFontMetricsF(font).maxWidth(), tabStop);
  QList<qreal> stops;
  for (qreal stop = tabStop - std::fmod(x, tabStop); stop <= 2 * reach + tabStop; stop += tabStop) stops.append(stop);
  return stops;
}

}  // namespace

// A piece of a line laid out as it is drawn from x in the line; its own
// x are from its start.
struct LineGeometry::LaidOut {
  ShownPiece piece;
  QTextLayout layout;

  LaidOut(std::string_view bytes, bool utf8, qreal x, const QFont& font, qreal tabStop)
      : piece(ShowPiece(bytes, utf8)), layout(piece.text, font) {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    // Trailing spaces count in a segment's width.
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    option.setTabStopDistance(tabStop);
    if (std::fmod(x, tabStop) != 0 && piece.text.contains(QLatin1Char('\t')))
      option.setTabArray(TabStopsFrom(x, piece.text, font, tabStop));
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
      line.setLineWidth(kUnboundedWidth);
      line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
  }

  qreal Width() const { return layout.lineCount() > 0 ? layout.lineAt(0).naturalTextWidth() : 0; }

  // Draws the piece with its start at at.
  void Draw(QPainter& painter, QPointF at, const QList<QTextLayout::FormatRange>& ranges) const {
    layout.draw(&painter, at, ranges);
  }

  // The first UTF-16 unit whose character starts at or after byte.
  int UnitOf(std::size_t byte) const {
    auto found = std::lower_bound(piece.byteOf.begin(), piece.byteOf.end(), byte);
    return static_cast<int>(found - piece.byteOf.begin());
  }

  qreal XOfUnit(int unit) const { return layout.lineCount() > 0 ? layout.lineAt(0).cursorToX(unit) : 0; }

  int UnitAt(qreal x) const {
    if (layout.lineCount() == 0) return 0;
    return std::clamp(layout.lineAt(0).xToCursor(x), 0, static_cast<int>(piece.text.size()));
  }
};

// Lines are as high as the toolkit's plain text editor makes them: a laid
// out line with its leading, in whole pixels.
void LineGeometry::SetFont(const QFont& font) {
  font_ = font;
  QTextLayout sample(QStringLiteral("X"), font_);
  sample.beginLayout();
  QTextLine line = sample.createLine();
  line.setLeadingIncluded(true);
  line.setLineWidth(kUnboundedWidth);
  sample.endLayout();
  lineHeight_ = std::ceil(line.height());
  // In whole pixels: the toolkit rounds the stop to its fixed point, and
  // stops far along a line would drift from a fractional one.
  tabStop_ = std::max<qreal>(1, std::round(kTabColumns * QFontMetricsF(font_).averageCharWidth()));
  Forget();
}

void LineGeometry::Forget() {
  measured_.clear();
  widestLaidOut_ = 0;
  widestLineLaidOut_ = false;
}

// The line of the most characters is most likely the widest; a line of
// fewer but wider characters widens what there is to scroll once drawn, as
// in the toolkit's editors.
qreal LineGeometry::WidestWidth() {
  if (!widestLineLaidOut_) {
    widestLineLaidOut_ = true;
    const std::size_t index = lines_.WidestLine();
    const TextLines::Line line = lines_.LineAt(index);
    const qreal width = SegmentsOf(index, line).back().x;
    const qreal laidOut = std::isfinite(width) ? width : LaidOut(lines_.BytesOf(line), lines_.Utf8(), 0, font_, tabStop_).Width();
    widestLaidOut_ = std::max(widestLaidOut_, laidOut);
  }
  return widestLaidOut_;
}

void LineGeometry::Draw(QPainter& painter, std::size_t index, QPointF origin, qreal left, qreal right,
                        std::size_t selectedFrom, std::size_t selectedTo, const QPalette& palette,
                        QPalette::ColorGroup group) {
  const TextLines::Line line = lines_.LineAt(index);
  const std::string_view bytes = lines_.BytesOf(line);
  const std::vector<Segment>& segments = SegmentsOf(index, line);
  QTextCharFormat selected;
  selected.setBackground(palette.brush(group, QPalette::Highlight));
  selected.setForeground(palette.brush(group, QPalette::HighlightedText));
  painter.setPen(palette.color(group, QPalette::Text));
  qreal lineWidth = segments.back().x;
  for (std::size_t i = SegmentAt(segments, left); i + 1 < segments.size() && segments[i].x < right; ++i) {
    const Segment& segment = segments[i];
    LaidOut laid(bytes.substr(segment.byte, segments[i + 1].byte - segment.byte), lines_.Utf8(), segment.x, font_,
                 tabStop_);
    QList<QTextLayout::FormatRange> ranges;
    if (selectedFrom < selectedTo) {
      const int from = laid.UnitOf(selectedFrom > segment.byte ? selectedFrom - segment.byte : 0);
      const int to = laid.UnitOf(selectedTo > segment.byte ? selectedTo - segment.byte : 0);
      if (from < to) ranges.append(QTextLayout::FormatRange{from, to - from, selected});
    }
    laid.Draw(painter, origin + QPointF(segment.x, 0), ranges);
    if (!std::isfinite(lineWidth)) lineWidth = laid.Width();
  }
  if (std::isfinite(lineWidth)) widestLaidOut_ = std::max(widestLaidOut_, lineWidth);
  // A selected line end shows as a selected space after the line.
  if (selectedTo > bytes.size() && selectedFrom <= bytes.size() && std::isfinite(lineWidth)) {
    const qreal space = QFontMetricsF(font_).horizontalAdvance(QLatin1Char(' '));
    painter.fillRect(QRectF(origin.x() + lineWidth, origin.y(), space, LineHeight()),
                     palette.brush(group, QPalette::Highlight));
  }
}

std::size_t LineGeometry::OffsetAt(std::size_t index, qreal x) {
  const TextLines::Line line = lines_.LineAt(index);
  const std::string_view bytes = lines_.BytesOf(line);
  const std::vector<Segment>& segments = SegmentsOf(index, line);
  const Segment& segment = segments[SegmentAt(segments, x)];
  const std::size_t next = (&segment + 1)->byte;
  LaidOut laid(bytes.substr(segment.byte, next - segment.byte), lines_.Utf8(), segment.x, font_, tabStop_);
  return segment.byte + laid.piece.byteOf[static_cast<std::size_t>(laid.UnitAt(x - segment.x))];
}

qreal LineGeometry::XOf(std::size_t index, std::size_t offset) {
  const TextLines::Line line = lines_.LineAt(index);
  const std::string_view bytes = lines_.BytesOf(line);
  const std::vector<Segment>& segments = SegmentsOf(index, line);
  if (offset >= bytes.size() && std::isfinite(segments.back().x)) return segments.back().x;
  auto after = std::upper_bound(segments.begin(), segments.end() - 1, offset,
                                [](std::size_t byte, const Segment& segment) { return byte < segment.byte; });
  const Segment& segment = *(after - 1);
  const std::size_t next = (&segment + 1)->byte;
  LaidOut laid(bytes.substr(segment.byte, next - segment.byte), lines_.Utf8(), segment.x, font_, tabStop_);
  return segment.x + laid.XOfUnit(laid.UnitOf(offset - segment.byte));
}

// A short line is one segment whose end is not measured (its x is
// infinite): it is laid out whole whenever it is used.
const std::vector<LineGeometry::Segment>& LineGeometry::SegmentsOf(std::size_t index, const TextLines::Line& line) {
  const std::size_t length = line.end - line.begin;
  if (length <= kLongLineBytes) {
    shortLine_ = {Segment{0, 0}, Segment{length, std::numeric_limits<qreal>::infinity()}};
    return shortLine_;
  }
  auto found = measured_.find(index);
  if (found != measured_.end()) return found->second;
  if (measured_.size() >= kMeasuredLines) measured_.clear();
  std::vector<Segment>& segments = measured_[index];
  segments = Measure(line);
  widestLaidOut_ = std::max(widestLaidOut_, segments.back().x);
  return segments;
}

std::vector<LineGeometry::Segment> LineGeometry::Measure(const TextLines::Line& line) const {
  const std::string_view bytes = lines_.BytesOf(line);
  const bool utf8 = lines_.Utf8();
  std::vector<Segment> segments{Segment{0, 0}};
  auto close = [&](std::size_t end) {
    const Segment& open = segments.back();
    const qreal width = LaidOut(bytes.substr(open.byte, end - open.byte), utf8, open.x, font_, tabStop_).Width();
    segments.push_back(Segment{end, open.x + width});
  };
  std::size_t characters = 0;
  for (std::size_t pos = 0; pos < bytes.size(); pos += CharLength(bytes, pos, utf8)) {
    if (characters++ == kSegmentCharacters) {
      close(pos);
      characters = 1;
    }
  }
  close(bytes.size());
  return segments;
}

std::size_t LineGeometry::SegmentAt(const std::vector<Segment>& segments, qreal x) const {
  auto after = std::upper_bound(segments.begin() + 1, segments.end() - 1, x,
                                [](qreal at, const Segment& segment) { return at < segment.x; });
  return static_cast<std::size_t>(after - segments.begin()) - 1;
}

}  // namespace platform::qt
