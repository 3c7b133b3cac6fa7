#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/core/ShellCommand.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"

namespace {

using platform::RunShellCommand;
using platform::ShellCommandResult;

constexpr int kGenerousMs = 30000;

struct CommandCase {
  const char* name;
  const char* command;
  std::string output;
  std::string errors;
  int exitStatus;
};

class ShellCommandOutcome : public testing::TestWithParam<CommandCase> {};

TEST_P(ShellCommandOutcome, KeepsWhatTheCommandLeftBehind) {
  const CommandCase& c = GetParam();
  const ShellCommandResult result = RunShellCommand(c.command, kGenerousMs, nullptr);
  EXPECT_TRUE(result.started);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitStatus, c.exitStatus);
  EXPECT_EQ(result.output, c.output);
  EXPECT_EQ(result.errors, c.errors);
}

INSTANTIATE_TEST_SUITE_P(
    ShellCommand, ShellCommandOutcome,
    testing::Values(CommandCase{"Output", "echo tok-1; echo second", "tok-1\nsecond\n", "", 0},
                    CommandCase{"FailureWithErrors", "echo expired >&2; exit 3", "", "expired\n", 3},
                    // Standard input is empty: a command that reads it ends.
                    CommandCase{"NoInput", "cat; echo done", "done\n", "", 0},
                    // Past 1 MiB per stream the output is dropped.
                    CommandCase{"OutputCapped", "head -c 1048600 /dev/zero | tr '\\0' a", std::string(1 << 20, 'a'),
                                "", 0},
                    CommandCase{"KilledBySignal", "echo partial; kill -9 $$", "partial\n", "", -1}),
    [](const testing::TestParamInfo<CommandCase>& info) { return info.param.name; });

// The command can only go on once a handler run by the event loop has
// spoken to it: it waits for the line that handler writes into a FIFO.
TEST(ShellCommand, EventsAreServedWhileTheCommandRuns) {
  testsupport::TempFolder folder;
  const std::string fifo = folder.File("go");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  int writer = -1;
  testsupport::RunSoon([&] {
    // Read and write: the open does not wait for the command's end, and the
    // line stays in the FIFO until the command reads it.
    writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "go\n", 3), 3);
  });
  const ShellCommandResult result = RunShellCommand("read line < '" + fifo + "'; echo \"$line\"", kGenerousMs, nullptr);
  if (writer >= 0) ::close(writer);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.output, "go\n");
}

// A cancel that arrives while the shell starts (the window is closed at
// once) ends the wait there: the start is a wait of the event loop like any
// other.
TEST(ShellCommand, AStopDuringTheShellsStartEndsItThere) {
  bool stopped = false;
  testsupport::RunSoon([&] { stopped = true; });
  const ShellCommandResult result = RunShellCommand("echo never-read", kGenerousMs, [&] { return stopped; });
  EXPECT_TRUE(result.timedOut);
  EXPECT_FALSE(result.started);
}

// The cancel check is asked at every turn while the command runs; once it
// holds, the command is killed. (Whether the shell's start was reported
// before that is a race, so started is not looked at.)
TEST(ShellCommand, AStopWhileTheCommandRunsKillsIt) {
  testsupport::TempFolder folder;
  const std::string running = folder.File("running");
  const ShellCommandResult result = RunShellCommand("touch '" + running + "'; exec sleep 30", 0,
                                                    [&] { return ::access(running.c_str(), F_OK) == 0; });
  EXPECT_TRUE(result.timedOut);
  EXPECT_EQ(result.exitStatus, -1);
}

}  // namespace
