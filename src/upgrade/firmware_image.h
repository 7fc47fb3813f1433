#pragma once

#include <cstdint>
#include <span>

#include "upgrade/image_layout.h"

// The firmware image built into the program: the whole flash of the keyboard's
// microcontroller, embedded at build time (see FERROWIND_FIRMWARE). Never read from a file.
std::span<const std::uint8_t, kFirmwareImageSize> FirmwareImage();
