#pragma once

#include <string>
#include <vector>

// What the program was asked for on its command line (after Qt has taken its own options).
struct CommandLine {
  bool simulate = false;  // run on the simulated keyboard instead of the machine's devices
  std::string error;      // an option the program does not know; empty when all is well
};

// `arguments` without the program's name. --help and --version are known too (see
// RequestedText, which answers them first).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// Text the arguments ask for instead of the dialog: --help anywhere wins, then --version.
// The program answers these before Qt starts, so they work without a display, whatever else
// the command line holds.
enum class TextRequest { None, Help, Version };
TextRequest RequestedText(const std::vector<std::string>& arguments);

// What --help prints.
inline constexpr const char* kUsageText =
    "Usage: ferrowind [--simulate | --version | --help]\n"
    "Upgrades the firmware of a USB HID keyboard or gamepad.\n"
    "\n"
    "  --simulate  run on a simulated keyboard (demonstration; no hardware is touched)\n"
    "  --version   show the version, the product the build is for and the built-in image\n"
    "  --help      show this text\n";

// What --version prints: the program's version, the build profile (its number, and the PID
// and caption it gives, if it has a row) and the identity text of the built-in image.
std::string VersionText(const std::string& programVersion, int buildProfile,
                        const std::string& imageIdentityText);
