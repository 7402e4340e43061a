// The adapter stand-in's control interface: one command line in, one reply line out ("OK ..." or
// "ERR reason"). The commands of the terminal and the program (voice files, quit) are the
// simulator's; this parser answers the adapter's own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "phonesim/adapter.h"

namespace phonesim {

std::vector<std::string> Words(std::string_view line);

// Handles one line at time nowMs. handled is false for a command of the simulator's ("voice",
// "quit"), whose reply is then empty.
std::string HandleControl(Adapter& adapter, std::string_view line, uint64_t nowMs, bool& handled);

const char* ControlHelp();

}  // namespace phonesim
