#pragma once

// The application: it runs the one dialog and ends when the dialog closes.
class CFerrowindApp {
 public:
  // Runs the dialog modally; returns false, since nothing follows the dialog.
  bool InitInstance();
};

extern CFerrowindApp theApp;
