#pragma once

#include <cstddef>

// Size of the firmware image the program carries and of its working copy: the whole flash.
inline constexpr std::size_t kFirmwareImageSize = 0x40000;

// The identity block the firmware's build leaves near the middle of the image. The device
// reports the same identity; the program compares the two before it upgrades.

// Build time, "hh:mm:ss", then zero bytes.
inline constexpr std::size_t kBuildTimeOffset = 0x1FE00;
inline constexpr std::size_t kBuildTimeLength = 12;

// Build date, "Mmm dd yyyy" (English month, day padded with a space), then zero bytes.
inline constexpr std::size_t kBuildDateOffset = 0x1FE0C;
inline constexpr std::size_t kBuildDateLength = 16;

// Identity text, single-byte characters ended by a zero byte inside the block, so at most
// kIdentityTextLength - 1 characters. The build refuses an image without that zero byte.
inline constexpr std::size_t kIdentityTextOffset = 0x1FE1C;
inline constexpr std::size_t kIdentityTextLength = 50;

static_assert(kBuildTimeOffset + kBuildTimeLength == kBuildDateOffset);
static_assert(kBuildDateOffset + kBuildDateLength == kIdentityTextOffset);
static_assert(kIdentityTextOffset + kIdentityTextLength <= kFirmwareImageSize);
