// The table of file types: extension and display name by type number.
#pragma once

#include <string>
#include <string_view>

namespace app {

enum FileType : int {
    FT_ALL = 0,
    FT_BMP = 1,
    FT_TGA = 2,
    FT_TXT = 3,
    FT_FONT = 4,
    FT_PAGE = 5,
    FT_SEQUENCE = 6,
    FT_CLOCK = 7,
    FT_MPEG = 8,
    FT_ITV = 9,
    FT_BANNER = 10,
    FT_WAV = 11,
    FT_AVI = 12,
    FT_TRANSLATION = 13,
    FT_PLAYLIST = 14,
    FT_VIDEO_PLAYLIST = 15,
    FT_MACRO = 16,
    FT_LINK = 17,
    FT_COUNT = 18,
};

// The type whose extension equals the path's (case-insensitively), scanning types in order;
// -1 when none.
int FileTypeOf(std::string_view path);
// The extension of a type, with its dot ("" for an unknown type).
const char* ExtensionOf(int type);
// The display name of a type (string 9054 + type; "" for the shell-link type).
std::string FileTypeName(int type);

// A file-dialog filter: "name (*.ext)|*.ext|" per type, led by "All supported types |..." when
// allSupported. types holds up to four type numbers ended by -1.
std::string BuildFilter(const int types[4], bool allSupported);

}  // namespace app
