#include "app/file_types.h"

#include "app/strings.h"
#include "platform/files.h"

namespace app {

namespace {
constexpr const char* kExtensions[FT_COUNT] = {".*",   ".bmp", ".tga", ".txt", ".bmf", ".zxg", ".zxs", ".zck", ".mpg",
                                               ".zxi", ".zxa", ".wav", ".avi", ".zxl", ".zxp", ".vid", ".txt", ".lnk"};
}

int FileTypeOf(std::string_view path) {
    std::string ext = platform::ExtensionOfPath(platform::NormaliseDataName(path));
    for (int t = 0; t < FT_COUNT; ++t)
        if (platform::EqualsNoCase(ext, kExtensions[t])) return t;
    return -1;
}

const char* ExtensionOf(int type) { return (type >= 0 && type < FT_COUNT) ? kExtensions[type] : ""; }

std::string FileTypeName(int type) {
    if (type < 0 || type >= FT_LINK) return {};
    return LoadString(9054 + type);
}

std::string BuildFilter(const int types[4], bool allSupported) {
    std::string out;
    if (allSupported) {
        out += LoadString(11024);
        out += " |";
        bool first = true;
        for (int i = 0; i < 4 && types[i] != -1; ++i) {
            if (types[i] == 0) continue;
            if (!first) out += ';';
            out += '*';
            out += ExtensionOf(types[i]);
            first = false;
        }
        out += '|';
    }
    for (int i = 0; i < 4 && types[i] != -1; ++i) {
        const char* ext = ExtensionOf(types[i]);
        out += FileTypeName(types[i]) + " (*" + ext + ")|*" + ext + "|";
    }
    return out;
}

}  // namespace app
