#pragma once

#include <string>
#include <string_view>

// Start-up measurement (the benchmarks' start-up figure). When the environment has
// FERROWIND_EXIT_WHEN_SHOWN set, the program writes one line to standard output as soon as its
// dialog has been painted for the first time,
//
//   shown <CLOCK_MONOTONIC in nanoseconds>
//
// and then closes the dialog, so that the process ends as if the operator had closed it. The
// clock is the machine's, so the process that started the program can subtract its own start
// time. Without the variable, nothing is installed.
void InstallStartupProbeIfAsked();

// The machine's CLOCK_MONOTONIC now, in nanoseconds: the clock of the probe's line.
long long MonotonicNanoseconds();

// The probe's line for a CLOCK_MONOTONIC reading, and the reading back from such a line
// (negative when the line is not one).
std::string StartupProbeLine(long long monotonicNanoseconds);
long long ParseStartupProbeLine(std::string_view line);
