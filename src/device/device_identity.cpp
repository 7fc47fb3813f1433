#include "device/device_identity.h"

#include <array>

void AssignCommaClosedFields(std::string_view text, DeviceIdentity& fields) {
  const std::array<std::string*, 5> inOrder = {&fields.chipCode, &fields.code2, &fields.typeCode,
                                               &fields.customCode, &fields.productType};
  std::size_t fieldStart = 0;
  std::size_t closed = 0;
  for (std::size_t p = 0; p < text.size(); ++p) {
    if (text[p] != ',') continue;
    if (closed < inOrder.size()) *inOrder[closed] = std::string(text.substr(fieldStart, p - fieldStart));
    ++closed;
    fieldStart = p + 1;
  }
}
