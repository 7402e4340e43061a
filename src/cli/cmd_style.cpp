// zx style list: what the page editor makes of a style library (STYLE.INI).
#include <iostream>

#include "app/zentrix_app.h"
#include "cli/command.h"
#include "pages/font_manager.h"
#include "pages/style_library.h"
#include "platform/files.h"

namespace {

// Indents the lines of a description under its style.
std::string indented(const std::string& text) {
    std::string out = "    ";
    for (char c : text) {
        out += c;
        if (c == '\n') out += "    ";
    }
    return out + "\n";
}

int list(const zx::Args& a) {
    std::string path = a.positional.empty() ? std::string() : a.positional[0];
    app::CZentrixApp theApp;
    if (path.empty()) {
        theApp.InitSettingsOnly(zx::CommandLineOf(a));
        path = theApp.GetPath(app::FOLDER_ROOT) + "STYLE.INI";
    }
    std::string text;
    const bool read = platform::ReadFile(platform::ResolvePath(path), text);
    size_t lines = 0, valid = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pages::StyleRecord s;
        if (line.find_first_not_of(" \t\r") != std::string::npos) {
            ++lines;
            if (pages::ParseStyleLine(line, s)) ++valid;
        }
        pos = end + 1;
    }
    pages::CFontManager fonts;  // no fonts: a default style names none
    pages::CStyleLibrary lib;
    lib.LoadText(text, fonts);
    std::cout << path << ": " << (read ? "" : "not readable, ") << valid << " of " << lines << " lines are styles"
              << (valid ? "" : "; the editor uses the default style") << "\n";
    for (const pages::StyleRecord& s : lib.styles) {
        std::cout << s.name << "\n"
                  << indented(pages::FrameDescription(s)) << indented(pages::ParagraphDescription(s))
                  << indented(pages::TextDescription(s));
    }
    return read || a.positional.empty() ? 0 : 1;
}

zx::Register r(
    {"style list",
     "[STYLE.INI] [--home DIR]",
     "Print the page editor's styles (the file given, else STYLE.INI of the base folder) and how many lines it skips.",
     {"home"},
     list});

}  // namespace
