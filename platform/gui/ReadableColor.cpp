#include "platform/gui/qt/ReadableColor.h"

#include <algorithm>
#include <cmath>

namespace platform::qt {

namespace {

double Linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor Mixed(const QColor& from, const QColor& to, double share) {
  auto mix = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
  return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

}  // namespace

double RelativeLuminance(const QColor& color) {
  const QColor rgb = color.toRgb();
  return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Contrast grows steadily as the share of the far end grows, so a binary
// search finds the smallest share that is enough.
QColor ReadableOn(const QColor& wanted, const QColor& background, double minimum) {
  const QColor opaque = wanted.toRgb();
  if (ContrastRatio(opaque, background) >= minimum) return opaque;
  const QColor black(0, 0, 0);
  const QColor white(255, 255, 255);
  const QColor end = ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
  if (ContrastRatio(end, background) < minimum) return end;
  double enough = 1.0;
  double short_of = 0.0;
  for (int step = 0; step < 20; ++step) {
    const double share = (enough + short_of) / 2;
    (ContrastRatio(Mixed(opaque, end, share), background) >= minimum ? enough : short_of) = share;
  }
  // Rounding to whole channel values may land a hair short: step on.
  QColor readable = Mixed(opaque, end, enough);
  for (double share = enough; ContrastRatio(readable, background) < minimum && share < 1.0;) {
    share = std::min(1.0, share + 0.01);
    readable = Mixed(opaque, end, share);
  }
  return readable;
}

}  // namespace platform::qt
