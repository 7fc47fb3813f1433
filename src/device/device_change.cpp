// Following the keyboard as it is plugged in, unplugged and restarted.
#include "app/ferrowind_dlg.h"
#include "app/message_box.h"
#include "common/trace.h"

void CFerrowindDlg::RegisterDeviceNotifications() {
  DeviceNoticeSource* source = m_environment.notices.get();
  if (!source) return;
  // Notices reach the dialog through its event queue, so they are handled on the
  // user-interface thread, in order, between other events (and inside message boxes).
  source->setListener(
      [this](DeviceNotice notice) { postToUiThread([this, notice] { OnDeviceChange(notice); }); });
  for (NoticeClass noticeClass : {NoticeClass::UsbDevice, NoticeClass::Disk})
    if (!source->watch(noticeClass))
      messageBox("Registration failed !", kMessageCaption, kMessageBoxStop);
}

bool CFerrowindDlg::OnDeviceChange(DeviceNotice notice) {
  switch (notice) {
    case DeviceNotice::Arrival: OnDeviceArrival(); break;
    case DeviceNotice::Removal: OnDeviceRemoval(); break;
  }
  return true;
}

void CFerrowindDlg::OnDeviceArrival() {
  trace::write("Hid device ARRIVAL [Add]\n");
  pause(m_environment.timing.arrivalPause);
  if (IsUpgradeWorkerRunning()) {
    // The keyboard can come back before the worker has recorded how its transfer ended;
    // the scan waits for the worker (which always ends within its time-outs).
    trace::write("------------- rescan after the upgrade worker has ended --------------- \n");
    m_rescanAfterWorker = true;
    return;
  }
  ScanDevices(m_strVid, m_strPid);
}

void CFerrowindDlg::OnUpgradeWorkerEnded() {
  if (!m_rescanAfterWorker) return;
  m_rescanAfterWorker = false;
  ScanDevices(m_strVid, m_strPid);
}

void CFerrowindDlg::OnDeviceRemoval() {
  trace::write("Hid device REMOVECOMPLETE [Remove] \n");
  resetDisplay();
  m_hDevice.reset();
}
