// Listing, summaries and deletion of TPop3Client against scripted
// conversations.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/pop3/ScriptedClientTest.h"

namespace pop3test {
namespace {

using net::EAbortError;
using net::ESockError;
using platform::Exception;
using Listing = std::vector<std::pair<int, int>>;

class Pop3Listing : public ScriptedClientTest {
 protected:
  Listing listed_;

  void RecordListing() {
    client().OnList = [this](std::int32_t msg, std::int32_t size) { listed_.emplace_back(msg, size); };
  }

  // The client gave up the session itself: it is closed already, and the
  // Disconnect that every session ends with sends no QUIT into a closed or
  // half-read connection (nor raises).
  ::testing::AssertionResult DroppedWithoutQuit() {
    if (client().IsConnected()) return ::testing::AssertionFailure() << "the connection is still open";
    try {
      client().Disconnect();
    } catch (const std::exception& error) {
      return ::testing::AssertionFailure() << "Disconnect raised \"" << error.what() << "\"";
    }
    if (!server_.WaitUntilDone()) return ::testing::AssertionFailure() << "the conversation did not end";
    if (server_.CountReceived("QUIT") != 0) return ::testing::AssertionFailure() << "QUIT was sent";
    return ::testing::AssertionSuccess();
  }
};

TEST_F(Pop3Listing, ListsEveryMessageInTheServersOrder) {
  Expect(R"(
    C: LIST 
    S: +OK 3 messages
    S: 2 1200
    S: 1 320
    S: 3 7
    S: .
  )");
  RecordListing();
  client().Connect();
  client().ListMessages();
  EXPECT_EQ(listed_, (Listing{{2, 1200}, {1, 320}, {3, 7}}));
  EXPECT_FALSE(client().Busy());
  client().Disconnect();
  EXPECT_TRUE(server_.ReceivedLine("LIST "));
}

// Ids as servers send them; a server without UIDL refuses, and the session
// goes on; "UIDL n" for a message that is gone is refused the same way.
TEST_F(Pop3Listing, UniqueIdsByNumberOrNoneWithoutUidl) {
  Expect(R"(
    C: UIDL
    S: -ERR unknown command
    C: UIDL
    S: +OK
    S: 1 whqtswO00WBw418f9t5JxYwZ
    S: 2 QhdPYR:00WBw1Ph7x7
    S: .
    C: UIDL 2
    S: +OK 2 QhdPYR:00WBw1Ph7x7
    C: UIDL 3
    S: -ERR no such message
    C: UIDL 1
    S: +OK 1 moved-here
    C: UIDL
    S: +OK
    S: 1 moved-here
    S: 2 whqtswO00WBw418f9t5JxYwZ
    S: .
  )");
  client().Connect();
  std::map<std::int32_t, std::string> ids{{9, "stale"}};
  EXPECT_FALSE(client().ListUniqueIds(ids));
  EXPECT_TRUE(ids.empty());
  EXPECT_TRUE(client().ListUniqueIds(ids));
  EXPECT_EQ(ids, (std::map<std::int32_t, std::string>{{1, "whqtswO00WBw418f9t5JxYwZ"}, {2, "QhdPYR:00WBw1Ph7x7"}}));
  EXPECT_EQ(client().UniqueId(2), "QhdPYR:00WBw1Ph7x7");
  EXPECT_EQ(client().UniqueId(3), std::nullopt);
  EXPECT_EQ(client().LocateMessage(1, "whqtswO00WBw418f9t5JxYwZ"), 2);
  EXPECT_FALSE(client().Busy());
  client().Disconnect();
}

// Servers that derive ids from a message's bytes repeat them. A repeated
// id names no message, in the check's listing and when a message is looked
// for later; an id with blanks reads the same in the listing and in the
// reply to "UIDL n", and that reply counts only for the number asked.
TEST_F(Pop3Listing, RepeatedIdsNameNoMessage) {
  Expect(R"(
    C: UIDL
    S: +OK
    S: 1 DUP
    S: 2 with blank
    S: 3 DUP
    S: 4 twice
    S: 4 numbered
    S: .
    C: UIDL 2
    S: +OK 2 with blank
    C: UIDL 3
    S: -ERR not now
    C: UIDL
    S: +OK
    S: 1 DUP
    S: 2 DUP
    S: .
    C: UIDL 1
    S: +OK 2 with blank
    C: UIDL
    S: +OK
    S: 1 DUP
    S: 2 with blank
    S: .
  )");
  client().Connect();
  std::map<std::int32_t, std::string> ids;
  EXPECT_TRUE(client().ListUniqueIds(ids));
  EXPECT_EQ(ids, (std::map<std::int32_t, std::string>{{2, "with blank"}}));
  EXPECT_EQ(client().UniqueId(2), "with blank");
  EXPECT_EQ(client().LocateMessage(3, "DUP"), std::nullopt);
  EXPECT_EQ(client().LocateMessage(1, "with blank"), 2);
  client().Disconnect();
}

// A listing line that is no "number id", or an id past the cap, leaves the
// rest of the answer unread: the session is dropped.
TEST_F(Pop3Listing, BrokenUniqueIdListingDropsTheSession) {
  const std::string longId(pop3::TPop3Client::kMaxUniqueIdLength + 1, 'x');
  for (const std::string& line : {std::string("one id-1"), std::string("1 ") + longId, std::string("1")}) {
    Expect("C: UIDL\nS: +OK\nS: " + line + "\nS: 2 id-2\nS: .\n", false);
    client().Connect();
    std::map<std::int32_t, std::string> ids;
    EXPECT_THROW(client().ListUniqueIds(ids), Exception) << line;
    EXPECT_TRUE(DroppedWithoutQuit()) << line;
  }
}

TEST_F(Pop3Listing, ListingWithoutHandlerIsReadAndDropped) {
  Expect(R"(
    C: LIST 
    S: +OK
    S: 1 320
    S: .
  )");
  client().Connect();
  client().ListMessages();
  client().Disconnect();
}

TEST_F(Pop3Listing, ListingWithBareLineFeedsKeepsEveryDigit) {
  Expect(R"(
    C: LIST 
    RAW: +OK\n1 120\n2 30\n.\n
  )");
  RecordListing();
  client().Connect();
  client().ListMessages();
  EXPECT_EQ(listed_, (Listing{{1, 120}, {2, 30}}));
  client().Disconnect();
}

TEST_F(Pop3Listing, ListingArrivingByteByByteEndsAtTheDot) {
  Expect(R"(
    C: LIST 
    S1: +OK
    S1: 1 5
    S1: ..
    S1: .
  )", false);
  RecordListing();
  client().Connect();
  // ".." is a listing line like any other: its fields are not numbers.
  EXPECT_THROW(client().ListMessages(), pop3::EConvertError);
  EXPECT_EQ(listed_, (Listing{{1, 5}}));
  client().Abort();
}

TEST_F(Pop3Listing, RefusedListingRaisesTheReplyInsteadOfWaiting) {
  Expect(R"(
    C: LIST 
    S: -ERR not now
  )");
  RecordListing();
  client().Connect();
  EXPECT_EQ(FailureOf<Exception>([&] { client().ListMessages(); }), "-ERR not now\r\n");
  EXPECT_TRUE(listed_.empty());
  EXPECT_FALSE(client().Busy());
  client().Disconnect();
}

TEST_F(Pop3Listing, NonNumericListingFieldsRaiseConversionErrors) {
  Expect(R"(
    C: LIST 
    S: +OK
    S: 1 120
    S: 2 big
    S: .
  )", false);
  RecordListing();
  client().Connect();
  EXPECT_THROW(client().ListMessages(), pop3::EConvertError);
  EXPECT_EQ(listed_, (Listing{{1, 120}}));
  EXPECT_FALSE(client().Busy());
  client().Abort();

  Expect(R"(
    C: LIST 
    S: +OK
    S: one 120
    S: .
  )", false);
  client().Connect();
  EXPECT_THROW(client().ListMessages(), pop3::EConvertError);
  client().Abort();
}

TEST_F(Pop3Listing, ServerClosingMidListingEndsWithAnError) {
  Expect(R"(
    C: LIST 
    S: +OK
    S: 1 120
    CLOSE
  )", false);
  RecordListing();
  client().Connect();
  EXPECT_EQ(FailureOf<ESockError>([&] { client().ListMessages(); }), pop3::kConnectionClosedText);
  EXPECT_EQ(listed_, (Listing{{1, 120}}));
  EXPECT_FALSE(client().Busy());
  EXPECT_TRUE(DroppedWithoutQuit());
}

// Whatever ends a listing early leaves the rest of it queued: a QUIT sent
// then would read a listing line as its reply ("2 449"), so the session is
// dropped instead.
TEST_F(Pop3Listing, UnconvertibleListingLineDropsTheSessionWithoutQuit) {
  Expect(R"(
    C: LIST 
    S: +OK 3 messages
    S: 1 120
    RAW: \x00\xff}{ garbage\r\n
    S: 2 449
    S: .
  )", false);
  RecordListing();
  client().Connect();
  EXPECT_THROW(client().ListMessages(), pop3::EConvertError);
  EXPECT_EQ(listed_, (Listing{{1, 120}}));
  EXPECT_TRUE(DroppedWithoutQuit());
}

TEST_F(Pop3Listing, OnListHandlerFailureDropsTheSessionWithoutQuit) {
  Expect(R"(
    C: LIST 
    S: +OK 2 messages
    S: 1 120
    S: 2 449
    S: .
  )", false);
  client().OnList = [](std::int32_t, std::int32_t) { throw Exception("no room for the row"); };
  client().Connect();
  EXPECT_THROW(client().ListMessages(), Exception);
  EXPECT_FALSE(client().Busy());
  EXPECT_TRUE(DroppedWithoutQuit());
}

TEST_F(Pop3Listing, StalledListingTimesOutAndDropsTheConnection) {
  Expect(R"(
    C: LIST 
    S: +OK
    S: 1 120
    STALL
  )", false);
  RecordListing();
  client().Connect();
  client().SetTimeOut(200);
  EXPECT_THROW(client().ListMessages(), EAbortError);
  EXPECT_FALSE(client().IsConnected());
  EXPECT_FALSE(client().Busy());
  client().Disconnect();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.CountReceived("QUIT"), 0);
}

// A server that keeps sending, each line well within the idle time-out,
// is still cut off once the command as a whole has taken CommandTimeOuts
// times TimeOut.
TEST_F(Pop3Listing, TricklingAnswerEndsAtTheCommandDeadline) {
  constexpr int kLines = 30;
  std::string script = "C: LIST \nS: +OK\n";
  for (int msg = 1; msg <= kLines; ++msg) script += "WAIT 100\nS: " + std::to_string(msg) + " 120\n";
  Expect(script + "S: .\n", false);
  RecordListing();
  client().Connect();
  client().SetTimeOut(1000);
  client().CommandTimeOuts = 1;
  EXPECT_THROW(client().ListMessages(), EAbortError);
  EXPECT_TRUE(client().TimedOut());
  EXPECT_GT(listed_.size(), 0u);
  EXPECT_LT(listed_.size(), static_cast<std::size_t>(kLines));
  EXPECT_FALSE(client().IsConnected());
  client().Disconnect();
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_EQ(server_.CountReceived("QUIT"), 0);
}

TEST_F(Pop3Listing, OperationsFromAnOnListHandlerDoNothing) {
  Expect(R"(
    C: LIST 
    S: +OK
    S: 1 120
    S: 2 80
    S: .
  )");
  int calls = 0;
  client().OnList = [&](std::int32_t, std::int32_t) {
    EXPECT_TRUE(client().Busy());
    client().FetchSummary(1);
    client().DeleteMessage(1);
    client().ListMessages();
    ++calls;
  };
  client().Connect();
  client().ListMessages();
  EXPECT_EQ(calls, 2);
  client().Disconnect();
  EXPECT_EQ(server_.CountReceived("TOP"), 0);
  EXPECT_EQ(server_.CountReceived("DELE"), 0);
  EXPECT_EQ(server_.CountReceived("LIST"), 1);
}

TEST_F(Pop3Listing, OperationsWithoutSessionRaiseNotConnected) {
  int required = 0;
  client().OnConnectionRequired = [&](bool&) { ++required; };
  int succeeded = 0;
  client().OnSuccess = [&](TComponent*) { ++succeeded; };
  EXPECT_THROW(client().ListMessages(), Exception);
  EXPECT_THROW(client().FetchSummary(1), Exception);
  EXPECT_THROW(client().DeleteMessage(1), Exception);
  EXPECT_EQ(required, 3);
  EXPECT_EQ(succeeded, 0);
  EXPECT_FALSE(client().Busy());
}

constexpr const char* kThreeLineTop = R"(
    C: TOP 2 0
    S: +OK
    S: From: Anna <anna@example.de>
    S: Subject: Hi there
    S: Message-ID: <42@example.de>
    S: 
    S: .
    C: LIST 2
    S: +OK 2 1234
  )";

