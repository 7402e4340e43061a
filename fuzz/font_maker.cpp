// The font maker's separation and build on any pictures and letters: a message of its own or a
// font whose tables stay whole (at most 256 glyphs, every map entry a glyph, every character
// inside its picture).
#include <array>
#include <cstdint>
#include <string>

#include "pages/bitmap32.h"
#include "pages/bitmap_font.h"
#include "wizards/font_maker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    // Two bytes of size, one of flags, one letters count, then the letters and the pixels.
    const int w = 1 + data[0] % 300, h = 1 + data[1] % 40;
    wizards::FontFlags flags;
    flags.noShadows = (data[2] & 1) != 0;
    flags.monochrome = (data[2] & 2) != 0;
    flags.fixedWidth = (data[2] & 4) != 0;
    size_t pos = 4;
    const size_t nLetters = std::min<size_t>(data[3], size - pos);
    const std::string letters(reinterpret_cast<const char*>(data + pos), nLetters);
    pos += nLetters;
    std::array<pages::CBitmap32, wizards::FONT_PICTURES> pics;
    for (auto& p : pics) {
        p.create(w, h);
        for (size_t i = 0; i < p.byteSize(); ++i) p.bits()[i] = pos < size ? data[pos++] : 0;
    }
    wizards::FontSeparation sep;
    wizards::FontReport report;
    if (!wizards::SeparateFont(pics, wizards::LettersOf(letters, 1251), flags, sep, report)) {
        const int id = report.error.id;
        if (id != wizards::IDS_FONT_SIZES && id != wizards::IDS_FONT_HEIGHT && id != wizards::IDS_FONT_SEPARATE)
            __builtin_trap();
        return 0;
    }
    if (sep.chars.empty() || sep.chars.size() > 255 || sep.height < 2 || sep.top + sep.height > h) __builtin_trap();
    for (const auto& c : sep.chars)
        if (c.start < 1 || c.width < 1 || c.width > 255 || c.start + c.width > w) __builtin_trap();
    sep.upper = data[2] % (sep.height + 1);
    sep.lower = data[3] % (sep.height + 1);
    pages::CBitmapFont font;
    wizards::BuildFont(sep, flags, font);
    if (font.header().glyphCount != sep.chars.size() + 1) __builtin_trap();
    for (int c = 0; c < 256; ++c)
        if (font.header().map[c] > sep.chars.size()) __builtin_trap();
    if (font.Serialize().empty()) __builtin_trap();
    return 0;
}
