// The style library reader (STYLE.INI): any bytes parse, the library is never empty, and every
// style it keeps is written as a line that reads back as the same style.
#include <cstdint>
#include <string>
#include <string_view>

#include "pages/font_manager.h"
#include "pages/style_library.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static pages::CFontManager fonts;  // no fonts: the default style names none
    pages::CStyleLibrary lib;
    lib.LoadText(std::string_view(reinterpret_cast<const char*>(data), size), fonts);
    if (lib.count() < 1 || !lib.currentStyle()) __builtin_trap();
    for (const pages::StyleRecord& s : lib.styles) {
        const std::string line = pages::FormatStyleLine(s);
        pages::StyleRecord back;
        // A style without a font name cannot be written readably; the default style is one.
        if (s.text.fontName().empty()) continue;
        if (!pages::ParseStyleLine(line, back) || pages::FormatStyleLine(back) != line) __builtin_trap();
    }
    return 0;
}
