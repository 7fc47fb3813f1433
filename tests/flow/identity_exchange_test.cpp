// Reading the keyboard's identity, build date and serial number when it is found.
#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "device/hid_commands.h"
#include "support/case_name.h"
#include "support/dialog_harness.h"

namespace {

using sim::KeyboardConfig;
using sim::KeyboardFaults;

void expectGivenUp(const DialogHarness& h, const sim::SimulatedKeyboard& keyboard) {
  EXPECT_EQ(h.text(IDC_STATUS), "Failed 01");
  EXPECT_FALSE(h.dlg->m_connected);
  EXPECT_EQ(h.dlg->m_hDevice, nullptr);
  EXPECT_EQ(keyboard.openHandles(), 0);
  EXPECT_EQ(h.text(IDC_FW_INFO), "0000-000-000-000");
  EXPECT_EQ(h.text(IDC_FW_VERSION), "0000 --- 0000-00-00 00:00:00");
  EXPECT_TRUE(h.traced("device given up"));
  EXPECT_TRUE(h.boxes.empty());
}

TEST(IdentityExchange, FillsTheIdentityTheLabelsAndTheSerialNumber) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  h.show();

  EXPECT_EQ(h.dlg->m_deviceIdentity,
            (DeviceIdentity{"M484", "01", "KB", "JV", "KEYBOARD_RGB"}));
  EXPECT_EQ(h.text(IDC_FW_INFO), "M48401KBJV,KEYBOARD_RGB");
  EXPECT_EQ(h.text(IDC_FW_VERSION), "0101 --- 2020/1/7 19:00:16");
  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
  EXPECT_EQ(h.dlg->m_strSerial, "FWK2020010700042");
  EXPECT_EQ(h.dlg->m_serial[15], '2');
  EXPECT_EQ(h.dlg->m_serial[16], 0);
  EXPECT_TRUE(h.traced("strSoftWareDataC:M484,01,KB,JV,KEYBOARD_RGB,0101 \n"));
  EXPECT_TRUE(h.traced("strDateTimeInfoC:Jan  7 2020,19:00:16 \n"));
  EXPECT_TRUE(h.traced("strDataSNC:FWK2020010700042 \n"));
  EXPECT_TRUE(h.traced("查找到相应的vid设备信息"));
  EXPECT_TRUE(keyboard->violations().empty()) << keyboard->violations().front();
  // Nothing is left unread for the next request.
  EXPECT_EQ(keyboard->counters().applicationWrites, 3);
}

TEST(IdentityExchange, AShorterIdentityReplacesOnlyTheFieldsItsCommasClose) {
  HarnessOptions options = notShownYet();
  options.hearNotices = false;
  DialogHarness h(options);
  auto first = h.bus->addKeyboard();
  h.show();
  first->unplug();
  KeyboardConfig config;
  config.name = "second";
  config.identityText = "M999,02,XX";
  h.bus->addKeyboard(config);

  h.dlg->ScanDevices(h.dlg->m_strVid, h.dlg->m_strPid);
  EXPECT_EQ(h.dlg->m_deviceIdentity, (DeviceIdentity{"M999", "02", "KB", "JV", "KEYBOARD_RGB"}));
  EXPECT_EQ(h.text(IDC_FW_INFO), "M999,02");
  EXPECT_EQ(h.text(IDC_FW_VERSION), "XX --- 2020/1/7 19:00:16");
}

TEST(IdentityExchange, TextsWithoutCommas) {
  DialogHarness h(notShownYet());
  KeyboardConfig config;
  config.identityText = "JUSTTEXT";
  config.dateTimeText = "TODAY";
  h.bus->addKeyboard(config);
  h.show();

  EXPECT_EQ(h.dlg->m_deviceIdentity, DeviceIdentity{});
  EXPECT_EQ(h.text(IDC_FW_INFO), "");
  EXPECT_EQ(h.text(IDC_FW_VERSION), "JUSTTEXT --- /1/ TODAY");
  EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
}

TEST(IdentityExchange, AnIdentityWithAColonIsAskedForAgainWithinTheBound) {
  {
    DialogHarness h(notShownYet());
    auto keyboard = h.bus->addKeyboard();
    KeyboardFaults faults;
    faults.colonIdentityAnswers = 2;
    keyboard->setFaults(faults);
    h.show();
    EXPECT_EQ(h.tracedCount("Recvie SoftWareData Error"), 2);
    EXPECT_EQ(h.text(IDC_STATUS), "Device connected");
    EXPECT_EQ(h.dlg->m_deviceIdentity.chipCode, "M484");
  }
  {
    DialogHarness h(notShownYet());
    auto keyboard = h.bus->addKeyboard();
    KeyboardFaults faults;
    faults.colonIdentityAnswers = 100;
    keyboard->setFaults(faults);
    h.show();
    const int attempts = h.dlg->m_environment.timing.identityRequestAttempts;
    EXPECT_EQ(h.tracedCount("Recvie SoftWareData Error"), attempts);
    EXPECT_EQ(keyboard->counters().applicationWrites, 2 * attempts);  // handshake, identity
    EXPECT_EQ(h.dlg->m_deviceIdentity, DeviceIdentity{});
    expectGivenUp(h, *keyboard);
  }
}

struct SilentCase {
  const char* name;
  std::uint8_t command;
  int writes;  // reports the keyboard takes before it is given up
};
void PrintTo(const SilentCase& c, std::ostream* os) { *os << c.name; }

class SilentKeyboard : public testing::TestWithParam<SilentCase> {};

TEST_P(SilentKeyboard, IsGivenUpWithinTheBoundAndItsSerialNumberIsNotTakenAsBlank) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  KeyboardFaults faults;
  faults.silentCommands = {GetParam().command};
  keyboard->setFaults(faults);
  h.show();

  EXPECT_EQ(keyboard->counters().applicationWrites, GetParam().writes);
  EXPECT_EQ(h.dlg->m_strSerial, "");
  EXPECT_NE(h.text(IDC_STATUS), "Device connected");
  expectGivenUp(h, *keyboard);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SilentKeyboard,
    testing::Values(SilentCase{"identity", CMD_SOFTWARE_DATA, 6},
                    // Without the handshake's answer the texts arrive one report late and
                    // the date (with its colons) is taken for the identity.
                    SilentCase{"handshake", CMD_HANDSHAKE, 6},
                    SilentCase{"serial number", CMD_READ_SN, 3}),
    [](const auto& info) { return caseName(info.param.name); });

TEST(IdentityExchange, AKeyboardGoneInTheMiddleIsGivenUp) {
  DialogHarness h(notShownYet());
  auto keyboard = h.bus->addKeyboard();
  KeyboardFaults faults;
  faults.onRequest = [](sim::KeyboardMode, const HidReport& report) {
    return report[1] == CMD_READ_SN ? sim::RequestAction::Vanish : sim::RequestAction::Handle;
  };
  keyboard->setFaults(faults);
  h.show();
  EXPECT_EQ(h.dlg->m_hDevice, nullptr);
  EXPECT_EQ(h.dlg->m_strSerial, "");
  ASSERT_TRUE(waitUntil([&] { return h.text(IDC_STATUS) == "Default"; }));  // its removal
}

}  // namespace
