// The page editor's preferences, section [Editor] of the settings file.
#pragma once

#include <string>

namespace app {
class Profile;
}

namespace pages {

enum : int { CLIP_OFFSET_MAX = 100, NEW_PAGE_EMPTY = 0, NEW_PAGE_TEMPLATE = 1 };

struct EditorPreferences {
    bool hasBackground = false;  // "View background": a reference picture behind the page
    std::string backgroundFile;
    int newPageType = NEW_PAGE_EMPTY;  // "Create new page": empty or from a template
    std::string newPageTemplate;       // file title of the template last chosen
    bool filter = true;                // "Use vertical filtering": render with options 7 instead of 5
    bool dither = true;                // noise on imported pictures (not in the dialog, kept as read)
    bool useShadow = true;             // "Display shadows"
    bool useBlend = true;              // "Use alpha channel for frames background"
    bool useClip = false;              // "Show TV screen visible area"
    int clipX = 20;                    // guide-line offsets, 0..100
    int clipY = 20;

    void Load(const app::Profile& profile);
    // Every key (the "Preferences" dialog).
    void Save(app::Profile& profile) const;
    // Only the keys of "View background" / of "Create new page".
    void SaveBackground(app::Profile& profile) const;
    void SaveNewPage(app::Profile& profile) const;

    // The render options of the editor's compile.
    int compileOptions() const;
};

}  // namespace pages
