// The demo's pages, drawn and laid out in code so that two runs give the same files: a title, a
// lower third (also the template), a news crawl, a picture page, a weather board and a credits
// roll, and the names of the bitmap fonts they use.
#pragma once

#include <span>

namespace pages {
class CPageDoc;
}

namespace demo {

// The bitmap fonts the pages and the style library name (their file titles too).
inline constexpr char kSans[] = "DejaVu Sans 22";
inline constexpr char kSansShadow[] = "DejaVu Sans 30 Shadow";
inline constexpr char kBold[] = "DejaVu Sans Bold 40";
inline constexpr char kTitle[] = "DejaVu Sans Bold 64 Gold";
inline constexpr char kSerif[] = "DejaVu Serif 34 Shadow";
inline constexpr char kMono[] = "DejaVu Sans Mono Bold 36";

// The pages, in the order the demo writes them.
enum DemoPageId : int {
    PAGE_TITLE,
    PAGE_LOWER_THIRD,
    PAGE_CRAWL,
    PAGE_PICTURE,
    PAGE_WEATHER,
    PAGE_CREDITS,
    PAGE_COUNT
};

struct PageRecipe {
    const char* file;                 // below the Pages folder
    void (*build)(pages::CPageDoc&);  // on a new page of the demo's fonts
    bool alsoTemplate;                // saved in the Templates folder as well
};

// Every page, indexed by DemoPageId.
std::span<const PageRecipe> DemoPages();

}  // namespace demo
