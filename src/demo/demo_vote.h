// The demo's interactive system: a vote page with three answers and every kind of binding (bars
// lying and upright), the system file bound to it, and "[ITV] FileName" so that the Interactive
// system opens on it. The votes come from the buttons, or by SMS from the chat demo's simulated
// modem, whose script holds messages with the vote's keywords.
#pragma once

#include <string>
#include <vector>

namespace app {
class CZentrixApp;
}
namespace pages {
class CFontManager;
}

namespace demo {

// Below the data root.
inline constexpr char kVotePage[] = "Pages/Vote.zxg";
inline constexpr char kVoteSystem[] = "ITV/Vote.zxi";

// Writes the files below the data root of theApp and the settings. False with a reason in error.
bool WriteDemoVote(app::CZentrixApp& theApp, pages::CFontManager& fonts, std::vector<std::string>& files,
                   std::string& error);

}  // namespace demo
