#pragma once

#include <string>
#include <vector>

// What the program was asked for on its command line (after Qt has taken its own options).
struct CommandLine {
  bool simulate = false;  // run on the simulated keyboard instead of the machine's devices
  bool help = false;
  std::string error;      // an option the program does not know; empty when all is well
};

// `arguments` without the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// What --help prints.
inline constexpr const char* kUsageText =
    "Usage: ferrowind [--simulate]\n"
    "Upgrades the firmware of a USB HID keyboard or gamepad.\n"
    "\n"
    "  --simulate  run on a simulated keyboard (demonstration; no hardware is touched)\n"
    "  --help      show this text\n";
