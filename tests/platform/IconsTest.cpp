#include <gtest/gtest.h>

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "platform/MainWindow.h"
#include "platform/qt/Icons.h"
#include "platform/qt/MainWindowImpl.h"
#include "platform/qt/WindowWidget.h"

namespace {

using platform::qt::AlertIcon;
using platform::qt::ApplicationIcon;
using platform::qt::ApplicationIconImage;

// The pixel at (x, y) of the 16-unit drawing grid, in an image of size
// pixels.
QColor At(const QImage& image, double x, double y) {
  int size = image.width();
  return image.pixelColor(static_cast<int>(x * size / 16.0), static_cast<int>(y * size / 16.0));
}

QImage Drawn(const QIcon& icon, int size) {
  return icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Panels ask for all sorts of sizes; each gets the drawing made for it,
// not a scaled copy of a few fixed ones.
TEST(Icons, DrawnAtEverySizeThePanelAsksFor) {
  for (int size : {16, 20, 22, 24, 26, 30, 32, 44, 48, 64, 96, 128}) {
    QImage image = Drawn(ApplicationIcon(), size);
    ASSERT_EQ(image.size(), QSize(size, size)) << size;
    EXPECT_LT(At(image, 0, 0).alpha(), 32) << size << ": the rounded corner is transparent";
    EXPECT_EQ(At(image, 8, 2), QColor(0x20, 0x50, 0xC0)) << size << ": blue around the envelope";
    EXPECT_EQ(At(image, 5, 10.5), QColor(Qt::white)) << size << ": the letter is white";
    EXPECT_EQ(image, ApplicationIconImage(size)) << size << ": the themed PNGs are the same drawing";
  }
}

TEST(Icons, AlertImagesKeepTheStyleInOtherColours) {
  for (int size : {16, 22, 48}) {
    QImage red = Drawn(AlertIcon(0), size);
    QImage yellow = Drawn(AlertIcon(1), size);
    EXPECT_EQ(At(red, 8, 2), QColor(0xE0, 0x20, 0x20)) << size;
    EXPECT_EQ(At(yellow, 8, 2), QColor(0xF0, 0xD0, 0x20)) << size;
    EXPECT_EQ(At(red, 5, 10.5), QColor(Qt::white)) << size;
    EXPECT_LT(At(yellow, 0, 0).alpha(), 32) << size;
  }
}

TEST(Icons, WindowUsesTheApplicationIcon) {
  platform::MainWindow window(100, 100);
  QIcon icon = window.Internals().widget->windowIcon();
  for (int size : {16, 24, 32}) EXPECT_EQ(Drawn(icon, size), Drawn(ApplicationIcon(), size)) << size;
}

}  // namespace
