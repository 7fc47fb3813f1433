#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "device/hid_interface_paths.h"
#include "device/hidapi_port.h"

namespace {

using std::chrono::milliseconds;

constexpr const char* kIdentity = "#vid_0416&pid_3f01";

// A temporary regular file that is removed again at the end of the test.
class TempFile {
 public:
  TempFile() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "ferrowind-hid-XXXXXX").string();
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) {
      ::close(fd);
      path_ = pattern;
    }
  }
  ~TempFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool canOpenForReadWrite(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

constexpr int kCouldNotDropPrivileges = 77;

// Runs `check` in a child process with the ids of "nobody", where file permissions apply even
// when the tests run as root. The child's exit status: 0 when `check` held, 1 when not,
// kCouldNotDropPrivileges when it could not become "nobody"; nullopt when no child ran.
std::optional<int> exitStatusAsNobody(const std::function<bool()>& check) {
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
      _exit(kCouldNotDropPrivileges);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

TEST(HidapiPort, ListsPresentInterfacesEachLeadingBackToANode) {
  HidapiPort port;
  const auto paths = port.presentInterfaces();
  ASSERT_TRUE(paths.has_value()) << "hid_init failed";
  const std::set<std::string> distinct(paths->begin(), paths->end());
  EXPECT_EQ(distinct.size(), paths->size()) << "a path is listed twice";
  for (const auto& path : *paths) {
    const auto node = hidrawNodeOfPath(path);
    ASSERT_TRUE(node.has_value()) << path;
    EXPECT_EQ(path.rfind(*node, 0), 0u) << path;
  }
  // Nothing is plugged in or out during the test, so the list is the same a second time.
  EXPECT_EQ(port.presentInterfaces(), paths);
}

TEST(HidapiPort, OpeningAMissingNodeFailsWithNoSuchFile) {
  HidapiPort port;
  const OpenResult result = port.open(std::string("/dev/hidraw-does-not-exist") + kIdentity);
  EXPECT_EQ(result.device, nullptr);
  EXPECT_EQ(result.errorCode, ENOENT);
  EXPECT_FALSE(result.permissionDenied);
}

TEST(HidapiPort, OpeningAPathThatIsNotOursFailsCleanly) {
  HidapiPort port;
  const std::string foreign[] = {"", "/dev/hidraw0", "/dev/hidraw0#vid_0416", "garbage",
                                 "/dev/null#VID_0416&PID_3F01"};
  for (const auto& path : foreign) {
    const OpenResult result = port.open(path);
    EXPECT_EQ(result.device, nullptr) << path;
    EXPECT_EQ(result.errorCode, EINVAL) << path;
    EXPECT_FALSE(result.permissionDenied) << path;
  }
}

TEST(HidapiPort, OpeningANodeThatIsNotHidrawFailsWithNoSuchDevice) {
  // Each opens, but is no hidraw node. hidapi 0.13 crashes on such a node; the port must
  // refuse it before hidapi sees it.
  TempFile file;
  ASSERT_FALSE(file.path().empty());
  const std::string nodes[] = {file.path(), "/dev/null", "/tmp"};
  HidapiPort port;
  for (const auto& node : nodes) {
    const OpenResult result = port.open(node + kIdentity);
    EXPECT_EQ(result.device, nullptr) << node;
    EXPECT_EQ(result.errorCode, ENODEV) << node;
    EXPECT_FALSE(result.permissionDenied) << node;
  }
}

TEST(HidapiPort, OpeningANodeThisUserMayNotOpenReportsPermissionDenied) {
  TempFile file;
  ASSERT_FALSE(file.path().empty());
  ASSERT_EQ(::chmod(file.path().c_str(), 0), 0);
  const std::string path = file.path() + kIdentity;

  if (!canOpenForReadWrite(file.path())) {
    HidapiPort port;
    const OpenResult result = port.open(path);
    EXPECT_EQ(result.device, nullptr);
    EXPECT_EQ(result.errorCode, EACCES);
    EXPECT_TRUE(result.permissionDenied);
    return;
  }
  // Root opens anything; check as an unprivileged user instead.
  const auto status = exitStatusAsNobody([&path] {
    HidapiPort port;
    const OpenResult result = port.open(path);
    return result.device == nullptr && result.errorCode == EACCES && result.permissionDenied;
  });
  if (status == kCouldNotDropPrivileges) GTEST_SKIP() << "cannot run as an unprivileged user";
  ASSERT_TRUE(status.has_value()) << "the unprivileged check did not run";
  EXPECT_EQ(*status, 0) << "opening a file of mode 000 as nobody did not report EACCES";
}

TEST(HidapiPort, TimeoutIsClampedToWhatHidapiTakes) {
  const struct {
    milliseconds timeout;
    int expected;
  } cases[] = {
      {milliseconds(0), 0},
      {milliseconds(1), 1},
      {milliseconds(5000), 5000},
      {milliseconds(-1), 0},  // -1 would make hidapi wait forever
      {milliseconds(-250), 0},
      {milliseconds(INT_MAX), INT_MAX},
      {milliseconds(static_cast<long long>(INT_MAX) + 1), INT_MAX},
      {milliseconds::max(), INT_MAX},
      {milliseconds::min(), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(hidapiTimeoutMs(c.timeout), c.expected) << c.timeout.count();
}

TEST(HidapiPort, OnlyAccessErrorsMeanPermissionDenied) {
  const struct {
    int errorCode;
    bool denied;
  } cases[] = {
      {EACCES, true}, {EPERM, true},   {ENOENT, false}, {ENODEV, false},
      {EBUSY, false}, {ENOTTY, false}, {EINVAL, false}, {0, false},
  };
  for (const auto& c : cases) EXPECT_EQ(isPermissionError(c.errorCode), c.denied) << c.errorCode;
}

TEST(HidapiPort, RecognisesTheHidrawSubsystemLink) {
  const struct {
    const char* linkTarget;
    bool hidraw;
  } cases[] = {
      {"../../../../../../../../class/hidraw", true},
      {"hidraw", true},
      {"../../../../class/mem", false},
      {"../../../../class/hidraw/", false},
      {"../../../../class/hidraw0", false},
      {"../../../../class/usbmisc", false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(namesHidrawSubsystem(c.linkTarget), c.hidraw) << c.linkTarget;
}

TEST(HidapiPort, ReadBytesAreKeptAndTheRestCleared) {
  HidReport buffer;
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(0xA0 + i);

  const std::size_t counts[] = {1, 2, 33, 63, 64, 65, 1000};
  for (const std::size_t count : counts) {
    const HidReport report = reportOfReadBytes(buffer, count);
    for (std::size_t i = 0; i < report.size(); ++i)
      EXPECT_EQ(report[i], i < count ? buffer[i] : 0) << "count " << count << ", byte " << i;
  }
}

}  // namespace
