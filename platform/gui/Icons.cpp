#include "platform/gui/qt/Icons.h"

#include <QPainter>
#include <QPixmap>

namespace platform::qt {

namespace {

QIcon EnvelopeIcon(const QColor& background) {
  QIcon icon;
  for (int size : {16, 32, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    double unit = size / 16.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(0, 0, size, size), 3 * unit, 3 * unit);
    QRectF letter(2 * unit, 4 * unit, 12 * unit, 8 * unit);
    painter.setBrush(Qt::white);
    painter.setPen(QPen(Qt::black, unit * 0.75));
    painter.drawRect(letter);
    QPolygonF flap;
    flap << letter.topLeft() << QPointF(letter.center().x(), letter.top() + 5 * unit) << letter.topRight();
    painter.drawPolyline(flap);
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

QIcon ApplicationIcon() { return EnvelopeIcon(QColor(0x20, 0x50, 0xC0)); }

QIcon AlertIcon(int frame) { return EnvelopeIcon(frame == 0 ? QColor(0xE0, 0x20, 0x20) : QColor(0xF0, 0xD0, 0x20)); }

}  // namespace platform::qt
