#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>

#include "TestEnvironment.h"

// The platform's tests need a running application object; the widget tests
// need the offscreen platform, chosen before the application exists.
int main(int argc, char** argv) {
  testkit::EnterPrivateNetwork();
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
