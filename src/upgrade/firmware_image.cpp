#include "upgrade/firmware_image.h"

#include "upgrade/firmware_image_data.h"

std::span<const std::uint8_t, kFirmwareImageSize> FirmwareImage() { return kFirmwareImageData; }
