// The adapter stand-in inside the program: a port whose [Serial] COMn is "sim" gets a stand-in of
// the configured version when the interactive engine opens it ("ITVModel" 0 or 1), on a terminal
// reached through a link in the runtime folder ("phonesim-<pid>-COMn"), its control socket beside
// it ("phonesim-<pid>-COMn.ctl"), ringing at [Serial] PhoneSimRate calls a minute.
#pragma once

#include <functional>

#include "phonesim/simulator.h"

namespace phonesim {

constexpr const char* kPhoneSimRateKey = "PhoneSimRate";

// Registers the embedded adapter with the interactive engine; options are the stand-ins' (the
// version, link, control and rate are set per port).
void RegisterEmbeddedAdapter(SimulatorOptions options = {});
void UnregisterEmbeddedAdapter();
bool WithEmbeddedAdapter(int portIndex, const std::function<void(Simulator&)>& f);

}  // namespace phonesim
