#pragma once

#include <QFont>
#include <QIcon>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "app/control_ref.h"
#include "app/dialog_window.h"
#include "build_config.h"
#include "common/timing.h"
#include "device/command_reports.h"
#include "device/device_identity.h"
#include "device/device_notices.h"
#include "device/hid_device.h"
#include "device/hid_port.h"
#include "upgrade/firmware_image.h"
#include "upgrade/image_layout.h"

// What the dialog is given from outside. The program passes the defaults; tests pass short
// timings and the profile they check.
struct DialogEnvironment {
  Timing timing = Timing::production();
  int buildProfile = BUILD_PROFILE;
  // Where HID interfaces are found and opened; none means no interface is ever present.
  std::shared_ptr<HidPort> hid;
  // Where device arrivals and removals come from; none means the dialog hears of none.
  std::shared_ptr<DeviceNoticeSource> notices;
  // The image each upgrade refreshes its working copy from: the built-in one. Tests of the
  // compatibility check pass images with other identities.
  std::span<const std::uint8_t, kFirmwareImageSize> firmware = FirmwareImage();
  // Starts the upgrade worker's thread; throws std::system_error when it cannot.
  std::function<std::thread(std::function<void()>)> startThread = [](std::function<void()> run) {
    return std::thread(std::move(run));
  };
};

// Timers of the dialog.
inline constexpr int IDT_BOOT_WAIT = 1234;  // waiting for the device to come back in its bootloader
inline constexpr int IDT_REARM = 5678;      // re-arms the Enter key after a transfer

// What StartUpgradeWorker returns when the worker is running, and when it could not start.
inline constexpr int kWorkerStarted = 1;
inline constexpr int kWorkerNotStarted = -10;

enum class HotKey;

// Called with the number of data reports in all and the number written so far.
using TransferProgressCallback = void (*)(int total, int done);

// The one dialog. Its members are the whole state of the program and live for the whole run.
class CFerrowindDlg : public DialogWindow {
  Q_OBJECT

 public:
  explicit CFerrowindDlg(DialogEnvironment environment = {}, QWidget* parent = nullptr);
  ~CFerrowindDlg() override;

  void SetUpgradeButtonEnabled(bool enable);

  // The "Upgrade" button, the Enter key and automatic upgrade: checks the open keyboard
  // against the image and sends it into its bootloader, or upgrades the one already there.
  void OnUpgrade();
  // Finds the keyboard by the VID and PID texts: opens its command interface and reads its
  // identity, or hands the keyboard found in its bootloader to the upgrade.
  void ScanDevices(std::string vidText, std::string pidText);

  // The Lock box: unchecked, it frees the VID and PID edits and resets the display; checked
  // again, it takes their texts and scans with them.
  void OnLockClicked();

  // Device notices: registered once at start-up, then every arrival rescans and every
  // removal resets the display. OnDeviceChange returns true for every notice.
  void RegisterDeviceNotifications();
  bool OnDeviceChange(DeviceNotice notice);
  void OnDeviceArrival();
  void OnDeviceRemoval();
  // Finds the device in its bootloader, opens it and starts the worker that sends the image.
  int StartUpgradeWorker();
  // The worker: sends the image, closes the device, counts and shows the result.
  void UpgradeWorker();
  // Sends m_firmware to m_hBootDevice; 1, or the negative error code after its message box.
  int TransferImage(TransferProgressCallback progress);

  // True from the moment the worker thread is started until its last step.
  bool IsUpgradeWorkerRunning() const { return workerRunning_; }

  // Ending the dialog (Escape, the close button) is refused while a transfer runs.
  void done(int result) override;

  const DialogEnvironment m_environment;

