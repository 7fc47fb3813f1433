#include "app/ferrowind_dlg.h"

#include "app/build_profile.h"
#include "app/dialog_template.h"
#include "app/resource_ids.h"

std::atomic<CFerrowindDlg*> g_pMainDlg{nullptr};

CFerrowindDlg::CFerrowindDlg(DialogEnvironment environment, QWidget* parent)
    : DialogWindow(ferrowindDialogTemplate(), parent),
      m_environment(environment),
      m_hIcon(QStringLiteral(":/ferrowind.png")) {
  g_pMainDlg.store(this);
}

CFerrowindDlg::~CFerrowindDlg() {
  // Nobody may reach the dialog through the global once it is gone.
  CFerrowindDlg* self = this;
  g_pMainDlg.compare_exchange_strong(self, nullptr);
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

  return true;
}
