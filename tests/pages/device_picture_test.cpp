#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "pages/bitmap32.h"
#include "pages/device_picture.h"

using namespace pages;

namespace {

// The conversion written out pixel pair by pixel pair, as the Device defines it.
std::vector<uint8_t> referenceBlock(const CBitmap32& b, int x0, int y0, int w, int h, bool checksum) {
    std::vector<uint8_t> out(2);
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; x += 2) {
            const uint8_t* l = b.pixel(x, y);
            const uint8_t* r = b.pixel(x + 1, y);
            const long yl = (7472L * l[0] + 38469L * l[1] + 19595L * l[2]) >> 16;
            const long yr = (7472L * r[0] + 38469L * r[1] + 19595L * r[2]) >> 16;
            long cb = 128 + (l[0] + r[0] - yl - yr) * 65536 / 227069;
            long cr = 128 + (l[2] + r[2] - yl - yr) * 65536 / 179660;
            cb = std::clamp(cb, 16L, 240L);
            cr = std::clamp(cr, 16L, 240L);
            const long cyl = std::clamp(yl, 16L, 235L), cyr = std::clamp(yr, 16L, 235L);
            const unsigned wl = unsigned(((15 - (l[3] >> 4)) << 12) | ((cb >> 2) << 6) | (cyl >> 2));
            const unsigned wr = unsigned(((15 - (r[3] >> 4)) << 12) | ((cr >> 2) << 6) | (cyr >> 2));
            for (unsigned word : {wl, wr}) {
                out.push_back(uint8_t(word >> 8));
                out.push_back(uint8_t(word));
            }
        }
    if (checksum) {
        unsigned reg = 0;
        auto feed = [&](uint8_t byte) {
            for (int bit = 7; bit >= 0; --bit) {
                const unsigned msb = (reg >> 15) & 1;
                reg = ((reg << 1) & 0xFFFF) ^ (msb ? 0x4003 : 0) ^ ((byte >> bit) & 1);
            }
        };
        for (size_t i = out.size(); i > 2; --i) feed(out[i - 1]);
        feed(0xFF);
        feed(0xFF);
        out[0] = uint8_t(reg);
        out[1] = uint8_t(reg >> 8);
    }
    return out;
}

std::vector<uint8_t> blockOf(const CBitmap32& b, int x, int y, int w, int h, bool checksum = true) {
    std::vector<uint8_t> out(DeviceBlockSize(w, h), 0xCC);
    EXPECT_TRUE(b.toDevice(out.data(), x, y, w, h, checksum));
    return out;
}

uint16_t wordAt(const std::vector<uint8_t>& block, size_t i) {
    return uint16_t(block[2 + 2 * i] << 8 | block[3 + 2 * i]);
}

CBitmap32 pairOf(uint32_t left, uint32_t right) {
    CBitmap32 b(2, 1);
    b.fill(left, 0, 0, 1, 1, false);
    b.fill(right, 1, 0, 1, 1, false);
    return b;
}

// Random pictures that are not just noise: runs of repeated pixels (the conversion reuses the
// words of a repeated pair), every transparency, and the extremes of each byte.
CBitmap32 randomPicture(int w, int h, uint32_t seed) {
    std::mt19937 rng(seed);
    CBitmap32 b(w, h);
    uint8_t* p = b.bits();
    for (size_t i = 0; i < b.byteSize(); i += 4) {
        if (i >= 8 && rng() % 4 == 0) {
            std::copy(p + i - 8, p + i - 4, p + i);
            continue;
        }
        for (int k = 0; k < 4; ++k) {
            const unsigned r = rng();
            p[i + size_t(k)] = r % 8 == 0 ? 0 : r % 8 == 1 ? 255 : uint8_t(r >> 8);
        }
    }
    return b;
}

struct IsaGuard {
    PictureIsa saved = ActivePictureIsa();
    ~IsaGuard() { UsePictureIsa(saved); }
};

std::vector<PictureIsa> availableIsas() {
    std::vector<PictureIsa> isas;
    for (PictureIsa isa : {PictureIsa::Scalar, PictureIsa::Avx2})
        if (PictureIsaAvailable(isa)) isas.push_back(isa);
    return isas;
}

}  // namespace

