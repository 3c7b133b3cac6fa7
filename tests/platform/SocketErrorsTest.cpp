#include <gtest/gtest.h>

#include <cerrno>

#include "platform/core/SocketErrors.h"

namespace {

using namespace platform;

// Linux numbers its errors differently from BSD: ECONNREFUSED is 111 here
// and 61 there, so adding 10000 would give 10111, not 10061.
TEST(SocketErrorFromErrnoTest, MapsLinuxErrorsByName) {
  EXPECT_EQ(SocketErrorFromErrno(0), kSockNoError);
  EXPECT_EQ(SocketErrorFromErrno(ECONNREFUSED), 10061);
  EXPECT_EQ(SocketErrorFromErrno(ETIMEDOUT), 10060);
  EXPECT_EQ(SocketErrorFromErrno(ECONNRESET), 10054);
  EXPECT_EQ(SocketErrorFromErrno(EAGAIN), 10035);
  EXPECT_EQ(SocketErrorFromErrno(EWOULDBLOCK), 10035);
  EXPECT_EQ(SocketErrorFromErrno(EINPROGRESS), 10036);
  EXPECT_EQ(SocketErrorFromErrno(ENOTCONN), 10057);
  EXPECT_EQ(SocketErrorFromErrno(EPIPE), 10058);
  EXPECT_EQ(SocketErrorFromErrno(EADDRINUSE), 10048);
  EXPECT_EQ(SocketErrorFromErrno(ENETUNREACH), 10051);
  EXPECT_EQ(SocketErrorFromErrno(EHOSTUNREACH), 10065);
  EXPECT_EQ(SocketErrorFromErrno(EINTR), 10004);
}

TEST(SocketErrorFromErrnoTest, UnmappedErrorsStayFailuresOutsideTheTable) {
  for (const int error : {EIO, ENOENT, ENOSPC, ENODATA}) {
    const int mapped = SocketErrorFromErrno(error);
    EXPECT_GT(mapped, kSockNO_DATA) << error;  // above 10000, so still raised
  }
}

}  // namespace
