#pragma once

#include <string>
#include <vector>

#include "scan_bench.h"

// The figures of one `make bench` run, as the table shows them and the JSON keeps them.
struct TransferFigures {
  int latencyMs = 0;
  int repetitions = 0;
  double programSeconds = 0;  // medians
  double floorSeconds = 0;
  double ratio = 0;  // program / floor
  double overheadMicrosecondsPerPacket = 0;  // (program - floor) / 5462
  double longestUiGapMs = 0;  // the worst of the program's runs
  double longestUiGapBusyMs = 0;  // the user-interface thread's processor time within that gap
  double longestUiBusyMs = 0;     // the most processor time it used within any gap, any run
  int progressUpdates = 0;    // the fewest of the program's runs
  int finalPosition = 0;      // the lowest of the program's runs
};

struct StartupFigures {
  std::string command;  // e.g. "ferrowind --simulate"
  int repetitions = 0;
  double shownMs = 0;     // median
  double peakRssMb = 0;   // the highest
};

struct MachineFigures {
  std::string cpu;
  int cores = 0;
  std::string kernel;
  std::string qtVersion;
  std::string buildType;
  std::string date;  // UTC, ISO 8601
};

struct BenchResults {
  MachineFigures machine;
  std::vector<TransferFigures> transfers;
  std::vector<StartupFigures> startups;
  std::vector<ScanSample> scans;
  std::vector<std::string> failures;  // runs that were not sound; the figures then mean little
};

// One goal and whether the run met it.
struct TargetCheck {
  std::string what;
  std::string measured;
  bool met = false;
};

std::vector<TargetCheck> CheckTargets(const BenchResults& results);
std::string FormatTable(const BenchResults& results);
std::string FormatJson(const BenchResults& results);
