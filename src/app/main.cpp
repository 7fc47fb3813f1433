#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/ferrowind_app.h"
#include "app/startup_probe.h"
#include "build_config.h"
#include "sim/demo_machine.h"
#include "upgrade/firmware_image.h"
#include "upgrade/image_identity.h"

namespace {

// --help and --version answer before Qt starts, so they need no display.
int printText(TextRequest request) {
  if (request == TextRequest::Help) {
    std::fputs(kUsageText, stdout);
  } else {
    const std::string text =
        VersionText(FERROWIND_VERSION, BUILD_PROFILE, ImageIdentityText(FirmwareImage()));
    std::fputs(text.c_str(), stdout);
  }
  return 0;
}

std::vector<std::string> argumentsOf(const QStringList& list) {
  std::vector<std::string> arguments;
  for (const QString& argument : list) arguments.push_back(argument.toStdString());
  return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::vector<std::string> rawArguments(argv + 1, argv + argc);
  if (const TextRequest request = RequestedText(rawArguments); request != TextRequest::None)
    return printText(request);

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("ferrowind"));

  const CommandLine line = ParseCommandLine(argumentsOf(QApplication::arguments().mid(1)));
  if (!line.error.empty()) {
    // Qt has taken its own options (-platform, -style...): what is left is not known here.
    std::fprintf(stderr, "ferrowind: %s\n%s", line.error.c_str(), kUsageText);
    return 2;
  }

  if (line.simulate) {
    auto machine = sim::MakeDemoMachine();
    theApp.m_environment.hid = machine;
    theApp.m_environment.notices = machine;
  }
  InstallStartupProbeIfAsked();
  theApp.InitInstance();
  // The simulated machine's thread ends here, while the application still exists.
  theApp.m_environment.hid.reset();
  theApp.m_environment.notices.reset();
  return 0;
}
