// The TGA reader: any bytes either give a picture or the bad-format code, the same with and
// without InverseTGA (which only turns the fourth byte of 32-bit pixels round); a picture read
// stores and reads back unchanged.
#include <cstdint>
#include <string>

#include "pages/picture_import.h"
#include "pages/picture_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pages;
    CBitmap32 b, inverted;
    const int rc = DecodeTga(data, size, false, b);
    const int rcInverted = DecodeTga(data, size, true, inverted);
    if (rc != rcInverted) __builtin_trap();
    if (rc != PICTURE_OK) {
        if (rc != PICTURE_FORMAT_ERROR || !b.empty() || !inverted.empty()) __builtin_trap();
        return 0;
    }
    if (b.empty() || b.width() > 0xFFFF || b.height() > 0xFFFF || int64_t(b.width()) * b.height() > kMaxPicturePixels ||
        b.byteSize() != inverted.byteSize())
        __builtin_trap();
    const bool thirtyTwo = size > 16 && data[16] == 32;
    for (size_t i = 0; i < b.byteSize(); ++i) {
        const bool trans = i % 4 == PIX_TRANS;
        const uint8_t want = trans && thirtyTwo ? uint8_t(255 - b.bits()[i]) : b.bits()[i];
        if (inverted.bits()[i] != want) __builtin_trap();
        if (trans && !thirtyTwo && b.bits()[i] != 0) __builtin_trap();  // no alpha: opaque
    }

    const std::vector<uint8_t> tga = EncodeTga(b);
    CBitmap32 back;
    if (DecodePicture(tga.data(), tga.size(), false, back) != PICTURE_OK || back.width() != b.width() ||
        back.height() != b.height() || !std::equal(b.bits(), b.bits() + b.byteSize(), back.bits()))
        __builtin_trap();

    // A picture that reads is a valid pair with itself: opaque everywhere.
    if (b.byteSize() <= 4096) {
        CBitmap32 pair;
        if (!CombinePair(b, b, false, pair)) __builtin_trap();
        for (size_t i = PIX_TRANS; i < pair.byteSize(); i += 4)
            if (pair.bits()[i] != 0) __builtin_trap();
    }
    return 0;
}
