// zx picture convert, zx picture combine: BMP and TGA pictures as the program imports them,
// stored as the program's own TGA or as PNG for a look.
#include <iostream>

#include "app/strings.h"
#include "cli/command.h"
#include "pages/file_result.h"
#include "pages/picture_import.h"
#include "pages/picture_io.h"
#include "pages/png_io.h"
#include "platform/files.h"

namespace {

// A message of the program on one line.
std::string oneLine(int id, std::initializer_list<std::string_view> args) {
    std::string text = app::FormatText(app::LoadString(id), args);
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

// The output kind from the name: 't' TGA, 'p' PNG, 0 neither.
char outputKind(const std::string& path) {
    const std::string ext = platform::ExtensionOfPath(path);
    if (platform::EqualsNoCase(ext, ".tga")) return 't';
    if (platform::EqualsNoCase(ext, ".png")) return 'p';
    return 0;
}

bool outputOption(const zx::Args& a, const char* cmd, std::string& out) {
    out = a.get("out", "");
    if (out.empty()) {
        std::cerr << "zx " << cmd << ": --out OUT.tga or OUT.png is missing\n";
        return false;
    }
    if (!outputKind(out)) {
        std::cerr << "zx " << cmd << ": --out must name a .tga or .png file\n";
        return false;
    }
    return true;
}

int save(pages::CBitmap32& b, const std::string& out, const char* cmd) {
    const bool ok = outputKind(out) == 't' ? pages::WriteTGA(b, out) == pages::FILE_OK : pages::WritePng(out, b);
    if (!ok) {
        std::cerr << "zx " << cmd << ": cannot write " << out << "\n";
        return 1;
    }
    // Share of pixels that show anything at all (transparency below 0xF0).
    size_t visible = 0;
    for (size_t i = pages::PIX_TRANS; i < b.byteSize(); i += 4) visible += b.bits()[i] < 0xF0;
    std::cout << "Wrote " << out << ": " << b.width() << " x " << b.height() << ", "
              << (visible * 100 + b.byteSize() / 8) / (b.byteSize() / 4) << "% of the pixels visible\n";
    return 0;
}

int convert(const zx::Args& a) {
    const char* cmd = "picture convert";
    if (a.positional.size() != 1) {
        std::cerr << "zx picture convert: give one BMP or TGA picture (see --help)\n";
        return 2;
    }
    std::string out;
    if (!outputOption(a, cmd, out)) return 2;
    const std::string& in = a.positional[0];
    pages::CBitmap32 b;
    const bool inverse = a.has("inverse-tga");
    const int rc = pages::ReadPictureFile(in, inverse, b);
    if (rc != pages::PICTURE_OK) {
        std::cerr << "zx " << cmd << ": " << oneLine(rc, {in}) << "\n";
        return 1;
    }
    // As a frame import reads it: combined with its partner when there is one of the same size.
    if (a.has("pair")) {
        const std::string partner = pages::CombineWithPartner(in, inverse, false, b);
        std::cout << (partner.empty() ? "No partner of the same size" : "Combined with " + partner) << "\n";
    }
    return save(b, out, cmd);
}

int combine(const zx::Args& a) {
    const char* cmd = "picture combine";
    if (a.positional.size() != 2) {
        std::cerr << "zx picture combine: give the picture on black, then the picture on white (see --help)\n";
        return 2;
    }
    std::string out;
    if (!outputOption(a, cmd, out)) return 2;
    const std::string& onBlack = a.positional[0];
    const std::string& onWhite = a.positional[1];
    pages::CBitmap32 b;
    std::string failed;
    const int rc = pages::CombinePairFiles(onWhite, onBlack, a.has("mono"), b, &failed);
    if (rc == pages::PICTURE_SIZE_MISMATCH) {
        std::cerr << "zx " << cmd << ": " << oneLine(rc, {onBlack, onWhite}) << "\n";
        return 1;
    }
    if (rc != pages::PICTURE_OK) {
        std::cerr << "zx " << cmd << ": " << oneLine(rc, {failed}) << "\n";
        return 1;
    }
    return save(b, out, cmd);
}

zx::Register r1({"picture convert",
                 "IN.(bmp|tga) --out OUT.(tga|png) [--pair] [--inverse-tga]",
                 "Read a BMP or TGA picture and store it as the program's 32-bit TGA or as PNG; --pair combines "
                 "a BMP with its _W partner as imports do, --inverse-tga reads TGA alpha as opacity.",
                 {"out"},
                 convert});
zx::Register r2({"picture combine",
                 "ONBLACK ONWHITE [--mono] --out OUT.(tga|png)",
                 "Combine one artwork drawn on black and on white into a picture with transparency; --mono makes "
                 "it grey.",
                 {"out"},
                 combine});

}  // namespace
