// The virtual Device inside the program: started on first use on a free loopback port (and a
// parallel-port socket of its own), registered as the program's embedded Device, which the links
// use when no Device address is configured.
#pragma once

#include <functional>
#include <string>

#include "ktgsim/server.h"

namespace ktgsim {

struct EmbeddedOptions {
    // The status class the Device should have; by default the configured model's.
    std::function<int()> statusClass;
    double timeScale = 1.0;
    Background background;
};

// Registers the embedded Device with the links. It starts when a link first asks for it, and
// starts again with the new class when the configured model's status class has changed.
void RegisterEmbeddedDevice(EmbeddedOptions options = {});
// Removes the registration and stops the Device.
void UnregisterEmbeddedDevice();

// Starts the embedded Device when it is not running (with the wanted status class) and answers
// the address of its session service ("127.0.0.1:port"), or "" with a reason in error.
std::string StartEmbeddedDevice(std::string* error = nullptr);
// The same for its parallel-port socket path.
std::string EmbeddedLptSocket(std::string* error = nullptr);

// Runs f on the embedded Device's server while it runs (for a viewer, a test or a control
// command); false when none is running.
bool WithEmbeddedServer(const std::function<void(Server&)>& f);
// The program monitor's callback, kept across restarts of the embedded Device. It runs on the
// Device's field clock and must not call the functions above.
void SetEmbeddedFrameCallback(FrameCallback callback);
// The same for a video output's field tap (see Server::setFieldTap).
void SetEmbeddedFieldTap(FieldTap tap, int fieldsPerFrame = 2);

}  // namespace ktgsim
