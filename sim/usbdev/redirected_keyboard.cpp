#include "redirected_keyboard.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <usbredirparser.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "control_requests.h"
#include "sim/keyboard_protocol.h"

namespace sim::usb {

namespace {

RedirectedKeyboard* self(void* priv) { return static_cast<RedirectedKeyboard*>(priv); }

int endpointIndex(std::uint8_t endpoint) { return ((endpoint & 0x80) >> 3) | (endpoint & 0x0F); }

// The parser calls every callback the peer can trigger without checking it is there: those
// this device has no use for are still set, and do nothing.
void installCallbacks(usbredirparser* p) {
  p->log_func = [](void*, int level, const char* message) {
    if (level <= usbredirparser_warning) std::fprintf(stderr, "usbdev: usbredir: %s\n", message);
  };
  p->read_func = [](void* priv, std::uint8_t* data, int count) { return self(priv)->readSocket(data, count); };
  p->write_func = [](void* priv, std::uint8_t* data, int count) { return self(priv)->writeSocket(data, count); };
  p->hello_func = [](void* priv, usb_redir_hello_header*) { self(priv)->onHello(); };
  p->device_connect_func = [](void*, usb_redir_device_connect_header*) {};
  p->device_disconnect_func = [](void*) {};
  p->reset_func = [](void*) {};  // nothing of the device's state survives a reset anyway
  p->interface_info_func = [](void*, usb_redir_interface_info_header*) {};
  p->ep_info_func = [](void*, usb_redir_ep_info_header*) {};
  p->set_configuration_func = [](void* priv, std::uint64_t id, usb_redir_set_configuration_header* h) {
    self(priv)->onSetConfiguration(id, h->configuration);
  };
  p->get_configuration_func = [](void* priv, std::uint64_t id) { self(priv)->onGetConfiguration(id); };
  p->configuration_status_func = [](void*, std::uint64_t, usb_redir_configuration_status_header*) {};
  p->set_alt_setting_func = [](void* priv, std::uint64_t id, usb_redir_set_alt_setting_header* h) {
    self(priv)->onSetAltSetting(id, h->interface, h->alt);
  };
  p->get_alt_setting_func = [](void* priv, std::uint64_t id, usb_redir_get_alt_setting_header* h) {
    self(priv)->onGetAltSetting(id, h->interface);
  };
  p->alt_setting_status_func = [](void*, std::uint64_t, usb_redir_alt_setting_status_header*) {};
  p->start_iso_stream_func = [](void*, std::uint64_t, usb_redir_start_iso_stream_header*) {};
  p->stop_iso_stream_func = [](void*, std::uint64_t, usb_redir_stop_iso_stream_header*) {};
  p->iso_stream_status_func = [](void*, std::uint64_t, usb_redir_iso_stream_status_header*) {};
  p->start_interrupt_receiving_func = [](void* priv, std::uint64_t id,
                                         usb_redir_start_interrupt_receiving_header* h) {
    self(priv)->onStartInterruptReceiving(id, h->endpoint);
  };
  p->stop_interrupt_receiving_func = [](void* priv, std::uint64_t id,
                                        usb_redir_stop_interrupt_receiving_header* h) {
    self(priv)->onStopInterruptReceiving(id, h->endpoint);
  };
  p->interrupt_receiving_status_func = [](void*, std::uint64_t, usb_redir_interrupt_receiving_status_header*) {};
  p->alloc_bulk_streams_func = [](void*, std::uint64_t, usb_redir_alloc_bulk_streams_header*) {};
  p->free_bulk_streams_func = [](void*, std::uint64_t, usb_redir_free_bulk_streams_header*) {};
  p->bulk_streams_status_func = [](void*, std::uint64_t, usb_redir_bulk_streams_status_header*) {};
  p->cancel_data_packet_func = [](void*, std::uint64_t) {};  // every packet completes at once
  p->control_packet_func = [](void* priv, std::uint64_t id, usb_redir_control_packet_header* h,
                              std::uint8_t* data, int length) { self(priv)->onControl(id, h, data, length); };
  p->bulk_packet_func = [](void* priv, std::uint64_t, usb_redir_bulk_packet_header*, std::uint8_t* data, int) {
    self(priv)->discard(data);
  };
  p->iso_packet_func = [](void* priv, std::uint64_t, usb_redir_iso_packet_header*, std::uint8_t* data, int) {
    self(priv)->discard(data);
  };
  p->interrupt_packet_func = [](void* priv, std::uint64_t id, usb_redir_interrupt_packet_header* h,
                                std::uint8_t* data, int length) {
    self(priv)->onInterruptOut(id, h, data, length);
  };
  p->filter_reject_func = [](void*) { std::fprintf(stderr, "usbdev: the peer's filter rejects the device\n"); };
  p->filter_filter_func = [](void*, usbredirfilter_rule* rules, int) { std::free(rules); };
  p->device_disconnect_ack_func = [](void*) {};
  p->start_bulk_receiving_func = [](void*, std::uint64_t, usb_redir_start_bulk_receiving_header*) {};
  p->stop_bulk_receiving_func = [](void*, std::uint64_t, usb_redir_stop_bulk_receiving_header*) {};
  p->bulk_receiving_status_func = [](void*, std::uint64_t, usb_redir_bulk_receiving_status_header*) {};
  p->buffered_bulk_packet_func = [](void* priv, std::uint64_t, usb_redir_buffered_bulk_packet_header*,
                                    std::uint8_t* data, int) { self(priv)->discard(data); };
}

}  // namespace

RedirectedKeyboard::RedirectedKeyboard(int socket, std::shared_ptr<SimulatedHidBus> bus,
                                       std::shared_ptr<SimulatedKeyboard> keyboard)
    : socket_(socket), bus_(std::move(bus)), keyboard_(std::move(keyboard)) {
  bus_->setListener([this](DeviceNotice notice) {
    std::lock_guard lock(noticesMutex_);
    notices_.push_back(notice);
  });
  bus_->watch(NoticeClass::UsbDevice);

  parser_ = usbredirparser_create();
  parser_->priv = this;
  installCallbacks(parser_);
  std::uint32_t caps[USB_REDIR_CAPS_SIZE] = {};
  // QEMU's xHCI controller takes a redirected device only with these.
  for (int cap : {usb_redir_cap_connect_device_version, usb_redir_cap_filter,
                  usb_redir_cap_device_disconnect_ack, usb_redir_cap_ep_info_max_packet_size,
                  usb_redir_cap_64bits_ids, usb_redir_cap_32bits_bulk_length})
    usbredirparser_caps_set_cap(caps, cap);
  usbredirparser_init(parser_, "ferrowind simulated keyboard", caps, USB_REDIR_CAPS_SIZE,
                      usbredirparser_fl_usb_host);
}

RedirectedKeyboard::~RedirectedKeyboard() {
  bus_->setListener(nullptr);
  handles_.clear();
  usbredirparser_destroy(parser_);
  ::close(socket_);
}

bool RedirectedKeyboard::run(const std::atomic<bool>& stop) {
  while (!stop && !peerHungUp_) {
    pollfd ready{socket_, static_cast<short>(POLLIN | (usbredirparser_has_data_to_write(parser_) ? POLLOUT : 0)), 0};
    // One frame: input reports go out at the pace a full-speed device's would.
    if (poll(&ready, 1, 1) < 0 && errno != EINTR) return false;
    if (ready.revents & (POLLIN | POLLHUP | POLLERR)) {
      const int result = usbredirparser_do_read(parser_);
      if (result == usbredirparser_read_io_error && peerHungUp_) break;
      if (result != 0 && result != usbredirparser_read_io_error) {
        std::fprintf(stderr, "usbdev: unreadable data from the peer (%d)\n", result);
        return false;
      }
    }
    followKeyboard();
    forwardInputReports();
    while (usbredirparser_has_data_to_write(parser_)) {
      if (usbredirparser_do_write(parser_) != 0) break;
    }
  }
  return true;
}

int RedirectedKeyboard::readSocket(std::uint8_t* data, int count) {
  const ssize_t got = ::recv(socket_, data, static_cast<std::size_t>(count), MSG_DONTWAIT);
  if (got > 0) return static_cast<int>(got);
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
  peerHungUp_ = true;
  return -1;
}

int RedirectedKeyboard::writeSocket(std::uint8_t* data, int count) {
  const ssize_t sent = ::send(socket_, data, static_cast<std::size_t>(count), MSG_DONTWAIT | MSG_NOSIGNAL);
  if (sent >= 0) return static_cast<int>(sent);
  if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return 0;
  peerHungUp_ = true;
  return -1;
}

void RedirectedKeyboard::onHello() {
  if (keyboard_->present()) connectDevice();
}

void RedirectedKeyboard::followKeyboard() {
  std::deque<DeviceNotice> notices;
  {
    std::lock_guard lock(noticesMutex_);
    notices.swap(notices_);
  }
  for (const DeviceNotice notice : notices) {
    if (notice == DeviceNotice::Removal && connected_) disconnectDevice();
    if (notice == DeviceNotice::Arrival && !connected_ && keyboard_->present()) connectDevice();
  }
}

void RedirectedKeyboard::connectDevice() {
  // One USB interface for each of the keyboard's interfaces, in its mode's identity.
  const std::vector<std::string> paths = keyboard_->interfacePaths();
  const bool bootloader = keyboard_->mode() == KeyboardMode::Bootloader;
  identity_.vendorId = sim::protocol::kVendorId;
  identity_.productId = keyboard_->productId();
  identity_.interfaces = static_cast<int>(paths.size());
  identity_.manufacturer = "Ferrowind";
  identity_.product = bootloader ? "Simulated keyboard bootloader" : "Simulated keyboard";
  handles_.clear();
  for (const std::string& path : paths) handles_.push_back(keyboard_->open(path));
  receiving_.clear();
  sendDeviceInfo();
  usb_redir_device_connect_header connect{};
  connect.speed = usb_redir_speed_full;
  connect.vendor_id = identity_.vendorId;
  connect.product_id = identity_.productId;
  connect.device_version_bcd = 0x0100;
  usbredirparser_send_device_connect(parser_, &connect);
  connected_ = true;
  std::fprintf(stderr, "usbdev: connected %04x:%04x with %d interface(s)\n", identity_.vendorId,
               identity_.productId, identity_.interfaces);
}

void RedirectedKeyboard::disconnectDevice() {
  usbredirparser_send_device_disconnect(parser_);
  handles_.clear();
  receiving_.clear();
  connected_ = false;
  std::fprintf(stderr, "usbdev: disconnected\n");
}

void RedirectedKeyboard::sendDeviceInfo() {
  usb_redir_interface_info_header interfaces{};
  interfaces.interface_count = static_cast<std::uint32_t>(identity_.interfaces);
  for (int n = 0; n < identity_.interfaces; ++n) {
    interfaces.interface[n] = static_cast<std::uint8_t>(n);
    interfaces.interface_class[n] = 0x03;  // HID
  }
  usbredirparser_send_interface_info(parser_, &interfaces);

  usb_redir_ep_info_header endpoints{};
  std::fill(std::begin(endpoints.type), std::end(endpoints.type), usb_redir_type_invalid);
  endpoints.type[endpointIndex(0x00)] = usb_redir_type_control;
  endpoints.type[endpointIndex(0x80)] = usb_redir_type_control;
  endpoints.max_packet_size[endpointIndex(0x00)] = kMaxPacket;
  endpoints.max_packet_size[endpointIndex(0x80)] = kMaxPacket;
  for (int n = 0; n < identity_.interfaces; ++n) {
    for (const std::uint8_t ep : {InEndpoint(n), OutEndpoint(n)}) {
      const int i = endpointIndex(ep);
      endpoints.type[i] = usb_redir_type_interrupt;
      endpoints.interval[i] = 1;
      endpoints.interface[i] = static_cast<std::uint8_t>(n);
      endpoints.max_packet_size[i] = kMaxPacket;
    }
  }
  usbredirparser_send_ep_info(parser_, &endpoints);
}

void RedirectedKeyboard::onSetConfiguration(std::uint64_t id, std::uint8_t configuration) {
  sendDeviceInfo();
  usb_redir_configuration_status_header status{};
  status.status = configuration <= 1 ? usb_redir_success : usb_redir_stall;
  status.configuration = configuration;
  usbredirparser_send_configuration_status(parser_, id, &status);
}

void RedirectedKeyboard::onGetConfiguration(std::uint64_t id) {
  usb_redir_configuration_status_header status{};
  status.status = usb_redir_success;
  status.configuration = connected_ ? 1 : 0;
  usbredirparser_send_configuration_status(parser_, id, &status);
}

void RedirectedKeyboard::onSetAltSetting(std::uint64_t id, std::uint8_t interfaceNumber, std::uint8_t alt) {
  usb_redir_alt_setting_status_header status{};
  status.status = (alt == 0 && interfaceNumber < identity_.interfaces) ? usb_redir_success : usb_redir_stall;
  status.interface = interfaceNumber;
  status.alt = alt;
  usbredirparser_send_alt_setting_status(parser_, id, &status);
}

void RedirectedKeyboard::onGetAltSetting(std::uint64_t id, std::uint8_t interfaceNumber) {
  onSetAltSetting(id, interfaceNumber, 0);
}

void RedirectedKeyboard::onControl(std::uint64_t id, usb_redir_control_packet_header* header,
                                   std::uint8_t* data, int length) {
  ControlRequest request;
  request.requestType = header->requesttype;
  request.request = header->request;
  request.value = header->value;
  request.index = header->index;
  request.length = header->length;
  if (data) usbredirparser_free_packet_data(parser_, data);
  (void)length;
  ControlReply reply = AnswerControl(identity_, request);
  usb_redir_control_packet_header answer = *header;
  answer.status = reply.stall ? usb_redir_stall : usb_redir_success;
  const bool in = header->endpoint & 0x80;
  answer.length = static_cast<std::uint16_t>(in ? reply.data.size() : header->length);
  usbredirparser_send_control_packet(parser_, id, &answer, in ? reply.data.data() : nullptr,
                                     in ? static_cast<int>(reply.data.size()) : 0);
}

void RedirectedKeyboard::onInterruptOut(std::uint64_t id, usb_redir_interrupt_packet_header* header,
                                        std::uint8_t* data, int length) {
  HidReport report{};
  std::copy_n(data, std::min<int>(length, static_cast<int>(report.size())), report.begin());
  if (data) usbredirparser_free_packet_data(parser_, data);
  const int n = InterfaceOfEndpoint(identity_, header->endpoint);
  const bool taken = n >= 0 && n < static_cast<int>(handles_.size()) && handles_[n] &&
                     handles_[n]->write(report);
  usb_redir_interrupt_packet_header answer = *header;
  answer.status = taken ? usb_redir_success : usb_redir_stall;
  usbredirparser_send_interrupt_packet(parser_, id, &answer, nullptr, 0);
}

void RedirectedKeyboard::onStartInterruptReceiving(std::uint64_t id, std::uint8_t endpoint) {
  receiving_[endpoint] = true;
  usb_redir_interrupt_receiving_status_header status{};
  status.status = InterfaceOfEndpoint(identity_, endpoint) >= 0 ? usb_redir_success : usb_redir_stall;
  status.endpoint = endpoint;
  usbredirparser_send_interrupt_receiving_status(parser_, id, &status);
}

void RedirectedKeyboard::onStopInterruptReceiving(std::uint64_t id, std::uint8_t endpoint) {
  receiving_[endpoint] = false;
  usb_redir_interrupt_receiving_status_header status{};
  status.status = usb_redir_success;
  status.endpoint = endpoint;
  usbredirparser_send_interrupt_receiving_status(parser_, id, &status);
}

void RedirectedKeyboard::discard(std::uint8_t* data) {
  if (data) usbredirparser_free_packet_data(parser_, data);
}

void RedirectedKeyboard::forwardInputReports() {
  for (const auto& [endpoint, on] : receiving_) {
    if (!on) continue;
    const int n = InterfaceOfEndpoint(identity_, endpoint);
    if (n < 0 || n >= static_cast<int>(handles_.size()) || !handles_[n]) continue;
    HidReport report{};
    if (handles_[n]->read(report, std::chrono::milliseconds(0)) != ReadResult::Read) continue;
    usb_redir_interrupt_packet_header header{};
    header.endpoint = endpoint;
    header.status = usb_redir_success;
    header.length = static_cast<std::uint16_t>(report.size());
    usbredirparser_send_interrupt_packet(parser_, nextInputId_++, &header, report.data(),
                                         static_cast<int>(report.size()));
  }
}

}  // namespace sim::usb
