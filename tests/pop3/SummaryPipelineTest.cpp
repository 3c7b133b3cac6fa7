// SummaryPipeline and the pipelined FetchSummary against scripted
// conversations: what goes out ahead, in which batches, and that every
// answer is read as its own command's, whatever breaks in between.

#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "pop3/SummaryPipeline.h"
#include "tests/pop3/ScriptedClientTest.h"

namespace pop3test {
namespace {

using net::ESockError;
using platform::Exception;
using pop3::SummaryPipeline;

constexpr const char* kPipelining = R"(
  C: CAPA
  S: +OK capability list follows
  S: TOP
  S: PIPELINING
  S: UIDL
  S: .
)";

// A scan listing of messages 1..count, message n of 100 n bytes.
std::string Listing(int count) {
  std::string script = "C: LIST \nS: +OK\n";
  for (int n = 1; n <= count; ++n) script += "S: " + std::to_string(n) + " " + std::to_string(100 * n) + "\n";
  return script + "S: .\n";
}

// The answer to TOP n 0 (status line included), sent with tag ("S:" or "S1:").
std::string Header(int n, const char* tag = "S:") {
  const std::string t = std::string(tag) + " ";
  return t + "+OK\n" + t + "From: Sender " + std::to_string(n) + "\n" + t + "Subject: Subject " + std::to_string(n) +
         "\n" + t + "\n" + t + ".\n";
}

std::string Tops(std::initializer_list<int> numbers) {
  std::string script;
  for (int n : numbers) script += "C: TOP " + std::to_string(n) + " 0\n";
  return script;
}

// Pipelined, each TOP n 0 goes out with LIST n, whose reply names message
// n: the answers are seen to be in step before a summary is handed out.
std::string Pairs(std::initializer_list<int> numbers) {
  std::string script;
  for (int n : numbers) script += "C: TOP " + std::to_string(n) + " 0\nC: LIST " + std::to_string(n) + "\n";
  return script;
}

// The answers to TOP n 0 and LIST n of the listed message n.
std::string Answer(int n, const char* tag = "S:") {
  return Header(n, tag) + tag + " +OK " + std::to_string(n) + " " + std::to_string(100 * n) + "\n";
}

// What OnRetrieveEnd found in the summary.
struct Seen {
  std::string From;
  std::int32_t Bytes;
};

bool operator==(const Seen& a, const Seen& b) { return a.From == b.From && a.Bytes == b.Bytes; }

void PrintTo(const Seen& seen, std::ostream* out) { *out << seen.From << "/" << seen.Bytes; }

class SummaryPipelineTest : public ScriptedClientTest {
 protected:
  std::vector<Seen> seen_;

  void SetUp() override {
    ScriptedClientTest::SetUp();
    // A client waiting for a command the script waits for fails the test
    // instead of hanging it.
    client().SetTimeOut(5000);
    client().OnRetrieveEnd = [this](TComponent*) {
      seen_.push_back({client().Summary().From, client().Summary().Bytes});
    };
  }

  void ConnectAndList() {
    client().Connect();
    client().ListMessages();
  }

  // Fetches every message of plan in order through one walk.
  void Walk(const std::vector<std::int32_t>& plan, SummaryPipeline::Limits limits = {}) {
    SummaryPipeline walk(client(), plan, limits);
    for (std::int32_t msg : plan) walk.FetchSummary(msg);
    walk.Finish();
  }

  static Seen Of(int n) { return {" Sender " + std::to_string(n), 100 * n}; }
};

TEST_F(SummaryPipelineTest, CommandsGoAheadInBatchesBoundedByCount) {
  // At most four commands out at a time, two summaries: the third goes only
  // once the first answer has been read.
  Expect(Listing(4) + kPipelining + Pairs({1, 2}) + "IDLE\n" + Answer(1) + Pairs({3}) + "IDLE\n" + Answer(2) +
         Pairs({4}) + "IDLE\n" + Answer(3) + Answer(4));
  ConnectAndList();
  Walk({1, 2, 3, 4}, {4, 1 << 20});
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(1), Of(2), Of(3), Of(4)}));
}

TEST_F(SummaryPipelineTest, CommandsGoAheadInBatchesBoundedByAnswerBytes) {
  // Answers counted at their listed size plus 512, the reply to LIST n at
  // 512: messages 1 (1124) and 2 (1224) fit into 2600 bytes, 3 (1324) only
  // once answer 1 has been read.
  Expect(Listing(3) + kPipelining + Pairs({1, 2}) + "IDLE\n" + Answer(1) + Pairs({3}) + "IDLE\n" + Answer(2) +
         Answer(3));
  ConnectAndList();
  Walk({1, 2, 3}, {100, 2600});
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(1), Of(2), Of(3)}));
}

