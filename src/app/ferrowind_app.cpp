#include "app/ferrowind_app.h"

#include <memory>

#include "device/hidapi_port.h"
#include "device/udev_notice_source.h"

CFerrowindApp theApp;

bool CFerrowindApp::InitInstance() {
  // The machine's own adapters live for this run only: they go before the application object
  // does (the udev notices are read through the event loop).
  DialogEnvironment environment = m_environment;
  if (!environment.hid) environment.hid = std::make_shared<HidapiPort>();
  if (!environment.notices) environment.notices = std::make_shared<UdevNoticeSource>();
  CFerrowindDlg dlg(environment);
  dlg.DoModal();
  return false;
}