  // The program's state, in declaration order. Flags and counters that the upgrade worker
  // writes are atomic; the rest belong to the user-interface thread.
  QIcon m_hIcon;
  DeviceHandle m_hDevice;      // command interface in application mode
  DeviceHandle m_hBootDevice;  // the device in upgrade mode
  ControlRef m_pVidEdit;
  ControlRef m_pPidEdit;
  std::string m_strVid;
  std::string m_strPid;
  ControlRef m_pLockCheck;
  ControlRef m_pFirmwareLabel;
  ControlRef m_pVersionLabel;
  ControlRef m_pStatusLabel;
  ControlRef m_pForceCheck;
  ControlRef m_pAutoUpgradeCheck;
  ControlRef m_pClearPairingCheck;
  ControlRef m_pUpgradeButton;
  ControlRef m_pFailCountLabel;
  ControlRef m_pSuccessCountLabel;
  ControlRef m_pResultLabel;
  QFont m_fontResult;
  QFont m_fontSmall;
  const std::string m_strBootVid = "0x0416";
  const std::string m_strBootPid = "0x3F01";
  std::string m_strSerial;
  SerialBytes m_serial{};
  std::atomic<bool> m_restoreSerial{false};
  std::atomic<bool> m_lastTransferOk{false};  // outcome of the last transfer, for the write-back
  bool m_connected = false;
  std::atomic<bool> m_lastOk{false};
  bool m_force = false;
  bool m_waitingForBoot = false;
  std::array<std::uint8_t, kFirmwareImageSize> m_firmware{};
  std::int32_t m_bootWaitTicks = 0;
  DeviceIdentity m_deviceIdentity;
  std::atomic<std::int32_t> m_failCount{0};
  std::atomic<std::int32_t> m_successCount{0};
  std::atomic<bool> m_upgrading{false};
  std::int32_t m_rearmTicks = 0;
  std::atomic<bool> m_enterArmed{true};

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;
  void OnTimer(int timerId) override;
  // Enter and the hot keys, seen before any control sees the key.
  bool PreTranslateMessage(const KeyMessage& message) override;
  // The status and result labels follow m_connected and m_lastOk; the counters keep theirs.
  std::optional<QColor> OnCtlColor(int id) override;
  void OnPaint() override;

 private:
  void applyHotKey(HotKey hotKey);
  int failTransfer(int code);
  HidPort& hid();
  // Reads the identity (and the serial number, or writes it back) over m_hDevice.
  void ExchangeIdentity();
  std::optional<std::string> requestIdentityText();
  std::optional<HidReport> awaitAnswerTo(std::uint8_t command);
  void giveUpDevice(const char* why);
  void foundInBootloader();
  void refuseUpgrade(const char* message);
  void OnBootWaitTick();
  void OnUpgradeWorkerEnded();
  void pause(std::chrono::milliseconds duration);
  // The version and firmware labels while no device identity is known.
  void showIdentityPlaceholders();
  // No keyboard shown: identity placeholders, "Default" in red twice, an empty bar.
  void resetDisplay();

  // An arrival noticed while the worker was still finishing: its scan waits for the worker's
  // end, so that the keyboard coming back meets the outcome of its transfer.
  bool m_rescanAfterWorker = false;

  // The worker thread of the last upgrade. workerRunning_ is true from just before the
  // thread starts until its last step; the thread is joined before the next one starts and
  // before the dialog goes, so no worker outlives the dialog.
  std::thread workerThread_;
  std::atomic<bool> workerRunning_{false};
};

// The worker thread's entry: runs UpgradeWorker on the dialog given; returns 0.
int UpgradeThreadProc(void* dialog);

// Moves the dialog's progress bar to `done`; `total` is not used (the range is set before).
void OnTransferProgress(int total, int done);

// The dialog, for code that has no other way to reach it; null when there is none.
extern std::atomic<CFerrowindDlg*> g_pMainDlg;

// Placeholder texts the labels show while no device identity is known.
inline constexpr const char* kVersionPlaceholder = "0000 --- 0000-00-00 00:00:00";
inline constexpr const char* kFirmwarePlaceholder = "0000-000-000-000";
inline constexpr const char* kDefaultText = "Default";

// Point sizes, in tenths, and face of the dialog's two fonts.
inline constexpr int kResultFontTenths = 200;
inline constexpr int kSmallFontTenths = 90;
inline constexpr const char* kDialogFontFace = "微软雅黑";
