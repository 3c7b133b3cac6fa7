#include <QCoreApplication>
#include <gtest/gtest.h>

// The client's waits pump the application's events, so an application
// object must exist before any test runs.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