TEST_F(Pop3Listing, SummaryOfAThreeLineHeader) {
  Expect(kThreeLineTop);
  std::vector<std::string> events;
  client().OnRetrieveStart = [&](TComponent*) { events.push_back("start"); };
  client().OnRetrieveEnd = [&](TComponent*) {
    EXPECT_TRUE(client().Busy());
    events.push_back("end");
  };
  client().Connect();
  client().FetchSummary(2);
  const pop3::TSummary& summary = client().Summary();
  EXPECT_EQ(summary.From, " Anna <anna@example.de>");
  EXPECT_EQ(summary.Subject, " Hi there");
  EXPECT_EQ(summary.MessageId, "<42@example.de>");
  EXPECT_EQ(summary.Bytes, 1234);
  EXPECT_EQ(summary.Header.Items(), (std::vector<std::string>{"From: Anna <anna@example.de>", "Subject: Hi there",
                                                               "Message-ID: <42@example.de>", "", "."}));
  EXPECT_EQ(events, (std::vector<std::string>{"start", "end"}));
  EXPECT_FALSE(client().Busy());
  client().Disconnect();
}

TEST_F(Pop3Listing, SummaryArrivingByteByByte) {
  Expect(R"(
    C: TOP 1 0
    S1: +OK
    S1: Subject: slow
    S1: ..dotted
    S1: 
    S1: .
    C: LIST 1
    S1: +OK 1 99
  )");
  client().Connect();
  client().FetchSummary(1);
  EXPECT_EQ(client().Summary().Subject, " slow");
  EXPECT_EQ(client().Summary().Header.Items(), (std::vector<std::string>{"Subject: slow", "..dotted", "", "."}));
  EXPECT_EQ(client().Summary().Bytes, 99);
  client().Disconnect();
}

