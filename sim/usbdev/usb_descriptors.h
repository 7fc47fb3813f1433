#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The USB face of the simulated keyboard: the descriptors a real one shows the host. Pure
// data, built for one identity (application or bootloader).
namespace sim::usb {

using Bytes = std::vector<std::uint8_t>;

// Every interface is a HID interface with one vendor-defined report: report ID 1, 63 bytes
// in and 63 bytes out, on an interrupt IN and an interrupt OUT endpoint of 64 bytes, polled
// every frame. Interface n uses endpoints 0x81 + n and 0x01 + n.
struct Identity {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  int interfaces = 1;
  std::string manufacturer;
  std::string product;
};

inline constexpr int kMaxPacket = 64;

std::uint8_t InEndpoint(int interfaceNumber);
std::uint8_t OutEndpoint(int interfaceNumber);
// The interface an endpoint address belongs to; -1 when none does.
int InterfaceOfEndpoint(const Identity& identity, std::uint8_t endpoint);

Bytes DeviceDescriptor(const Identity& identity);
Bytes ConfigurationDescriptor(const Identity& identity);
Bytes ReportDescriptor();
// String descriptor `index`: 0 the language list, 1 the manufacturer, 2 the product; empty
// for any other.
Bytes StringDescriptor(const Identity& identity, int index);

}  // namespace sim::usb
