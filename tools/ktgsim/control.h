// The Device's control interface, the bench it stands on: a line protocol to press its keys,
// set its state value, switch it off and on, inject faults, take snapshots and read counters.
// Every command line gets exactly one reply line: "OK" with its result, or "ERR" and a reason.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "ktgsim/device.h"

namespace ktgsim {

class ControlInterface {
public:
    // Writes a snapshot of the program output; false with a reason.
    using SnapshotFn = std::function<bool(const std::string& path, std::string& error)>;

    ControlInterface(Device& device, SnapshotFn snapshot) : device_(device), snapshot_(std::move(snapshot)) {}

    // Handles one line (without its line end). quit is set by "quit".
    std::string handle(std::string_view line, bool& quit);

    static const char* Help();

private:
    Device& device_;
    SnapshotFn snapshot_;
};

}  // namespace ktgsim
