#pragma once

#include <cstddef>

// Size of the firmware image the program carries and of its working copy: the whole flash.
inline constexpr std::size_t kFirmwareImageSize = 0x40000;
