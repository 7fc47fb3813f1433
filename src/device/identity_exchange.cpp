// Asking the open keyboard who it is, and keeping its serial number across an upgrade.
#include <string>

#include "app/ferrowind_dlg.h"
#include "app/message_box.h"
#include "app/resource_ids.h"
#include "common/trace.h"
#include "device/hid_commands.h"
#include "device/identity_text.h"

void CFerrowindDlg::ExchangeIdentity() {
  const std::optional<std::string> identity = requestIdentityText();
  if (!identity) return giveUpDevice("no identity answer");
  trace::write("------------- strSoftWareDataC --------------- strSoftWareDataC:" + *identity + " \n");

  m_pFirmwareLabel.setText(FirmwareLabelText(*identity));
  AssignCommaClosedFields(*identity, m_deviceIdentity);
  const std::string version = VersionText(*identity);

  HidReport answer;
  if (ReadAnswer(m_hDevice.get(), answer, m_environment.timing.commandReadTimeout) !=
      ReadResult::Read)
    return giveUpDevice("no build date answer");
  const std::string dateTime = AnswerText(answer);
  trace::write("------------- strDateTimeInfoC --------------- strDateTimeInfoC:" + dateTime + " \n");
  m_pVersionLabel.setText(VersionLabelText(version, ParseBuildDate(dateTime)));

  const bool restoring = m_restoreSerial;
  bool serialRead = false;
  if (!restoring) {
    pause(m_environment.timing.commandPause);
    SendReport(m_hDevice.get(), BuildCommandReport(CMD_READ_SN));
    // Without the answer the serial number would be taken as blank and lost at the next
    // upgrade: no answer, no connection. A slow keyboard may still be answering earlier
    // requests; taking one of those answers for the serial number would lose it just the same.
    const std::optional<HidReport> serialAnswer = awaitAnswerTo(CMD_READ_SN);
    if (!serialAnswer) return giveUpDevice("no serial number answer");
    m_serial = SerialFromAnswer(*serialAnswer);
    m_strSerial = SerialText(m_serial);
    trace::write("------------- strDataSNC --------------- strDataSNC:" + m_strSerial + " \n");
    serialRead = true;
  }

  trace::write("------------- 查找到相应的vid设备信息 --------------- \n");
  m_connected = true;
  m_pStatusLabel.setText("Device connected");

  bool writeBackFailed = false;
  if (restoring && !m_strSerial.empty()) {
    writeBackFailed = !SendReport(m_hDevice.get(), BuildWriteSerialReport(m_serial));
    trace::write(writeBackFailed ? "------------- SN序列号写入设备 -> 失败 --------------- \n"
                                 : "------------- SN序列号写入设备 -> 成功 --------------- \n");
  }

  if (restoring) {
    // A write-back that did not take leaves the request standing: the keyboard's next
    // connection writes it again, so that a keyboard pulled out at that moment keeps its
    // serial number.
    if (!writeBackFailed) m_restoreSerial = false;
    // The keyboard is back from its upgrade: the result is the transfer's and the
    // write-back's together, never a success that did not happen.
    const bool upgraded = m_lastTransferOk && !writeBackFailed;
    m_lastOk = upgraded;
    m_pResultLabel.setText(upgraded ? "Success" : "Failed");
    UpdateData(true);
    if (writeBackFailed)
      messageBox("Serial number write-back failed !", kMessageCaption, kMessageBoxStop);
  }

  if (serialRead && m_pAutoUpgradeCheck.checkState() != BST_UNCHECKED) OnUpgrade();
}

std::optional<std::string> CFerrowindDlg::requestIdentityText() {
  const Timing& timing = m_environment.timing;
  for (int attempt = 1; attempt <= timing.identityRequestAttempts; ++attempt) {
    SendReport(m_hDevice.get(), BuildCommandReport(CMD_HANDSHAKE));
    pause(timing.commandPause);
    SendReport(m_hDevice.get(), BuildCommandReport(CMD_SOFTWARE_DATA));

    HidReport discarded;  // the answer to the handshake
    std::optional<HidReport> reply;
    if (ReadAnswer(m_hDevice.get(), discarded, timing.commandReadTimeout) == ReadResult::Read)
      reply = awaitAnswerTo(CMD_SOFTWARE_DATA);
    if (!reply) {
      trace::write("------------- no identity answer, attempt " + std::to_string(attempt) + " of " +
                   std::to_string(timing.identityRequestAttempts) + " --------------- \n");
      continue;
    }
    std::string text = AnswerText(*reply);
    // A keyboard that is not ready yet answers with a colon in its text: ask again.
    if (text.find(':') == std::string::npos) return text;
    trace::write("------------- Recvie SoftWareData Error ---------------\n");
  }
  return std::nullopt;
}

std::optional<HidReport> CFerrowindDlg::awaitAnswerTo(std::uint8_t command) {
  // Other reports may come first; all of them together get one read time-out.
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + m_environment.timing.commandReadTimeout;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left <= std::chrono::milliseconds::zero()) return std::nullopt;
    HidReport answer;
    if (ReadAnswer(m_hDevice.get(), answer, left) != ReadResult::Read) return std::nullopt;
    if (answer[kCommandByte] == command) return answer;
  }
}

void CFerrowindDlg::giveUpDevice(const char* why) {
  trace::write(std::string("------------- device given up: ") + why + " --------------- \n");
  m_hDevice.reset();
  showIdentityPlaceholders();
  m_connected = false;
  m_pStatusLabel.setText("Failed 01");
}
