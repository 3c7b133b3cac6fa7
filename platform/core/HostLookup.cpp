#include <arpa/inet.h>

#include <QHostAddress>
#include <QHostInfo>
#include <QObject>

#include "platform/core/Socket.h"
#include "platform/core/SocketErrors.h"

namespace platform {

namespace {

// The look-up's outcome as a socket error number; fills every address, in
// the resolver's order, on success.
int LookupResult(const QHostInfo& info, std::vector<IpAddress>& addresses) {
  switch (info.error()) {
    case QHostInfo::NoError:
      for (const QHostAddress& address : info.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
          addresses.push_back(IpAddress::FromIPv4(htonl(address.toIPv4Address())));
        } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
          IpAddress v6;
          v6.v6 = true;
          const Q_IPV6ADDR raw = address.toIPv6Address();
          for (int i = 0; i < 16; ++i) v6.bytes[static_cast<std::size_t>(i)] = raw[i];
          addresses.push_back(v6);
        }
      }
      return addresses.empty() ? kSockNO_DATA : kSockNoError;
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
    std::vector<IpAddress> addresses;
    const int error = LookupResult(info, addresses);
    target->OnLookupAddresses(error, addresses);
  });
}

void HostLookup::Cancel() {
  if (impl_->lookupId >= 0) QHostInfo::abortHostLookup(impl_->lookupId);
  impl_->lookupId = -1;
  ++impl_->generation;
}

}  // namespace platform
