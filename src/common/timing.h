#pragma once

#include <chrono>

// Every period, pause and time-out of the program in one value, so that tests can run the
// same flows with short times and no test depends on the wall clock being kind.
struct Timing {
  using ms = std::chrono::milliseconds;

  ms bootWaitTick{1000};   // period of the boot-wait timer
  int bootWaitTimeoutTicks = 40;  // the boot wait gives up on this tick
  ms rearmTick{800};       // period of the timer that re-arms the Enter key after a transfer
  ms arrivalPause{500};    // pause between a device arrival and the rescan
  ms commandPause{250};    // pause between two commands of a request to the device

  // Bounds on waiting for the device. A device that stops answering must never hold the
  // dialog or the transfer for longer than these.
  ms commandReadTimeout{1000};  // one answer to a command on the user-interface thread
  int identityRequestAttempts = 3;  // identity requests before the device is given up
  ms ackReadTimeout{5000};  // one acknowledgement during the transfer (a flash erase may be slow)

  // The times the device and the operator expect.
  static Timing production() { return Timing{}; }
};
