#include "control_requests.h"

#include <algorithm>

namespace sim::usb {

namespace {

constexpr std::uint8_t kGetStatus = 0x00, kClearFeature = 0x01, kGetDescriptor = 0x06,
                       kSetConfiguration = 0x09, kHidSetIdle = 0x0A, kHidSetProtocol = 0x0B;
constexpr std::uint8_t kTypeMask = 0x60, kStandard = 0x00, kClass = 0x20;
constexpr std::uint8_t kRecipientMask = 0x1F, kRecipientInterface = 0x01;

ControlReply success(Bytes data, std::uint16_t length) {
  if (data.size() > length) data.resize(length);
  return {false, std::move(data)};
}

ControlReply stall() { return {true, {}}; }

Bytes descriptor(const Identity& identity, const ControlRequest& r) {
  const int type = r.value >> 8;
  const int index = r.value & 0xFF;
  const bool toInterface = (r.requestType & kRecipientMask) == kRecipientInterface;
  if (toInterface) {
    if (type == 0x22 && r.index < identity.interfaces) return ReportDescriptor();
    return {};
  }
  switch (type) {
    case 0x01: return DeviceDescriptor(identity);
    case 0x02: return index == 0 ? ConfigurationDescriptor(identity) : Bytes{};
    case 0x03: return StringDescriptor(identity, index);
    default: return {};  // device qualifier, other speed: a full-speed device has none
  }
}

}  // namespace

ControlReply AnswerControl(const Identity& identity, const ControlRequest& r) {
  const bool deviceToHost = r.requestType & 0x80;
  if ((r.requestType & kTypeMask) == kStandard) {
    if (r.request == kGetDescriptor && deviceToHost) {
      Bytes data = descriptor(identity, r);
      return data.empty() ? stall() : success(std::move(data), r.length);
    }
    if (r.request == kGetStatus && deviceToHost) return success({0, 0}, r.length);
    if (r.request == kSetConfiguration && !deviceToHost && r.value <= 1) return success({}, 0);
    if (r.request == kClearFeature && !deviceToHost) return success({}, 0);
    return stall();
  }
  if ((r.requestType & kTypeMask) == kClass && !deviceToHost &&
      (r.requestType & kRecipientMask) == kRecipientInterface && r.index < identity.interfaces &&
      (r.request == kHidSetIdle || r.request == kHidSetProtocol))
    return success({}, 0);
  return stall();
}

}  // namespace sim::usb
