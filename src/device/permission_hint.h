#pragma once

#include <string>

// The udev rule that lets the person at the seat open the keyboard's hidraw nodes; installed
// with the program (packaging/udev).
inline constexpr const char* kUdevRuleName = "70-ferrowind.rules";

// The trace line for an interface this user may not open: what to install about it.
inline std::string PermissionDeniedTrace(const std::string& path) {
  return "------------- permission denied: this user may not open " + path +
         "; install the udev rule " + kUdevRuleName +
         " (README, Troubleshooting) and plug the keyboard in again --------------- \n";
}
