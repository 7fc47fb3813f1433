// Sending the image to the bootloader, packet by acknowledged packet.
#include <string>

#include "app/ferrowind_dlg.h"
#include "app/message_box.h"
#include "app/resource_ids.h"
#include "common/trace.h"
#include "upgrade/transfer_reports.h"

// The worker does not wait for the bar: a transfer is thousands of round trips, and a
// hand-over to the user-interface thread and back at each would weigh on every one of them.
// The bar may skip positions it is behind on, but it ends where the transfer stopped.
void OnTransferProgress(int /*total*/, int done) {
  if (CFerrowindDlg* dlg = g_pMainDlg.load()) dlg->postProgressPos(IDC_PROGRESS, done);
}

int CFerrowindDlg::failTransfer(int code) {
  messageBox(TransferErrorMessage(code), kMessageCaption, kMessageBoxStop);
  return -code;
}

int CFerrowindDlg::TransferImage(TransferProgressCallback progress) {
  setProgressRange(IDC_PROGRESS, 0, kDataReports);
  setProgressPos(IDC_PROGRESS, 0);
  setProgressStep(IDC_PROGRESS, 1);

  const bool clearPairing = itemCheck(IDC_CLEAR_PAIRING) != BST_UNCHECKED;
  const auto ackTimeout = m_environment.timing.ackReadTimeout;
  if (!m_hBootDevice) return failTransfer(kWriteFailed);

  int written = 0;
  for (int index = 0; index < kDataReports; ++index) {
    const Fillers fillers =
        (index == 0 && clearPairing) ? kClearPairingFillers : DrawFillers();
    if (!m_hBootDevice->write(BuildDataReport(m_firmware, index, fillers)))
      return failTransfer(kWriteFailed);
    progress(kDataReports, ++written);

    HidReport acknowledgement{};
    const ReadResult read = m_hBootDevice->read(acknowledgement, ackTimeout);
    if (read == ReadResult::TimedOut) {
      trace::write("------------- no acknowledgement of packet " + std::to_string(index) +
                   " within " + std::to_string(ackTimeout.count()) + " ms --------------- \n");
    }
    if (read != ReadResult::Read) return failTransfer(kReadFailed);
    if (const int refused = JudgeAcknowledgement(acknowledgement)) return failTransfer(refused);
  }

  if (!m_hBootDevice->write(BuildEndReport())) return failTransfer(kEndReportWriteFailed);
  return 1;
}
