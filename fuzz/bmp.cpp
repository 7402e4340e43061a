// The BMP reader: any bytes either give a picture whose every pixel was inside the data, or the
// bad-format code; a picture read stores and reads back unchanged through the TGA writer.
#include <cstdint>
#include <cstdio>
#include <string>

#include "pages/picture_io.h"
#include "platform/files.h"  // RuntimeDir

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pages;
    CBitmap32 b;
    const int rc = DecodeBmp(data, size, b);
    if (rc != PICTURE_OK) {
        if (rc != PICTURE_FORMAT_ERROR || !b.empty()) __builtin_trap();
        return 0;
    }
    if (b.empty() || int64_t(b.width()) * b.height() > kMaxPicturePixels ||
        b.byteSize() != size_t(b.width()) * size_t(b.height()) * 4)
        __builtin_trap();
    // Every BMP pixel takes at least two bytes of the file.
    if (size_t(b.width()) * size_t(b.height()) * 2 > size) __builtin_trap();

    // The same bytes as a file, through the dispatch by "BM".
    static const std::string path = platform::RuntimeDir() + "zx_fuzz_bmp.bmp";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        const bool written = std::fwrite(data, 1, size, f) == size;
        std::fclose(f);
        CBitmap32 fromFile;
        if (written && (ReadPictureFile(path, false, fromFile) != PICTURE_OK || fromFile.byteSize() != b.byteSize()))
            __builtin_trap();
    }

    // Stored as TGA and read back: the same pixels.
    if (b.width() <= 0xFFFF && b.height() <= 0xFFFF) {
        const std::vector<uint8_t> tga = EncodeTga(b);
        CBitmap32 back;
        if (DecodeTga(tga.data(), tga.size(), false, back) != PICTURE_OK || back.width() != b.width() ||
            back.height() != b.height() || !std::equal(b.bits(), b.bits() + b.byteSize(), back.bits()))
            __builtin_trap();
    }
    return 0;
}
