// zx font from-pictures: a bitmap font made from pictures of its characters as the font wizard
// makes it (separation, baseline marks, spacing), with the separation reported as JSON.
#include <cstdio>
#include <iostream>
#include <memory>

#include "app/zentrix_app.h"
#include "cli/command.h"
#include "pages/font_manager.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "wizards/font_maker.h"

namespace {

bool number(const zx::Args& a, const char* name, int lo, int hi, int& out) {
    auto v = a.get(name);
    if (!v) return true;
    if (zx::ParseNumber(*v, lo, hi, out)) return true;
    std::cerr << "zx font from-pictures: --" << name << " takes " << lo << " to " << hi << " here\n";
    return false;
}

std::string json(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char e[8];
            std::snprintf(e, sizeof e, "\\u%04x", c);
            out += e;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

int fromPictures(const zx::Args& a) {
    const char* cmd = "zx font from-pictures";
    wizards::FontFlags flags;
    flags.noShadows = a.has("no-shadows");
    flags.monochrome = a.has("mono");
    flags.fixedWidth = a.has("fixed");
    wizards::FontSources src;
    const size_t n = a.positional.size();
    if (n == 1) {
        if (!wizards::AutoFillFontSources(a.positional[0], src)) {
            std::cerr << cmd << ": " << a.positional[0]
                      << " does not end in _0_W, _0_B, _1_W or _1_B, so the other pictures cannot be named after it; "
                         "give them all\n";
            return 2;
        }
    } else if (n == 2 || n == 4) {
        for (size_t i = 0; i < n; ++i) src.pictures[i] = a.positional[i];
    } else {
        std::cerr << cmd
                  << ": give the characters on white, or on white and on black (and the shadows on white "
                     "and on black)\n";
        return 2;
    }
    if (n == 2 && !flags.noShadows) {
        std::cerr << cmd << ": two pictures make a font without shadows: add --no-shadows or the shadow pictures\n";
        return 2;
    }
    src.letters = a.get("letters", "");
    const std::string out = a.get("out", "");
    if (src.letters.empty() || out.empty()) {
        std::cerr << cmd << ": --letters FILE and --out F.bmf are needed\n";
        return 2;
    }
    const std::string title = platform::FileNameOf(out);
    if (!platform::EqualsNoCase(platform::ExtensionOfPath(out), ".bmf") || title.size() <= 4 ||
        title.size() - 4 > size_t(pages::FONT_NAME_MAX)) {
        std::cerr << cmd << ": --out must name a .bmf file of at most 31 characters before the extension\n";
        return 2;
    }
    // The program's settings: InverseTGA for the pictures, the code page for the letters.
    auto theApp = std::make_unique<app::CZentrixApp>();
    if (auto h = a.get("home"))
        theApp->InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", *h}));
    int codePage = theApp->settings().codePage > 0 ? theApp->settings().codePage : 1251;
    if (!number(a, "codepage", 1, 65535, codePage)) return 2;

    wizards::FontSeparation sep;
    wizards::FontReport report;
    if (!wizards::SeparateFontFiles(src, flags, codePage, sep, report)) {
        std::cerr << cmd << ": " << zx::OneLine(report.error.text()) << "\n";
        return 1;
    }
    for (const auto& w : report.warnings) std::cerr << cmd << ": warning: " << zx::OneLine(w.text()) << "\n";
    if (!number(a, "upper", 0, sep.height, sep.upper) || !number(a, "lower", 0, sep.height, sep.lower)) return 2;
    pages::CBitmapFont font;
    wizards::BuildFont(sep, flags, font);
    const wizards::FontSpace space = wizards::SpaceOf(sep, flags.fixedWidth);
    wizards::FontSettings settings = wizards::DefaultFontSettings(sep);
    if (!number(a, "base", 1, std::max(1, sep.height - 1), settings.base) ||
        !number(a, "hspace", -space.c, space.c, settings.hSpacing) ||
        !number(a, "vspace", -sep.height, sep.height, settings.vSpacing))
        return 2;
    wizards::ApplyFontSettings(settings, font);
    font.setName(title.substr(0, title.size() - 4));
    pages::CFontManager fonts;
    if (!fonts.Save(font, out)) {
        std::cerr << cmd << ": cannot write " << out << "\n";
        return 1;
    }
    if (a.has("report")) {
        const platform::CodePage cp(codePage);
        std::cout << "{\"height\": " << sep.height << ", \"top\": " << sep.top << ", \"space\": " << space.b
                  << ", \"letters\": " << sep.letters.size() << ", \"characters\": [";
        for (size_t i = 0; i < sep.chars.size(); ++i) {
            const std::string letter = i < sep.letters.size() ? cp.toUtf8(std::string(1, char(sep.letters[i]))) : "";
            std::cout << (i ? ", " : "") << "{\"letter\": " << json(letter) << ", \"start\": " << sep.chars[i].start
                      << ", \"width\": " << sep.chars[i].width << "}";
        }
        std::cout << "]}\n";
    } else {
        std::cout << "Wrote " << out << ": " << sep.chars.size() << " characters for " << sep.letters.size()
                  << " letters, " << sep.height << " rows" << (sep.shadowsUsed() ? ", with shadows" : "")
                  << (flags.monochrome ? ", monochrome" : "") << "\n";
    }
    return 0;
}

zx::Register r({"font from-pictures",
                "ON_WHITE [ON_BLACK SHADOWS_W SHADOWS_B] --letters FILE [--no-shadows] [--mono] [--fixed] "
                "[--upper N --lower N] [--base N] [--hspace N] [--vspace N] [--codepage N] [--home DIR] --out F.bmf "
                "[--report]",
                "Make a bitmap font from pictures of its characters as the font wizard does: from one picture "
                "named ..._0_W the others are filled in; --report prints each character's start and width as JSON.",
                {"letters", "upper", "lower", "base", "hspace", "vspace", "codepage", "home", "out"},
                fromPictures});

}  // namespace
