#include "transfer_bench.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <vector>

#include "app/ferrowind_dlg.h"
#include "app/resource_ids.h"
#include "bench_keyboard.h"
#include "upgrade/firmware_image.h"
#include "upgrade/transfer_reports.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The processor time this thread has used, in milliseconds.
double threadCpuMs() {
  timespec used{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
  return used.tv_sec * 1e3 + used.tv_nsec / 1e6;
}

// A transfer of 5462 round trips cannot take this long unless something is stuck.
constexpr std::chrono::seconds kRunDeadline{120};

}  // namespace

TransferSample MeasureProgramTransfer(std::chrono::milliseconds latency) {
  TransferSample sample;
  BenchKeyboard machine(sim::KeyboardMode::Bootloader, latency);

  DialogEnvironment environment;  // the program's own timing
  environment.hid = machine.bus;
  environment.notices = machine.bus;
  CFerrowindDlg dlg(environment);
  dlg.setMessageBoxResponder([&](const MessageBoxRequest& request) {
    if (sample.failure.empty()) sample.failure = "message box: " + request.text;
    return IDOK;
  });
  dlg.show();  // the first scan finds the keyboard in its bootloader
  // The operator's window has been on the screen a while before the transfer starts: its
  // first paint is not part of what is measured.
  QCoreApplication::processEvents();
  dlg.repaint();

  auto* bar = dlg.findChild<QProgressBar*>(QStringLiteral("control_%1").arg(IDC_PROGRESS));
  if (!bar) {
    sample.failure = "no progress bar";
    return sample;
  }
  // The keyboard leaves to start its new firmware as soon as it has the end report, and the
  // dialog, told of the removal, starts its display over: what counts is what the bar and the
  // result label were given, not what they show at the end.
  QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
    ++sample.progressUpdates;
    sample.finalPosition = std::max(sample.finalPosition, value);
  });
  bool succeeded = false;
  QObject::connect(&dlg, &DialogWindow::itemTextSet, [&](int id, const QString& text) {
    if (id == IDC_RESULT && text == QLatin1String("Success")) succeeded = true;
  });

  // A 1 ms tick on the user-interface thread: the longest gap between two ticks is the
  // longest the operator's window could not have reacted. The thread's processor time over
  // each gap tells the program's own work from the machine not running the thread at all.
  QEventLoop loop;
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  tick.setInterval(1);
  Clock::time_point lastTick;
  double lastCpuMs = 0;
  const Clock::time_point deadline = Clock::now() + kRunDeadline;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const Clock::time_point now = Clock::now();
    const double cpuMs = threadCpuMs();
    const double gapMs = milliseconds(now - lastTick);
    if (gapMs > sample.longestUiGapMs) {
      sample.longestUiGapMs = gapMs;
      sample.longestUiGapBusyMs = cpuMs - lastCpuMs;
    }
    sample.longestUiBusyMs = std::max(sample.longestUiBusyMs, cpuMs - lastCpuMs);
    lastTick = now;
    lastCpuMs = cpuMs;
    if ((!dlg.IsUpgradeWorkerRunning() && machine.endReportArrived()) || now > deadline)
      loop.quit();
  });

  const Clock::time_point start = Clock::now();
  lastTick = start;
  lastCpuMs = threadCpuMs();
  tick.start();
  if (dlg.StartUpgradeWorker() != kWorkerStarted) {
    sample.failure = "the worker did not start";
    return sample;
  }
  loop.exec();
  tick.stop();
  // What the worker handed over last (its end) is still queued: let it run.
  QCoreApplication::processEvents();

  if (!machine.endReportArrived()) {
    if (sample.failure.empty()) sample.failure = "the transfer did not end";
    return sample;
  }
  sample.seconds = secondsBetween(start, machine.endReportAt());
  if (sample.failure.empty()) sample.failure = KeyboardComplaint(*machine.keyboard);
  if (sample.failure.empty() && sample.finalPosition != kDataReports)
    sample.failure = "the bar ended at " + std::to_string(sample.finalPosition);
  if (sample.failure.empty() && !succeeded) sample.failure = "the result never read Success";
  return sample;
}

TransferSample MeasureFloorTransfer(std::chrono::milliseconds latency) {
  TransferSample sample;
  BenchKeyboard machine(sim::KeyboardMode::Bootloader, latency);
  const auto paths = machine.keyboard->interfacePaths();
  OpenResult opened = machine.bus->open(paths.front());
  if (!opened.device) {
    sample.failure = "the bootloader did not open";
    return sample;
  }
  HidDevice& device = *opened.device;

  std::vector<HidReport> reports;
  reports.reserve(kDataReports + 1);
  for (int index = 0; index < kDataReports; ++index)
    reports.push_back(BuildDataReport(FirmwareImage(), index, DrawFillers()));
  const HidReport endReport = BuildEndReport();

  const Clock::time_point start = Clock::now();
  for (const HidReport& report : reports) {
    HidReport acknowledgement{};
    if (!device.write(report) ||
        device.read(acknowledgement, std::chrono::seconds(5)) != ReadResult::Read ||
        JudgeAcknowledgement(acknowledgement) != 0) {
      sample.failure = "a packet was not acknowledged";
      return sample;
    }
  }
  if (!device.write(endReport)) {
    sample.failure = "the end report was not taken";
    return sample;
  }
  sample.seconds = secondsBetween(start, machine.endReportAt());
  sample.finalPosition = kDataReports;
  sample.failure = KeyboardComplaint(*machine.keyboard);
  return sample;
}
