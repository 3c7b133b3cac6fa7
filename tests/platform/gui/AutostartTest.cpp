#include "platform/gui/Autostart.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>

#include "platform/core/Exception.h"
#include "tests/platform/FilesTestSupport.h"
#include "tests/support/NonRegularEntry.h"

namespace {

using Kind = testsupport::NonRegularEntry::Kind;

// The autostart entry is replaced through a temporary file of a fresh name,
// so a named pipe of any name beside it is never opened, and one in the
// entry's own place is refused, not replaced.
TEST(AutostartTest, EntryIsNeverWrittenThroughANamedPipe) {
  testsupport::TempFolder config;
  files_test::ScopedEnv configHome("XDG_CONFIG_HOME", config.Path().c_str());
  // Should a write reach a pipe that the guard opened and closed again, it
  // must fail with EPIPE rather than end the test program.
  auto oldHandler = ::signal(SIGPIPE, SIG_IGN);
  const std::string entry = platform::AutostartEntryPath();
  std::filesystem::create_directories(config.File("autostart"));
  testsupport::NonRegularEntry besides(Kind::Fifo, entry + ".new");
  EXPECT_NO_THROW(platform::WriteAutostartEntry());
  EXPECT_TRUE(platform::AutostartEntryExists());
  EXPECT_FALSE(besides.Waited()) << "the write waited on a named pipe beside the entry";

  platform::RemoveAutostartEntry();
  testsupport::NonRegularEntry pipe(Kind::Fifo, entry);
  try {
    platform::WriteAutostartEntry();
    ADD_FAILURE() << "written";
  } catch (const platform::EFileError& error) {
    EXPECT_EQ(error.Message(), "Unable to write to " + entry + ": it is a named pipe (FIFO), not a regular file");
  }
  EXPECT_TRUE(pipe.Unchanged());
  ::signal(SIGPIPE, oldHandler);
}

}  // namespace
