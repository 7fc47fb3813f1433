#include "usb_descriptors.h"

namespace sim::usb {

namespace {

constexpr std::uint8_t kDeviceType = 0x01, kConfigurationType = 0x02, kStringType = 0x03,
                       kInterfaceType = 0x04, kEndpointType = 0x05, kHidType = 0x21,
                       kReportType = 0x22;
constexpr std::uint8_t kHidClass = 0x03, kInterruptTransfer = 0x03;

void put16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void endpoint(Bytes& out, std::uint8_t address) {
  out.insert(out.end(), {7, kEndpointType, address, kInterruptTransfer});
  put16(out, kMaxPacket);
  out.push_back(1);  // bInterval: every frame
}

}  // namespace

std::uint8_t InEndpoint(int interfaceNumber) { return static_cast<std::uint8_t>(0x81 + interfaceNumber); }
std::uint8_t OutEndpoint(int interfaceNumber) { return static_cast<std::uint8_t>(0x01 + interfaceNumber); }

int InterfaceOfEndpoint(const Identity& identity, std::uint8_t endpoint) {
  const int number = (endpoint & 0x0F) - 1;
  return number >= 0 && number < identity.interfaces ? number : -1;
}

Bytes DeviceDescriptor(const Identity& identity) {
  Bytes out{18, kDeviceType};
  put16(out, 0x0200);         // USB 2.0
  out.insert(out.end(), {0, 0, 0, kMaxPacket});  // class per interface
  put16(out, identity.vendorId);
  put16(out, identity.productId);
  put16(out, 0x0100);         // device release 1.00
  out.insert(out.end(), {1, 2, 0, 1});  // manufacturer, product, no serial, one configuration
  return out;
}

Bytes ConfigurationDescriptor(const Identity& identity) {
  const Bytes report = ReportDescriptor();
  Bytes out{9, kConfigurationType, 0, 0, static_cast<std::uint8_t>(identity.interfaces), 1, 0,
            0x80, 50};  // bus-powered, 100 mA
  for (int n = 0; n < identity.interfaces; ++n) {
    out.insert(out.end(), {9, kInterfaceType, static_cast<std::uint8_t>(n), 0, 2, kHidClass, 0, 0, 0});
    out.insert(out.end(), {9, kHidType});
    put16(out, 0x0111);  // HID 1.11
    out.insert(out.end(), {0, 1, kReportType});
    put16(out, static_cast<std::uint16_t>(report.size()));
    endpoint(out, InEndpoint(n));
    endpoint(out, OutEndpoint(n));
  }
  out[2] = static_cast<std::uint8_t>(out.size() & 0xFF);
  out[3] = static_cast<std::uint8_t>(out.size() >> 8);
  return out;
}

Bytes ReportDescriptor() {
  return {
      0x06, 0x00, 0xFF,  // usage page: vendor defined
      0x09, 0x01,        // usage 1
      0xA1, 0x01,        // collection: application
      0x85, 0x01,        //   report ID 1
      0x15, 0x00,        //   logical minimum 0
      0x26, 0xFF, 0x00,  //   logical maximum 255
      0x75, 0x08,        //   report size: 8 bits
      0x95, 0x3F,        //   report count: 63
      0x09, 0x01,        //   usage 1
      0x81, 0x02,        //   input: data, variable, absolute
      0x95, 0x3F,        //   report count: 63
      0x09, 0x01,        //   usage 1
      0x91, 0x02,        //   output: data, variable, absolute
      0xC0,              // end collection
  };
}

Bytes StringDescriptor(const Identity& identity, int index) {
  if (index == 0) return {4, kStringType, 0x09, 0x04};  // English (United States)
  const std::string* text = index == 1 ? &identity.manufacturer : index == 2 ? &identity.product : nullptr;
  if (!text) return {};
  Bytes out{static_cast<std::uint8_t>(2 + 2 * text->size()), kStringType};
  for (const char c : *text) put16(out, static_cast<std::uint8_t>(c));  // ASCII as UTF-16
  return out;
}

}  // namespace sim::usb
