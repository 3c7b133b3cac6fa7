#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "platform/gui/MainWindow.h"
#include "platform/gui/qt/Icons.h"

namespace {

using platform::qt::AlertIcon;
using platform::qt::ApplicationIcon;
using platform::qt::ApplicationIconImage;

// Pixmaps and windows need the application object; this executable has no
// main of its own, so the first icon test makes one, offscreen.
class Icons : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QApplication::instance() != nullptr) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "platform_gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
  }
};

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
TEST_F(Icons, DrawnAtEverySizeThePanelAsksFor) {
  for (int size : {16, 20, 22, 24, 26, 30, 32, 44, 48, 64, 96, 128}) {
    QImage image = Drawn(ApplicationIcon(), size);
    ASSERT_EQ(image.size(), QSize(size, size)) << size;
    EXPECT_LT(At(image, 0, 0).alpha(), 32) << size << ": the rounded corner is transparent";
    EXPECT_EQ(At(image, 8, 2), QColor(0x20, 0x50, 0xC0)) << size << ": blue around the envelope";
    EXPECT_EQ(At(image, 5, 10.5), QColor(Qt::white)) << size << ": the letter is white";
    EXPECT_EQ(image, ApplicationIconImage(size)) << size << ": the themed PNGs are the same drawing";
  }
}

TEST_F(Icons, AlertImagesKeepTheStyleInOtherColours) {
  for (int size : {16, 22, 48}) {
    QImage red = Drawn(AlertIcon(0), size);
    QImage yellow = Drawn(AlertIcon(1), size);
    EXPECT_EQ(At(red, 8, 2), QColor(0xE0, 0x20, 0x20)) << size;
    EXPECT_EQ(At(yellow, 8, 2), QColor(0xF0, 0xD0, 0x20)) << size;
    EXPECT_EQ(At(red, 5, 10.5), QColor(Qt::white)) << size;
    EXPECT_LT(At(yellow, 0, 0).alpha(), 32) << size;
  }
}

TEST_F(Icons, WindowUsesTheApplicationIcon) {
  platform::MainWindow window(100, 100);
  QWidgetList windows = QApplication::topLevelWidgets();
  ASSERT_EQ(windows.size(), 1);
  QIcon icon = windows.first()->windowIcon();
  for (int size : {16, 24, 32}) EXPECT_EQ(Drawn(icon, size), Drawn(ApplicationIcon(), size)) << size;
}

}  // namespace
