#include <QApplication>

#include "app/ferrowind_app.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ferrowind"));
  theApp.InitInstance();
  return 0;
}
