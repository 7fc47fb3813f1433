#pragma once

#include <memory>

#include "simulated_hid_bus.h"

namespace sim {

// The machine `ferrowind --simulate` runs on: one keyboard in its application, with the
// timing of a real one (about a millisecond per answer, a second and a half per restart).
std::shared_ptr<SimulatedHidBus> MakeDemoMachine();

}  // namespace sim
