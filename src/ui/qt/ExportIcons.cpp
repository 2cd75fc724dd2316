// p25update-icons DIR NAME: writes the window's icon into DIR as the desktop's icon theme lays it out
// (DIR/48x48/apps/NAME.png and larger), drawn by the same code as the window's, for the packages.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "Artwork.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DIR NAME\n", argv[0]);
    return 2;
  }
  // A build machine may have no display; drawing into a pixmap needs none.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QString root = QString::fromLocal8Bit(argv[1]);
  const QString name = QString::fromLocal8Bit(argv[2]);
  for (int size : {48, 64, 128, 256}) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
    const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
    if (!QDir().mkpath(folder) || !p25::ProgramIconPixmap(size).save(file, "PNG")) {
      std::fprintf(stderr, "p25update-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
