// The demo's SMS chat: a template (a sequence whose page has a locked caption and a two-line
// message frame), a word filter, a script of timed messages for the modem simulator, and the
// settings that put SMS Chat in the menu on the simulated modem of COM2.
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
inline constexpr char kChatTemplate[] = "Titr/SMS chat.zxs";
inline constexpr char kChatPage[] = "Pages/SMS chat.zxg";
inline constexpr char kChatScript[] = "Text/SMS chat demo.txt";
inline constexpr char kChatFilter[] = "filter.dat";

// The words of filter.dat (8-bit, code page 1251).
std::vector<std::string> DemoChatFilterWords();

// Writes the files below the data root of theApp and the settings. False with a reason in error.
bool WriteDemoChat(app::CZentrixApp& theApp, pages::CFontManager& fonts, std::vector<std::string>& files,
                   std::string& error);

}  // namespace demo
