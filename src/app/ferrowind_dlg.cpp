#include "app/ferrowind_dlg.h"

#include "app/build_profile.h"
#include "app/dialog_template.h"
#include "app/resource_ids.h"
#include "common/trace.h"

#include <QCoreApplication>
#include <QEventLoop>

std::atomic<CFerrowindDlg*> g_pMainDlg{nullptr};

CFerrowindDlg::CFerrowindDlg(DialogEnvironment environment, QWidget* parent)
    : DialogWindow(ferrowindDialogTemplate(), parent),
      m_environment(environment),
      m_hIcon(QStringLiteral(":/ferrowind.png")) {
  g_pMainDlg.store(this);
  onClicked(IDC_UPGRADE, [this] { OnUpgrade(); });
  onClicked(IDC_LOCK, [this] { OnLockClicked(); });
}

CFerrowindDlg::~CFerrowindDlg() {
  // No notice may reach the dialog once it starts going.
  if (m_environment.notices) m_environment.notices->setListener({});
  // A worker still running reaches this dialog through the window layer, whose calls this
  // thread carries out: keep serving them until the worker has finished, then join it.
  while (workerRunning_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  if (workerThread_.joinable()) workerThread_.join();
  // Nobody may reach the dialog through the global once it is gone.
  CFerrowindDlg* self = this;
  g_pMainDlg.compare_exchange_strong(self, nullptr);
}

HidPort& CFerrowindDlg::hid() {
  // With no port given, the machine has no HID interfaces at all.
  struct NoInterfaces : HidPort {
    std::optional<std::vector<std::string>> presentInterfaces() override {
      return std::vector<std::string>{};
    }
    OpenResult open(const std::string&) override { return {}; }
  };
  static NoInterfaces none;
  return m_environment.hid ? *m_environment.hid : none;
}

void CFerrowindDlg::done(int result) {
  if (workerRunning_) {
    // Ending now would cut the transfer off half way and leave the keyboard without a
    // working firmware; the transfer ends on its own within its time-outs.
    trace::write("------------- upgrade in progress: the dialog stays open until it ends --------------- \n");
    return;
  }
  DialogWindow::done(result);
}

void CFerrowindDlg::pause(std::chrono::milliseconds duration) {
  // The keyboard needs these pauses between commands; they hold the user-interface thread as
  // briefly as Timing says.
  std::this_thread::sleep_for(duration);
}

void CFerrowindDlg::showIdentityPlaceholders() {
  m_pVersionLabel.setText(kVersionPlaceholder);
  m_pFirmwareLabel.setText(kFirmwarePlaceholder);
}

void CFerrowindDlg::OnTimer(int timerId) {
  if (timerId == IDT_BOOT_WAIT) OnBootWaitTick();
  if (timerId == IDT_REARM) {
    trace::write("----------------- *** OnTimer Runing [5678] *** ----------------- \n");
    ++m_rearmTicks;
    if (m_rearmTicks >= 2) {
      m_enterArmed = true;
      killDialogTimer(IDT_REARM);
    } else {
      m_enterArmed = false;
    }
  }
  DialogWindow::OnTimer(timerId);
}

void CFerrowindDlg::SetUpgradeButtonEnabled(bool enable) { m_pUpgradeButton.enable(enable); }

void CFerrowindDlg::DoDataExchange(DataExchange& dx) {
  DDX_Text(dx, IDC_VID, m_strVid);
  DDX_Text(dx, IDC_PID, m_strPid);
}

bool CFerrowindDlg::OnInitDialog() {
  DialogWindow::OnInitDialog();

  setWindowIcon(m_hIcon);  // big and small icon alike

  m_pVidEdit = control(IDC_VID);
  m_pVidEdit.enable(false);
  m_pPidEdit = control(IDC_PID);
  m_pPidEdit.enable(false);

  setItemText(IDC_VID, kApplicationVidText);
  m_strVid = kApplicationVidText;

  if (const auto profile = productProfile(m_environment.buildProfile)) {
    setItemText(IDC_PID, profile->pidText);
    m_strPid = profile->pidText;
    setCaption(profile->caption);
  }

  m_pLockCheck = control(IDC_LOCK);
  m_pLockCheck.setCheck(BST_CHECKED);
  m_pLockCheck.enable(false);

  m_pForceCheck = control(IDC_FORCE);
  m_pForceCheck.setCheck(BST_UNCHECKED);
  m_pForceCheck.show(false);

  m_pAutoUpgradeCheck = control(IDC_AUTO_UPGRADE);
  m_pAutoUpgradeCheck.setCheck(BST_UNCHECKED);
  m_pAutoUpgradeCheck.show(false);

  m_pClearPairingCheck = control(IDC_CLEAR_PAIRING);
  m_pClearPairingCheck.setCheck(BST_UNCHECKED);

  for (int id : {IDC_SUCCESS_CAPTION, IDC_SUCCESS_COUNT, IDC_FAIL_CAPTION, IDC_FAIL_COUNT})
    showItem(id, false);

  for (int id : {IDC_FORCE, IDC_AUTO_UPGRADE, IDC_CLEAR_PAIRING}) enableItem(id, false);

  setItemCheck(IDC_CLEAR_PAIRING, BST_CHECKED);
  showItem(IDC_CLEAR_PAIRING, false);

  m_pUpgradeButton = control(IDC_UPGRADE);

  m_fontResult = createPointFont(kResultFontTenths, kDialogFontFace);
  setItemFont(IDC_RESULT, m_fontResult);
  m_fontSmall = createPointFont(kSmallFontTenths, kDialogFontFace);
  setItemFont(IDC_STATUS, m_fontSmall);

  m_pVersionLabel = control(IDC_FW_VERSION);
  m_pVersionLabel.setText(kVersionPlaceholder);
  m_pFirmwareLabel = control(IDC_FW_INFO);
  m_pFirmwareLabel.setText(kFirmwarePlaceholder);
  m_pStatusLabel = control(IDC_STATUS);
  m_pStatusLabel.setText(kDefaultText);
  m_pFailCountLabel = control(IDC_FAIL_COUNT);
  m_pFailCountLabel.setText("0");
  m_pSuccessCountLabel = control(IDC_SUCCESS_COUNT);
  m_pSuccessCountLabel.setText("0");
  m_pResultLabel = control(IDC_RESULT);
  m_pResultLabel.setText(kDefaultText);

  setItemFont(IDC_FAIL_COUNT, m_fontSmall);
  setItemFont(IDC_SUCCESS_COUNT, m_fontSmall);

  // Listen for keyboards coming and going, then look for one now. A message box of this
  // first scan shows before the window does.
  RegisterDeviceNotifications();
  ScanDevices(m_strVid, m_strPid);

  return true;
}
