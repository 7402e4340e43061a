#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>

#include "pages/file_result.h"
#include "pages/picture_io.h"
#include "pages/picture_test_util.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace pages;
using zxtest::Pattern;
using zxtest::PixelOf;

namespace {

using Px = std::array<uint8_t, 4>;

int decode(const std::vector<uint8_t>& f, CBitmap32& out, bool inverse = false) {
    return DecodePicture(f.data(), f.size(), inverse, out);
}

// Every pixel of b equals fn(x, y) with the fourth byte replaced by t (or kept when t < 0).
void expectPixels(const CBitmap32& b, int w, int h, const zxtest::PixelFn& fn, int t) {
    ASSERT_EQ(b.width(), w);
    ASSERT_EQ(b.height(), h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            Px want = fn(x, y);
            if (t >= 0) want[3] = uint8_t(t);
            ASSERT_EQ(PixelOf(b, x, y), want) << "pixel " << x << "," << y;
        }
}

TEST(BmpReader, RowsArePaddedAndEitherOrderReads) {
    // Width 3: 24-bit rows of 9 bytes padded to 12; the padding (0xEE) must not leak into pixels.
    // 32 bits: the fourth byte is the transparency as stored.
    for (int bits : {24, 32})
        for (bool topDown : {false, true})
            for (uint32_t gap : {0u, 10u}) {  // pixel data after a gap: the header's offset counts
                CBitmap32 b;
                ASSERT_EQ(decode(zxtest::MakeBmp(3, 4, bits, topDown, Pattern, gap), b), PICTURE_OK);
                expectPixels(b, 3, 4, Pattern, bits == 24 ? 0 : -1);
            }
}

TEST(PictureReaders, FiveFiveFivePixels) {
    // blue = (v << 3) & 0xF8, green = (v >> 2) & 0xF8, red = (v >> 7) & 0xF8; bit 15 ignored.
    auto px = [](int x, int) -> Px { return x == 0 ? Px{0x1F, 0x80} : x == 1 ? Px{0xE0, 0x03} : Px{0x00, 0x7C}; };
    for (const auto& f : {zxtest::MakeBmp(3, 1, 16, false, px), zxtest::MakeTga(3, 1, 15, 0x20, px),
                          zxtest::MakeTga(3, 1, 16, 0x20, px)}) {
        CBitmap32 b;
        ASSERT_EQ(decode(f, b), PICTURE_OK);
        EXPECT_EQ(PixelOf(b, 0, 0), (Px{0xF8, 0, 0, 0}));
        EXPECT_EQ(PixelOf(b, 1, 0), (Px{0, 0xF8, 0, 0}));
        EXPECT_EQ(PixelOf(b, 2, 0), (Px{0, 0, 0xF8, 0}));
    }
}

TEST(BmpReader, RefusesWhatItDoesNotRead) {
    const std::vector<uint8_t> good = zxtest::MakeBmp(3, 3, 24, false, Pattern);  // rows 9 + 3
    CBitmap32 b(1, 1);
    b.fillAll(0x11223344);
    auto refused = [&](std::vector<uint8_t> f, const char* what) {
        EXPECT_EQ(decode(f, b), PICTURE_FORMAT_ERROR) << what;
        EXPECT_EQ(b.width(), 1) << what << ": the bitmap is left as it was";
        EXPECT_EQ(b.colourAt(0, 0), 0x11223344u) << what;
    };
    auto with32 = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> f = good;
        for (int i = 0; i < 4; ++i) f[at + size_t(i)] = uint8_t(v >> (8 * i));
        return f;
    };
    auto with16 = [&](size_t at, uint16_t v) {
        std::vector<uint8_t> f = good;
        f[at] = uint8_t(v);
        f[at + 1] = uint8_t(v >> 8);
        return f;
    };
    refused(with32(30, 1), "run-length compression");
    refused(with32(30, 3), "bit fields");
    refused(with16(28, 8), "8 bits per pixel");
    refused(with16(26, 2), "two planes");
    refused(with32(14, 12), "core header");
    refused(with32(18, 0), "width 0");
    refused(with32(18, uint32_t(-4)), "negative width");
    refused(with32(22, 0), "height 0");
    refused(with32(22, uint32_t(INT_MIN)), "height that has no positive counterpart");
    refused(with32(18, 100000), "rows longer than the file");
    refused(with32(22, 0x7FFFFFFF), "more rows than the file");
    refused(with32(10, 0xFFFFFFF0), "pixel data past the end");
    refused(with32(10, uint32_t(good.size() - 30)), "pixel data offset too late for the rows");
    refused(std::vector<uint8_t>(good.begin(), good.begin() + 40), "truncated info header");
    refused({'B', 'M', 0}, "three bytes");
    refused(std::vector<uint8_t>(good.begin(), good.end() - 4), "last row cut short");
    // 30000 × 30000 pixels described by a few bytes: refused before anything is allocated.
    refused(with32(22, 30000), "absurd height");
    // Only the last row's padding missing is still every pixel.
    EXPECT_EQ(decode(std::vector<uint8_t>(good.begin(), good.end() - 3), b), PICTURE_OK);
    expectPixels(b, 3, 3, Pattern, 0);
}

