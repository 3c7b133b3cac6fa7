#include "platform/gui/qt/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

// How the program's 8-bit text reaches the toolkit's displays.
namespace {

using platform::qt::LinePieces;
using platform::qt::PiecesReadAsUtf8;
using platform::qt::PieceToQtLines;
using platform::qt::ToQt;
using platform::qt::ToQtLines;

// The text converted a piece at a time, the pieces joined.
QString JoinedPieces(const std::string& text, std::size_t pieceBytes) {
  const std::vector<std::string_view> pieces = LinePieces(text, pieceBytes);
  const bool utf8 = PiecesReadAsUtf8(pieces);
  QString joined;
  std::string_view rest = text;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    // The pieces cover the text in order, each but the last ending after an LF.
    EXPECT_EQ(rest.substr(0, pieces[i].size()), pieces[i]);
    if (i + 1 < pieces.size()) EXPECT_TRUE(pieces[i].size() >= pieceBytes && pieces[i].back() == '\n');
    rest.remove_prefix(pieces[i].size());
    joined += PieceToQtLines(pieces[i], i == 0, utf8);
  }
  EXPECT_TRUE(rest.empty());
  return joined;
}

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

// A large text is shown a piece at a time, and must look exactly as the
// whole text converted at once: the same choice of UTF-8 or Latin-1 for
// every piece (one 8-bit byte anywhere decides it), line ends and NULs
// alike where pieces meet, a byte order mark dropped at the start only.
TEST(TextTest, TextConvertedInPiecesIsTheWholeTextConverted) {
  const std::string lines[] = {"plain\r\n", "caf\xc3\xa9 \xe2\x82\xac\r\n", std::string("nul\0\r\n", 6), "lone cr\r",
                               "lone lf\n", "\xef\xbb\xbf" "bom\r\n",  "\r\n",                         "\n"};
  std::string utf8;
  for (int round = 0; round < 40; ++round)
    for (const std::string& line : lines) utf8 += line;
  const std::string texts[] = {utf8, "\xef\xbb\xbf" + utf8, utf8 + "caf\xe9\r\n", "caf\xe9\n" + utf8,
                               utf8 + "cut \xc3", utf8 + "no line end", std::string(300, 'x') + "\r\n" + utf8};
  for (const std::string& text : texts) {
    for (std::size_t pieceBytes : {1, 7, 64, 1000}) {
      EXPECT_EQ(JoinedPieces(text, pieceBytes), ToQtLines(text)) << "pieces of at least " << pieceBytes << " bytes";
    }
  }
  EXPECT_TRUE(LinePieces("", 8).empty());
  EXPECT_FALSE(PiecesReadAsUtf8(LinePieces(utf8 + "caf\xe9", 64)));
  EXPECT_TRUE(PiecesReadAsUtf8(LinePieces(utf8, 64)));
}

}  // namespace
