// The modem simulator inside the program: a port whose [Serial] COMn is "sim" gets a simulator
// of its own, started when the engine first opens the port, on a terminal reached through a link
// in the runtime folder ("gsmsim-<pid>-COMn"), delivering the [Serial] SimScript.
#pragma once

#include <functional>

#include "gsmsim/simulator.h"

namespace gsmsim {

// Registers the embedded modem with the SMS engine; options are the simulators' (the link,
// script and control address are set per port).
void RegisterEmbeddedModem(SimulatorOptions options = {});
// Removes the registration and stops every embedded simulator.
void UnregisterEmbeddedModem();
// Runs f on the simulator of a port index while it runs (control commands from the program or a
// test); false when none runs.
bool WithEmbeddedModem(int portIndex, const std::function<void(Simulator&)>& f);

}  // namespace gsmsim
