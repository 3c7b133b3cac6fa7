#include "platform/core/Socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

#include "platform/core/EventLoop.h"
#include "platform/core/SocketErrors.h"
#include "platform/core/SocketInternal.h"
#include "platform/core/TlsLayer.h"

namespace platform {

namespace {

// The events of fd that are pending now, without waiting.
short PollNow(int fd, short events) {
  pollfd entry{fd, events, 0};
  int rc;
  do {
    rc = ::poll(&entry, 1, 0);
  } while (rc < 0 && errno == EINTR);
  return rc > 0 ? entry.revents : 0;
}

// The error a socket has stored for us (the outcome of a connect, a reset),
// as a socket error number; reading it clears it.
int PendingError(int fd) {
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  return SocketErrorFromErrno(error);
}

// Records the failure of a call that answers with a Boolean.
bool Refuse(int errnoValue) {
  FailWithErrno(errnoValue);
  return false;
}

}  // namespace

struct TcpSocket::Impl {
  enum class Mode { Closed, Idle, Connecting, Connected, Listening };

  SocketEventSink* sink;
  int fd = -1;
  std::unique_ptr<TlsLayer> tls;  // while a TLS session runs over fd
  std::string tlsError;           // why the last StartTls failed
  int family = AF_INET;           // of the descriptor made by the last open
  bool resetOnClose = false;      // the option of the last open

  bool OpenFamily(int newFamily, bool reset);
  // The connect call and its outcome, for either family.
  int StartConnect(const sockaddr* address, socklen_t length);
  Mode mode = Mode::Closed;
  bool closeReported = false;
  unsigned generation = 0;  // changes with every new descriptor
  int dispatching = 0;      // depth of notifications being delivered
  std::shared_ptr<bool> alive = std::make_shared<bool>(true);
  QObject* context = new QObject;  // receiver of notifier signals and queued calls
  QSocketNotifier* readNotifier = new QSocketNotifier(QSocketNotifier::Read);
  QSocketNotifier* writeNotifier = new QSocketNotifier(QSocketNotifier::Write);

  explicit Impl(SocketEventSink& target) : sink(&target) {
    QObject::connect(readNotifier, &QSocketNotifier::activated, context, [this] { OnReadable(); });
    QObject::connect(writeNotifier, &QSocketNotifier::activated, context, [this] { OnWritable(); });
  }

  ~Impl() {
    delete context;
    // A notifier cannot be deleted safely while it emits; it is disabled
    // (SetDescriptor(-1) ran before) and goes when control is back in the loop.
    if (dispatching > 0) {
      readNotifier->deleteLater();
      writeNotifier->deleteLater();
    } else {
      delete readNotifier;
      delete writeNotifier;
    }
  }

  void SetDescriptor(int newFd, Mode newMode) {
    if (tls) tls->Shutdown();
    tls.reset();
    readNotifier->setEnabled(false);
    writeNotifier->setEnabled(false);
    readNotifier->setSocket(newFd);
    writeNotifier->setSocket(newFd);
    fd = newFd;
    mode = newMode;
    closeReported = false;
    ++generation;
  }

  // Read notifications come once per arming: the notifier is switched off
  // when it fires and on again by the next receive, so bytes left unread do
  // not make the event loop spin.
  void ArmRead() {
    if (mode == Mode::Connected || mode == Mode::Listening) readNotifier->setEnabled(true);
  }

  // Delivers one notification. False when the sink destroyed this socket or
  // gave it a new descriptor, so that the caller must stop at once.
  bool Deliver(SocketEventKind kind, int error) {
    std::weak_ptr<bool> guard = alive;
    const unsigned before = generation;
    ++dispatching;
    sink->OnSocketEvent(kind, error);
    if (guard.expired()) return false;
    --dispatching;
    return generation == before;
  }

