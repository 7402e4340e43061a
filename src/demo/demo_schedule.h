// The demo's Automation mode files: "schedule.dat", the two demo sequences taking turns every
// quarter hour of every day with a stop ten minutes into each, the studio clock and the logo
// macro in gaps of the noon and six o'clock hours, and one event on a fixed future date; and
// "binds.dat", the Device's item keys 1-3 bound to demo sequences.
#pragma once

#include <string>
#include <vector>

#include "air/auto_event.h"

namespace demo {

std::vector<air::AutoEvent> DemoScheduleEvents();
std::vector<air::AutoEvent> DemoBindings();

// Writes both into the data root (atomically) and adds their names to files; false with the
// reason in error.
bool WriteDemoSchedule(const std::string& root, std::vector<std::string>& files, std::string& error);

}  // namespace demo
