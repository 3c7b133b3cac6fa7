// FetchMessage reads the RETR answer in bulk: these conversations check
// that it hands on the same lines as before, across many batches, and that
// it never takes a byte past the terminating line, even when the server's
// next reply sits in the same packet.

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "pop3/Pop3Client.h"
#include "tests/pop3/FetchTestSupport.h"
#include "tests/pop3/ScriptedClientTest.h"

namespace {

using fetchtest::Items;
using Lines = std::vector<std::string>;

class FetchBulkRead : public pop3test::ScriptedClientTest {
 protected:
  void SetUp() override {
    ScriptedClientTest::SetUp();
    client().SetAttachFilePath(home_.Root() + "/pop3");
    // A reply taken away by the bulk read would leave the client waiting:
    // the time-out turns that into a failure.
    client().SetTimeOut(5000);
  }

  std::string Fetch() {
    client().Connect();
    std::string failure;
    try {
      client().FetchMessage(1);
    } catch (const std::exception& error) {
      failure = error.what();
    }
    client().Disconnect();
    return failure;
  }

  fetchtest::TempHome home_;
};

// A reply sent before its command sits in the same packet as the end of
// the message. The bulk read leaves it queued, where it shows the server
// out of step: DELE is never sent, and the session ends without QUIT. (Had
// the read taken it, DELE would go out and wait for a reply.)
TEST_F(FetchBulkRead, ReplyQueuedRightAfterTheTerminatorStaysQueued) {
  client().DeleteOnRead = true;
  Expect("C: RETR 1\nS: +OK\nS: Subject: s\nS:\nS: body line\nS: .\nS: +OK deleted\n", false);
  EXPECT_THAT(Fetch(), ::testing::HasSubstr("no command asked for"));
  EXPECT_EQ(Items(client().MailMessage().Body), Lines{"body line"});
  EXPECT_EQ(server_.CountReceived("DELE 1"), 0);
  EXPECT_EQ(server_.CountReceived("QUIT"), 0);
}

TEST_F(FetchBulkRead, TerminatorInsideTheHeaderAlsoLeavesTheNextReplyQueued) {
  client().DeleteOnRead = true;
  Expect("C: RETR 1\nS: +OK\nS: Subject: only a header\nS: .\nS: -ERR locked\n", false);
  EXPECT_THAT(Fetch(), ::testing::HasSubstr("no command asked for"));
  EXPECT_EQ(Items(client().MailMessage().Header), Lines{"Subject: only a header"});
  EXPECT_TRUE(client().MailMessage().Body.Empty());
  EXPECT_EQ(server_.CountReceived("DELE 1"), 0);
}

TEST_F(FetchBulkRead, BodyOfManyBatchesArrivesLineForLine) {
  // More lines than one bulk read hands out and far more than 64 KiB, with
  // stuffed dots, empty lines and a lone "." of stuffing across the batches.
  Lines body;
  std::string script = "C: RETR 1\nS: +OK\nS: Subject: big\nS:\n";
  for (int i = 0; i < 12000; ++i) {
    std::string line = std::to_string(i) + std::string(static_cast<std::size_t>(i % 90), 'b');
    if (i % 7 == 0) line.clear();
    if (i % 11 == 0) line = ".." + line;
    script += "S: " + line + "\n";
    body.push_back(line.size() >= 2 && line.compare(0, 2, "..") == 0 ? line.substr(1) : line);
  }
  Expect(script + "S: .\n");
  EXPECT_EQ(Fetch(), "");
  EXPECT_EQ(Items(client().MailMessage().Body), body);
}

}  // namespace
