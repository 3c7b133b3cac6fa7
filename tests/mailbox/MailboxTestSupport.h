#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mailbox/Mailbox.h"
#include "mailbox/MailboxEvents.h"
#include "platform/core/WindowTimer.h"
#include "tests/support/Pop3TestServer.h"
#include "tests/support/ScriptedPop3Server.h"

namespace mailboxtest {

// What a mailbox told while its commands ran; StopRequested and Closing
// answer as the test sets them.
class RecordedEvents : public mailbox::MailboxEvents {
 public:
  std::vector<std::string> statuses;
  int logInRefusals = 0;
  int hostsNotFound = 0;
  int connectionFailures = 0;
  int logIns = 0;
  std::vector<mailbox::LogInRefusal> refusals;
  int attachmentsSaved = 0;
  // Asked between the rows of a manual check; nothing: never stop.
  std::function<bool()> stop;
  bool closing = false;

  void StatusChanged(const std::string& text) override { statuses.push_back(text); }
  void LogInRefused(const mailbox::LogInRefusal& refusal) override {
    ++logInRefusals;
    refusals.push_back(refusal);
  }
  void HostNotFound() override { ++hostsNotFound; }
  void ConnectionFailed() override { ++connectionFailures; }
  void LoggedIn(const std::string&, const std::string&, bool) override { ++logIns; }
  bool StopRequested() override { return stop && stop(); }
  bool Closing() override { return closing; }
  void AttachmentSaved() override { ++attachmentsSaved; }

  // No failure was told: no refusal, no host missing, no connection failed.
  bool NoFailureTold() const { return logInRefusals == 0 && hostsNotFound == 0 && connectionFailures == 0; }
};

// A mailbox driven directly, as the window drives it, its events recorded.
class MailboxTest : public ::testing::Test {
 protected:
  // Runs a check; a refused QUIT raises.
  mailbox::CheckOutcome Check(const mailbox::CheckOptions& options = {});
  // The manual check of the window: summaries, progress and stop requests.
  mailbox::CheckOutcome ManualCheck() { return Check({true, true, 0}); }

  const mailbox::MessageList& List() const { return mailbox_.List(); }
  // One field of every row, top row first.
  std::vector<std::int32_t> Numbers() const;
  std::vector<std::int32_t> Sizes() const;
  std::vector<std::string> Senders() const { return Texts(&mailbox::MessageRow::From); }
  std::vector<std::string> Subjects() const { return Texts(&mailbox::MessageRow::Subject); }
  std::vector<std::string> Dates() const { return Texts(&mailbox::MessageRow::Date); }
  std::vector<std::string> Texts(mailbox::ShownText mailbox::MessageRow::*field) const;
  std::vector<std::string> Hints(mailbox::ShownText mailbox::MessageRow::*field) const;

  RecordedEvents events_;
  mailbox::Mailbox mailbox_{events_};
};

// The settings that log in to account on server.
mailbox::MailboxSettings SettingsFor(const testsupport::Pop3TestServer& server, const testsupport::Mailbox& account);

// A mailbox logged in to a test user's mailbox (account_) of the private
// Dovecot, emptied first; skipped when the environment names no Dovecot.
class DovecotMailboxTest : public MailboxTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::optional<testsupport::Pop3TestServer> server_;
  std::optional<testsupport::Mailbox> account_;
};

// A mailbox that logs in to a scripted server as the user of
// tests/support/ScriptedSessions.h.
class ScriptedMailboxTest : public MailboxTest {
 protected:
  void SetUp() override;

  // "127.0.0.1:port" of the scripted server.
  std::string ServerText() const;

  // Runs action from the event loop once the server has received the
  // count-th line starting with prefix, that is while the client waits for
  // the answer.
  void WhileWaitingFor(const std::string& prefix, std::function<void()> action, int count = 1);

  testsupport::ScriptedPop3Server server_;
  platform::WindowTimer waiter_{5, false};
};

}  // namespace mailboxtest
