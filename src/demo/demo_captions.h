// The demo's captions: a caption page (a box near the bottom on a half-transparent panel,
// centred text with a shadow, filtered) and a titles file of a dozen captions in English and
// Russian, which the settings name under "Captions".
#pragma once

#include <string>
#include <vector>

namespace app {
class CZentrixApp;
}
namespace pages {
class CFontManager;
}
namespace platform {
class Clock;
}

namespace demo {

inline constexpr char kCaptionPage[] = "Pages/Captions.zxg";
inline constexpr char kCaptionTitles[] = "Text/Captions.txt";

// The captions in the program's code page (1251), in file order.
std::vector<std::string> DemoCaptions();

// Writes both files below the data root of theApp and their names into its settings. False with
// a reason in error.
bool WriteDemoCaptions(app::CZentrixApp& theApp, pages::CFontManager& fonts, const platform::Clock* clock,
                       std::vector<std::string>& files, std::string& error);

}  // namespace demo
