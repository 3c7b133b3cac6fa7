#include "platform/gui/qt/Icons.h"

#include <QIconEngine>
#include <QPixmap>

namespace platform::qt {

namespace {

const QColor kNormalBackground(0x20, 0x50, 0xC0);
const QColor kAlertBackgrounds[2] = {QColor(0xE0, 0x20, 0x20), QColor(0xF0, 0xD0, 0x20)};

// Draws the envelope afresh for every size instead of scaling a few fixed
// pixmaps, so that a 22- or 24-pixel panel gets crisp lines too.
class EnvelopeIconEngine : public QIconEngine {
 public:
  explicit EnvelopeIconEngine(QColor background) : background_(background) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    int side = qMin(rect.width(), rect.height());
    QRectF square(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0, side, side);
    PaintEnvelope(*painter, square, background_);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pixmap;
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
  }

  QIconEngine* clone() const override { return new EnvelopeIconEngine(background_); }
  QString key() const override { return QStringLiteral("pop3check-envelope"); }

 private:
  QColor background_;
};

}  // namespace

// The drawing lives on a 16-unit grid, matching data/pop3check.svg.
void PaintEnvelope(QPainter& painter, const QRectF& square, const QColor& background) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(square.topLeft());
  double unit = square.width() / 16.0;
  painter.setPen(Qt::NoPen);
  painter.setBrush(background);
  painter.drawRoundedRect(QRectF(0, 0, 16 * unit, 16 * unit), 3 * unit, 3 * unit);
  QRectF letter(2 * unit, 4 * unit, 12 * unit, 8 * unit);
  painter.setBrush(Qt::white);
  painter.setPen(QPen(Qt::black, unit * 0.75, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.drawRect(letter);
  QPolygonF flap;
  flap << letter.topLeft() << QPointF(letter.center().x(), letter.top() + 5 * unit) << letter.topRight();
  painter.drawPolyline(flap);
  painter.restore();
}

QImage ApplicationIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  PaintEnvelope(painter, QRectF(0, 0, size, size), kNormalBackground);
  return image;
}

QIcon ApplicationIcon() { return QIcon(new EnvelopeIconEngine(kNormalBackground)); }

QIcon AlertIcon(int frame) { return QIcon(new EnvelopeIconEngine(kAlertBackgrounds[frame == 0 ? 0 : 1])); }

}  // namespace platform::qt
