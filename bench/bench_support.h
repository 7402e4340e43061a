// What several benchmarks share: a Fonts folder holding DejaVu Sans at 32 rows with a shadow and
// a one-pixel outline, the font the typical pages of the benchmarks are written in.
#pragma once

#include <string>

#include "pages/bitmap_font.h"
#include "pages/font_manager.h"
#include "pages/scalable_font.h"
#include "platform/files.h"

namespace zxbench {

inline const char* kSansFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Makes FOLDER/Sans32.bmf and points the font list at FOLDER. False when the scalable font is
// not installed or the font cannot be made.
inline bool MakeSans32Folder(const std::string& folder, pages::CFontManager& fonts) {
    pages::ScalableFontOptions opt;
    opt.fontFile = kSansFile;
    opt.height = 32;
    opt.shadow = true;
    opt.outline = 1;
    pages::CBitmapFont font;
    std::string error;
    if (!platform::FileExists(kSansFile) || !pages::MakeFontFromScalable(opt, font, error)) return false;
    platform::MakeDirectories(folder);
    if (!fonts.Save(font, folder + "Sans32.bmf")) return false;
    fonts.setFolder(folder);
    fonts.Enumerate();
    return true;
}

}  // namespace zxbench