  void OnReadable() {
    readNotifier->setEnabled(false);
    if (mode == Mode::Listening) {
      Deliver(SocketEventKind::Accept, kSockNoError);
      return;
    }
    if (mode != Mode::Connected) return;
    // POLLRDHUP tells of the peer's close even while bytes are still queued,
    // so that data followed by a close gives Read and then Close.
    const short events = PollNow(fd, POLLIN | POLLRDHUP);
    const bool peerClosed = (events & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
    int queued = 0;
    if (::ioctl(fd, FIONREAD, &queued) != 0) queued = 0;
    if (queued > 0 && !Deliver(SocketEventKind::Read, kSockNoError)) return;
    if (peerClosed && !closeReported) {
      closeReported = true;
      const int error = (events & POLLERR) != 0 ? PendingError(fd) : kSockNoError;
      Deliver(SocketEventKind::Close, error);
    }
  }

  void OnWritable() {
    writeNotifier->setEnabled(false);
    if (mode != Mode::Connecting) return;  // someone waited for send space
    const int error = PendingError(fd);
    mode = error == kSockNoError ? Mode::Connected : Mode::Idle;
    ArmRead();
    Deliver(SocketEventKind::Connect, error);
  }

  // A connect outcome known at once still arrives as a notification, from
  // the event loop, as it does for one that completes later.
  void PostConnectOutcome(int error) {
    const unsigned expected = generation;
    QMetaObject::invokeMethod(
        context,
        [this, expected, error] {
          if (generation == expected) Deliver(SocketEventKind::Connect, error);
        },
        Qt::QueuedConnection);
  }
};

TcpSocket::TcpSocket(SocketEventSink& sink) : impl_(std::make_unique<Impl>(sink)) {}

TcpSocket::~TcpSocket() { Close(); }

void TcpSocket::SetSink(SocketEventSink& sink) { impl_->sink = &sink; }

bool TcpSocket::Open(bool resetOnClose) { return impl_->OpenFamily(AF_INET, resetOnClose); }

bool TcpSocket::Impl::OpenFamily(int family, bool resetOnClose) {
  if (fd >= 0) {
    const int old = fd;
    SetDescriptor(-1, Mode::Closed);
    ::close(old);
  }
  const int newFd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (newFd < 0) return Refuse(errno);
  if (resetOnClose) {
    const linger noLinger{1, 0};
    if (::setsockopt(newFd, SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger) != 0) {
      const int error = errno;
      ::close(newFd);
      return Refuse(error);
    }
  }
  SetDescriptor(newFd, Mode::Idle);
  this->family = family;
  this->resetOnClose = resetOnClose;
  return true;
}

bool TcpSocket::IsValid() const { return impl_->fd >= 0; }

int TcpSocket::Connect(std::uint32_t addressNetOrder, std::uint16_t port) {
  return Connect(IpAddress::FromIPv4(addressNetOrder), port);
}

int TcpSocket::Connect(const IpAddress& address, std::uint16_t port) {
  const int family = address.v6 ? AF_INET6 : AF_INET;
  if (impl_->fd >= 0 && impl_->family != family && !impl_->OpenFamily(family, impl_->resetOnClose)) return -1;
  if (address.v6) {
    sockaddr_in6 target{};
    target.sin6_family = AF_INET6;
    target.sin6_port = htons(port);
    std::memcpy(&target.sin6_addr, address.bytes.data(), 16);
    return impl_->StartConnect(reinterpret_cast<const sockaddr*>(&target), sizeof target);
  }
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr.s_addr = address.IPv4();
  return impl_->StartConnect(reinterpret_cast<const sockaddr*>(&target), sizeof target);
}

int TcpSocket::Impl::StartConnect(const sockaddr* address, socklen_t length) {
  if (fd < 0) return FailWithErrno(ENOTSOCK);
  const int rc = ::connect(fd, address, length);
  const int error = rc == 0 ? 0 : errno;
  // An interrupted connect goes on in the background, like one in progress.
  if (rc == 0 || error == EINPROGRESS || error == EINTR) {
    mode = Mode::Connecting;
    writeNotifier->setEnabled(true);  // writable = the outcome is known
    if (rc == 0) return 0;
    SetLastSocketError(kSockEWOULDBLOCK);  // how Windows Sockets answers
    return -1;
  }
  if (error == ECONNREFUSED || error == ENETUNREACH || error == EHOSTUNREACH || error == EADDRNOTAVAIL) {
    // Known at once, told as a notification all the same, so that the
    // caller may try its next address the way it would after a late refusal.
    mode = Mode::Idle;
    PostConnectOutcome(SocketErrorFromErrno(error));
    SetLastSocketError(kSockEWOULDBLOCK);
    return -1;
  }
  return FailWithErrno(error);
}

long TcpSocket::Send(const char* bytes, std::size_t length) {
  if (impl_->fd < 0) return FailWithErrno(ENOTSOCK);
  // Linux answers EPIPE for a socket that never connected.
  if (impl_->mode == Impl::Mode::Idle) return FailWithErrno(ENOTCONN);
  if (impl_->tls) {
    int error = kSockNoError;
    const long sent = impl_->tls->Write(bytes, length, error);
    if (sent < 0) SetLastSocketError(error);
    return sent;
  }
  ssize_t sent;
  do {
    sent = ::send(impl_->fd, bytes, length, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0) return FailWithErrno(errno);
  return static_cast<long>(sent);
}

long TcpSocket::Recv(char* buffer, std::size_t length, bool peek) {
  if (impl_->fd < 0) return FailWithErrno(ENOTSOCK);
  if (impl_->tls) {
    int error = kSockNoError;
    const long received = impl_->tls->Read(buffer, length, peek, error);
    impl_->ArmRead();
    if (received < 0) SetLastSocketError(error);
    return received;
  }
  ssize_t received;
  do {
    received = ::recv(impl_->fd, buffer, length, peek ? MSG_PEEK : 0);
  } while (received < 0 && errno == EINTR);
  const int error = errno;
  impl_->ArmRead();
  if (received < 0) return FailWithErrno(error);
  return static_cast<long>(received);
}

bool TcpSocket::Close() {
  if (impl_->fd < 0) return true;
  const int fd = impl_->fd;
  impl_->SetDescriptor(-1, Impl::Mode::Closed);
  // Linux releases the descriptor even when close() reports EINTR.
  if (::close(fd) != 0 && errno != EINTR) return Refuse(errno);
  return true;
}

bool TcpSocket::Listen(std::uint32_t addressNetOrder, std::uint16_t port, int backlog) {
  if (impl_->fd < 0) return Refuse(ENOTSOCK);
  const int on = 1;
  ::setsockopt(impl_->fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = addressNetOrder;
  if (::bind(impl_->fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(impl_->fd, backlog) != 0) {
    return Refuse(errno);
  }
  impl_->mode = Impl::Mode::Listening;
  impl_->ArmRead();
  return true;
}

std::uint16_t TcpSocket::LocalPort() const {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (impl_->fd < 0 || ::getsockname(impl_->fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

std::unique_ptr<TcpSocket> TcpSocket::Accept(SocketEventSink& newSink, std::uint32_t& peerAddressNetOrder,
                                             std::uint16_t& peerPort) {
  if (impl_->fd < 0) {
    FailWithErrno(ENOTSOCK);
    return nullptr;
  }
  sockaddr_in address{};
  socklen_t length = sizeof address;
  int fd;
  do {
    fd = ::accept4(impl_->fd, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  const int error = errno;
  impl_->ArmRead();  // the next pending connection notifies again
  if (fd < 0) {
    FailWithErrno(error);
    return nullptr;
  }
  auto accepted = std::make_unique<TcpSocket>(newSink);
  accepted->impl_->SetDescriptor(fd, Impl::Mode::Connected);
  accepted->impl_->ArmRead();
  peerAddressNetOrder = address.sin_addr.s_addr;
  peerPort = ntohs(address.sin_port);
  return accepted;
}

bool TcpSocket::StartTls(const TlsOptions& options) {
  impl_->tls.reset();
  if (impl_->fd < 0 || impl_->mode != Impl::Mode::Connected) {
    impl_->tlsError = "TLS needs a connected socket";
    return false;
  }
  auto tls = std::make_unique<TlsLayer>();
  if (!tls->Start(impl_->fd, options)) {
    impl_->tlsError = tls->error();
    return false;
  }
  impl_->tls = std::move(tls);
  return true;
}

TlsStep TcpSocket::TlsHandshake() {
  if (!impl_->tls) return TlsStep::Failed;
  return impl_->tls->Handshake();
}

bool TcpSocket::TlsActive() const { return impl_->tls != nullptr; }

const TlsPeer& TcpSocket::TlsPeerInfo() const {
  static const TlsPeer kNone;
  return impl_->tls ? impl_->tls->peer() : kNone;
}

const std::string& TcpSocket::TlsError() const { return impl_->tls ? impl_->tls->error() : impl_->tlsError; }

void TcpSocket::WaitReadable(int maxMs) {
  if (impl_->tls && impl_->tls->want() == TlsLayer::Want::Write) {
    WaitWritable(maxMs);
    return;
  }
  if (impl_->fd >= 0 && ((impl_->tls && impl_->tls->HasPending()) || PollNow(impl_->fd, POLLIN | POLLRDHUP) != 0)) {
    PumpEvents();
    return;
  }
  impl_->ArmRead();
  WaitForEvents(maxMs);
}

void TcpSocket::WaitWritable(int maxMs) {
  if (impl_->tls && impl_->tls->want() == TlsLayer::Want::Read) {
    WaitReadable(maxMs);
    return;
  }
  if (impl_->fd >= 0 && PollNow(impl_->fd, POLLOUT) != 0) {
    PumpEvents();
    return;
  }
  if (impl_->mode == Impl::Mode::Connected) impl_->writeNotifier->setEnabled(true);
  WaitForEvents(maxMs);
}

int TcpSocket::Handle() const { return impl_->fd; }

}  // namespace platform