TEST_F(Pop3Listing, SummaryTakesOnlyExactlyWrittenFieldNames) {
  Expect(R"(
    C: TOP 1 0
    S: +OK
    S: subject: lower case
    S: Message-Id: <not@taken>
    S: Subject: first line
    S:  folded second line
    S: From:bob@example.com
    S: 
    S: .
    C: LIST 1
    S: +OK 1 50
  )");
  client().Connect();
  client().FetchSummary(1);
  const pop3::TSummary& summary = client().Summary();
  EXPECT_EQ(summary.Subject, " first line");
  EXPECT_EQ(summary.From, "bob@example.com");
  EXPECT_EQ(summary.MessageId, "");
  EXPECT_EQ(summary.Header.Count(), 7);
  EXPECT_EQ(summary.Header[3], " folded second line");
  client().Disconnect();
}

TEST_F(Pop3Listing, MessageIdIsCutAt256Characters) {
  const std::string longId = "<" + std::string(300, 'x') + ">";
  Expect("C: TOP 1 0\nS: +OK\nS: Message-ID: " + longId + "\nS: .\nC: LIST 1\nS: +OK 1 400\n");
  client().Connect();
  client().FetchSummary(1);
  EXPECT_EQ(client().Summary().MessageId, longId.substr(0, 256));
  client().Disconnect();
}

