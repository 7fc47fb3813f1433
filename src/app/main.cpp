#include <QApplication>

#include <cstdio>

#include "app/command_line.h"
#include "app/ferrowind_app.h"
#include "sim/demo_machine.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ferrowind"));

  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1))
    arguments.push_back(argument.toStdString());
  const CommandLine line = ParseCommandLine(arguments);
  if (!line.error.empty()) {
    std::fprintf(stderr, "ferrowind: %s\n%s", line.error.c_str(), kUsageText);
    return 2;
  }
  if (line.help) {
    std::fputs(kUsageText, stdout);
    return 0;
  }

  if (line.simulate) {
    auto machine = sim::MakeDemoMachine();
    theApp.m_environment.hid = machine;
    theApp.m_environment.notices = machine;
  }
  theApp.InitInstance();
  // The simulated machine's thread ends here, while the application still exists.
  theApp.m_environment.hid.reset();
  theApp.m_environment.notices.reset();
  return 0;
}
