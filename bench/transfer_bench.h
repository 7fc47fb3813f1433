#pragma once

#include <chrono>
#include <string>

// One transfer of the whole image to a simulated keyboard in its bootloader that answers every
// report after `latency`, timed from the first step to the end report reaching the keyboard.
struct TransferSample {
  double seconds = 0;
  // The program's runs only: how often the progress bar's value changed, the highest value
  // it was given, and the gaps between two ticks of a 1 ms timer on the user-interface
  // thread: the longest, the processor time the thread used within it, and the most
  // processor time it used within any gap (its own longest stall).
  int progressUpdates = 0;
  int finalPosition = 0;
  double longestUiGapMs = 0;
  double longestUiGapBusyMs = 0;
  double longestUiBusyMs = 0;
  // Empty when the run was sound: transfer accepted, nothing wrong sent, bar at the end.
  std::string failure;
};

// The program: the dialog (offscreen) on a running event loop, StartUpgradeWorker, the worker
// thread, TransferImage and every progress update through the user-interface thread.
TransferSample MeasureProgramTransfer(std::chrono::milliseconds latency);

// The floor: the same 5463 reports, built beforehand, written and acknowledged in a bare loop
// on one thread, with nothing of the program around it.
TransferSample MeasureFloorTransfer(std::chrono::milliseconds latency);