TEST_F(SummaryPipelineTest, AnswersMergedInOnePacketOrSplitIntoBytesAreReadWhole) {
  // Answers 3 and 1 in one packet with 2's start; 2 arrives byte by byte.
  Expect(Listing(3) + kPipelining + Pairs({3, 1, 2}) + Answer(3) + Answer(1) + Answer(2, "S1:"));
  ConnectAndList();
  Walk({3, 1, 2});
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(3), Of(1), Of(2)}));
}

TEST_F(SummaryPipelineTest, RefusedMessageInTheMiddleAffectsOnlyItsOwn) {
  Expect(Listing(3) + kPipelining + Pairs({1, 2, 3}) + Answer(1) + "S: -ERR no such message\nS: -ERR no such message\n" +
         Answer(3));
  ConnectAndList();
  SummaryPipeline walk(client(), {1, 2, 3});
  walk.FetchSummary(1);
  EXPECT_EQ(FailureOf<Exception>([&] { walk.FetchSummary(2); }), "-ERR no such message\r\n");
  EXPECT_EQ(client().Summary().From, " Sender 1") << "a refused TOP leaves the summary as it was";
  walk.FetchSummary(3);
  walk.Finish();
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(1), Of(3)}));
}

TEST_F(SummaryPipelineTest, EndingEarlyReadsTheAnswersAskedForBeforeTheNextCommand) {
  // The walk stops after message 1; answers 2 and 3 are on their way, 2
  // with a line longer than the transport's 64 KiB, which a summary allows
  // (cut), and so must the reading that drops it. The listing that follows
  // must read its own answer, not theirs.
  const std::string longHeader = "S: +OK\nS: Subject: " + std::string(70000, 'x') + "\nS:\nS: .\n";
  Expect(Listing(3) + kPipelining + Pairs({1, 2, 3}) + Answer(1) + longHeader + "S: +OK 2 200\n" + Answer(3) +
         "C: LIST \nS: +OK\nS: 7 70\nS: .\n");
  ConnectAndList();
  {
    SummaryPipeline walk(client(), {1, 2, 3});
    walk.FetchSummary(1);
    walk.Finish();
  }
  std::vector<int> listed;
  client().OnList = [&](std::int32_t msg, std::int32_t) { listed.push_back(msg); };
  client().ListMessages();
  EXPECT_EQ(listed, std::vector<int>{7});
  client().Disconnect();
  EXPECT_EQ(seen_, std::vector<Seen>{Of(1)});
}

TEST_F(SummaryPipelineTest, WalkLeftUnfinishedIsSettledBeforeQuit) {
  // No Finish: the QUIT of Disconnect still waits for answers 2 and 3.
  Expect(Listing(3) + kPipelining + Pairs({1, 2, 3}) + Answer(1) + "IDLE\n" + Answer(2) + Answer(3));
  ConnectAndList();
  SummaryPipeline walk(client(), {1, 2, 3});
  walk.FetchSummary(1);
  client().Disconnect();
  EXPECT_EQ(server_.Received().back(), "QUIT");
}

TEST_F(SummaryPipelineTest, DropInTheMiddleOfABatchEndsTheSessionWithoutQuit) {
  Expect(Listing(3) + kPipelining + Pairs({1, 2, 3}) + Answer(1) + "S: +OK\nS: From: Sen\nCLOSE\n", false);
  ConnectAndList();
  SummaryPipeline walk(client(), {1, 2, 3});
  walk.FetchSummary(1);
  EXPECT_EQ(FailureOf<ESockError>([&] { walk.FetchSummary(2); }), pop3::kConnectionClosedText);
  walk.Finish();
  EXPECT_FALSE(client().IsConnected());
  client().Disconnect();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.CountReceived("QUIT"), 0);
  EXPECT_EQ(seen_, std::vector<Seen>{Of(1)});
}

TEST_F(SummaryPipelineTest, SlowServerThatListsPipeliningIsReadAnswerByAnswer) {
  Expect(Listing(2) + kPipelining + Pairs({1, 2}) + Answer(1, "S1:") + Answer(2, "S1:"));
  ConnectAndList();
  Walk({1, 2});
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(1), Of(2)}));
}

TEST_F(SummaryPipelineTest, ServerWithoutCapaGetsOneCommandAtATimeAndNoListN) {
  Expect(Listing(2) + "C: CAPA\nS: -ERR unknown command\n" + "C: TOP 1 0\nIDLE\n" + Header(1) + "C: TOP 2 0\nIDLE\n" +
         Header(2));
  ConnectAndList();
  Walk({1, 2});
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(1), Of(2)}));
}

TEST_F(SummaryPipelineTest, CapaWithoutPipeliningGetsOneCommandAtATime) {
  Expect(Listing(2) + "C: CAPA\nS: +OK\nS: TOP\nS: USER\nS: .\n" + "C: TOP 1 0\nIDLE\n" + Header(1) +
         "C: TOP 2 0\nIDLE\n" + Header(2));
  ConnectAndList();
  Walk({1, 2});
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(1), Of(2)}));
}

