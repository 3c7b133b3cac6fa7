#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>

namespace platform::qt {

// The program's images, drawn in code at whatever size is asked for (the
// panel's tray size, the window manager's title-bar size, the installed
// theme sizes): a white envelope on a rounded square, blue for the window
// and the normal tray icon, red and then yellow for the two alternating
// images of the tray animation. data/pop3check.svg is the same drawing.
QIcon ApplicationIcon();
QIcon AlertIcon(int frame);  // frame 0 or 1

// Paints the envelope on background into square (a square area).
void PaintEnvelope(QPainter& painter, const QRectF& square, const QColor& background);

// The application icon as an image of size x size pixels, transparent
// around the drawing.
QImage ApplicationIconImage(int size);

}  // namespace platform::qt
