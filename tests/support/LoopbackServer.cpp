#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <stdexcept>

namespace testsupport {

namespace {

// Binds a fresh socket to 127.0.0.1 on a port the system chooses.
int BoundSocket(std::uint16_t& port, int flags = 0) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | flags, 0);
  if (fd < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    throw std::runtime_error("bind failed");
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

LoopbackServer::LoopbackServer(int backlog) : context_(std::make_unique<QObject>()) {
  listenFd_ = BoundSocket(port_, SOCK_NONBLOCK);
  if (::listen(listenFd_, backlog) != 0) throw std::runtime_error("listen failed");
  listenNotifier_ = std::make_unique<QSocketNotifier>(listenFd_, QSocketNotifier::Read);
  listenNotifier_->setEnabled(false);  // only while an Accept step (or a refusal) waits
  QObject::connect(listenNotifier_.get(), &QSocketNotifier::activated, context_.get(), [this] { Advance(); });
}

LoopbackServer::~LoopbackServer() {
  context_.reset();  // no timer or notifier reaches the steps any more
  DropConnection();
  listenNotifier_.reset();
  ::close(listenFd_);
}

LoopbackServer& LoopbackServer::Add(std::function<bool()> run, bool accepts) {
  steps_.push_back({accepts, std::move(run)});
  ScheduleAdvance();
  return *this;
}

void LoopbackServer::ScheduleAdvance() {
  if (advanceScheduled_) return;
  advanceScheduled_ = true;
  QTimer::singleShot(0, context_.get(), [this] {
    advanceScheduled_ = false;
    Advance();
  });
}

void LoopbackServer::Advance() {
  if (advancing_) return;
  advancing_ = true;
  while (!steps_.empty()) {
    const Step step = steps_.front();  // a copy: the step may end the connection
    const bool done = step.run();
    if (connectionEnded_) {
      connectionEnded_ = false;
      steps_.pop_front();
      SkipRestOfConnection();
      continue;
    }
    if (!done) break;
    steps_.pop_front();
  }
  if (steps_.empty() && refused_) RefuseWaiting();
  listenNotifier_->setEnabled(steps_.empty() ? static_cast<bool>(refused_) : steps_.front().accepts);
  advancing_ = false;
}

LoopbackServer& LoopbackServer::Accept() {
  return Add([this] { return TakeConnection(); }, true);
}

bool LoopbackServer::TakeConnection() {
  const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return false;  // the listener's notifier brings the next try
  DropConnection();
  connectionFd_ = fd;
  // Every Send goes out at once, so that the script decides the pieces.
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  ++accepted_;
  received_.clear();
  peerClosed_ = peerReset_ = false;
  connectionNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(connectionNotifier_.get(), &QSocketNotifier::activated, context_.get(), [this] {
    ReadArrived();
    Advance();
  });
  writeNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
  writeNotifier_->setEnabled(false);  // only while a Send step waits for room
  QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, context_.get(), [this] {
    writeNotifier_->setEnabled(false);
    Advance();
  });
  return true;
}

void LoopbackServer::RefuseUnscripted(std::function<void()> refused) {
  refused_ = std::move(refused);
  ScheduleAdvance();
}

void LoopbackServer::RefuseWaiting() {
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    ::close(fd);
    refused_();
  }
}

bool LoopbackServer::ConnectionWaiting() const {
  pollfd entry{listenFd_, POLLIN, 0};
  return ::poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN) != 0;
}

LoopbackServer& LoopbackServer::Send(const std::string& bytes) {
  auto sent = std::make_shared<std::size_t>(0);
  return Add([this, bytes, sent] {
    while (*sent < bytes.size()) {
      const ssize_t n = ::send(connectionFd_, bytes.data() + *sent, bytes.size() - *sent, MSG_NOSIGNAL);
      if (n > 0) {
        *sent += static_cast<std::size_t>(n);
      } else if (n < 0 && errno == EAGAIN) {
        writeNotifier_->setEnabled(true);  // go on when the client has read
        return false;
      } else if (n < 0 && (errno == EPIPE || errno == ECONNRESET)) {
        // The client is gone: nothing more of this connection can happen.
        peerClosed_ = true;
        peerReset_ = peerReset_ || errno == ECONNRESET;
        EndConnection();
        return true;
      } else if (n < 0 && errno != EINTR) {
        throw std::runtime_error("server send failed");
      }
    }
    return true;
  });
}

