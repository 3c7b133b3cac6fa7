#include "tests/support/TestEnvironment.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <cstring>

#include "platform/core/EventLoop.h"

namespace testsupport {

namespace {

bool privateNetwork = false;
long socketActivations = 0;

// Sees every event of the application, as a filter on the application
// object does.
class ActivationCounter : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::SockAct) ++socketActivations;
    return QObject::eventFilter(watched, event);
  }
};

bool BringLoopbackUp() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  request.ifr_flags |= IFF_UP | IFF_RUNNING;
  up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  ::close(fd);
  return up;
}

}  // namespace

bool EnterPrivateNetwork() {
  privateNetwork = ::unshare(CLONE_NEWNET) == 0 && BringLoopbackUp();
  return privateNetwork;
}

bool InPrivateNetwork() { return privateNetwork; }

void Settle(int passes) {
  for (int i = 0; i < passes; ++i) platform::WaitForEvents(20);
}

void RunSoon(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

long SocketActivations() {
  static ActivationCounter* counter = [] {
    auto* filter = new ActivationCounter;
    QCoreApplication::instance()->installEventFilter(filter);
    return filter;
  }();
  (void)counter;
  return socketActivations;
}

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

}  // namespace testsupport
