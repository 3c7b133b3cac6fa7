#pragma once

#include <QFont>
#include <QPalette>
#include <QPointF>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "platform/gui/qt/TextLines.h"

class QPainter;

namespace platform::qt {

// Where the characters of a TextLines' lines fall when drawn in a font, one
// line at a time, and the drawing itself. Lines are never wrapped; tabs
// stop at every multiple of eight average characters from the line's start
// (the toolkit's editors stop at fixed distances too, which keeps columns
// of a proportional font in line).
//
// A line of more than kLongLineBytes bytes is cut into segments of
// kSegmentCharacters characters (the last may be shorter), each laid out
// on its own at the x where the segment before it ends: drawing or hitting
// a part of a line of megabytes lays out only the segments there. The
// first use of such a line measures it once, segment by segment (see
// bench/platform/text_view_bench); the measures of the lines used last are
// kept. Shorter lines are laid out whole whenever used.
class LineGeometry {
 public:
  static constexpr std::size_t kLongLineBytes = 1024;
  static constexpr std::size_t kSegmentCharacters = 256;

  explicit LineGeometry(const TextLines& lines) : lines_(lines) {}

  // A new font or a new text: everything measured is forgotten.
  void SetFont(const QFont& font);
  void Forget();

  qreal LineHeight() const { return lineHeight_; }
  qreal TabStop() const { return tabStop_; }
  // The widest width of the lines laid out so far, the line of the most
  // columns always among them (it is laid out for this when not yet).
  qreal WidestWidth();

  // Draws line index with its text's top left at origin; only segments
  // within [left, right) of the line's own x are drawn. The bytes of the
  // line in [selectedFrom, selectedTo) are drawn selected (offsets in the
  // line; selectedTo past the line's end marks its line end selected too).
  void Draw(QPainter& painter, std::size_t index, QPointF origin, qreal left, qreal right, std::size_t selectedFrom,
            std::size_t selectedTo, const QPalette& palette, QPalette::ColorGroup group);

  // The offset in the line of the character boundary nearest to x.
  std::size_t OffsetAt(std::size_t index, qreal x);
  // The x of the boundary before the byte at offset in the line.
  qreal XOf(std::size_t index, std::size_t offset);

 private:
  // Where a segment starts: its first byte (from the line's begin) and its
  // x. The last one marks the line's end.
  struct Segment {
    std::size_t byte;
    qreal x;
  };
  // One segment laid out: its text as drawn and the line that holds it.
  struct LaidOut;

  const std::vector<Segment>& SegmentsOf(std::size_t index, const TextLines::Line& line);
  std::vector<Segment> Measure(const TextLines::Line& line) const;
  std::size_t SegmentAt(const std::vector<Segment>& segments, qreal x) const;

  const TextLines& lines_;
  QFont font_;
  qreal lineHeight_ = 1;
  qreal tabStop_ = 8;
  qreal widestLaidOut_ = 0;
  bool widestLineLaidOut_ = false;
  // Long lines measured, by line index; the short line's one segment.
  std::unordered_map<std::size_t, std::vector<Segment>> measured_;
  std::vector<Segment> shortLine_;
};

}  // namespace platform::qt
