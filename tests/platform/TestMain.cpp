#include <gtest/gtest.h>

#include <QCoreApplication>

#include "tests/support/TestEnvironment.h"

// The platform core's tests need a running application object (an event
// loop), but no screen.
int main(int argc, char** argv) {
  testsupport::EnterPrivateNetwork();
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
