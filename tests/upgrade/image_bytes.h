#pragma once

// Whole images made by tests, and views of them as the image functions take them.

#include <cstdint>
#include <span>
#include <vector>

#include "upgrade/image_layout.h"

using ImageBytes = std::vector<std::uint8_t>;

inline std::span<const std::uint8_t, kFirmwareImageSize> imageView(const ImageBytes& image) {
  return std::span<const std::uint8_t, kFirmwareImageSize>(image.data(), kFirmwareImageSize);
}

inline std::span<std::uint8_t, kFirmwareImageSize> imageView(ImageBytes& image) {
  return std::span<std::uint8_t, kFirmwareImageSize>(image.data(), kFirmwareImageSize);
}
