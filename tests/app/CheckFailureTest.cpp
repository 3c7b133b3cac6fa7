#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/testing/TestAccess.h"
#include "tests/support/Wait.h"
#include "tests/app/FormTest.h"
#include "tests/support/ScriptedPop3Server.h"

namespace apptest {

namespace {

namespace access = platform::test_access;
using ::testing::ElementsAre;
using testsupport::ScriptedPop3Server;

// A loopback port that nothing listens on: bound once to learn a free
// number, then released.
int UnusedLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

constexpr const char* kLogIn =
    "S: +OK ready\n"
    "C: CAPA\n"
    "S: -ERR\n"
    "C: USER ann\n"
    "S: +OK\n"
    "C: PASS secret\n"
    "S: +OK logged in\n";

class CheckFailure : public FormTest {
 protected:
  std::string ScriptedServerText() const {
    return std::string(ScriptedPop3Server::Host()) + ":" + std::to_string(server_.Port());
  }

  ScriptedPop3Server server_;
};

TEST_F(CheckFailure, EmptyPasswordAbortsWithoutConnecting) {
  EnterAccount(ScriptedServerText(), "ann", "");

  ClickCheck();

  EXPECT_THAT(BoxTexts(BoxKind::Information),
              ElementsAre("Errors Encountered With " + ScriptedServerText() + " - ABORTING !"));
  EXPECT_EQ(server_.ConnectionsServed(), 0);
  EXPECT_TRUE(WindowRestored());
}

TEST_F(CheckFailure, UnreachableServerAbortsAndStopsAutoCheck) {
  std::string server = "127.0.0.1:" + std::to_string(UnusedLoopbackPort());
  EnterAccount(server, "ann", "secret");
  access::Click(*Form().CheckBox2);
  ASSERT_TRUE(Form().CheckBox2->Checked());

  ClickCheck();

  EXPECT_THAT(Boxes().size(), 1u);
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("Errors Encountered With " + server + " - ABORTING !"));
  EXPECT_FALSE(Form().CheckBox2->Checked());
  EXPECT_TRUE(WindowRestored());
}

TEST_F(CheckFailure, RefusedQuitStillRestoresWindow) {
  server_.AddConversation(std::string(kLogIn) +
                          "C: STAT\n"
                          "S: +OK 0 0\n"
                          "C: QUIT\n"
                          "S: -ERR not now\n");
  EnterAccount(ScriptedServerText(), "ann", "secret");

  ClickCheck();

  EXPECT_TRUE(WindowRestored());
  EXPECT_THAT(BoxTexts(BoxKind::Information), ElementsAre("You Have No Mail !"));
  // The refusal itself reaches the user through the application's error box.
  EXPECT_THAT(BoxTexts(BoxKind::Error), ElementsAre("-ERR not now\r\n"));
  EXPECT_FALSE(Form().Mailbox().Client().IsConnected());
  EXPECT_TRUE(server_.Failures().empty());
}

TEST_F(CheckFailure, ClosingWhileWaitingCancelsTheWaitThenCloses) {
  server_.AddConversation(std::string(kLogIn) +
                          "C: STAT\n"
                          "S: +OK 2 300\n"
                          "C: LIST*\n"
                          "STALL\n");
  EnterAccount(ScriptedServerText(), "ann", "secret");
  int closeQueries = 0;
  auto closeQuery = Form().Window->OnCloseQuery;
  Form().Window->OnCloseQuery = [&](bool& canClose) {
    ++closeQueries;
    closeQuery(canClose);
  };
  // The user closes the window once the check waits for the listing.
  Form().Mailbox().Client().OnConnect = [&](platform::TComponent*) { Form().Window->PostClose(); };

  ClickCheck();

  EXPECT_FALSE(Form().Mailbox().Client().TimedOut()) << "the wait must end by the cancel, not by the time-out";
  EXPECT_TRUE(WindowRestored());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(testsupport::PumpUntil([&] { return !Form().Window->Visible(); }));
  EXPECT_EQ(closeQueries, 2);
  EXPECT_TRUE(server_.WaitUntilDone());
  EXPECT_FALSE(server_.ReceivedLine("QUIT"));
}

TEST_F(CheckFailure, SilentServerEndsCheckAfterTimeOut) {
  EXPECT_EQ(Form().Mailbox().Client().TimeOut(), mailbox::Mailbox::kServerTimeOutMs);
  server_.AddConversation(
      "S: +OK ready\n"
      "C: CAPA\n"
      "S: -ERR\n"
      "C: USER ann\n"
      "STALL\n");
  EnterAccount(ScriptedServerText(), "ann", "secret");
  Form().Mailbox().Client().SetTimeOut(200);

  ClickCheck();

  EXPECT_THAT(BoxTexts(BoxKind::Information),
              ElementsAre("Errors Encountered With " + ScriptedServerText() + " - ABORTING !"));
  EXPECT_TRUE(WindowRestored());
  EXPECT_FALSE(Form().Mailbox().Client().IsConnected());
}

}  // namespace

}  // namespace apptest
