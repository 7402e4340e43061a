// zx font from-ttf, zx font info, zx font preview: making bitmap fonts from scalable fonts and
// looking into ".bmf" files.
#include <cstdio>
#include <iostream>
#include <sstream>

#include "app/message_boxes.h"
#include "cli/command.h"
#include "pages/bitmap_font.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/png_io.h"
#include "pages/scalable_font.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace {

// Offsets and sizes of the font options: far beyond any sensible value, within int.
bool parseInt(const std::string& s, int& out) { return zx::ParseNumber(s, -1000000, 1000000, out); }

// "RRGGBB" (an optional leading '#') as the colour value 0x00BBGGRR.
bool parseColour(std::string s, uint32_t& out) {
    if (!s.empty() && s[0] == '#') s.erase(0, 1);
    if (s.size() != 6 || s.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const unsigned long rgb = std::stoul(s, nullptr, 16);
    out = uint32_t(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    return true;
}

int optionInt(const zx::Args& a, const char* name, int def, int& out, const char* cmd) {
    out = def;
    if (auto v = a.get(name)) {
        if (!parseInt(*v, out)) {
            std::cerr << "zx " << cmd << ": --" << name << " needs a whole number\n";
            return 2;
        }
    } else if (a.has(name)) {
        std::cerr << "zx " << cmd << ": --" << name << " needs a value\n";
        return 2;
    }
    return 0;
}

int fromTtf(const zx::Args& a) {
    const char* cmd = "font from-ttf";
    if (a.positional.size() != 1) {
        std::cerr << "zx font from-ttf: give one scalable font file (see --help)\n";
        return 2;
    }
    auto out = a.get("out");
    if (!out || out->empty()) {
        std::cerr << "zx font from-ttf: --out NAME.bmf is missing\n";
        return 2;
    }
    // The font list finds ".bmf" files and names them by their title, at most 31 characters.
    std::string path = *out;
    if (!platform::EqualsNoCase(platform::ExtensionOfPath(path), ".bmf")) path += ".bmf";
    const std::string title = platform::FileNameOf(path);
    if (title.size() - 4 > size_t(pages::FONT_NAME_MAX) || title.size() <= 4) {
        std::cerr << "zx font from-ttf: a font name has 1 to " << int(pages::FONT_NAME_MAX) << " characters\n";
        return 2;
    }
    pages::ScalableFontOptions opt;
    opt.fontFile = a.positional[0];
    if (!a.get("height")) {
        std::cerr << "zx font from-ttf: --height PIXELS is missing\n";
        return 2;
    }
    if (int rc = optionInt(a, "height", 0, opt.height, cmd)) return rc;
    if (int rc = optionInt(a, "outline", 0, opt.outline, cmd)) return rc;
    if (int rc = optionInt(a, "codepage", 1251, opt.codePage, cmd)) return rc;
    if (a.has("colour") && a.has("mono")) {
        std::cerr << "zx font from-ttf: give either --colour or --mono\n";
        return 2;
    }
    if (a.has("colour")) {
        if (!parseColour(a.get("colour", ""), opt.fill)) {
            std::cerr << "zx font from-ttf: --colour needs RRGGBB in hexadecimal\n";
            return 2;
        }
        opt.colour = true;
    }
    if (a.has("shadow")) {
        std::string v = a.get("shadow", "");
        size_t comma = v.find(',');
        if (comma == std::string::npos || !parseInt(v.substr(0, comma), opt.shadowDx) ||
            !parseInt(v.substr(comma + 1), opt.shadowDy)) {
            std::cerr << "zx font from-ttf: --shadow needs DX,DY (pixels right, down)\n";
            return 2;
        }
        opt.shadow = true;
    }
    pages::CBitmapFont font;
    std::string error;
    if (!pages::MakeFontFromScalable(opt, font, error)) {
        std::cerr << "zx font from-ttf: " << error << "\n";
        return 1;
    }
    pages::CFontManager fonts;
    if (!fonts.Save(font, path)) {
        std::cerr << "zx font from-ttf: cannot write " << path << "\n";
        return 1;
    }
    const pages::FontHeader& h = font.header();
    std::cout << "Made " << path << ": " << h.glyphCount << " glyphs, height " << h.height << ", baseline "
              << h.baseline << ", " << (opt.colour ? "colour" : "monochrome");
    if (opt.shadow) std::cout << ", shadow " << opt.shadowDx << "," << opt.shadowDy;
    if (opt.outline) std::cout << ", outline " << opt.outline;
    std::cout << "\n";
    return 0;
}

int readFont(const std::string& path, pages::CBitmapFont& font, const char* cmd) {
    int rc = font.ReadHeader(path);
    if (rc != pages::FILE_OK) {
        const std::string text = zx::OneLine(app::FileResultText(rc, path));
        std::cerr << "zx " << cmd << ": " << text << "\n";
        return 1;
    }
    return 0;
}

int info(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx font info: give one .bmf file\n";
        return 2;
    }
    int codePage = 1251;
    if (int rc = optionInt(a, "codepage", 1251, codePage, "font info")) return rc;
    platform::CodePage cp(codePage);
    pages::CBitmapFont font;
    if (int rc = readFont(a.positional[0], font, "font info")) return rc;
    const pages::FontHeader& h = font.header();
    std::ostringstream o;
    o << "Font:            " << font.name() << "\n";
    o << "Version:         " << h.version << " (pixel data at byte " << font.dataOffset() << ")\n";
    o << "Flags:           " << h.flags << " (" << (font.isMonochrome() ? "monochrome, 2" : "colour, 4")
      << " bytes per pixel" << (font.hasShadow() ? ", shadow layer" : ", no shadow layer") << ")\n";
    o << "Glyphs:          " << h.glyphCount << ", " << font.totalWidth() << " columns in all\n";
    o << "Height:          " << h.height << "\n";
    o << "Baseline:        " << h.baseline << "\n";
    o << "Script shift:    " << h.scriptShift << "\n";
    o << "Spacing:         horizontal " << h.hSpacing << ", vertical " << h.vSpacing << "\n";
    o << "Layer size:      " << font.layerSize() << " bytes\n";
    int mapped = 0;
    for (int c = 0; c < 256; ++c) mapped += h.map[c] != 0;
    o << "Characters:      " << mapped << " codes mapped to glyphs (code page " << cp.number() << "), glyph 0 is "
      << int(h.widths[0]) << " pixels wide\n";
    // The map as a table of 16 codes a row; '.' marks a code drawn as glyph 0.
    for (int row = 0; row < 16; ++row) {
        bool any = false;
        for (int c = row * 16; c < row * 16 + 16; ++c) any |= h.map[c] != 0;
        if (!any) continue;
        char label[8];
        std::snprintf(label, sizeof label, "  %Xx ", row);
        o << label;
        for (int c = row * 16; c < row * 16 + 16; ++c) {
            o << ' ';
            char32_t u = cp.toUnicode(static_cast<unsigned char>(c));
            if (h.map[c] == 0 || u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0)) {
                o << (h.map[c] ? "?" : ".");
            } else {
                std::string s;
                platform::AppendUtf8(s, u);
                o << s;
            }
        }
        o << "\n";
    }
    std::cout << o.str();
    return 0;
}

