#include "app/ferrowind_app.h"

#include <memory>

#include "device/hidapi_port.h"

CFerrowindApp theApp;

bool CFerrowindApp::InitInstance() {
  if (!m_environment.hid) m_environment.hid = std::make_shared<HidapiPort>();
  CFerrowindDlg dlg(m_environment);
  dlg.DoModal();
  return false;
}
