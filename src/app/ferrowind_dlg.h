#pragma once

#include <QFont>
#include <QIcon>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "app/control_ref.h"
#include "app/dialog_window.h"
#include "build_config.h"
#include "common/timing.h"
#include "device/device_identity.h"
#include "device/hid_device.h"
#include "upgrade/image_layout.h"

// What the dialog is given from outside. The program passes the defaults; tests pass short
// timings and the profile they check.
struct DialogEnvironment {
  Timing timing = Timing::production();
  int buildProfile = BUILD_PROFILE;
};

// The one dialog. Its members are the whole state of the program and live for the whole run.
class CFerrowindDlg : public DialogWindow {
  Q_OBJECT

 public:
  explicit CFerrowindDlg(DialogEnvironment environment = {}, QWidget* parent = nullptr);
  ~CFerrowindDlg() override;

  void SetUpgradeButtonEnabled(bool enable);

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
  std::array<std::uint8_t, 64> m_serial{};
  std::atomic<bool> m_restoreSerial{false};
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
};

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
