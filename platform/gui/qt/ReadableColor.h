#pragma once

#include <QColor>

namespace platform::qt {

// WCAG 2's contrast (success criterion 1.4.3): normal-sized text needs a
// ratio of at least 4.5 to 1 against its background.
inline constexpr double kReadableContrast = 4.5;

// The relative luminance of an sRGB colour, 0 (black) to 1 (white).
double RelativeLuminance(const QColor& color);
// (L1 + 0.05) / (L2 + 0.05), the lighter colour's luminance as L1: 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);

// wanted itself when it reaches minimum against background; otherwise the
// least change of it that does, keeping its hue: mixed towards black on a
// light background, towards white on a dark one (whichever end can reach
// the higher contrast). A background of middle grey, where neither end
// reaches minimum, gets the end that comes nearest.
QColor ReadableOn(const QColor& wanted, const QColor& background, double minimum = kReadableContrast);

}  // namespace platform::qt
