// The demo's titles for Live mode: sequences in the Titr folder whose first page is a template
// with fill-in fields (its unlocked frames), the templates kept below Pages/Titles/.
#pragma once

#include <string>
#include <vector>

namespace app {
class FolderTable;
}
namespace pages {
class CFontManager;
}

namespace demo {

// Below the data root.
constexpr char kNameAndRoleTitle[] = "Titr/Name and role.zxs";
constexpr char kBreakingNewsTitle[] = "Titr/Breaking news.zxs";
constexpr char kScoreTitle[] = "Titr/Score.zxs";
constexpr char kLocationTitle[] = "Titr/Studio/Location.zxs";

std::vector<std::string> DemoTitleFiles();

// Writes the templates and the titles; fonts: the demo's, enumerated.
bool WriteDemoTitles(const std::string& root, const app::FolderTable& folders, pages::CFontManager& fonts,
                     std::vector<std::string>& files, std::string& error);

}  // namespace demo
