#include "bench_results.h"

#include <cstdio>
#include <string_view>

namespace {

// The goals the figures are held against.
constexpr double kRatioGoal = 1.02;            // at 1 ms per answer
constexpr double kOverheadGoalUs = 20;         // per packet
constexpr double kUiGapGoalMs = 16;            // one frame at 60 Hz
constexpr double kStartupGoalMs = 300;
constexpr double kPeakRssGoalMb = 60;

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

std::string jsonString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string jsonNumber(double value) { return format("%.6g", value); }

std::string padded(std::string text, std::size_t width) {
  // Widths count characters, not bytes ("µ" is two bytes).
  std::size_t shown = 0;
  for (const char c : text) shown += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  if (shown < width) text.append(width - shown, ' ');
  return text;
}

}  // namespace

std::vector<TargetCheck> CheckTargets(const BenchResults& results) {
  std::vector<TargetCheck> checks;
  for (const TransferFigures& t : results.transfers) {
    const std::string at = " at " + std::to_string(t.latencyMs) + " ms per answer";
    if (t.latencyMs == 1)
      checks.push_back({"transfer / floor ≤ 1.02" + at, format("%.3f", t.ratio), t.ratio <= kRatioGoal});
    checks.push_back({"host overhead ≤ 20 µs per packet" + at,
                      format("%.1f µs", t.overheadMicrosecondsPerPacket),
                      t.overheadMicrosecondsPerPacket <= kOverheadGoalUs});
    checks.push_back({"longest UI gap ≤ 16 ms" + at, format("%.1f ms", t.longestUiGapMs),
                      t.longestUiGapMs <= kUiGapGoalMs});
  }
  for (const StartupFigures& s : results.startups) {
    checks.push_back({"start-up ≤ 300 ms: " + s.command, format("%.0f ms", s.shownMs),
                      s.shownMs <= kStartupGoalMs});
    checks.push_back({"peak RSS ≤ 60 MB: " + s.command, format("%.1f MiB", s.peakRssMb),
                      s.peakRssMb <= kPeakRssGoalMb});
  }
  return checks;
}

std::string FormatTable(const BenchResults& results) {
  const MachineFigures& m = results.machine;
  std::string table = "Ferrowind benchmarks, " + m.date + "\n" + m.cpu + ", " +
                      std::to_string(m.cores) + " cores, Linux " + m.kernel + ", Qt " +
                      m.qtVersion + ", " + m.buildType + " build\n\n";

  table += "Transfer of 5462 packets (medians)\n";
  table += "  latency  runs  program     floor       ratio    overhead/packet\n";
  for (const TransferFigures& t : results.transfers) {
    table += "  " + padded(std::to_string(t.latencyMs) + " ms", 9) +
             padded(std::to_string(t.repetitions), 6) +
             padded(format("%.3f s", t.programSeconds), 12) +
             padded(format("%.3f s", t.floorSeconds), 12) + padded(format("%.3f", t.ratio), 9) +
             format("%.1f µs", t.overheadMicrosecondsPerPacket) + "\n";
  }

  table += "\nUser-interface thread during the transfer (1 ms timer; worst run)\n";
  table += "  latency  longest gap  (thread ran)  longest own stall  progress updates  bar at the end\n";
  for (const TransferFigures& t : results.transfers) {
    table += "  " + padded(std::to_string(t.latencyMs) + " ms", 9) +
             padded(format("%.2f ms", t.longestUiGapMs), 13) +
             padded(format("%.2f ms", t.longestUiGapBusyMs), 14) +
             padded(format("%.2f ms", t.longestUiBusyMs), 19) +
             padded(std::to_string(t.progressUpdates), 18) + std::to_string(t.finalPosition) +
             " of 5462\n";
  }

  table += "\nStart-up to the dialog shown (offscreen; median time, highest peak RSS)\n";
  table += "  command                 runs  shown       peak RSS\n";
  for (const StartupFigures& s : results.startups) {
    table += "  " + padded(s.command, 24) + padded(std::to_string(s.repetitions), 6) +
             padded(format("%.0f ms", s.shownMs), 12) + format("%.1f MiB", s.peakRssMb) + "\n";
  }

  table += "\nScanDevices, the keyboard last (median)\n";
  table += "  interfaces  time\n";
  for (const ScanSample& s : results.scans)
    table += "  " + padded(std::to_string(s.interfaces), 12) +
             format("%.1f µs", s.medianMicroseconds) + "\n";

  table += "\nGoals\n";
  for (const TargetCheck& check : CheckTargets(results))
    table += "  " + padded(check.met ? "met" : "MISSED", 8) + padded(check.what, 52) +
             check.measured + "\n";

  if (!results.failures.empty()) {
    table += "\nUnsound runs (their figures mean little):\n";
    for (const std::string& failure : results.failures) table += "  " + failure + "\n";
  }
  return table;
}