TEST_F(SummaryPipelineTest, SizeTheListingDidNotGiveIsAskedForWithItsTop) {
  // Message 5 was not listed and 2 was listed twice: their sizes come from
  // LIST n, sent along with their TOP.
  Expect("C: LIST \nS: +OK\nS: 1 100\nS: 2 200\nS: 2 250\nS: .\n" + std::string(kPipelining) +
         Pairs({1, 5, 2}) + Answer(1) + Header(5) + "S: +OK 5 555\n" +
         Header(2) + "S: +OK 2 222\n");
  ConnectAndList();
  Walk({1, 5, 2}, {100, 1 << 20});
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(1), {" Sender 5", 555}, {" Sender 2", 222}}));
}

TEST_F(SummaryPipelineTest, MessageOffThePlanIsServedAfterTheAnswersAskedFor) {
  Expect(Listing(3) + kPipelining + Pairs({1, 2}) + Answer(1) + Answer(2) + Pairs({3}) + Answer(3));
  ConnectAndList();
  SummaryPipeline walk(client(), {1, 2});
  walk.FetchSummary(1);
  walk.FetchSummary(3);
  walk.Finish();
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(1), Of(3)}));
}

TEST_F(SummaryPipelineTest, WalkHoldsBusyAndOneBegunWhileBusyDoesNothing) {
  Expect(Listing(2) + kPipelining + Pairs({1, 2}) + Answer(1) + Answer(2));
  ConnectAndList();
  {
    SummaryPipeline walk(client(), {1, 2});
    EXPECT_TRUE(client().Busy());
    SummaryPipeline nested(client(), {1, 2});
    nested.FetchSummary(1);  // no effect: the client is busy
    client().ListMessages();  // no effect either
    walk.FetchSummary(1);
    walk.FetchSummary(2);
  }
  EXPECT_FALSE(client().Busy());
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{Of(1), Of(2)}));
}

TEST_F(SummaryPipelineTest, FetchSummaryAloneSendsTopAndListTogetherOncePipeliningIsKnown) {
  // One round trip for both; when TOP is refused, LIST's reply is read and
  // dropped before the next command.
  Expect(std::string(kPipelining) + "C: TOP 2 0\nC: LIST 2\nIDLE\n" + Header(2) + "S: +OK 2 321\n" +
         "C: TOP 9 0\nC: LIST 9\nS: -ERR no such message\nS: -ERR no such message\n" + "C: TOP 1 0\nC: LIST 1\n" +
         Header(1) + "S: +OK 1 123\n");
  client().Connect();
  client().LearnCapabilities();
  client().FetchSummary(2);
  EXPECT_THROW(client().FetchSummary(9), Exception);
  client().FetchSummary(1);
  client().Disconnect();
  EXPECT_EQ(seen_, (std::vector<Seen>{{" Sender 2", 321}, {" Sender 1", 123}}));
}

// An answer nobody asked for, in place of the reply to LIST 1: the answers
// are out of step, so the summary read before it is not handed out, and
// the session ends without another command (no QUIT commits anything).
TEST_F(SummaryPipelineTest, UnaskedAnswerInPlaceOfListNEndsTheSession) {
  Expect(Listing(2) + kPipelining + Pairs({1, 2}) + Header(1) + "S: +OK\nS: Subject: UNASKED\nS: .\n" + Answer(1) +
             Answer(2),
         false);
  ConnectAndList();
  SummaryPipeline walk(client(), {1, 2});
  EXPECT_THAT(FailureOf<pop3::EOutOfStep>([&] { walk.FetchSummary(1); }), ::testing::HasSubstr("LIST 1"));
  walk.Finish();
  EXPECT_FALSE(client().IsConnected());
  client().Disconnect();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.CountReceived("QUIT"), 0);
  EXPECT_TRUE(seen_.empty());
}

// Without pipelining every command waits for its reply; data that arrives
// when no answer is due shows the server out of step before the next
// command goes out.
TEST_F(SummaryPipelineTest, DataWhileNoAnswerIsDueEndsTheSession) {
  Expect(Listing(2) + "C: CAPA\nS: -ERR unknown command\n" + "C: TOP 1 0\n" + Header(1) + "S: +OK surprise\n",
         false);
  ConnectAndList();
  SummaryPipeline walk(client(), {1, 2});
  walk.FetchSummary(1);
  EXPECT_THAT(FailureOf<pop3::EOutOfStep>([&] { walk.FetchSummary(2); }), ::testing::HasSubstr("no command asked for"));
  walk.Finish();
  EXPECT_FALSE(client().IsConnected());
  client().Disconnect();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.CountReceived("QUIT"), 0);
  EXPECT_EQ(seen_, std::vector<Seen>{Of(1)});
}

}  // namespace
}  // namespace pop3test
