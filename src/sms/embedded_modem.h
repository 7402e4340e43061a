// The modem simulator built into the program, standing in for a modem on a port whose
// [Serial] COMn is "sim". It lives above this library, so the layer that links it registers
// here how to start it; without a registration such a port cannot be opened.
#pragma once

#include <functional>
#include <string>

namespace sms {

struct EmbeddedModem {
    // Starts the simulator of a port index when it is not running yet (delivering the script,
    // when one is named) and answers the path of its terminal, or "" when it cannot start.
    // Called on the engine thread at each open attempt.
    std::function<std::string(int portIndex, const std::string& scriptPath)> devicePath;
};

// Registers (or, with an empty record, removes) the embedded modem.
void SetEmbeddedModem(EmbeddedModem modem);
EmbeddedModem GetEmbeddedModem();

}  // namespace sms
