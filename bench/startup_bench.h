#pragma once

#include <string>
#include <vector>

struct StartupSample {
  double shownMs = 0;    // from just before the process was started to its dialog painted
  double peakRssMb = 0;  // the process's peak resident set, in MiB
  std::string failure;   // empty when the process showed its dialog and ended by itself
};

// Starts `program` with `arguments` on the offscreen platform, asks it to close once its
// dialog is shown, and measures both.
StartupSample MeasureStartup(const std::string& program, const std::vector<std::string>& arguments);
