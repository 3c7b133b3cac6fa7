// Parameters read as the bytes that were sent (HeaderParameterBytes), as a
// multipart boundary needs them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "codec/HeaderParameters.h"

namespace codec::test {
namespace {

struct ParameterCase {
  const char* value;
  const char* boundary;
};

// Boundaries as real mail writes them: quoted or not, blanks around "=",
// any letter case, RFC 2231 forms; the value is taken exactly.
TEST(HeaderParameterBytes, BoundaryTakenExactlyInEveryForm) {
  const ParameterCase cases[] = {
      {"multipart/mixed; boundary=\"XYZ12345\"", "XYZ12345"},
      {"multipart/mixed; boundary=\"===============123==\"", "===============123=="},
      {"multipart/mixed; boundary=simple-boundary", "simple-boundary"},
      {"multipart/mixed; boundary=----=_Part_1.2 ", "----=_Part_1.2"},
      {"multipart/mixed; boundary = x", "x"},
      {"multipart/mixed;\tBOUNDARY=\"a;b\\\"c\"; charset=x", "a;b\"c"},
      {"multipart/mixed; charset=\"boundary=no\"; boundary=ab", "ab"},
      {"multipart/mixed; boundary*=us-ascii'en'a%20b", "a b"},
      {"multipart/mixed; boundary*0=\"ab\"; boundary*1=cd", "abcd"},
      {"multipart/mixed; boundary=\"\"", ""},
      // A token ends at a blank, for a boundary as for a name.
      {"multipart/mixed; boundary=abc def ; x=y", "abc"},
  };
  for (const ParameterCase& c : cases) EXPECT_EQ(HeaderParameterBytes(c.value, "boundary"), c.boundary) << c.value;
}

TEST(HeaderParameterBytes, OtherParametersAndPlainTextAreNoBoundary) {
  for (const std::string value : {"multipart/mixed", "multipart/mixed; xboundary=a", "text/plain; boundary",
                                  "multipart/mixed boundary=a"}) {
    EXPECT_EQ(HeaderParameterBytes(value, "boundary"), std::nullopt) << value;
  }
}

}  // namespace
}  // namespace codec::test
