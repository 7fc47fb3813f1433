#include "scan_bench.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "app/ferrowind_dlg.h"
#include "app/resource_ids.h"
#include "sim/simulated_hid_bus.h"
#include "statistics.h"

namespace {

// Some other HID device's interface: a mouse receiver, a headset... walked past by its path.
std::string otherInterfacePath(int number) {
  char path[64];
  std::snprintf(path, sizeof path, "sim/other-%d#vid_%04x&pid_%04x&mi_%02d", number,
                0x1000 + number, 0x2000 + number, number % 4);
  return path;
}

}  // namespace

ScanSample MeasureScan(int interfaces, int repetitions) {
  using Clock = std::chrono::steady_clock;
  ScanSample sample;
  sample.interfaces = interfaces;

  auto bus = std::make_shared<sim::SimulatedHidBus>();
  for (int number = 0; number < interfaces - 1; ++number)
    bus->addOtherInterface(otherInterfacePath(number));
  sim::KeyboardConfig config;
  config.startMode = sim::KeyboardMode::Bootloader;
  bus->addKeyboard(config);

  DialogEnvironment environment;
  environment.hid = bus;
  CFerrowindDlg dlg(environment);
  dlg.setMessageBoxResponder([&](const MessageBoxRequest& request) {
    sample.failure = "message box: " + request.text;
    return IDOK;
  });
  dlg.show();

  std::vector<double> times;
  for (int run = 0; run < repetitions && sample.failure.empty(); ++run) {
    dlg.setItemText(IDC_STATUS, "");
    const Clock::time_point start = Clock::now();
    dlg.ScanDevices(dlg.m_strVid, dlg.m_strPid);
    times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (dlg.itemText(IDC_STATUS) != "Into boot") sample.failure = "the keyboard was not found";
  }
  if (bus->writesToOtherInterfaces() != 0) sample.failure = "another interface was written to";
  sample.medianMicroseconds = Median(times);
  return sample;
}
