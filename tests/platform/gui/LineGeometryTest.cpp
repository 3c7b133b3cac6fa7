#include "platform/gui/qt/LineGeometry.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gui/qt/TextLines.h"

// Where the text view's characters fall: a position and its x must agree
// both ways, within a line and across the segments of a long one, and
// tabs stop on the same grid all along a line.
namespace {

using platform::qt::CharLength;
using platform::qt::LineGeometry;
using platform::qt::TextLines;

class Geometry : public ::testing::Test {
 protected:
  // The font needs a GUI application; this executable has no main of its
  // own, so the first test makes one, offscreen.
  static void SetUpTestSuite() {
    if (QApplication::instance() != nullptr) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "platform_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
  }

  void SetText(std::string text) {
    lines_.Assign(std::move(text));
    geometry_.Forget();
    geometry_.SetFont(QFont(QStringLiteral("Sans"), 9));
  }

  // Every character boundary of line index, in order.
  std::vector<std::size_t> Boundaries(std::size_t index) const {
    const std::string_view bytes = lines_.BytesOf(lines_.LineAt(index));
    std::vector<std::size_t> boundaries{0};
    for (std::size_t pos = 0; pos < bytes.size();) boundaries.push_back(pos += CharLength(bytes, pos, lines_.Utf8()));
    return boundaries;
  }

  TextLines lines_;
  LineGeometry geometry_{lines_};
};

// A line of three segments (long), beside a short one, with tabs and
// characters of two to four bytes among ASCII.
std::string MixedText() {
  const std::string piece = "ab\tcaf\xc3\xa9 \xe2\x82\xac\xf0\x9f\x98\x80 x\t";
  std::string text = piece + "\r\n";
  while (text.size() < 1100) text += piece;
  return text;
}

TEST_F(Geometry, EveryBoundaryIsHitAtItsOwnX) {
  SetText(MixedText());
  for (std::size_t line = 0; line < 2; ++line) {
    qreal previous = -1;
    for (std::size_t offset : Boundaries(line)) {
      const qreal x = geometry_.XOf(line, offset);
      ASSERT_GT(x, previous) << "line " << line << " offset " << offset;
      ASSERT_EQ(geometry_.OffsetAt(line, x), offset) << "line " << line << " x " << x;
      ASSERT_EQ(geometry_.OffsetAt(line, x + 0.3), offset) << "line " << line << " x " << x;
      previous = x;
    }
  }
  EXPECT_EQ(geometry_.OffsetAt(1, -50), 0u);
  EXPECT_EQ(geometry_.OffsetAt(1, 1e7), lines_.LineAt(1).end - lines_.LineAt(1).begin);
  EXPECT_NEAR(geometry_.WidestWidth(), geometry_.XOf(1, std::string::npos), 0.01);
}

TEST_F(Geometry, TabsStopOnOneGridAlongALongLine) {
  SetText(MixedText());
  ASSERT_GT(lines_.LineAt(1).end - lines_.LineAt(1).begin, LineGeometry::kLongLineBytes);
  const qreal stop = geometry_.TabStop();
  ASSERT_GT(stop, 8);
  for (std::size_t line = 0; line < 2; ++line) {
    const std::string_view bytes = lines_.BytesOf(lines_.LineAt(line));
    for (std::size_t pos = bytes.find('\t'); pos != std::string_view::npos; pos = bytes.find('\t', pos + 1)) {
      const qreal after = geometry_.XOf(line, pos + 1);
      const qreal off = std::fmod(after, stop);
      ASSERT_TRUE(off < 0.05 || off > stop - 0.05) << "line " << line << " tab at " << pos << " ends at " << after;
      ASSERT_GT(after, geometry_.XOf(line, pos));
    }
  }
}

}  // namespace