std::string FormatJson(const BenchResults& results) {
  const MachineFigures& m = results.machine;
  std::string json = "{\n  \"machine\": {\"cpu\": " + jsonString(m.cpu) +
                     ", \"cores\": " + std::to_string(m.cores) +
                     ", \"kernel\": " + jsonString(m.kernel) +
                     ", \"qt\": " + jsonString(m.qtVersion) +
                     ", \"build\": " + jsonString(m.buildType) +
                     ", \"date\": " + jsonString(m.date) + "}";

  // "name": [ one object per item, each on a line of its own ]
  auto array = [&json](const char* name, const auto& items, auto object) {
    json += ",\n  \"" + std::string(name) + "\": [";
    for (std::size_t i = 0; i < items.size(); ++i)
      json += std::string(i ? "," : "") + "\n    {" + object(items[i]) + "}";
    json += "\n  ]";
  };
  array("transfer", results.transfers, [](const TransferFigures& t) {
    return "\"latency_ms\": " + std::to_string(t.latencyMs) +
           ", \"runs\": " + std::to_string(t.repetitions) +
           ", \"program_s\": " + jsonNumber(t.programSeconds) +
           ", \"floor_s\": " + jsonNumber(t.floorSeconds) + ", \"ratio\": " + jsonNumber(t.ratio) +
           ", \"overhead_us_per_packet\": " + jsonNumber(t.overheadMicrosecondsPerPacket) +
           ", \"longest_ui_gap_ms\": " + jsonNumber(t.longestUiGapMs) +
           ", \"longest_ui_gap_busy_ms\": " + jsonNumber(t.longestUiGapBusyMs) +
           ", \"longest_ui_busy_ms\": " + jsonNumber(t.longestUiBusyMs) +
           ", \"progress_updates\": " + std::to_string(t.progressUpdates) +
           ", \"bar_at_end\": " + std::to_string(t.finalPosition);
  });
  array("startup", results.startups, [](const StartupFigures& s) {
    return "\"command\": " + jsonString(s.command) + ", \"runs\": " + std::to_string(s.repetitions) +
           ", \"shown_ms\": " + jsonNumber(s.shownMs) + ", \"peak_rss_mib\": " + jsonNumber(s.peakRssMb);
  });
  array("scan", results.scans, [](const ScanSample& s) {
    return "\"interfaces\": " + std::to_string(s.interfaces) +
           ", \"median_us\": " + jsonNumber(s.medianMicroseconds);
  });
  array("goals", CheckTargets(results), [](const TargetCheck& check) {
    return "\"goal\": " + jsonString(check.what) + ", \"measured\": " + jsonString(check.measured) +
           ", \"met\": " + (check.met ? "true" : "false");
  });
  json += ",\n  \"unsound_runs\": [";
  for (std::size_t i = 0; i < results.failures.size(); ++i)
    json += std::string(i ? ", " : "") + jsonString(results.failures[i]);
  json += "]\n}\n";
  return json;
}