TEST(TgaReader, PlainPicturesSkipIdAndColourMapInEitherRowOrder) {
    for (uint8_t desc : {uint8_t(0x00), uint8_t(0x20), uint8_t(0x28)}) {
        CBitmap32 b;
        // An ID of 5 bytes and a colour map of 3 entries of 15 bits (2 bytes each) come first.
        ASSERT_EQ(decode(zxtest::MakeTga(4, 3, 24, desc, Pattern, 5, 3, 15), b), PICTURE_OK);
        expectPixels(b, 4, 3, Pattern, 0);
        ASSERT_EQ(decode(zxtest::MakeTga(2, 5, 32, desc, Pattern), b), PICTURE_OK);
        expectPixels(b, 2, 5, Pattern, -1);
    }
}

TEST(TgaReader, InverseTgaTurnsTheFourthByte) {
    // The fourth byte of 32-bit pixels: transparency as stored, or opacity with InverseTGA.
    const std::vector<uint8_t> f = zxtest::MakeTga(3, 2, 32, 0, Pattern);
    CBitmap32 b;
    ASSERT_EQ(decode(f, b, true), PICTURE_OK);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            Px want = Pattern(x, y);
            want[3] = uint8_t(255 - want[3]);
            EXPECT_EQ(PixelOf(b, x, y), want);
        }
}

TEST(TgaReader, RefusesColourMapsBlackAndWhiteRightToLeftAndEmptySizes) {
    const std::vector<uint8_t> good = zxtest::MakeTga(2, 2, 24, 0, Pattern);
    CBitmap32 b;
    ASSERT_EQ(decode(good, b), PICTURE_OK);
    auto changed = [&](size_t at, uint8_t v) {
        std::vector<uint8_t> f = good;
        f[at] = v;
        return f;
    };
    for (uint8_t type : {0, 1, 3, 9, 11, 32, 33})
        EXPECT_EQ(decode(changed(2, type), b), PICTURE_FORMAT_ERROR) << "type " << int(type);
    for (uint8_t depth : {1, 8, 14, 17, 31, 33})
        EXPECT_EQ(decode(changed(16, depth), b), PICTURE_FORMAT_ERROR) << "depth " << int(depth);
    EXPECT_EQ(decode(changed(17, 0x10), b), PICTURE_FORMAT_ERROR) << "right to left";
    EXPECT_EQ(decode(changed(12, 0), b), PICTURE_FORMAT_ERROR) << "width 0";
    EXPECT_EQ(decode(changed(14, 0), b), PICTURE_FORMAT_ERROR) << "height 0";
    EXPECT_EQ(decode(changed(0, 200), b), PICTURE_FORMAT_ERROR) << "ID longer than the file";
    std::vector<uint8_t> map = changed(6, 0xFF);
    map[7] = 24;
    EXPECT_EQ(decode(map, b), PICTURE_FORMAT_ERROR) << "colour map longer than the file";
    EXPECT_EQ(decode(std::vector<uint8_t>(good.begin(), good.end() - 1), b), PICTURE_FORMAT_ERROR) << "truncated";
    EXPECT_EQ(decode(std::vector<uint8_t>(good.begin(), good.begin() + 17), b), PICTURE_FORMAT_ERROR) << "header";
    EXPECT_EQ(decode({}, b), PICTURE_FORMAT_ERROR) << "empty";
    EXPECT_EQ(b.width(), 2);  // still the picture read first
}

