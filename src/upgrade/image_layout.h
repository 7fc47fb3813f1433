#pragma once

#include <cstddef>

// Size of the firmware image the program carries and of its working copy: the whole flash.
inline constexpr std::size_t kFirmwareImageSize = 0x40000;

// The identity block near the middle of the image. Only the identity text is read by the
// program; the build time and date travel with the image.
inline constexpr std::size_t kBuildTimeOffset = 0x1FE00;  // "hh:mm:ss", then zero bytes
inline constexpr std::size_t kBuildTimeLength = 12;
inline constexpr std::size_t kBuildDateOffset = 0x1FE0C;  // "Mmm dd yyyy", then zero bytes
inline constexpr std::size_t kBuildDateLength = 16;
inline constexpr std::size_t kIdentityTextOffset = 0x1FE1C;  // comma-separated, zero-terminated
inline constexpr std::size_t kIdentityTextLength = 50;
