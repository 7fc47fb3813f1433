#include "app/ferrowind_app.h"

#include <memory>

#include "device/hidapi_port.h"
#include "device/udev_notice_source.h"

CFerrowindApp theApp;

bool CFerrowindApp::InitInstance() {
  if (!m_environment.hid) m_environment.hid = std::make_shared<HidapiPort>();
  if (!m_environment.notices) m_environment.notices = std::make_shared<UdevNoticeSource>();
  CFerrowindDlg dlg(m_environment);
  dlg.DoModal();
  return false;
}
