#include "tests/support/ScriptedPop3Server.h"

#include "tests/support/Pop3Script.h"
#include "tests/support/Wait.h"

namespace testsupport {

namespace {

constexpr int kBacklog = 8;

}  // namespace

ScriptedPop3Server::ScriptedPop3Server() : engine_(kBacklog) {
  engine_.RefuseUnscripted([this] { Fail("a connection arrived with no conversation queued"); });
}

void ScriptedPop3Server::AddConversation(const std::string& script) {
  const std::vector<Pop3ScriptStep> steps = ParsePop3Script(script);
  engine_.Accept().Run([this] { taken_ = 0; });
  std::string output;
  auto flush = [&] {
    if (!output.empty()) engine_.Send(output);
    output.clear();
  };
  for (const Pop3ScriptStep& step : steps) {
    if (step.kind == Pop3ScriptStep::Send) {
      output += step.text;  // goes out with the S: lines after it
      continue;
    }
    flush();
    switch (step.kind) {
      case Pop3ScriptStep::SendBytewise:
        // A turn of the event loop after each byte lets the client read it
        // alone.
        for (char byte : step.text) engine_.Send(std::string(1, byte)).Pause();
        break;
      case Pop3ScriptStep::Raw:
        engine_.Send(step.text);
        break;
      case Pop3ScriptStep::Expect:
        engine_.Await([this] { return LineArrived(); }).Run([this, expected = step.text] { Expect(expected); });
        break;
      case Pop3ScriptStep::Idle:
        engine_.Run([this] { Idle(); });
        break;
      case Pop3ScriptStep::Wait:
        engine_.Delay(std::stoi(step.text));
        break;
      case Pop3ScriptStep::Close:
        engine_.Close();
        return;
      case Pop3ScriptStep::Stall:
        engine_.Await([this] {
          Stall();
          return false;  // until the client closes
        });
        engine_.Close();
        return;
      case Pop3ScriptStep::Send:
        break;
    }
  }
  flush();
  engine_.Await([this] { return LineArrived(); }).Run([this] { Drain(); }).Close();
}

void ScriptedPop3Server::Expect(const std::string& expected) {
  std::string line;
  if (!TakeLine(line)) {
    Fail("expected '" + expected + "', but the client closed the connection");
    engine_.EndConnection();
  } else if (!Pop3LineMatches(expected, line)) {
    Fail("expected '" + expected + "', received '" + line + "'");
    engine_.EndConnection();
  }
}

void ScriptedPop3Server::Idle() {
  engine_.ReadArrived();
  if (engine_.Received().size() > taken_) {
    Fail("the client sent more before the answers to its commands: '" + engine_.Received().substr(taken_) + "'");
    engine_.EndConnection();
  }
}

void ScriptedPop3Server::Stall() {
  std::string line;
  while (TakeLine(line)) {
  }
}

void ScriptedPop3Server::Drain() {
  std::string line;
  if (TakeLine(line)) Fail("received '" + line + "' after the end of the script");
}

bool ScriptedPop3Server::LineArrived() const { return engine_.Received().find('\n', taken_) != std::string::npos; }

bool ScriptedPop3Server::TakeLine(std::string& line) {
  const std::string& input = engine_.Received();
  const std::size_t end = input.find('\n', taken_);
  if (end == std::string::npos) return false;
  line = input.substr(taken_, end - taken_);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  taken_ = end + 1;
  received_.push_back(line);
  return true;
}

void ScriptedPop3Server::Fail(const std::string& text) { failures_.push_back(text); }

bool ScriptedPop3Server::WaitUntilDone(int timeoutMs) {
  return PumpUntil([this] { return engine_.ScriptDone() && !engine_.Connected(); }, timeoutMs);
}

void ScriptedPop3Server::Settle() const {
  PumpUntil([this] { return !engine_.Connected() && !engine_.ConnectionWaiting(); }, kSettleMs);
}

std::vector<std::string> ScriptedPop3Server::Received() const {
  Settle();
  return received_;
}

bool ScriptedPop3Server::ReceivedLine(const std::string& line) const {
  Settle();
  for (const auto& received : received_) {
    if (received == line) return true;
  }
  return false;
}

int ScriptedPop3Server::CountReceived(const std::string& prefix) const {
  Settle();
  return CountReceivedSoFar(prefix);
}

int ScriptedPop3Server::CountReceivedSoFar(const std::string& prefix) const {
  int count = 0;
  for (const auto& received : received_) {
    if (received.compare(0, prefix.size(), prefix) == 0) ++count;
  }
  return count;
}

std::vector<std::string> ScriptedPop3Server::Failures() const {
  Settle();
  return failures_;
}

int ScriptedPop3Server::ConnectionsServed() const {
  Settle();
  return engine_.Accepted() - (engine_.Connected() ? 1 : 0);
}

}  // namespace testsupport
