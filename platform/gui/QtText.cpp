#include "platform/gui/qt/Text.h"

#include <QStringDecoder>
#include <QTextDocument>
#include <string_view>

namespace platform::qt {

namespace {

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
