#include "platform/gui/qt/Text.h"

#include <gtest/gtest.h>

#include <string>

// How the program's 8-bit text reaches the toolkit's displays.
namespace {

using platform::qt::ToQt;
using platform::qt::ToQtLines;

TEST(TextTest, Utf8IsShownAsUtf8AndOtherBytesAsLatin1) {
  EXPECT_EQ(ToQt("Gr\xc3\xbc\xc3\x9f" "e"), QString::fromUtf8("Grüße"));
  // 0xFC alone is no UTF-8: the whole text is taken as Latin-1.
  EXPECT_EQ(ToQt("M\xfcller \xc3\xbc"), QString::fromUtf8("Müller Ã¼"));
}

// Some displays end a text at U+0000: a reply holding NUL would lose
// everything after it on screen.
TEST(TextTest, NulIsShownVisiblyAndKeepsTheRestOfTheText) {
  const QString shown = ToQt(std::string("-ERR \0bad\xff", 10));
  EXPECT_EQ(shown, QString::fromUtf8("-ERR \xe2\x90\x80" "bad\xc3\xbf"));
  EXPECT_FALSE(shown.contains(QChar(u'\0')));
  EXPECT_EQ(ToQtLines(std::string("a\0\r\nb\rc", 7)), QString::fromUtf8("a\xe2\x90\x80\nb\nc"));
}

}  // namespace
