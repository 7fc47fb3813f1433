#pragma once

#include <optional>
#include <string>
#include <vector>

// One row of what hidapi lists, reduced to the fields an interface path is made of.
struct HidEnumerationEntry {
  std::string nodePath;  // the hidraw node, e.g. "/dev/hidraw3"
  unsigned short vendorId = 0;
  unsigned short productId = 0;
  int interfaceNumber = -1;  // -1 when the device is not a USB composite interface
};

// The program's path of one interface: the node, '#', then "vid_XXXX&pid_XXXX" in lower-case
// hex and, for an interface number >= 0, "&mi_" and at least two decimal digits:
// "/dev/hidraw3#vid_0416&pid_7472&mi_02". The suffix carries no '#', so the last '#' of a path
// is always the separator.
std::string interfacePathOf(const HidEnumerationEntry& entry);

// The paths of the listed interfaces: each once (hidapi lists a node once per usage), in natural
// node order (hidraw2 before hidraw10) so that the list stays the same while the devices do.
// Entries whose path would not lead back to their node (no node, a relative one, an interface
// number above 255) are left out.
std::vector<std::string> interfacePathsOf(const std::vector<HidEnumerationEntry>& entries);

// The node an interface path names; nullopt when the path is not one interfacePathOf makes.
std::optional<std::string> hidrawNodeOfPath(const std::string& path);
