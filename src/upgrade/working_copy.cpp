#include "upgrade/working_copy.h"

#include <string>

#include "upgrade/hex_text.h"

void RefreshWorkingCopy(std::span<const std::uint8_t, kFirmwareImageSize> image,
                        std::span<std::uint8_t, kFirmwareImageSize> copy) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x00";
  for (std::size_t i = 0; i < image.size(); ++i) {
    text[2] = kDigits[image[i] >> 4];
    text[3] = kDigits[image[i] & 0x0F];
    copy[i] = static_cast<std::uint8_t>(HexTextToNumber(text) & 0xFF);
  }
}