// A header line far past the transport's 64 KiB line buffer is cut at a
// whole UTF-8 character, not refused; the lines after it are kept.
TEST_F(Pop3Listing, OverlongHeaderLineIsCutNotRefused) {
  const std::size_t limit = pop3::TPop3Client::kMaxHeaderLineBytes;
  // "\xc3\xa9" straddles the limit: the cut falls before it.
  const std::string subject = "Subject: " + std::string(limit - 10, 'x') + "\xc3\xa9" + std::string(70000, 'y');
  Expect("C: TOP 1 0\nS: +OK\nS: " + subject + "\nS: From: ann\nS: .\nC: LIST 1\nS: +OK 1 400\n");
  client().Connect();
  client().FetchSummary(1);
  const pop3::TSummary& summary = client().Summary();
  ASSERT_EQ(summary.Header.Count(), 3);
  EXPECT_EQ(summary.Header[0], subject.substr(0, limit - 1));
  EXPECT_EQ(summary.Header[1], "From: ann");
  EXPECT_EQ(summary.From, " ann");
  EXPECT_EQ(summary.Bytes, 400);
  client().Disconnect();
}

TEST_F(Pop3Listing, RefusedTopRaisesAndKeepsThePreviousSummary) {
  Expect(std::string(kThreeLineTop) + R"(
    C: TOP 9 0
    S: -ERR no such message
  )");
  int ended = 0;
  client().OnRetrieveEnd = [&](TComponent*) { ++ended; };
  client().Connect();
  client().FetchSummary(2);
  EXPECT_EQ(FailureOf<Exception>([&] { client().FetchSummary(9); }), "-ERR no such message\r\n");
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(client().Summary().Subject, " Hi there");
  EXPECT_EQ(client().Summary().Header.Count(), 5);
  EXPECT_FALSE(client().Busy());
  client().Disconnect();
}

