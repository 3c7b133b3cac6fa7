// The one reader of multi-line answers: line ends, stuffed dots, the
// terminating line, the caps, and the dropped connection after every
// failure midway. First against a scripted source of batches, then over a
// real connection whose server sends the answer in pieces of 1, 16, 1024
// and 4096 bytes.

#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/LoopbackServer.h"
#include "tests/support/TestEnvironment.h"
#include "platform/core/Exception.h"
#include "pop3/AnswerReader.h"
#include "pop3/Pop3Client.h"
#include "pop3/Pop3Fetch.h"
#include "pop3/Pop3Reply.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/Wait.h"

namespace {

using Lines = std::vector<std::string>;
using pop3::AnswerLimits;
using pop3::AnswerReader;
using pop3::DotStuffing;

AnswerLimits Roomy() { return {1000, 100000, "too long"}; }

// Every line up to the terminating one.
Lines ReadAll(AnswerReader& reader) {
  Lines lines;
  reader.ReadRest([&](std::string& line) { lines.push_back(line); });
  return lines;
}

// Batches as the transport hands them out: whole lines, the terminating
// line ending a batch.
class AnswerReaderBatches : public ::testing::Test {
 protected:
  AnswerReader Reader(AnswerLimits limits = Roomy(), DotStuffing dots = DotStuffing::Remove) {
    return AnswerReader(
        [this](Lines& lines, std::size_t maxLines) {
          lines.clear();
          if (wire_.empty()) return false;
          while (!wire_.empty() && lines.size() < maxLines) {
            lines.push_back(wire_.front());
            wire_.pop_front();
            if (lines.back() == ".\r\n" || lines.back() == ".\n") break;
          }
          return true;
        },
        [this] { ++dropped_; }, limits, dots);
  }

  std::deque<std::string> wire_;
  int dropped_ = 0;
};

TEST_F(AnswerReaderBatches, StripsLineEndsAndStuffedDotsAndStopsAtTheTerminator) {
  wire_ = {"plain\r\n", "bare lf\n", "..stuffed\r\n", "...two\r\n", "..\r\n", "\r\n", ".\r\n", "after\r\n"};
  auto reader = Reader();
  EXPECT_EQ(ReadAll(reader), (Lines{"plain", "bare lf", ".stuffed", "..two", ".", ""}));
  EXPECT_EQ(wire_.size(), 1u) << "nothing after the terminating line is read";
  EXPECT_EQ(dropped_, 0);
  EXPECT_TRUE(reader.Finished());
  std::string line = "untouched";
  EXPECT_FALSE(reader.Next(line)) << "a finished answer has no more lines";
}

TEST_F(AnswerReaderBatches, KeepsStuffedDotsWhenAskedTo) {
  wire_ = {"..stuffed\r\n", "..\r\n", ". \r\n", ".\n"};
  auto reader = Reader(Roomy(), DotStuffing::Keep);
  EXPECT_EQ(ReadAll(reader), (Lines{"..stuffed", "..", ". "}));
}

TEST_F(AnswerReaderBatches, DotWithoutLineEndIsNoTerminator) {
  wire_ = {".", ".\n"};
  auto reader = Reader();
  EXPECT_EQ(ReadAll(reader), Lines{"."});
}

TEST_F(AnswerReaderBatches, TooManyBytesDropTheConnectionAndFail) {
  wire_ = {"12345678\r\n", "12345678\r\n", "1\r\n", ".\r\n"};
  auto reader = Reader(pop3::MessageLimits(21, 100));
  std::string line;
  EXPECT_TRUE(reader.Next(line));
  EXPECT_TRUE(reader.Next(line));
  EXPECT_EQ(dropped_, 0);
  try {
    reader.Next(line);
    ADD_FAILURE() << "no failure past the byte cap";
  } catch (const platform::Exception& error) {
    EXPECT_STREQ(error.what(), "Message too large (more than 21 bytes or 100 lines); connection closed");
  }
  EXPECT_EQ(dropped_, 1);
}

TEST_F(AnswerReaderBatches, TooManyLinesDropTheConnectionAndFail) {
  wire_ = {"\r\n", "\r\n", "\r\n", ".\r\n"};
  auto capped = Reader(pop3::MessageLimits(1000, 2));
  EXPECT_THROW(ReadAll(capped), platform::Exception);
  EXPECT_EQ(dropped_, 1);
  wire_ = {"\r\n", "\r\n", ".\r\n"};
  auto enough = Reader(pop3::MessageLimits(1000, 2));
  EXPECT_EQ(ReadAll(enough), (Lines{"", ""})) << "the terminating line is not counted";
}

TEST_F(AnswerReaderBatches, FailuresMidwayDropTheConnectionOnce) {
  // The caller's own work fails on a line.
  wire_ = {"1\r\n", "2\r\n", ".\r\n"};
  auto reader = Reader();
  EXPECT_THROW(reader.ReadRest([](std::string& line) {
    if (line == "2") throw std::runtime_error("handler");
  }),
               std::runtime_error);
  EXPECT_EQ(dropped_, 1);
  // The connection closes before the terminating line.
  wire_ = {"1\r\n"};
  auto cut = Reader();
  try {
    ReadAll(cut);
    ADD_FAILURE() << "a closed connection passed for the end of the answer";
  } catch (const net::ESockError& error) {
    EXPECT_STREQ(error.what(), pop3::kConnectionClosedText);
  }
  EXPECT_EQ(dropped_, 2);
  // The source itself fails (a line too long for the transport, a cancel).
  auto failing = AnswerReader([](Lines&, std::size_t) -> bool { throw net::ERangeError("Range check error"); },
                               [this] { ++dropped_; }, Roomy(), DotStuffing::Remove);
  std::string line;
  EXPECT_THROW(failing.Next(line), net::ERangeError);
  EXPECT_EQ(dropped_, 3);
}

// Over a real connection: the server sends the answers in pieces of
// GetParam() bytes, each arriving on its own.
class AnswerReaderPieces : public ::testing::TestWithParam<std::size_t> {
 protected:
  void SetUp() override {
    client_ = std::make_unique<pop3::TPop3Client>();
    client_->OnDisconnect = [this](net::TComponent*) { ++disconnects_; };
    // A byte taken that should have stayed queued would leave a wait
    // hanging: the time-out turns that into a failure.
    client_->SetTimeOut(10000);
  }