// A 3 × 3 picture in three packets that cross rows: a run of 4 (row 0 and the start of row 1),
// 3 raw pixels (the rest of row 1 and the start of row 2), a run of 2.
std::vector<uint8_t> rleAcrossRows(uint8_t descriptor, uint8_t depth = 24) {
    std::vector<uint8_t> f = zxtest::TgaHeader(10, 3, 3, depth, descriptor);
    const int bpp = depth / 8;
    auto pixel = [&](uint8_t v) {
        for (int i = 0; i < bpp; ++i) f.push_back(uint8_t(v + i));
    };
    f.push_back(0x80 | 3);
    pixel(10);
    f.push_back(2);
    pixel(20);
    pixel(30);
    pixel(40);
    f.push_back(0x80 | 1);
    pixel(50);
    return f;
}

TEST(TgaReader, RunLengthPacketsCrossRowsInBothOrders) {
    // File order of the nine pixels, by the first byte of each.
    const uint8_t order[9] = {10, 10, 10, 10, 20, 30, 40, 50, 50};
    for (uint8_t desc : {uint8_t(0x20), uint8_t(0x00)}) {
        for (uint8_t depth : {uint8_t(24), uint8_t(32)}) {
            CBitmap32 b;
            ASSERT_EQ(decode(rleAcrossRows(desc, depth), b), PICTURE_OK);
            for (int i = 0; i < 9; ++i) {
                const int fileRow = i / 3;
                const int y = desc & 0x20 ? fileRow : 2 - fileRow;
                const uint8_t v = order[i];
                EXPECT_EQ(PixelOf(b, i % 3, y),
                          (Px{v, uint8_t(v + 1), uint8_t(v + 2), uint8_t(depth == 32 ? v + 3 : 0)}))
                    << "descriptor " << int(desc) << " depth " << int(depth) << " pixel " << i;
            }
        }
    }
}

TEST(TgaReader, DamagedRunLengthDataIsRefused) {
    const std::vector<uint8_t> good = rleAcrossRows(0x20);
    CBitmap32 b;
    ASSERT_EQ(decode(good, b), PICTURE_OK);
    b.fillAll(0x01020304);
    auto refused = [&](std::vector<uint8_t> f, const char* what) {
        EXPECT_EQ(decode(f, b), PICTURE_FORMAT_ERROR) << what;
        EXPECT_EQ(b.colourAt(2, 2), 0x01020304u) << what << ": the bitmap is left as it was";
    };
    std::vector<uint8_t> f = good;
    f[f.size() - 4] = 0x80 | 2;  // the last run asks for 3 pixels where 2 remain
    refused(f, "run past the last row");
    f = good;
    f[18 + 4] = 3;  // the raw packet claims 4 pixels: its data then runs into the next packet
    refused(f, "raw packet past the picture");
    for (size_t cut = 1; cut < good.size() - 18; ++cut)
        refused(std::vector<uint8_t>(good.begin(), good.end() - long(cut)), "data ends early");
    // 65535 × 65535 promised by a few packets: refused before anything is allocated.
    f = good;
    f[12] = f[13] = f[14] = f[15] = 0xFF;
    refused(f, "absurd size");
    // Trailing data (a TGA 2.0 footer, say) after the last row is fine.
    f = good;
    f.insert(f.end(), 26, 0x55);
    EXPECT_EQ(decode(f, b), PICTURE_OK);
}

