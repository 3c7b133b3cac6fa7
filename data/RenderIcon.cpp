// Build tool: writes the application icon as PNG files for the icon theme,
// painted by the same code as the window's and the tray's icon.
//
//   pop3check-render-icon OUTDIR SIZE...
//
// writes OUTDIR/SIZExSIZE/apps/pop3check.png for every SIZE.
#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>

#include "platform/gui/qt/Icons.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTDIR SIZE...\n", argv[0]);
    return 2;
  }
  QString outDir = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    int size = QString::fromLatin1(argv[i]).toInt();
    if (size <= 0) {
      std::fprintf(stderr, "%s: not a size: %s\n", argv[0], argv[i]);
      return 2;
    }
    QString folder = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
    QString file = folder + QStringLiteral("/pop3check.png");
    if (!QDir().mkpath(folder) || !platform::qt::ApplicationIconImage(size).save(file, "PNG")) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
      return 1;
    }
  }
  return 0;
}
