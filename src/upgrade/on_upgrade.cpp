// The "Upgrade" handler: the single way into an upgrade.
#include "app/ferrowind_dlg.h"
#include "app/resource_ids.h"
#include "upgrade/firmware_image.h"
#include "upgrade/working_copy.h"

void CFerrowindDlg::OnUpgrade() {
  // Busy: an upgrade is under way. A running transfer counts even where the flag was not
  // set for it: the working copy it is sending must not be rewritten under it.
  if (m_upgrading || workerRunning_) return;

  m_upgrading = true;
  m_lastOk = false;
  m_pResultLabel.setText(kDefaultText);

  RefreshWorkingCopy(FirmwareImage(), m_firmware);

  if (!m_hDevice) {
    // No keyboard open in its application: it is taken to be in its bootloader already.
    if (StartUpgradeWorker() == kWorkerStarted) return;
    m_upgrading = false;
    SetUpgradeButtonEnabled(true);
    return;
  }

  // A keyboard open in its application is first checked against the image and sent into its
  // bootloader; until that road exists, nothing is started from here.
  m_upgrading = false;
}
