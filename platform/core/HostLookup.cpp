#include <arpa/inet.h>

#include <QHostAddress>
#include <QHostInfo>
#include <QObject>

#include "platform/core/Socket.h"
#include "platform/core/SocketErrors.h"

namespace platform {

namespace {

// The look-up's outcome as a socket error number; fills the first IPv4
// address on success.
int LookupResult(const QHostInfo& info, std::uint32_t& addressNetOrder) {
  switch (info.error()) {
    case QHostInfo::NoError:
      for (const QHostAddress& address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
          addressNetOrder = htonl(address.toIPv4Address());
          return kSockNoError;
        }
      }
      return kSockNO_DATA;  // the name exists, but has no IPv4 address
    case QHostInfo::HostNotFound:
      return kSockHOST_NOT_FOUND;
    default:
      return kSockTRY_AGAIN;
  }
}

}  // namespace

struct HostLookup::Impl {
  QObject context;  // completions are delivered through it; dropped with it
  int lookupId = -1;
  unsigned generation = 0;  // a completion of an older Start is dropped
};

HostLookup::HostLookup() : impl_(std::make_unique<Impl>()) {}

HostLookup::~HostLookup() { Cancel(); }

void HostLookup::Start(const std::string& hostName, SocketEventSink& sink) {
  Cancel();
  Impl* impl = impl_.get();
  const unsigned generation = impl->generation;
  SocketEventSink* target = &sink;
  const QString name = QString::fromLatin1(hostName.data(), static_cast<qsizetype>(hostName.size()));
  impl->lookupId = QHostInfo::lookupHost(name, &impl->context, [impl, generation, target](const QHostInfo& info) {
    if (generation != impl->generation) return;
    impl->lookupId = -1;
    std::uint32_t address = 0;
    const int error = LookupResult(info, address);
    target->OnLookupDone(error, address);
  });
}

void HostLookup::Cancel() {
  if (impl_->lookupId >= 0) QHostInfo::abortHostLookup(impl_->lookupId);
  impl_->lookupId = -1;
  ++impl_->generation;
}

}  // namespace platform