  // Connects (the transport alone: no log-in) to a server that sends bytes
  // in pieces and then keeps the connection open.
  void Serve(const std::string& bytes) {
    server_.Accept();
    for (std::size_t start = 0; start < bytes.size(); start += GetParam()) {
      server_.Send(bytes.substr(start, GetParam())).Pause();
    }
    client_->Host = testsupport::LoopbackServer::kHost;
    client_->Port = server_.Port();
    client_->net::TLineSocket::Connect();
  }

  AnswerReader Reader(AnswerLimits limits, DotStuffing dots) {
    return AnswerReader(*client_, std::move(limits), dots);
  }

  // The client gave the connection up by itself, and the server saw it go.
  ::testing::AssertionResult Dropped() {
    if (client_->IsConnected()) return ::testing::AssertionFailure() << "the connection is still open";
    if (disconnects_ != 1) return ::testing::AssertionFailure() << disconnects_ << " disconnects";
    if (!testsupport::PumpUntil([&] { return server_.PeerClosed(); })) {
      return ::testing::AssertionFailure() << "the server did not see the connection close";
    }
    return ::testing::AssertionSuccess();
  }

  testsupport::LoopbackServer server_;
  std::unique_ptr<pop3::TPop3Client> client_;
  int disconnects_ = 0;
};

TEST_P(AnswerReaderPieces, AnswersEndAtTheirTerminatorWhateverThePieces) {
  const std::string longLine(3000, 'x');
  // A listing-like answer whose lines keep their dots, a message whose
  // stuffed dots go, and a reply queued right after it.
  Serve("1 120\r\n..kept\r\n. \r\n.\r\n"
        "Subject: hi\r\n\r\n..stuffed\n..\r\n" + longLine + "\r\nlast\r\n.\r\n"
        "+OK next\r\n");
  auto listing = Reader(Roomy(), DotStuffing::Keep);
  EXPECT_EQ(ReadAll(listing), (Lines{"1 120", "..kept", ". "}));
  auto message = Reader(pop3::MessageLimits(), DotStuffing::Remove);
  EXPECT_EQ(ReadAll(message), (Lines{"Subject: hi", "", ".stuffed", ".", longLine, "last"}));
  std::string reply;
  client_->ReadLn(reply);
  EXPECT_EQ(reply, "+OK next\r\n") << "the reply after the answer stayed queued for the next read";
  EXPECT_TRUE(client_->IsConnected());
  EXPECT_EQ(disconnects_, 0);
}

TEST_P(AnswerReaderPieces, CapsDropTheConnection) {
  Serve("1\r\n2\r\n3\r\n.\r\n");
  auto reader = Reader({2, 1000, "The listing is too long"}, DotStuffing::Keep);
  Lines lines;
  try {
    reader.ReadRest([&](std::string& line) { lines.push_back(line); });
    ADD_FAILURE() << "no failure past the line cap";
  } catch (const platform::Exception& error) {
    EXPECT_STREQ(error.what(), "The listing is too long");
  }
  EXPECT_EQ(lines, (Lines{"1", "2"}));
  EXPECT_TRUE(Dropped());
}

TEST_P(AnswerReaderPieces, ConnectionClosedMidAnswerFailsAndDrops) {
  server_.Accept();
  for (const char* piece : {"line one\r\n", "line t", "wo\r\n"}) server_.Send(piece).Pause();
  server_.Close();
  client_->Host = testsupport::LoopbackServer::kHost;
  client_->Port = server_.Port();
  client_->net::TLineSocket::Connect();
  auto reader = Reader(pop3::MessageLimits(), DotStuffing::Remove);
  Lines lines;
  try {
    reader.ReadRest([&](std::string& line) { lines.push_back(line); });
    ADD_FAILURE() << "a closed connection passed for the end of the answer";
  } catch (const net::ESockError& error) {
    EXPECT_STREQ(error.what(), pop3::kConnectionClosedText);
  }
  EXPECT_EQ(lines, (Lines{"line one", "line two"}));
  EXPECT_FALSE(client_->IsConnected());
}

TEST_P(AnswerReaderPieces, FailingWorkOnALineDropsTheConnection) {
  Serve("1 120\r\nnot a listing line\r\n3 7\r\n.\r\n");
  auto reader = Reader(Roomy(), DotStuffing::Keep);
  EXPECT_THROW(reader.ReadRest([](std::string& line) {
    if (line.find(' ') != 1) throw platform::Exception("bad line");
  }),
               platform::Exception);
  EXPECT_TRUE(Dropped());
}

INSTANTIATE_TEST_SUITE_P(Pieces, AnswerReaderPieces, ::testing::Values(1, 16, 1024, 4096),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                           return "Of" + std::to_string(info.param) + "Bytes";
                         });

}  // namespace