TEST_F(Pop3Listing, ServerClosingMidTopEndsWithAnError) {
  Expect(R"(
    C: TOP 1 0
    S: +OK
    S: Subject: cut
    CLOSE
  )", false);
  int ended = 0;
  client().OnRetrieveEnd = [&](TComponent*) { ++ended; };
  client().Connect();
  EXPECT_EQ(FailureOf<ESockError>([&] { client().FetchSummary(1); }), pop3::kConnectionClosedText);
  EXPECT_EQ(ended, 0);
  EXPECT_FALSE(client().Busy());
  EXPECT_TRUE(DroppedWithoutQuit());
}

TEST_F(Pop3Listing, NonNumericOrRefusedSizeOfASummaryRaises) {
  Expect(R"(
    C: TOP 1 0
    S: +OK
    S: .
    C: LIST 1
    S: +OK 1 12x
    C: TOP 1 0
    S: +OK
    S: .
    C: LIST 1
    S: -ERR no such message
  )");
  client().Connect();
  EXPECT_THROW(client().FetchSummary(1), pop3::EConvertError);
  try {
    client().FetchSummary(1);
    ADD_FAILURE() << "a refused LIST n passed";
  } catch (const pop3::EConvertError&) {
    ADD_FAILURE() << "a refused LIST n should carry the reply";
  } catch (const Exception& error) {
    EXPECT_STREQ(error.what(), "-ERR no such message\r\n");
  }
  client().Disconnect();
}

TEST_F(Pop3Listing, OverlongHeaderIsRefusedAndTheConnectionDropped) {
  std::string flood = "C: TOP 1 0\nS: +OK\nRAW: ";
  for (int i = 0; i <= pop3::TPop3Client::kMaxHeaderLines; ++i) flood += "X-Spam: y\\r\\n";
  flood += ".\\r\\n\n";
  Expect(flood, false);
  client().Connect();
  EXPECT_THROW(client().FetchSummary(1), Exception);
  EXPECT_FALSE(client().IsConnected());
  EXPECT_LE(client().Summary().Header.Count(), pop3::TPop3Client::kMaxHeaderLines);
}

TEST_F(Pop3Listing, DeletionAcceptedFiresOnSuccessAfterBusyIsCleared) {
  Expect(R"(
    C: DELE 2
    S: +OK message 2 deleted
  )");
  int succeeded = 0;
  client().OnSuccess = [&](TComponent*) {
    EXPECT_FALSE(client().Busy());
    ++succeeded;
  };
  client().OnFailure = [&](TComponent*) { ADD_FAILURE() << "OnFailure fired"; };
  client().Connect();
  client().DeleteMessage(2);
  EXPECT_EQ(succeeded, 1);
  client().Disconnect();
}

TEST_F(Pop3Listing, DeletionRefusedWithReasonFiresOnFailureAndRaises) {
  Expect(R"(
    C: DELE 5
    S: -ERR no such message
  )");
  std::vector<std::string> events;
  client().OnFailure = [&](TComponent*) {
    EXPECT_TRUE(client().Busy());
    events.push_back("failure");
  };
  client().OnSuccess = [&](TComponent*) { events.push_back("success"); };
  client().Connect();
  try {
    client().DeleteMessage(5);
    events.push_back("returned");
  } catch (const Exception& error) {
    events.push_back(error.what());
  }
  EXPECT_EQ(events, (std::vector<std::string>{"failure", "-ERR no such message\r\n"}));
  EXPECT_FALSE(client().Busy());
  client().Disconnect();
}

TEST_F(Pop3Listing, BareErrIsARefusalToo) {
  Expect(R"(
    C: DELE 1
    S: -ERR
  )");
  int failed = 0;
  int succeeded = 0;
  client().OnFailure = [&](TComponent*) { ++failed; };
  client().OnSuccess = [&](TComponent*) { ++succeeded; };
  client().Connect();
  EXPECT_THROW(client().DeleteMessage(1), Exception);
  EXPECT_EQ(failed, 1);
  EXPECT_EQ(succeeded, 0);
  client().Disconnect();
}

TEST_F(Pop3Listing, ServerClosingInsteadOfAnsweringDeleIsNoSuccess) {
  Expect(R"(
    C: DELE 1
    CLOSE
  )", false);
  int succeeded = 0;
  client().OnSuccess = [&](TComponent*) { ++succeeded; };
  client().Connect();
  EXPECT_THROW(client().DeleteMessage(1), ESockError);
  EXPECT_EQ(succeeded, 0);
  EXPECT_TRUE(DroppedWithoutQuit());
}

}  // namespace
}  // namespace pop3test
