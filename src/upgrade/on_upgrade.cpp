// The "Upgrade" handler: the single way into an upgrade, and the wait for the keyboard to come
// back in its bootloader.
#include "app/ferrowind_dlg.h"
#include "app/message_box.h"
#include "app/resource_ids.h"
#include "common/trace.h"
#include "device/hid_commands.h"
#include "upgrade/image_identity.h"
#include "upgrade/transfer_reports.h"
#include "upgrade/working_copy.h"

void CFerrowindDlg::OnUpgrade() {
  // Busy: an upgrade is under way. A running transfer counts even where the flag was not
  // set for it: the working copy it is sending must not be rewritten under it.
  if (m_upgrading || workerRunning_) return;

  m_upgrading = true;
  m_lastOk = false;
  m_pResultLabel.setText(kDefaultText);

  RefreshWorkingCopy(m_environment.firmware, m_firmware);

  if (!m_hDevice) {
    // No keyboard open in its application: it is taken to be in its bootloader already.
    if (StartUpgradeWorker() == kWorkerStarted) return;
    m_upgrading = false;
    SetUpgradeButtonEnabled(true);
    return;
  }

  m_waitingForBoot = true;

  // The image must be meant for this keyboard. The chip never gives way; the operator decides
  // on the type; the force flag lets a custom code pass, and it or the force box a product type.
  const DeviceIdentity image = ImageIdentity(m_firmware);
  if (m_deviceIdentity.chipCode != image.chipCode)
    return refuseUpgrade("The NUC code is not the same !");
  if (m_deviceIdentity.typeCode != image.typeCode &&
      messageBox("The type is not the same, Whether to continue updating ?", kMessageCaption,
                 kMessageBoxQuestionDefaultNo) == IDNO) {
    m_waitingForBoot = false;
    m_upgrading = false;
    return;
  }
  if (m_deviceIdentity.customCode != image.customCode && !m_force)
    return refuseUpgrade("The custom is not the same !");
  const bool forceChecked = m_pForceCheck.checkState() != BST_UNCHECKED;
  if (m_deviceIdentity.productType != image.productType && !forceChecked && !m_force)
    return refuseUpgrade("The product type is not the same !");

  // The question ran a nested loop: a removal may have closed the keyboard meanwhile.
  if (!m_hDevice) {
    trace::write("------------- the keyboard went away before the upgrade began --------------- \n");
    m_waitingForBoot = false;
    if (!IsUpgradeWorkerRunning()) m_upgrading = false;
    return;
  }

  const auto timeout = m_environment.timing.commandReadTimeout;
  HidReport answer;
  SendReport(m_hDevice.get(), BuildCommandReport(CMD_HANDSHAKE));
  ReadAnswer(m_hDevice.get(), answer, timeout);  // its content means nothing
  pause(m_environment.timing.commandPause);
  SendReport(m_hDevice.get(), BuildCommandReport(CMD_ENTER_BOOT));
  if (ReadAnswer(m_hDevice.get(), answer, timeout) == ReadResult::Read &&
      answer[kStatusByte] == kBootRefusedStatus) {
    m_waitingForBoot = false;
    m_upgrading = false;
    messageBox(TransferErrorMessage(kBootRefused), kMessageCaption, kMessageBoxStop);
    return;
  }

  // Accepted, or no answer (the keyboard may restart before it answers): wait for it to come
  // back in its bootloader. The scan that finds it starts the worker.
  m_hDevice.reset();
  setDialogTimer(IDT_BOOT_WAIT, m_environment.timing.bootWaitTick);
  SetUpgradeButtonEnabled(false);
}

void CFerrowindDlg::refuseUpgrade(const char* message) {
  // The keyboard stays open and nothing waits for it: a bootloader that shows up later is not
  // upgraded behind the operator's back.
  m_waitingForBoot = false;
  m_upgrading = false;
  messageBox(message, kMessageCaption, kMessageBoxStop);
}

void CFerrowindDlg::OnBootWaitTick() {
  trace::write("----------------- *** OnTimer Runing [1234] *** ----------------- \n");
  ++m_bootWaitTicks;
  if (m_bootWaitTicks != m_environment.timing.bootWaitTimeoutTicks) return;

  m_waitingForBoot = false;
  killDialogTimer(IDT_BOOT_WAIT);
  // Give the operator the button back, with a fresh count for the next wait.
  m_bootWaitTicks = 0;
  m_upgrading = false;
  SetUpgradeButtonEnabled(true);
  messageBox("Time out !", kMessageCaption, kMessageBoxStop);
}