TEST(DevicePicture, WorkedValues) {
    IsaGuard guard;
    for (PictureIsa isa : availableIsas()) {
        ASSERT_TRUE(UsePictureIsa(isa));
        // Fully transparent black: opacity 0, chroma 128 >> 2, Y 16 >> 2; the whole 6-byte block.
        EXPECT_EQ(blockOf(pairOf(0xFF000000, 0xFF000000), 0, 0, 2, 1),
                  (std::vector<uint8_t>{0x60, 0xA5, 0x08, 0x04, 0x08, 0x04}));
        // Opaque white: Y clamped to 235.
        auto white = blockOf(pairOf(0x00FFFFFF, 0x00FFFFFF), 0, 0, 2, 1);
        EXPECT_EQ(wordAt(white, 0), 0xF83A);
        EXPECT_EQ(wordAt(white, 1), 0xF83A);
        // Opaque pure red: Y 76, Cb 85 in the left word, Cr 258 clamped to 240 in the right.
        auto red = blockOf(pairOf(0x000000FF, 0x000000FF), 0, 0, 2, 1);
        EXPECT_EQ(wordAt(red, 0), 0xF553);
        EXPECT_EQ(wordAt(red, 1), 0xFF13);
        // Without checksum both bytes are zero.
        EXPECT_EQ(blockOf(pairOf(0xFF000000, 0xFF000000), 0, 0, 2, 1, false),
                  (std::vector<uint8_t>{0x00, 0x00, 0x08, 0x04, 0x08, 0x04}));
    }
}

TEST(DevicePicture, EveryKernelMatchesTheWrittenRulesOnRandomPictures) {
    IsaGuard guard;
    for (PictureIsa isa : availableIsas()) {
        ASSERT_TRUE(UsePictureIsa(isa));
        for (uint32_t seed = 1; seed <= 6; ++seed) {
            // Odd pair counts per row leave a tail for the vector code.
            const int w = seed % 2 ? 720 : 2 * int(7 + seed * 13);
            const CBitmap32 pic = randomPicture(w, 9, seed);
            EXPECT_EQ(blockOf(pic, 0, 0, w, 9), referenceBlock(pic, 0, 0, w, 9, true)) << int(isa) << " " << seed;
            // A region inside the picture.
            EXPECT_EQ(blockOf(pic, 4, 2, w - 10, 5), referenceBlock(pic, 4, 2, w - 10, 5, true));
        }
    }
}

TEST(DevicePicture, EveryChromaDifferenceDividesExactly) {
    // Pairs of grey-free pixels sweeping blue and red from 0 to 255 on both sides cover every
    // chroma numerator from -510 to 510 that a picture can produce, through every kernel.
    IsaGuard guard;
    CBitmap32 pic(2 * 256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            pic.fill(uint32_t(y) << 16 | uint32_t(x), 2 * x, y, 1, 1, false);
            pic.fill(uint32_t(x) << 16 | uint32_t(255 - y) << 8 | uint32_t(y), 2 * x + 1, y, 1, 1, false);
        }
    const auto expected = referenceBlock(pic, 0, 0, pic.width(), pic.height(), true);
    for (PictureIsa isa : availableIsas()) {
        ASSERT_TRUE(UsePictureIsa(isa));
        EXPECT_EQ(blockOf(pic, 0, 0, pic.width(), pic.height()), expected) << int(isa);
    }
}

TEST(DevicePicture, ChecksumAgreesWithTheBitRegisterForEveryLength) {
    IsaGuard guard;
    std::mt19937 rng(7);
    for (PictureIsa isa : availableIsas()) {
        ASSERT_TRUE(UsePictureIsa(isa));
        // Lengths around the 16- and 64-byte steps of the fast code, and a long one.
        for (size_t n : {0, 1, 15, 16, 17, 33, 63, 64, 127, 128, 129, 191, 192, 200, 1000, 4103, 65536}) {
            std::vector<uint8_t> block(n + 2, 0);
            for (size_t i = 2; i < block.size(); ++i) block[i] = uint8_t(rng());
            unsigned reg = 0;
            auto feed = [&](uint8_t byte) {
                for (int bit = 7; bit >= 0; --bit)
                    reg = ((reg << 1) & 0xFFFF) ^ ((reg & 0x8000) ? 0x4003 : 0) ^ ((byte >> bit) & 1);
            };
            for (size_t i = block.size(); i > 2; --i) feed(block[i - 1]);
            feed(0xFF);
            feed(0xFF);
            EXPECT_EQ(DeviceChecksum(block.data() + 2, n), reg) << n;
        }
    }
}

