#include "tests/support/ScriptedPop3Server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace testsupport {

namespace {

std::string LeftTrimmed(const std::string& text) {
  std::size_t start = text.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : text.substr(start);
}

// After "TAG:" an optional single blank separates the tag from the text.
bool TakeTagged(const std::string& line, const char* tag, std::string& text) {
  std::size_t length = std::strlen(tag);
  if (line.compare(0, length, tag) != 0) return false;
  text = line.substr(length);
  if (!text.empty() && text[0] == ' ') text.erase(0, 1);
  return true;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char code = text[++i];
    switch (code) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '0': out += '\0'; break;
      case 'x':
        if (i + 2 < text.size()) {
          out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
          i += 2;
        }
        break;
      default: out += code; break;
    }
  }
  return out;
}

bool Matches(const std::string& expected, const std::string& line) {
  if (!expected.empty() && expected.back() == '*') {
    return line.compare(0, expected.size() - 1, expected, 0, expected.size() - 1) == 0;
  }
  return expected == line;
}

}  // namespace

ScriptedPop3Server::ScriptedPop3Server() {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  wakeRead_ = pipeFds[0];
  wakeWrite_ = pipeFds[1];
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listenFd_, 8) != 0 ||
      ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error(std::string("scripted server cannot listen: ") + std::strerror(errno));
  }
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

ScriptedPop3Server::~ScriptedPop3Server() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  char byte = 0;
  [[maybe_unused]] ssize_t ignored = ::write(wakeWrite_, &byte, 1);
  if (thread_.joinable()) thread_.join();
  for (int fd : {listenFd_, wakeRead_, wakeWrite_}) {
    if (fd >= 0) ::close(fd);
  }
}

void ScriptedPop3Server::AddConversation(const std::string& script) {
  Script parsed = Parse(script);
  std::lock_guard<std::mutex> lock(mutex_);
  pending_.push_back(std::move(parsed));
  ++queued_;
}

ScriptedPop3Server::Script ScriptedPop3Server::Parse(const std::string& script) {
  Script steps;
  std::size_t start = 0;
  while (start <= script.size()) {
    std::size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    std::string line = LeftTrimmed(script.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    std::string text;
    if (line.empty() || line[0] == '#') continue;
    if (TakeTagged(line, "S1:", text)) {
      steps.push_back({Step::SendBytewise, text + "\r\n"});
    } else if (TakeTagged(line, "S:", text)) {
      steps.push_back({Step::Send, text + "\r\n"});
    } else if (TakeTagged(line, "RAW:", text)) {
      steps.push_back({Step::Raw, Unescape(text)});
    } else if (TakeTagged(line, "C:", text)) {
      steps.push_back({Step::Expect, text});
    } else if (line == "IDLE") {
      steps.push_back({Step::Idle, {}});
    } else if (line == "CLOSE") {
      steps.push_back({Step::Close, {}});
    } else if (line == "STALL") {
      steps.push_back({Step::Stall, {}});
    } else if (line.rfind("WAIT ", 0) == 0) {
      steps.push_back({Step::Wait, line.substr(5)});
    } else {
      throw std::invalid_argument("scripted server: cannot read the script line '" + line + "'");
    }
  }
  return steps;
}

void ScriptedPop3Server::Serve() {
  for (;;) {
    if (!WaitReadable(listenFd_)) return;
    int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    int on = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    Script script;
    bool haveScript = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      conversing_ = true;
      if (!pending_.empty()) {
        script = std::move(pending_.front());
        pending_.pop_front();
        haveScript = true;
      }
    }
    if (haveScript) {
      Converse(client, script);
    } else {
      Fail("a connection arrived with no conversation queued");
    }
    ::close(client);
    std::lock_guard<std::mutex> lock(mutex_);
    if (haveScript) ++finished_;
    conversing_ = false;
    changed_.notify_all();
  }
}

void ScriptedPop3Server::Converse(int client, const Script& script) {
  std::string input;
  std::string output;
  std::string line;
  auto flush = [&] {
    bool ok = SendAll(client, output);
    output.clear();
    return ok;
  };
  for (const Step& step : script) {
    if (step.kind == Step::Send) {
      output += step.text;
      continue;
    }
    if (!flush()) return;
    switch (step.kind) {
      case Step::SendBytewise:
        for (char byte : step.text) {
          if (!SendAll(client, std::string(1, byte))) return;
          // Paced so that the client sees the line arrive in pieces.
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        break;
      case Step::Raw:
        if (!SendAll(client, step.text)) return;
        break;
      case Step::Expect:
        if (!ReadLine(client, input, line)) {
          Fail("expected '" + step.text + "', but the client closed the connection");
          return;
        }
        if (!Matches(step.text, line)) {
          Fail("expected '" + step.text + "', received '" + line + "'");
          return;
        }
        break;
      case Step::Idle: {
        char byte = 0;
        if (!input.empty() || ::recv(client, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0) {
          Fail("the client sent more before the answers to its commands: '" + input + "'");
          return;
        }
        break;
      }
      case Step::Wait:
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(step.text)));
        break;
      case Step::Close:
        return;
      case Step::Stall:
        while (ReadLine(client, input, line)) {
        }
        return;
      case Step::Send:
        break;
    }
  }
  if (!flush()) return;
  if (ReadLine(client, input, line)) Fail("received '" + line + "' after the end of the script");
}

bool ScriptedPop3Server::ReadLine(int client, std::string& buffer, std::string& line) {
  for (;;) {
    std::size_t end = buffer.find('\n');
    if (end != std::string::npos) {
      line = buffer.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      buffer.erase(0, end + 1);
      Record(line);
      return true;
    }
    if (!WaitReadable(client)) return false;
    char chunk[4096];
    ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<std::size_t>(n));
  }
}

bool ScriptedPop3Server::SendAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A client that stops reading must not keep the server from stopping.
      pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0 && errno != EINTR) return false;
      if (fds[1].revents & POLLIN) return false;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ScriptedPop3Server::WaitReadable(int fd) {
  for (;;) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    int n = ::poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (fds[1].revents & POLLIN)) return false;
    if (fds[0].revents != 0) return true;
  }
}

void ScriptedPop3Server::Record(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  received_.push_back(line);
}

void ScriptedPop3Server::Fail(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  failures_.push_back(text);
}

bool ScriptedPop3Server::WaitUntilDone(int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return finished_ >= queued_; });
}

std::unique_lock<std::mutex> ScriptedPop3Server::Settled() const {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(kSettleMs), [this] { return !conversing_; });
  return lock;
}

std::vector<std::string> ScriptedPop3Server::Received() const {
  auto lock = Settled();
  return received_;
}

bool ScriptedPop3Server::ReceivedLine(const std::string& line) const {
  auto lock = Settled();
  for (const auto& received : received_) {
    if (received == line) return true;
  }
  return false;
}

int ScriptedPop3Server::CountLocked(const std::string& prefix) const {
  int count = 0;
  for (const auto& received : received_) {
    if (received.compare(0, prefix.size(), prefix) == 0) ++count;
  }
  return count;
}

int ScriptedPop3Server::CountReceived(const std::string& prefix) const {
  auto lock = Settled();
  return CountLocked(prefix);
}

int ScriptedPop3Server::CountReceivedSoFar(const std::string& prefix) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return CountLocked(prefix);
}

std::vector<std::string> ScriptedPop3Server::Failures() const {
  auto lock = Settled();
  return failures_;
}

int ScriptedPop3Server::ConnectionsServed() const {
  auto lock = Settled();
  return finished_;
}

}  // namespace testsupport