int preview(const zx::Args& a) {
    if (a.positional.size() != 1) {
        std::cerr << "zx font preview: give one .bmf file\n";
        return 2;
    }
    auto out = a.get("out");
    if (!out || out->empty()) {
        std::cerr << "zx font preview: --out PICTURE.png is missing\n";
        return 2;
    }
    int codePage = 1251;
    if (int rc = optionInt(a, "codepage", 1251, codePage, "font preview")) return rc;
    uint32_t colour = 0xFFFFFF, background = 0x7F0000;
    if (a.has("colour") && !parseColour(a.get("colour", ""), colour)) {
        std::cerr << "zx font preview: --colour needs RRGGBB in hexadecimal\n";
        return 2;
    }
    if (a.has("background") && !parseColour(a.get("background", ""), background)) {
        std::cerr << "zx font preview: --background needs RRGGBB in hexadecimal\n";
        return 2;
    }
    const std::string text = platform::CodePage(codePage).fromUtf8(a.get("text", "Hello, world"));
    pages::CBitmapFont font;
    if (int rc = readFont(a.positional[0], font, "font preview")) return rc;
    pages::CFontManager fonts;
    fonts.SetCurrent(&font);
    fonts.SetColour(colour);
    const int margin = 8;
    pages::CBitmap32 picture(std::max(1, fonts.TextWidth(text)) + 2 * margin, fonts.Height() + 2 * margin);
    picture.fillAll(background);
    const pages::Rect clip = picture.bounds();
    fonts.Draw(text, margin, margin, clip, picture, pages::LAYER_SHADOWS, false);
    fonts.Draw(text, margin, margin, clip, picture, pages::LAYER_GLYPHS, false);
    if (!font.loaded()) {
        std::cerr << "zx font preview: cannot read the pixel data of " << a.positional[0] << "\n";
        return 1;
    }
    // A red tick in the left margin marks the base line.
    const int baseRow = margin + fonts.Baseline();
    if (baseRow >= 0 && baseRow < picture.height())
        for (int x = 1; x < margin - 2; ++x) {
            uint8_t* p = picture.pixel(x, baseRow);
            p[pages::PIX_BLUE] = p[pages::PIX_GREEN] = p[pages::PIX_TRANS] = 0;
            p[pages::PIX_RED] = 255;
        }
    if (!pages::WritePng(*out, picture)) {
        std::cerr << "zx font preview: cannot write " << *out << "\n";
        return 1;
    }
    std::cout << "Wrote " << *out << ": " << picture.width() << " x " << picture.height() << "\n";
    return 0;
}

zx::Register r1({"font from-ttf",
                 "FONTFILE --height PIXELS [--colour RRGGBB | --mono] [--shadow DX,DY] [--outline N] "
                 "[--codepage 1251] --out NAME.bmf",
                 "Make a bitmap font from a scalable font: every printable character of the code page, "
                 "PIXELS rows high (accents, outline and shadow included).",
                 {"height", "colour", "shadow", "outline", "codepage", "out"},
                 fromTtf});
zx::Register r2({"font info",
                 "FILE.bmf [--codepage 1251]",
                 "Print a font's header, its glyph count and the characters it maps.",
                 {"codepage"},
                 info});
zx::Register r3({"font preview",
                 "FILE.bmf --out PICTURE.png [--text TEXT] [--colour RRGGBB] [--background RRGGBB]",
                 "Draw a line of text (shadows, then glyphs) with a font into a PNG picture.",
                 {"out", "text", "colour", "background", "codepage"},
                 preview});

}  // namespace
