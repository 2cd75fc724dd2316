// p25update: the updater's window.
#include <QApplication>

#include "UpdateApplication.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The window is the program: closing a help or wait window must not end it.
  QApplication::setQuitOnLastWindowClosed(false);
  p25::UpdateApplication updater;
  if (!updater.StartApplication()) return 1;
  return QApplication::exec();
}
