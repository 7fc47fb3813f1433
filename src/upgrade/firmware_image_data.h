#pragma once

#include <cstdint>

#include "upgrade/image_layout.h"

// The bytes of the built-in image. The build generates their definition from the image file
// (cmake/EmbedFirmwareImage.cmake, into generated/firmware_image_data.cpp) after checking it.
// Read them through FirmwareImage().
alignas(4) extern const std::uint8_t kFirmwareImageData[kFirmwareImageSize];