TEST(TgaWriter, WritesTheFixedHeaderAndReadsBackUnchanged) {
    zxtest::TempDir dir;
    CBitmap32 b(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const Px p = Pattern(x, y);
            std::copy(p.begin(), p.end(), b.pixel(x, y));
        }
    const std::string path = dir.file("out.tga");
    ASSERT_EQ(WriteTGA(b, path), FILE_OK);
    std::vector<uint8_t> f;
    ASSERT_TRUE(platform::ReadFile(path, f));
    ASSERT_EQ(f.size(), 18u + 5 * 3 * 4);
    const std::vector<uint8_t> header(f.begin(), f.begin() + 18);
    EXPECT_EQ(header, (std::vector<uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 3, 0, 32, 0x28}));
    EXPECT_TRUE(std::equal(b.bits(), b.bits() + b.byteSize(), f.begin() + 18));

    CBitmap32 back;
    ASSERT_EQ(ReadPictureFile(path, false, back), PICTURE_OK);
    expectPixels(back, 5, 3, Pattern, -1);

    // Nothing to write: no file.
    EXPECT_EQ(WriteTGA(CBitmap32(), dir.file("empty.tga")), FILE_SAVE_ERROR);
    EXPECT_FALSE(platform::FileExists(dir.file("empty.tga")));
    EXPECT_EQ(WriteTGA(CBitmap32(70000, 1), dir.file("wide.tga")), FILE_SAVE_ERROR);
    EXPECT_EQ(WriteTGA(b, dir.file("no/such/folder.tga")), FILE_SAVE_ERROR);
}

TEST(PictureFile, OpenFailuresAndTheChoiceOfReader) {
    zxtest::TempDir dir;
    CBitmap32 b;
    EXPECT_EQ(ReadPictureFile(dir.file("missing.bmp"), false, b), PICTURE_OPEN_ERROR);
    EXPECT_EQ(ReadPictureFile(dir.path(), false, b), PICTURE_OPEN_ERROR);
    // A pipe named like a picture: answered at once, not waited on.
    const std::string fifo = dir.file("pipe.tga");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadPictureFile(fifo, false, b), PICTURE_OPEN_ERROR);

    const std::vector<uint8_t> bmp = zxtest::MakeBmp(2, 2, 24, false, Pattern);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("pic.tga"), bmp));  // the content decides, not the name
    EXPECT_EQ(ReadPictureFile(dir.file("pic.tga"), false, b), PICTURE_OK);
    const std::vector<uint8_t> tga = zxtest::MakeTga(2, 2, 24, 0, Pattern);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("pic.bmp"), tga));
    EXPECT_EQ(ReadPictureFile(dir.file("pic.bmp"), false, b), PICTURE_OK);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("empty.bmp"), std::string()));
    EXPECT_EQ(ReadPictureFile(dir.file("empty.bmp"), false, b), PICTURE_FORMAT_ERROR);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("bm.bmp"), std::string("BM")));
    EXPECT_EQ(ReadPictureFile(dir.file("bm.bmp"), false, b), PICTURE_FORMAT_ERROR);
    // Larger than the first block read, with data after the picture.
    for (bool rle : {false, true}) {
        std::vector<uint8_t> big = zxtest::MakeTga(300, 200, 32, 0x20, Pattern);
        if (rle) {  // the same pixels as one-pixel raw packets
            std::vector<uint8_t> packets(big.begin(), big.begin() + 18);
            packets[2] = 10;
            for (size_t i = 18; i < big.size(); i += 4) {
                packets.push_back(0);
                packets.insert(packets.end(), big.begin() + long(i), big.begin() + long(i) + 4);
            }
            big = packets;
        }
        big.insert(big.end(), 100000, 0x55);
        ASSERT_TRUE(platform::WriteFileAtomic(dir.file("big.tga"), big));
        ASSERT_EQ(ReadPictureFile(dir.file("big.tga"), false, b), PICTURE_OK);
        expectPixels(b, 300, 200, Pattern, -1);
    }
    std::vector<uint8_t> bigBmp = zxtest::MakeBmp(300, 200, 24, false, Pattern);
    bigBmp.insert(bigBmp.end(), 100000, 0x55);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("big.bmp"), bigBmp));
    ASSERT_EQ(ReadPictureFile(dir.file("big.bmp"), false, b), PICTURE_OK);
    expectPixels(b, 300, 200, Pattern, 0);
}

}  // namespace
