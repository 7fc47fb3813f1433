#pragma once

#include <string_view>

// What discovery makes of one interface path.
enum class InterfaceRole {
  Other,             // not ours: walked past
  CommandInterface,  // the keyboard's command interface in its application: opened
  Bootloader,        // the keyboard in its bootloader (upgrade mode)
};

// The VID text must equal `vidText` or the bootloader's; the command interface then has
// `vidText`, the interface marker ("mi_03" for PIDs 0x7473 and 0x7474, which are taken whatever
// `pidText` says, "mi_02" otherwise) and `pidText`; failing that, the bootloader's PID makes
// it the bootloader. Texts are compared as interface_path.h says.
InterfaceRole ClassifyInterface(std::string_view path, std::string_view vidText,
                                std::string_view pidText, std::string_view bootVidText,
                                std::string_view bootPidText);
