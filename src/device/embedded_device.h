// The virtual Device built into the program, standing in for a real one when no Device address
// is configured. It lives above this library, so the layer that links it registers here how to
// start it; without a registration there is simply no embedded Device.
#pragma once

#include <functional>
#include <string>

namespace app {
class CZentrixApp;
}

namespace device {

struct EmbeddedDevice {
    // Starts the Device when it is not running yet and answers the address of its NetBIOS
    // session service ("127.0.0.1:port"), or "" when it cannot start. Used when
    // [Ethernet] Hosts is empty; called on the thread that opens the link.
    std::function<std::string()> sessionAddress;
    // The same for the simulated parallel-port driver: the path of the Device's Unix socket.
    // Used when [Hardware] LptDriver=sim and [Hardware] LptSocket is empty.
    std::function<std::string()> lptSocket;
};

// Registers (or, with an empty record, removes) the embedded Device.
void SetEmbeddedDevice(EmbeddedDevice device);
// The registration as it stands (members empty when none).
EmbeddedDevice GetEmbeddedDevice();
// Whether the application's settings lead the Device link to the embedded Device: the link is
// enabled, an embedded Device is registered, and an Ethernet model has no [Ethernet] Hosts or an
// LPT model uses the sim driver without a socket of its own.
bool LinkUsesEmbeddedDevice(app::CZentrixApp& app);

}  // namespace device
