// Finding the keyboard: its command interface in its application, or the keyboard in its
// bootloader.
#include <string>

#include "app/ferrowind_dlg.h"
#include "app/message_box.h"
#include "app/resource_ids.h"
#include "common/trace.h"
#include "device/interface_role.h"
#include "device/interface_walk.h"
#include "device/permission_hint.h"

void CFerrowindDlg::ScanDevices(std::string vidText, std::string pidText) {
  showIdentityPlaceholders();
  m_hDevice.reset();

  // Each step reads m_hDevice afresh: a message box further down runs a nested loop, where a
  // notice may start a nested scan that closes or replaces it.
  const WalkResult walk = WalkInterfaces(hid(), [&](const std::string& path) {
    switch (ClassifyInterface(path, vidText, pidText, m_strBootVid, m_strBootPid)) {
      case InterfaceRole::Other:
        return false;
      case InterfaceRole::CommandInterface: {
        OpenResult opened = hid().open(path);
        if (!opened.device) {
          trace::write("------------- open failed: " + path + "  errno:" +
                       std::to_string(opened.errorCode) + " --------------- \n");
          if (opened.permissionDenied) trace::write(PermissionDeniedTrace(path));
          m_connected = false;
          m_pStatusLabel.setText("Failed 01");
          return false;  // a later interface may still open
        }
        m_hDevice = std::move(opened.device);
        ExchangeIdentity();
        return true;
      }
      case InterfaceRole::Bootloader:
        foundInBootloader();
        return true;
    }
    return false;
  });

  if (walk == WalkResult::NoList)
    messageBox("Get device info rrror !", kMessageCaption, kMessageBoxStop);
  else if (walk == WalkResult::NoBuffer)
    messageBox("Failed to apply for device space !", kMessageCaption, kMessageBoxStop);
}

void CFerrowindDlg::foundInBootloader() {
  trace::write("------------- 找到进入升级模式后的vid --------------- \n");
  m_connected = true;
  m_pStatusLabel.setText("Into boot");

  if (m_waitingForBoot) {
    // The keyboard this program sent into its bootloader is back: upgrade it.
    m_waitingForBoot = false;
    if (StartUpgradeWorker() != kWorkerStarted && !IsUpgradeWorkerRunning()) m_upgrading = false;
    SetUpgradeButtonEnabled(true);  // the worker disables it again as its first step
  } else if (m_pAutoUpgradeCheck.checkState() != BST_UNCHECKED) {
    OnUpgrade();  // nothing is open: it goes straight to the worker
  }
}
