#include "device/hidapi_port.h"

#include <hidapi/hidapi.h>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string_view>

#include "device/hid_interface_paths.h"

namespace {

// One opened hidraw interface; closing the handle is destroying the object.
class HidapiDevice : public HidDevice {
 public:
  explicit HidapiDevice(hid_device* device) : device_(device) {}
  ~HidapiDevice() override { hid_close(device_); }
  HidapiDevice(const HidapiDevice&) = delete;
  HidapiDevice& operator=(const HidapiDevice&) = delete;

  // Byte 0 of our reports is the report ID, which is where hid_write expects it.
  bool write(const HidReport& report) override {
    return hid_write(device_, report.data(), report.size()) != -1;
  }

  ReadResult read(HidReport& report, std::chrono::milliseconds timeout) override {
    HidReport buffer{};
    const int count =
        hid_read_timeout(device_, buffer.data(), buffer.size(), hidapiTimeoutMs(timeout));
    if (count < 0) return ReadResult::Failed;
    if (count == 0) return ReadResult::TimedOut;
    report = reportOfReadBytes(buffer, static_cast<std::size_t>(count));
    return ReadResult::Read;
  }

 private:
  hid_device* const device_;
};

// Without sysfs (a chroot, a bare container) the node itself is asked: only a hidraw node
// knows the size of its report descriptor.
bool answersAsHidraw(const std::string& node) {
  const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  int descriptorSize = 0;
  const bool hidraw = ::ioctl(fd, HIDIOCGRDESCSIZE, &descriptorSize) == 0;
  ::close(fd);
  return hidraw;
}

std::vector<HidEnumerationEntry> enumerationEntries() {
  std::vector<HidEnumerationEntry> entries;
  hid_device_info* const first = hid_enumerate(0, 0);
  for (const hid_device_info* info = first; info != nullptr; info = info->next)
    entries.push_back(
        {info->path ? info->path : "", info->vendor_id, info->product_id, info->interface_number});
  hid_free_enumeration(first);
  return entries;
}

// Why `node` cannot be opened as a hidraw interface, as an errno value; 0 when nothing stands
// in the way. Asked before hidapi is: hidapi 0.13 (Debian 12) frees its device and then writes
// to it when a node opens but is not hidraw, so such a node must never reach hid_open_path.
// Asking the system directly also gives the real cause, which hidapi's error text may have
// overwritten in errno.
int nodeRefusal(const std::string& node) {
  struct stat status {};
  if (::stat(node.c_str(), &status) != 0) return errno;
  if (::faccessat(AT_FDCWD, node.c_str(), R_OK | W_OK, AT_EACCESS) != 0) return errno;
  if (!S_ISCHR(status.st_mode)) return ENODEV;
  const std::string link = "/sys/dev/char/" + std::to_string(major(status.st_rdev)) + ":" +
                           std::to_string(minor(status.st_rdev)) + "/subsystem";
  char target[PATH_MAX];
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
  if (length < 0) {
    if (::access("/sys/dev/char", F_OK) == 0) return ENODEV;  // sysfs knows no such device
    return answersAsHidraw(node) ? 0 : ENODEV;
  }
  return namesHidrawSubsystem(std::string_view(target, static_cast<std::size_t>(length))) ? 0
                                                                                          : ENODEV;
}

}  // namespace

HidapiPort::HidapiPort() : initialized_(hid_init() == 0) {}

std::optional<std::vector<std::string>> HidapiPort::presentInterfaces() {
  if (!initialized_) return std::nullopt;
  return interfacePathsOf(enumerationEntries());
}

OpenResult HidapiPort::open(const std::string& path) {
  OpenResult result;
  const auto node = hidrawNodeOfPath(path);
  if (!node) {
    result.errorCode = EINVAL;
    return result;
  }
  result.errorCode = nodeRefusal(*node);
  if (result.errorCode == 0) {
    errno = 0;
    hid_device* const device = hid_open_path(node->c_str());
    const int errnoAfterHidapi = errno;
    if (device != nullptr) {
      result.device = std::make_unique<HidapiDevice>(device);
      return result;
    }
    // The node passed the checks a moment ago: it changed since, or hidapi failed on its own.
    result.errorCode = nodeRefusal(*node);
    if (result.errorCode == 0) result.errorCode = errnoAfterHidapi != 0 ? errnoAfterHidapi : EIO;
  }
  result.permissionDenied = isPermissionError(result.errorCode);
  return result;
}

int hidapiTimeoutMs(std::chrono::milliseconds timeout) {
  return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INT_MAX));
}

bool isPermissionError(int errorCode) { return errorCode == EACCES || errorCode == EPERM; }

HidReport reportOfReadBytes(const HidReport& buffer, std::size_t count) {
  HidReport report{};
  const std::size_t kept = std::min(count, buffer.size());
  std::copy_n(buffer.begin(), kept, report.begin());
  return report;
}

bool namesHidrawSubsystem(std::string_view linkTarget) {
  const auto slash = linkTarget.rfind('/');
  return linkTarget.substr(slash == std::string_view::npos ? 0 : slash + 1) == "hidraw";
}