TEST(DevicePicture, RefusesOddWidthsAndRegionsOutside) {
    CBitmap32 pic(10, 4);
    std::vector<uint8_t> out(DeviceBlockSize(10, 4), 0xCC);
    EXPECT_FALSE(pic.toDevice(out.data(), 0, 0, 3, 1, true));
    EXPECT_FALSE(pic.toDevice(out.data(), 2, 0, 10, 1, true));
    EXPECT_FALSE(pic.toDevice(out.data(), 0, 3, 2, 2, true));
    EXPECT_FALSE(pic.toDevice(out.data(), -2, 0, 2, 1, true));
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t v) { return v == 0xCC; }));
}

TEST(DevicePicture, DecodedBackWithinTheStoredBits) {
    // Pairs of one colour each (chroma is shared by a pair), inside the clamped ranges, over the
    // opacity steps.
    const uint8_t colours[][3] = {{16, 16, 16},  {235, 235, 235}, {128, 128, 128}, {40, 120, 200},
                                  {200, 60, 90}, {90, 200, 60},   {30, 30, 160}};
    const int pairs = int(std::size(colours));
    CBitmap32 pic(pairs * 2, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < pairs * 2; ++x) {
            uint8_t* p = pic.pixel(x, y);
            p[PIX_BLUE] = colours[x / 2][0];
            p[PIX_GREEN] = colours[x / 2][1];
            p[PIX_RED] = colours[x / 2][2];
            p[PIX_TRANS] = uint8_t(17 * y);  // exact through the 4 bits
        }
    std::vector<uint8_t> block(DeviceBlockSize(pic.width(), pic.height()));
    ASSERT_TRUE(pic.toDevice(block.data(), 0, 0, pic.width(), pic.height(), true));
    const CBitmap32 back = FromDevice(block.data(), block.size(), pic.width(), pic.height());
    ASSERT_EQ(back.width(), pic.width());
    ASSERT_EQ(back.height(), pic.height());
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < pairs * 2; ++x) {
            const uint8_t *a = pic.pixel(x, y), *b = back.pixel(x, y);
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(a[c], b[c], 8) << "pixel " << x << "," << y << " byte " << c;
            EXPECT_EQ(a[PIX_TRANS], b[PIX_TRANS]) << "pixel " << x << "," << y;
        }
}

TEST(DevicePicture, DecodingRefusesOddWidthsAndShortBlocks) {
    std::vector<uint8_t> block(DeviceBlockSize(4, 2));
    EXPECT_EQ(FromDevice(block.data(), block.size(), 4, 2).width(), 4);
    EXPECT_TRUE(FromDevice(block.data(), block.size() - 1, 4, 2).empty());
    EXPECT_TRUE(FromDevice(block.data(), block.size(), 3, 2).empty());
    EXPECT_TRUE(FromDevice(block.data(), block.size(), 4, 0).empty());
    EXPECT_TRUE(FromDevice(nullptr, block.size(), 4, 2).empty());
}

// --- The vertical filter ---------------------------------------------------------------------

TEST(VerticalFilter, WeightTable) {
    EXPECT_EQ(FilterWeight(0), 0);
    EXPECT_EQ(FilterWeight(1), 1368);
    EXPECT_EQ(FilterWeight(-1), 1368);
    EXPECT_EQ(FilterWeight(128), 15477);
    EXPECT_EQ(FilterWeight(-128), 15477);
    EXPECT_EQ(FilterWeight(255), 21846);
    EXPECT_EQ(FilterWeight(-255), 21846);
    // W(4) = floor(21846 × sqrt(4 / 255)) = floor(2736.1...) .
    EXPECT_EQ(FilterWeight(4), 2736);
    for (int d = 1; d <= 255; ++d) EXPECT_GE(FilterWeight(d), FilterWeight(d - 1));
}

