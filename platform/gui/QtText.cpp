#include "platform/gui/qt/Text.h"

#include <QStringDecoder>
#include <QTextDocument>

namespace platform::qt {

namespace {

constexpr char16_t kSymbolForNull = 0x2400;

QByteArrayView BytesOf(std::string_view text) { return QByteArrayView(text.data(), static_cast<qsizetype>(text.size())); }

QString Decoded(std::string_view text) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString decoded = utf8.decode(BytesOf(text));
  if (!utf8.hasError()) return decoded;
  return QString::fromLatin1(BytesOf(text));
}

void ShownForLines(QString& shown) {
  shown.replace(QChar(u'\0'), QChar(kSymbolForNull));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// A piece starts after an LF, where a whole-text decoder stands as at the
// start, except that only the text's first byte order mark is dropped.
QStringDecoder PieceDecoder(bool first) {
  QStringConverter::Flags flags = QStringConverter::Flag::Stateless;
  if (!first) flags |= QStringConverter::Flag::ConvertInitialBom;
  return QStringDecoder(QStringDecoder::Utf8, flags);
}

}  // namespace

QString ToQt(const std::string& text) {
  QString shown = Decoded(text);
  shown.replace(QChar(u'\0'), QChar(kSymbolForNull));
  return shown;
}

QString ToQtLines(const std::string& text) {
  QString shown = Decoded(text);
  ShownForLines(shown);
  return shown;
}

std::vector<std::string_view> LinePieces(std::string_view text, std::size_t pieceBytes) {
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = start + pieceBytes < text.size() ? text.find('\n', start + pieceBytes - 1) : text.npos;
    end = end == text.npos ? text.size() : end + 1;
    pieces.push_back(text.substr(start, end - start));
    start = end;
  }
  return pieces;
}

bool PiecesReadAsUtf8(const std::vector<std::string_view>& pieces) {
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    QStringDecoder utf8 = PieceDecoder(i == 0);
    const QString decoded = utf8.decode(BytesOf(pieces[i]));
    if (utf8.hasError()) return false;
  }
  return true;
}

QString PieceToQtLines(std::string_view piece, bool first, bool utf8) {
  QString shown;
  if (utf8) {
    QStringDecoder decoder = PieceDecoder(first);
    shown = decoder.decode(BytesOf(piece));
  } else {
    shown = QString::fromLatin1(BytesOf(piece));
  }
  ShownForLines(shown);
  return shown;
}

QString ToQtToolTip(const std::string& text) {
  QString shown = ToQtLines(text);
  if (!Qt::mightBeRichText(shown)) return shown;
  return QStringLiteral("<p style='white-space:pre'>") + shown.toHtmlEscaped() + QStringLiteral("</p>");
}

std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace platform::qt

#include <QKeyEvent>

namespace platform::qt {

bool KeyChar(const QKeyEvent& event, char& key) {
  QString text = event.text();
  if (text.isEmpty()) return false;
  char16_t code = text.at(0).unicode();
  key = code < 256 ? static_cast<char>(code) : '?';
  return true;
}

}  // namespace platform::qt
