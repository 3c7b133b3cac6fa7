#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/support/TestEnvironment.h"

// The transport pumps the application's events while it waits, so an
// application object must exist.
int main(int argc, char** argv) {
  testsupport::EnterPrivateNetwork();
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
