#include <gtest/gtest.h>

#include <memory>

#include "SocketTestSupport.h"
#include "tests/support/TestEnvironment.h"
#include "platform/core/Socket.h"
#include "platform/core/SocketErrors.h"

namespace {

using platform::HostLookup;
using sockettest::Loopback;
using sockettest::RecordingSink;
using testsupport::PumpUntil;
using testsupport::Settle;

TEST(HostLookupTest, LocalhostResolvesToTheLoopbackAddress) {
  RecordingSink sink;
  HostLookup lookup;
  lookup.Start("localhost", sink);
  EXPECT_EQ(sink.lookups, 0);  // completions come from the event loop only
  ASSERT_TRUE(PumpUntil([&] { return sink.lookups == 1; }));
  EXPECT_EQ(sink.lookupError, 0);
  EXPECT_EQ(sink.lookupAddress, Loopback());
  Settle();
  EXPECT_EQ(sink.lookups, 1);
}

TEST(HostLookupTest, NameThatDoesNotResolveCompletesWithAHostError) {
  REQUIRE_PRIVATE_NETWORK();
  RecordingSink sink;
  HostLookup lookup;
  lookup.Start("nosuch.invalid", sink);
  ASSERT_TRUE(PumpUntil([&] { return sink.lookups == 1; }));
  EXPECT_GE(sink.lookupError, platform::kSockHOST_NOT_FOUND);
  EXPECT_LE(sink.lookupError, platform::kSockNO_DATA);
}

TEST(HostLookupTest, RestartingDeliversOnlyTheLatestLookup) {
  RecordingSink first;
  RecordingSink second;
  HostLookup lookup;
  lookup.Start("localhost", first);
  lookup.Start("localhost", second);
  ASSERT_TRUE(PumpUntil([&] { return second.lookups == 1; }));
  Settle();
  EXPECT_EQ(first.lookups, 0);
  EXPECT_EQ(second.lookups, 1);
}

TEST(HostLookupTest, DestroyedOrCancelledLookupDeliversNothing) {
  RecordingSink dropped;
  auto destroyed = std::make_unique<HostLookup>();
  destroyed->Start("localhost", dropped);
  destroyed.reset();
  HostLookup cancelled;
  cancelled.Start("localhost", dropped);
  cancelled.Cancel();

  RecordingSink marker;  // started last: once it is done, the others had their chance
  HostLookup lookup;
  lookup.Start("localhost", marker);
  ASSERT_TRUE(PumpUntil([&] { return marker.lookups == 1; }));
  Settle();
  EXPECT_EQ(dropped.lookups, 0);
}

TEST(ParseDottedAddressTest, TakesDottedDecimalOnly) {
  std::uint32_t address = 0;
  EXPECT_TRUE(platform::ParseDottedAddress("127.0.0.1", address));
  EXPECT_EQ(address, Loopback());
  EXPECT_TRUE(platform::ParseDottedAddress("10.1.2.3", address));
  EXPECT_EQ(address, htonl(0x0a010203));
  for (const char* text : {"localhost", "", "127.1", "256.1.1.1", "1.2.3.4 ", "mail.example.org"}) {
    EXPECT_FALSE(platform::ParseDottedAddress(text, address)) << text;
  }
}

}  // namespace