LoopbackServer& LoopbackServer::Pause(int passes) {
  auto left = std::make_shared<int>(passes);
  return Add([this, left] {
    if (*left <= 0) return true;
    --*left;
    ScheduleAdvance();
    return false;
  });
}

LoopbackServer& LoopbackServer::Delay(int ms) {
  auto started = std::make_shared<bool>(false);
  auto elapsed = std::make_shared<bool>(false);
  return Add([this, ms, started, elapsed] {
    if (!*started) {
      *started = true;
      QTimer::singleShot(ms, Qt::PreciseTimer, context_.get(), [this, elapsed] {
        *elapsed = true;
        Advance();
      });
    }
    return *elapsed;
  });
}

LoopbackServer& LoopbackServer::AwaitBytes(std::size_t total) {
  return Await([this, total] { return received_.size() >= total; });
}

LoopbackServer& LoopbackServer::Await(std::function<bool()> ready) {
  return Add([this, ready] {
    ReadArrived();
    return ready() || peerClosed_;
  });
}

LoopbackServer& LoopbackServer::Close() {
  return Add([this] {
    DropConnection();
    return true;
  });
}

LoopbackServer& LoopbackServer::Reset() {
  return Add([this] {
    if (connectionFd_ >= 0) {
      const linger noLinger{1, 0};
      ::setsockopt(connectionFd_, SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
    }
    DropConnection();
    return true;
  });
}

LoopbackServer& LoopbackServer::Run(std::function<void()> action) {
  return Add([action] {
    action();
    return true;
  });
}

void LoopbackServer::EndConnection() {
  DropConnection();
  if (advancing_) {
    connectionEnded_ = true;  // Advance skips the rest once the step returns
  } else {
    SkipRestOfConnection();
    ScheduleAdvance();
  }
}

void LoopbackServer::SkipRestOfConnection() {
  while (!steps_.empty() && !steps_.front().accepts) steps_.pop_front();
}

void LoopbackServer::ReadArrived() {
  if (connectionFd_ < 0 || peerClosed_) return;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::recv(connectionFd_, buffer, sizeof buffer, 0);
    if (n > 0) {
      received_.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    peerClosed_ = true;
    peerReset_ = n < 0 && errno == ECONNRESET;
    connectionNotifier_->setEnabled(false);  // a closed stream stays readable
    return;
  }
}

void LoopbackServer::DropConnection() {
  if (connectionFd_ < 0) return;
  if (connectionNotifier_) connectionNotifier_->setEnabled(false);
  if (writeNotifier_) writeNotifier_->setEnabled(false);
  connectionNotifier_.reset();
  writeNotifier_.reset();
  ::close(connectionFd_);
  connectionFd_ = -1;
}

RefusingPort::RefusingPort() { fd_ = BoundSocket(port_); }

RefusingPort::~RefusingPort() { ::close(fd_); }

IdlePort::IdlePort() {
  fd_ = BoundSocket(port_);
  if (::listen(fd_, 5) != 0) throw std::runtime_error("listen failed");
}

IdlePort::~IdlePort() { ::close(fd_); }

SilentPort::SilentPort() {
  listenFd_ = BoundSocket(port_);
  if (::listen(listenFd_, 0) != 0) throw std::runtime_error("listen failed");
  // One connection completes into the queue and fills it.
  fillerFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port_);
  if (::connect(fillerFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error("filler connect failed");
}

SilentPort::~SilentPort() {
  ::close(fillerFd_);
  ::close(listenFd_);
}

}  // namespace testsupport
