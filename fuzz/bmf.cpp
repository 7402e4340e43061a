// The ".bmf" reader: any bytes either give a font that measures and draws inside its target, or
// a file result code; a font that reads back writes the same header again.
#include <cstdint>
#include <cstdio>
#include <string>

#include "pages/bitmap_font.h"
#include "pages/file_result.h"
#include "platform/files.h"  // RuntimeDir

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pages;
    CBitmapFont font;
    if (font.ParseHeader(data, size, size) != FILE_OK) return 0;
    if (!font.LoadFromMemory(data, size)) __builtin_trap();  // the header promised the layers

    const std::string text(reinterpret_cast<const char*>(data), std::min<size_t>(size, 64));
    (void)font.TextWidth(text);
    for (int c = 0; c < 256; ++c) (void)font.CharAdvance(static_cast<unsigned char>(c));
    CBitmap32 target(48, 20);
    const uint8_t colour[3] = {200, 100, 50};
    const Rect clips[] = {{0, 0, 48, 20}, {5, 3, 30, 12}, {-7, -3, 90, 60}};
    for (const Rect& clip : clips)
        for (int mode = 0; mode < 4; ++mode)
            font.DrawText(text, (mode & 1) ? -3 : 2, mode & 2 ? 7 : 0, clip, target.view(), FontLayer(mode & 1),
                          (mode & 2) != 0, colour);

    // Written again, the font reads back the same (as version 1).
    std::vector<uint8_t> again = font.Serialize();
    CBitmapFont copy;
    if (copy.ParseHeader(again.data(), again.size(), again.size()) != FILE_OK ||
        !copy.LoadFromMemory(again.data(), again.size()) || copy.Serialize() != again)
        __builtin_trap();

    // The same through a file, as the font list reads it.
    static const std::string path = platform::RuntimeDir() + "zx_fuzz_bmf.bmf";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    const bool written = f && std::fwrite(data, 1, size, f) == size;
    if (f) std::fclose(f);
    if (written) {
        CBitmapFont fromFile;
        if (fromFile.ReadHeader(path) != FILE_OK || !fromFile.Load()) __builtin_trap();
    }
    return 0;
}
