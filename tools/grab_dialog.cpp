// Saves a picture of the real dialog, built and initialised as the program does it, without a
// display:  QT_QPA_PLATFORM=offscreen build/tools/grab_dialog docs/dialog.png
#include <QApplication>
#include <QPixmap>

#include <cstdio>

#include "app/ferrowind_dlg.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  CFerrowindDlg dialog;
  dialog.show();
  QApplication::processEvents();
  if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
