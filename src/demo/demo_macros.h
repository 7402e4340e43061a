// The demo's macro files for the switcher's remote-control program, beside the sequences: the
// colour bars on the preview bus, and the station logo on.
#pragma once

#include <string>
#include <vector>

namespace demo {

inline constexpr char kBarsMacro[] = "Sequences/Bars on preview.txt";
inline constexpr char kLogoMacro[] = "Sequences/Logo on.txt";

// Writes both below the data root (saved atomically) and adds their names to files; false with
// the reason in error.
bool WriteDemoMacros(const std::string& root, std::vector<std::string>& files, std::string& error);

}  // namespace demo
