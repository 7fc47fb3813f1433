// Finding the keyboard in its bootloader, and the worker thread that upgrades it.
#include <cstdio>
#include <string>
#include <system_error>

#include "app/ferrowind_dlg.h"
#include "app/message_box.h"
#include "app/resource_ids.h"
#include "common/trace.h"
#include "device/interface_path.h"
#include "device/interface_walk.h"
#include "device/permission_hint.h"

namespace {

void traceOpenFailure(const std::string& path, const OpenResult& failed) {
  char line[160];
  std::snprintf(line, sizeof line,
                "------------- 查找到相应的vid设备信息 打开设备失败  LastError:%d \n",
                failed.errorCode);
  trace::write(line);
  if (failed.permissionDenied) trace::write(PermissionDeniedTrace(path));
}

}  // namespace

int CFerrowindDlg::StartUpgradeWorker() {
  // One worker at a time: the one running owns m_hBootDevice, which must not be touched.
  if (workerRunning_) {
    trace::write("------------- upgrade worker already running: not started again --------------- \n");
    return kWorkerNotStarted;
  }

  m_bootWaitTicks = 0;
  killDialogTimer(IDT_BOOT_WAIT);
  m_hBootDevice.reset();

  bool matched = false;
  const WalkResult walk = WalkInterfaces(hid(), [&](const std::string& path) {
    if (!PathHasIds(path, m_strBootVid, m_strBootPid)) return false;
    matched = true;
    OpenResult opened = hid().open(path);
    if (!opened.device) {
      traceOpenFailure(path, opened);
      return false;
    }
    trace::write("------------- 查找到相应的vid设备信息 打开设备成功 --------------- \n");
    m_hBootDevice = std::move(opened.device);
    return true;
  });

  const char* failure = nullptr;
  if (walk == WalkResult::NoList) failure = "Get device info error !";
  else if (walk == WalkResult::NoBuffer) failure = "Failed to apply for device space !";
  else if (!matched) failure = "Not find the upgrade device !";
  else if (!m_hBootDevice) failure = "Open device failed !";
  if (failure) {
    messageBox(failure, kMessageCaption, kMessageBoxStop);
    return kWorkerNotStarted;
  }

  if (workerThread_.joinable()) workerThread_.join();  // the last worker has finished
  workerRunning_ = true;
  try {
    workerThread_ = m_environment.startThread([this] { UpgradeThreadProc(this); });
  } catch (const std::system_error& error) {
    // Nobody would close the device or release the flag: do it here, and say so.
    workerRunning_ = false;
    m_hBootDevice.reset();
    trace::write(std::string("------------- upgrade thread not started: ") + error.what() +
                 " --------------- \n");
    messageBox("Failed to start the upgrade !", kMessageCaption, kMessageBoxStop);
    m_upgrading = false;
    SetUpgradeButtonEnabled(true);
    return kWorkerNotStarted;
  }
  return kWorkerStarted;
}

int UpgradeThreadProc(void* dialog) {
  static_cast<CFerrowindDlg*>(dialog)->UpgradeWorker();
  return 0;
}

void CFerrowindDlg::UpgradeWorker() {
  SetUpgradeButtonEnabled(false);

  const int result = TransferImage(OnTransferProgress);

  m_hBootDevice.reset();
  m_lastTransferOk = result == 1;
  m_restoreSerial = true;
  m_enterArmed = false;
  setDialogTimer(IDT_REARM, m_environment.timing.rearmTick);

  if (result == 1) {
    m_pSuccessCountLabel.setText(std::to_string(++m_successCount));
    m_lastOk = true;
    m_pResultLabel.setText("Success");
  } else {
    m_pFailCountLabel.setText(std::to_string(++m_failCount));
    m_lastOk = false;
    m_pResultLabel.setText("Failed");
  }

  UpdateData(true);
  m_upgrading = false;
  SetUpgradeButtonEnabled(true);
  workerRunning_ = false;
  // The dialog joins this thread before it goes, so it is still there to take the message.
  postToUiThread([this] { OnUpgradeWorkerEnded(); });
}
