#include "demo_machine.h"

namespace sim {

std::shared_ptr<SimulatedHidBus> MakeDemoMachine() {
  using namespace std::chrono_literals;
  auto bus = std::make_shared<SimulatedHidBus>();
  KeyboardConfig keyboard;
  keyboard.name = "demo-keyboard";
  keyboard.answerLatency = 1ms;
  keyboard.restartDelay = 1500ms;
  bus->addKeyboard(keyboard);
  return bus;
}

}  // namespace sim
