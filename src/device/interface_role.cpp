#include "device/interface_role.h"

#include "device/interface_path.h"

InterfaceRole ClassifyInterface(std::string_view path, std::string_view vidText,
                                std::string_view pidText, std::string_view bootVidText,
                                std::string_view bootPidText) {
  const auto vid = IdTextAfter(path, "vid_");
  const auto pid = IdTextAfter(path, "pid_");
  if (!vid || !pid) return InterfaceRole::Other;
  if (!SameIdText(*vid, vidText) && !SameIdText(*vid, bootVidText)) return InterfaceRole::Other;

  // Two products keep their commands on interface 3 and answer to any profile's PID.
  const bool interfaceThree = SameIdText(*pid, "0x7473") || SameIdText(*pid, "0x7474");
  const std::string_view marker = interfaceThree ? "mi_03" : "mi_02";
  if (SameIdText(*vid, vidText) && path.find(marker) != std::string_view::npos &&
      (SameIdText(*pid, pidText) || interfaceThree))
    return InterfaceRole::CommandInterface;

  if (SameIdText(*pid, bootPidText)) return InterfaceRole::Bootloader;
  return InterfaceRole::Other;
}
