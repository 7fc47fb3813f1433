#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "device/device_identity.h"
#include "upgrade/image_layout.h"

// The identity text of an image: its 50-byte block up to the first zero byte (all 50 bytes if
// there is none; the build refuses such an image, so the program never carries one).
std::string ImageIdentityText(std::span<const std::uint8_t, kFirmwareImageSize> image);

// The five identity fields of an image; a field its text does not close with a comma is empty.
DeviceIdentity ImageIdentity(std::span<const std::uint8_t, kFirmwareImageSize> image);
