// A data root made from nothing, for a first run without hardware: the folder tree, fonts made
// from the DejaVu fonts, compiled pages that show what the program does, two sequences, a style
// library and settings that point at the embedded virtual Device. Everything is drawn or set here
// in code, so two runs give the same files.
#pragma once

#include <string>
#include <vector>

namespace demo {

// Where Debian's fonts-dejavu-core puts its fonts.
constexpr char kDejaVuFolder[] = "/usr/share/fonts/truetype/dejavu/";

// The files below the data root (folder names as the folder table has them).
constexpr char kShowSequence[] = "Sequences/Evening show.zxs";
constexpr char kNewsSequence[] = "Sequences/News loop.zxs";

struct DemoOptions {
    std::string fontFolder = kDejaVuFolder;  // the scalable fonts the bitmap fonts are made from
};

struct DemoResult {
    std::vector<std::string> files;  // every file written, relative to the data root, in order
    int fonts = 0;
    int pages = 0;
    int sequences = 0;
    int styles = 0;
    int clocks = 0;
    int banners = 0;
    int titles = 0;
};

// Makes (or makes again) the data root dir. Files of the same names are replaced, anything else
// in the folder stays. False with a reason in error (a missing scalable font, a file that cannot
// be written).
bool MakeDemoRoot(const std::string& dir, const DemoOptions& options, DemoResult& result, std::string& error);

// The names of the demo's bitmap fonts, pages and sequences (files below the data root), for
// the tools that check or play them.
std::vector<std::string> DemoFontFiles();
std::vector<std::string> DemoPageFiles();
std::vector<std::string> DemoSequenceFiles();

}  // namespace demo
