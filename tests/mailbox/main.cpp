#include <QCoreApplication>
#include <gtest/gtest.h>

// The mailbox's commands wait in the event loop, so an application object
// must exist before any test runs; no widget is ever made.
int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
