#pragma once

#include <cstdint>
#include <span>

#include "upgrade/image_layout.h"

// Fills the working copy from the image, byte by byte through the byte's "0xHH" text and
// HexTextToNumber: the result is a byte-for-byte copy.
void RefreshWorkingCopy(std::span<const std::uint8_t, kFirmwareImageSize> image,
                        std::span<std::uint8_t, kFirmwareImageSize> copy);
