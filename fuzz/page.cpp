// The page file reader: any bytes either give a page (which compiles, and written again reads
// back the same) or a file result code with the page left empty; never a crash or a half page.
#include <cstdint>
#include <cstdio>
#include <string>

#include "pages/bitmap_font.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/files.h"

namespace {

// A Fonts folder with one small font, so that the frames are laid out and drawn for real.
struct Setup {
    std::string folder = platform::RuntimeDir() + "zx_fuzz_page/";
    pages::CFontManager fonts;

    Setup() {
        platform::MakeDirectories(folder + "Fonts");
        pages::CBitmapFont font;
        font.Create(pages::FONT_SHADOW, 3, 10);
        font.header().widths[0] = 4;
        font.header().widths[1] = 6;
        font.header().widths[2] = 9;
        font.header().baseline = 8;
        for (int c = 33; c < 256; ++c) font.header().map[c] = uint8_t(1 + c % 2);
        font.Allocate();
        for (int g = 1; g < 3; ++g) {
            uint8_t* p = font.glyphPixels(pages::LAYER_GLYPHS, g);
            for (int i = 0; i < font.header().widths[g] * 10; ++i) p[2 * i] = 200, p[2 * i + 1] = uint8_t(i * 37);
        }
        fonts.Save(font, folder + "Fonts/F.bmf");
        fonts.setFolder(folder + "Fonts");
        fonts.Enumerate();
    }
};

bool empty(const pages::CPageDoc& page, const pages::CPageImage& image) {
    return page.frameCount() == 0 && !page.hasBackgroundPicture && image.data.empty() && image.thumbnail.empty();
}

size_t textSize(const pages::CPageDoc& page) {
    size_t n = 0;
    for (const auto& f : page.frames)
        for (const auto& p : f->paragraphs)
            for (const auto& r : p.runs) n += r.text.size();
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pages;
    static Setup setup;
    const std::string path = setup.folder + "input.zxg";
    if (!platform::WriteFileAtomic(path, data, size)) return 0;

    CPageDoc page(setup.fonts);
    page.setBannersFolder(setup.folder);
    for (int mode : {1, 2, 4, 8, 6, 30, 15}) {
        CPageImage image;
        const int rc = page.Load(mode, path, image);
        if (rc != FILE_OK) {
            if ((rc != FILE_FORMAT_ERROR && rc != FILE_VERSION_ERROR) || !empty(page, image)) __builtin_trap();
            continue;
        }
        // A long crawl compiles to a strip of up to 64 M pixels (hundreds of MB with its Device
        // data); the reading is what is fuzzed here, so only pages of modest text compile.
        if (mode != 2 || textSize(page) > 1000) continue;
        // A page that reads compiles, and its file reads back the same.
        image.Compile(page, COMPILE_DEVICE | COMPILE_FILTER | COMPILE_THUMBNAIL);
        const std::vector<uint8_t> saved = page.Serialize(image);
        const std::string again = setup.folder + "again.zxg";
        if (!platform::WriteFileAtomic(again, saved)) continue;
        CPageDoc copy(setup.fonts);
        copy.setBannersFolder(setup.folder);
        CPageImage copyImage;
        if (copy.Load(15, again, copyImage) != FILE_OK || copy.Serialize(copyImage) != saved) __builtin_trap();
    }
    return 0;
}
