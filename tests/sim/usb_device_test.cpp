// The simulated keyboard's USB face: its descriptors and its answers on the control endpoint,
// as the guest kernel of the end-to-end test reads them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/usbdev/control_requests.h"
#include "sim/usbdev/usb_descriptors.h"
#include "support/case_name.h"

namespace {

using sim::usb::Bytes;
using sim::usb::ControlRequest;
using sim::usb::Identity;

Identity application() { return {0x0416, 0x7472, 4, "Ferrowind", "Keyboard"}; }
Identity bootloader() { return {0x0416, 0x3F01, 1, "Ferrowind", "Bootloader"}; }

int word(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

TEST(UsbDescriptors, DeviceAndConfigurationDescribeTheIdentity) {
  for (const Identity& id : {application(), bootloader()}) {
    const Bytes device = sim::usb::DeviceDescriptor(id);
    ASSERT_EQ(device.size(), 18u);
    EXPECT_EQ(device[0], 18);
    EXPECT_EQ(device[7], 64);  // control endpoint packet size
    EXPECT_EQ(word(device, 8), id.vendorId);
    EXPECT_EQ(word(device, 10), id.productId);

    const Bytes config = sim::usb::ConfigurationDescriptor(id);
    ASSERT_EQ(config.size(), 9u + 32u * id.interfaces);
    EXPECT_EQ(word(config, 2), static_cast<int>(config.size()));
    EXPECT_EQ(config[4], id.interfaces);
    // Each interface: HID class, its HID descriptor naming the report's length, then an
    // interrupt IN and OUT endpoint of 64 bytes polled every frame.
    for (int n = 0; n < id.interfaces; ++n) {
      const std::size_t at = 9 + 32 * n;
      EXPECT_EQ(config[at + 2], n);
      EXPECT_EQ(config[at + 5], 0x03);
      EXPECT_EQ(word(config, at + 16), static_cast<int>(sim::usb::ReportDescriptor().size()));
      for (const auto& [offset, address] : {std::pair{18u, 0x81 + n}, std::pair{25u, 0x01 + n}}) {
        EXPECT_EQ(config[at + offset + 2], address);
        EXPECT_EQ(config[at + offset + 3], 0x03);
        EXPECT_EQ(word(config, at + offset + 4), 64);
        EXPECT_EQ(config[at + offset + 6], 1);
        EXPECT_EQ(sim::usb::InterfaceOfEndpoint(id, static_cast<std::uint8_t>(address)), n);
      }
    }
    EXPECT_EQ(sim::usb::InterfaceOfEndpoint(id, static_cast<std::uint8_t>(0x81 + id.interfaces)), -1);
    EXPECT_EQ(sim::usb::InterfaceOfEndpoint(id, 0x80), -1);
  }
}

struct ControlCase {
  const char* name;
  ControlRequest request;
  bool stall;
  Bytes data;  // expected data (IN requests); for descriptors, only its length is checked
  bool lengthOnly = false;
};
void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.name; }

class UsbControl : public ::testing::TestWithParam<ControlCase> {};

TEST_P(UsbControl, AnswersAsAKeyboardWould) {
  const ControlCase& c = GetParam();
  const sim::usb::ControlReply reply = sim::usb::AnswerControl(application(), c.request);
  EXPECT_EQ(reply.stall, c.stall);
  if (c.lengthOnly)
    EXPECT_EQ(reply.data.size(), c.data.size());
  else
    EXPECT_EQ(reply.data, c.data);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, UsbControl,
    ::testing::Values(
        ControlCase{"device descriptor, first 8 bytes", {0x80, 0x06, 0x0100, 0, 8}, false,
                    {18, 1, 0x00, 0x02, 0, 0, 0, 64}},
        ControlCase{"device descriptor", {0x80, 0x06, 0x0100, 0, 255}, false, Bytes(18), true},
        ControlCase{"configuration, its header", {0x80, 0x06, 0x0200, 0, 9}, false, Bytes(9), true},
        ControlCase{"configuration, whole", {0x80, 0x06, 0x0200, 0, 4096}, false, Bytes(137), true},
        ControlCase{"second configuration", {0x80, 0x06, 0x0201, 0, 255}, true, {}},
        ControlCase{"languages", {0x80, 0x06, 0x0300, 0, 255}, false, {4, 3, 0x09, 0x04}},
        ControlCase{"product string", {0x80, 0x06, 0x0302, 0x0409, 255}, false,
                    {18, 3, 'K', 0, 'e', 0, 'y', 0, 'b', 0, 'o', 0, 'a', 0, 'r', 0, 'd', 0}},
        ControlCase{"no serial-number string", {0x80, 0x06, 0x0303, 0x0409, 255}, true, {}},
        ControlCase{"device qualifier (full speed only)", {0x80, 0x06, 0x0600, 0, 10}, true, {}},
        ControlCase{"report descriptor of interface 2", {0x81, 0x06, 0x2200, 2, 255}, false,
                    Bytes(29), true},
        ControlCase{"report descriptor of interface 4", {0x81, 0x06, 0x2200, 4, 255}, true, {}},
        ControlCase{"status", {0x80, 0x00, 0, 0, 2}, false, {0, 0}},
        ControlCase{"set configuration 1", {0x00, 0x09, 1, 0, 0}, false, {}},
        ControlCase{"set configuration 2", {0x00, 0x09, 2, 0, 0}, true, {}},
        ControlCase{"set idle", {0x21, 0x0A, 0, 2, 0}, false, {}},
        ControlCase{"set protocol", {0x21, 0x0B, 0, 1, 0}, false, {}},
        ControlCase{"get report", {0xA1, 0x01, 0x0101, 2, 64}, true, {}},
        ControlCase{"vendor request", {0xC0, 0x01, 0, 0, 8}, true, {}}),
    [](const auto& info) { return caseName(info.param.name); });

}  // namespace
