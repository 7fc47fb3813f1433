// Saves a picture of the real dialog, built and initialised as the program does it, without a
// display:  QT_QPA_PLATFORM=offscreen build/tools/grab_dialog [--simulate] docs/dialog.png
// With --simulate the dialog runs on the demo's simulated keyboard and is taken once it shows
// the keyboard connected.
#include <QApplication>
#include <QDeadlineTimer>
#include <QPixmap>

#include <cstdio>
#include <cstring>

#include "app/ferrowind_dlg.h"
#include "app/resource_ids.h"
#include "sim/demo_machine.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const bool simulate = argc == 3 && std::strcmp(argv[1], "--simulate") == 0;
  if (argc != 2 && !simulate) {
    std::fprintf(stderr, "usage: %s [--simulate] OUTPUT.png\n", argv[0]);
    return 2;
  }
  const char* output = argv[argc - 1];

  DialogEnvironment environment;
  if (simulate) {
    auto machine = sim::MakeDemoMachine();
    environment.hid = machine;
    environment.notices = machine;
  }
  CFerrowindDlg dialog(environment);
  dialog.show();
  if (simulate) {
    QDeadlineTimer deadline(10000);
    while (dialog.itemText(IDC_STATUS) != "Device connected" && !deadline.hasExpired())
      QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    if (dialog.itemText(IDC_STATUS) != "Device connected") {
      std::fprintf(stderr, "the simulated keyboard did not connect\n");
      return 1;
    }
  }
  QApplication::processEvents();
  if (!dialog.grab().save(QString::fromLocal8Bit(output))) {
    std::fprintf(stderr, "cannot write %s\n", output);
    return 1;
  }
  return 0;
}
