#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/simulated_hid_bus.h"
#include "usb_descriptors.h"

struct usbredirparser;
struct usb_redir_control_packet_header;
struct usb_redir_interrupt_packet_header;

namespace sim::usb {

// The simulated keyboard as a USB device on the far side of a usbredir connection (QEMU's
// usb-redir device): the guest's kernel enumerates it, binds its HID driver and talks to it
// through hidraw, and every report reaches the very keyboard logic the tests use. When the
// keyboard restarts, the device disconnects and connects again with its other identity.
class RedirectedKeyboard {
 public:
  // `socket` is connected to the peer and owned from now on.
  RedirectedKeyboard(int socket, std::shared_ptr<SimulatedHidBus> bus,
                     std::shared_ptr<SimulatedKeyboard> keyboard);
  ~RedirectedKeyboard();
  RedirectedKeyboard(const RedirectedKeyboard&) = delete;
  RedirectedKeyboard& operator=(const RedirectedKeyboard&) = delete;

  // Serves the peer until it hangs up, `stop` is set, or the connection fails; false on a
  // failure.
  bool run(const std::atomic<bool>& stop);

  // The parser's callbacks land here.
  void onHello();
  void onSetConfiguration(std::uint64_t id, std::uint8_t configuration);
  void onGetConfiguration(std::uint64_t id);
  void onSetAltSetting(std::uint64_t id, std::uint8_t interfaceNumber, std::uint8_t alt);
  void onGetAltSetting(std::uint64_t id, std::uint8_t interfaceNumber);
  void onControl(std::uint64_t id, usb_redir_control_packet_header* header, std::uint8_t* data,
                 int length);
  void onInterruptOut(std::uint64_t id, usb_redir_interrupt_packet_header* header,
                      std::uint8_t* data, int length);
  void onStartInterruptReceiving(std::uint64_t id, std::uint8_t endpoint);
  void onStopInterruptReceiving(std::uint64_t id, std::uint8_t endpoint);
  void discard(std::uint8_t* data);  // data of a packet this device does not take
  int readSocket(std::uint8_t* data, int count);
  int writeSocket(std::uint8_t* data, int count);

 private:
  void connectDevice();
  void disconnectDevice();
  void sendDeviceInfo();
  void forwardInputReports();
  void followKeyboard();

  int socket_;
  std::shared_ptr<SimulatedHidBus> bus_;
  std::shared_ptr<SimulatedKeyboard> keyboard_;
  usbredirparser* parser_ = nullptr;
  bool peerHungUp_ = false;

  bool connected_ = false;
  Identity identity_;
  std::vector<DeviceHandle> handles_;  // by interface number
  std::map<std::uint8_t, bool> receiving_;  // IN endpoints the host reads
  std::uint64_t nextInputId_ = 0;

  std::mutex noticesMutex_;  // the bus delivers notices on its own thread
  std::deque<DeviceNotice> notices_;
};

}  // namespace sim::usb