TEST(VerticalFilter, HandWorkedEdge) {
    // A white row under a black row: g = 0 with a = 0 above and b = 255 below mixes in
    // (255 × 21846) >> 16 = 85; the white row mixes (0 × 21846 + (65536 - 21846) × 255) >> 16 = 169.
    CBitmap32 b(2, 4);
    b.fill(0x00000000, 0, 0, 2, 2, false);
    b.fill(0x00FFFFFF, 0, 2, 2, 2, false);
    b.verticalFilter(0, 0, 0, 0);
    EXPECT_EQ(b.colourAt(0, 0), 0x00000000u);  // first row unchanged
    EXPECT_EQ(b.colourAt(1, 1), 0x00555555u);
    EXPECT_EQ(b.colourAt(1, 2), 0x00A9A9A9u);
    EXPECT_EQ(b.colourAt(0, 3), 0x00FFFFFFu);  // last row unchanged
}

TEST(VerticalFilter, EveryKernelMatchesTheWrittenRule) {
    IsaGuard guard;
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        const CBitmap32 pic = randomPicture(93, 12, seed);  // 372 bytes a row: a tail after 32-byte blocks
        CBitmap32 expected = pic;
        for (int y = 1; y < 11; ++y)
            for (int i = 0; i < 93 * 4; ++i) {
                const long a = pic.bits()[(y - 1) * 372 + i], g = pic.bits()[y * 372 + i],
                           bb = pic.bits()[(y + 1) * 372 + i];
                const long wa = FilterWeight(int(a - g)), wb = FilterWeight(int(bb - g));
                expected.bits()[y * 372 + i] = uint8_t((bb * wb + (65536 - wa - wb) * g + a * wa) >> 16);
            }
        for (PictureIsa isa : availableIsas()) {
            ASSERT_TRUE(UsePictureIsa(isa));
            CBitmap32 got = pic;
            got.verticalFilter(0, 0, 0, 0);
            EXPECT_TRUE(got == expected) << int(isa) << " " << seed;
        }
    }
}

TEST(VerticalFilter, EveryPairOfDifferencesThroughEveryKernel) {
    // Rows a, g, b, g, a: for g in {0, 37, 128, 255} every pair (a, b) of byte values, so every
    // weight of the table is used upwards and downwards, and carried from row to row.
    IsaGuard guard;
    const int gs[] = {0, 37, 128, 255};
    CBitmap32 pic(4 * 65536 / 4, 5);
    for (int k = 0; k < 4; ++k)
        for (int v = 0; v < 65536; ++v) {
            const size_t i = size_t(k) * 65536 + size_t(v);
            const uint8_t a = uint8_t(v >> 8), b = uint8_t(v), g = uint8_t(gs[k]);
            const uint8_t column[5] = {a, g, b, g, a};
            for (int y = 0; y < 5; ++y) pic.bits()[size_t(y) * pic.byteSize() / 5 + i] = column[y];
        }
    CBitmap32 expected = pic;
    const size_t stride = pic.byteSize() / 5;
    for (int y = 1; y < 4; ++y)
        for (size_t i = 0; i < stride; ++i) {
            const long a = pic.bits()[(y - 1) * stride + i], g = pic.bits()[y * stride + i],
                       bb = pic.bits()[(y + 1) * stride + i];
            const long wa = FilterWeight(int(a - g)), wb = FilterWeight(int(bb - g));
            expected.bits()[y * stride + i] = uint8_t((bb * wb + (65536 - wa - wb) * g + a * wa) >> 16);
        }
    for (PictureIsa isa : availableIsas()) {
        ASSERT_TRUE(UsePictureIsa(isa));
        CBitmap32 got = pic;
        got.verticalFilter(0, 0, 0, 0);
        EXPECT_TRUE(got == expected) << int(isa);
    }
}

TEST(VerticalFilter, LeavesUniformAreasAndTheRegionOutsideAlone) {
    CBitmap32 b(40, 20);
    b.fillAll(0x807F0000);
    const CBitmap32 flat = b;
    b.verticalFilter(0, 0, 0, 0);
    EXPECT_TRUE(b == flat);
    // A stripe outside the filtered rows: nothing above row 5 or below row 9 changes.
    b.fill(0x00FFFFFF, 0, 10, 40, 1, false);
    b.fill(0x00FFFFFF, 0, 4, 40, 1, false);
    const CBitmap32 before = b;
    b.verticalFilter(0, 5, 0, 5);
    EXPECT_TRUE(b == before);  // rows 6..8 are flat and 5, 9 stay as they are
}
