#include "upgrade/image_identity.h"

#include <algorithm>

std::string ImageIdentityText(std::span<const std::uint8_t, kFirmwareImageSize> image) {
  const auto block = image.subspan(kIdentityTextOffset, kIdentityTextLength);
  const auto end = std::find(block.begin(), block.end(), std::uint8_t{0});
  return std::string(block.begin(), end);
}

DeviceIdentity ImageIdentity(std::span<const std::uint8_t, kFirmwareImageSize> image) {
  DeviceIdentity identity;  // starts empty at every call
  AssignCommaClosedFields(ImageIdentityText(image), identity);
  return identity;
}
