#include "app/ferrowind_app.h"

#include "app/ferrowind_dlg.h"

CFerrowindApp theApp;

bool CFerrowindApp::InitInstance() {
  CFerrowindDlg dlg;
  dlg.DoModal();
  return false;
}
