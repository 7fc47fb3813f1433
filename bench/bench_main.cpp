// make bench: the transfer against its floor, the user-interface thread during it, start-up
// and memory, and discovery, measured side by side in one run. Prints a table and writes the
// same figures as JSON (--json) for comparison across runs.
#include <QApplication>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QtGlobal>

#include <sys/prctl.h>
#include <sys/utsname.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_results.h"
#include "common/trace.h"
#include "startup_bench.h"
#include "statistics.h"
#include "transfer_bench.h"
#include "upgrade/transfer_reports.h"

namespace {

constexpr const char* kUsage =
    "usage: ferrowind_bench [--quick] [--runs N] [--json FILE] [--program PATH]\n"
    "  --quick         one run of each, at 0 ms only (a check that the benchmarks still work)\n"
    "  --runs N        transfers of each kind per latency (default 5); start-ups are N + 2\n"
    "  --json FILE     also write the figures to FILE\n"
    "  --program PATH  the ferrowind program whose start-up is measured\n";

struct Options {
  bool quick = false;
  int runs = 5;
  std::string json;
  std::string program = FERROWIND_PROGRAM;
};

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--quick") {
      options.quick = true;
    } else if (argument == "--runs" && hasValue) {
      options.runs = std::atoi(argv[++i]);
      if (options.runs < 1) return false;
    } else if (argument == "--json" && hasValue) {
      options.json = argv[++i];
    } else if (argument == "--program" && hasValue) {
      options.program = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

MachineFigures describeMachine() {
  MachineFigures machine;
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.starts_with("model name")) {
      machine.cpu = line.substr(line.find(':') + 2);
      break;
    }
  }
  if (machine.cpu.empty()) machine.cpu = "unknown processor";
  machine.cores = static_cast<int>(std::thread::hardware_concurrency());
  utsname names{};
  if (uname(&names) == 0) machine.kernel = names.release;
  machine.qtVersion = qVersion();
  machine.buildType = FERROWIND_BUILD_TYPE;
  char date[32];
  const std::time_t now = std::time(nullptr);
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
  machine.date = date;
  return machine;
}

void progress(const std::string& what) {
  std::fprintf(stderr, "bench: %s\n", what.c_str());
}

// Program and floor runs alternate, so that a machine that slows down or speeds up during the
// run weighs on both alike.
TransferFigures measureTransfers(int latencyMs, int runs, std::vector<std::string>& failures) {
  progress("transfer at " + std::to_string(latencyMs) + " ms per answer, " + std::to_string(runs) +
           " runs each of the program and the floor");
  const std::chrono::milliseconds latency(latencyMs);
  TransferFigures figures;
  figures.latencyMs = latencyMs;
  figures.repetitions = runs;
  figures.progressUpdates = kDataReports;
  figures.finalPosition = kDataReports;
  std::vector<double> program, floor;
  for (int run = 0; run < runs; ++run) {
    const TransferSample ours = MeasureProgramTransfer(latency);
    const TransferSample bare = MeasureFloorTransfer(latency);
    for (const auto& [sample, kind] : {std::pair{&ours, "program"}, std::pair{&bare, "floor"}}) {
      if (!sample->failure.empty())
        failures.push_back(std::string(kind) + " transfer at " + std::to_string(latencyMs) +
                           " ms: " + sample->failure);
    }
    program.push_back(ours.seconds);
    floor.push_back(bare.seconds);
    if (ours.longestUiGapMs > figures.longestUiGapMs) {
      figures.longestUiGapMs = ours.longestUiGapMs;
      figures.longestUiGapBusyMs = ours.longestUiGapBusyMs;
    }
    figures.longestUiBusyMs = std::max(figures.longestUiBusyMs, ours.longestUiBusyMs);
    figures.progressUpdates = std::min(figures.progressUpdates, ours.progressUpdates);
    figures.finalPosition = std::min(figures.finalPosition, ours.finalPosition);
  }
  figures.programSeconds = Median(program);
  figures.floorSeconds = Median(floor);
  figures.ratio = figures.floorSeconds > 0 ? figures.programSeconds / figures.floorSeconds : 0;
  figures.overheadMicrosecondsPerPacket =
      (figures.programSeconds - figures.floorSeconds) * 1e6 / kDataReports;
  return figures;
}

StartupFigures measureStartups(const std::string& program, const std::vector<std::string>& arguments,
                               int runs, bool warmUp, std::vector<std::string>& failures) {
  StartupFigures figures;
  figures.command = "ferrowind";
  for (const std::string& argument : arguments) figures.command += " " + argument;
  figures.repetitions = runs;
  progress("start-up of " + figures.command + ", " + std::to_string(runs) + " runs");
  // The first start reads the program and Qt from disk; what is measured is a start from the
  // page cache, as every start after the operator's first.
  if (warmUp) MeasureStartup(program, arguments);
  std::vector<double> shown;
  for (int run = 0; run < runs; ++run) {
    const StartupSample sample = MeasureStartup(program, arguments);
    if (!sample.failure.empty()) failures.push_back(figures.command + ": " + sample.failure);
    shown.push_back(sample.shownMs);
    figures.peakRssMb = std::max(figures.peakRssMb, sample.peakRssMb);
  }
  figures.shownMs = Median(shown);
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // Wake-ups on time, for this thread and every thread started from it (the worker, the
  // simulated bus): the default timer slack lets a 1 ms wait overrun by 50 µs or more, at
  // random, and that noise would be larger than what is measured.
  prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  // The dialog's trace lines would only drown the table.
  trace::setSink([](std::string_view) {});

  BenchResults results;
  results.machine = describeMachine();
  const int runs = options.quick ? 1 : options.runs;

  for (const int latencyMs : options.quick ? std::vector<int>{0} : std::vector<int>{1, 0})
    results.transfers.push_back(measureTransfers(latencyMs, runs, results.failures));

  const int startupRuns = options.quick ? 1 : runs + 2;
  for (const auto& arguments : {std::vector<std::string>{}, std::vector<std::string>{"--simulate"}})
    results.startups.push_back(
        measureStartups(options.program, arguments, startupRuns, !options.quick, results.failures));

  progress("ScanDevices");
  for (const int interfaces : {1, 10, 100}) {
    ScanSample sample = MeasureScan(interfaces, options.quick ? 3 : 200);
    if (!sample.failure.empty())
      results.failures.push_back("ScanDevices over " + std::to_string(interfaces) + ": " + sample.failure);
    results.scans.push_back(sample);
  }

  std::fputs(FormatTable(results).c_str(), stdout);
  if (!options.json.empty()) {
    const std::string json = FormatJson(results);
    QJsonParseError error{};
    if (QJsonDocument::fromJson(QByteArray::fromStdString(json), &error).isNull()) {
      std::fprintf(stderr, "bench: the figures do not make valid JSON: %s\n",
                   qPrintable(error.errorString()));
      return 1;
    }
    std::ofstream file(options.json);
    file << json;
    if (!file.flush()) {
      std::fprintf(stderr, "bench: cannot write %s\n", options.json.c_str());
      return 1;
    }
    std::printf("\nFigures written to %s\n", options.json.c_str());
  }
  return results.failures.empty() ? 0 : 1;
}
