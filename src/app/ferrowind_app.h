#pragma once

#include "app/ferrowind_dlg.h"

// The application: it runs the one dialog and ends when the dialog closes.
class CFerrowindApp {
 public:
  // Runs the dialog modally; returns false, since nothing follows the dialog.
  bool InitInstance();

  // What the dialog is given. Without a HID port and a notice source the program uses the
  // machine's own (hidapi, udev); the demo and tests hand in a simulated bus instead.
  DialogEnvironment m_environment;
};

extern CFerrowindApp theApp;
