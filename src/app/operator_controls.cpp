// What the operator sees and works apart from "Upgrade": the label colours, the icon of the
// minimised window, and the Lock box.
#include <QColor>
#include <QPainter>
#include <QStyle>

#include "app/ferrowind_dlg.h"
#include "app/resource_ids.h"
#include "app/status_display.h"

std::optional<QColor> CFerrowindDlg::OnCtlColor(int id) {
  if (const std::optional<TextColor> color = LabelTextColor(id, m_connected, m_lastOk))
    return QColor(color->red, color->green, color->blue);
  return DialogWindow::OnCtlColor(id);
}

void CFerrowindDlg::OnPaint() {
  if (!isMinimized()) return DialogWindow::OnPaint();
  // Where the window system draws a minimised window's client area, it shows the icon,
  // centred. (Most desktops show the window icon, m_hIcon, for a minimised window anyway.)
  QPainter painter(this);
  const int side = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
  const IconOrigin origin = CentredIconOrigin(width(), height(), side, side);
  m_hIcon.paint(&painter, origin.left, origin.top, side, side);
}

void CFerrowindDlg::OnLockClicked() {
  if (m_pLockCheck.checkState() == BST_CHECKED) {
    // Locked: the texts as they stand in the edits become the ones every scan uses.
    m_pVidEdit.enable(false);
    m_pPidEdit.enable(false);
    m_strVid = m_pVidEdit.text();
    m_strPid = m_pPidEdit.text();
    ScanDevices(m_strVid, m_strPid);
    return;
  }
  // Unlocked: the edits take input and the display starts over. The keyboard stays open.
  m_pVidEdit.enable(true);
  m_pPidEdit.enable(true);
  resetDisplay();
}

void CFerrowindDlg::resetDisplay() {
  showIdentityPlaceholders();
  m_connected = false;
  m_pStatusLabel.setText(kDefaultText);
  m_lastOk = false;
  m_pResultLabel.setText(kDefaultText);
  setProgressPos(IDC_PROGRESS, 0);
}
