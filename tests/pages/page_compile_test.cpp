// Compiling pages into the still, the strip chunks and the thumbnail.
#include <gtest/gtest.h>

#include <cstdlib>

#include "page_test_util.h"
#include "pages/device_picture.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/png_io.h"

using namespace pages;
using pagetest::PageFixture;

namespace {

struct Compile : PageFixture {
    // The checksum register written out bit by bit, for blocks checked by hand.
    static uint16_t bitChecksum(const uint8_t* data, size_t n) {
        unsigned reg = 0;
        auto feed = [&](uint8_t byte) {
            for (int bit = 7; bit >= 0; --bit)
                reg = ((reg << 1) & 0xFFFF) ^ ((reg & 0x8000) ? 0x4003 : 0) ^ ((byte >> bit) & 1);
        };
        for (size_t i = n; i > 0; --i) feed(data[i - 1]);
        feed(0xFF);
        feed(0xFF);
        return uint16_t(reg);
    }
    static uint16_t word(const uint8_t* block, size_t pixel) {
        return uint16_t(block[2 + 2 * pixel] << 8 | block[3 + 2 * pixel]);
    }
    // A moving frame with text of a given length along the motion (Grid: 10 a character).
    int movingFrame(CPageDoc& page, const Rect& r, int32_t type, int characters) {
        auto f = frame(r, type == FRAME_SCROLLER ? std::string(size_t(characters), 'A') : "A");
        f->format.type = type;
        f->format.colour = 0xFF000000;
        return page.AppendFrame(std::move(f));
    }
};

struct CountingProgress : CompileProgress {
    int range = -1, steps = 0;
    void SetRange(int n) override { range = n; }
    void Step() override { ++steps; }
};

}  // namespace

TEST_F(Compile, AUniformPageSendsOnePixelPair) {
    CPageDoc page(fonts);
    page.SetBackgroundColour(0xFF000000);
    movingFrame(page, {100, 500, 300, 540}, FRAME_SCROLLER, 3);
    CPageImage image;
    image.Compile(page, COMPILE_DEVICE | COMPILE_THUMBNAIL);
    EXPECT_TRUE(image.uniform());
    EXPECT_TRUE(image.hasStrip());
    EXPECT_EQ(image.device.flags, DEVICE_UNIFORM | DEVICE_HAS_STRIP);
    EXPECT_EQ(image.device.stillSize, 6u);
    // Transparent black: the worked block 60 A5 08 04 08 04.
    EXPECT_EQ(std::vector<uint8_t>(image.data.begin(), image.data.begin() + 6),
              (std::vector<uint8_t>{0x60, 0xA5, 0x08, 0x04, 0x08, 0x04}));

    // Any fixed frame, even an empty one with an invisible colour, makes the page whole.
    auto fixed = frame({10, 10, 20, 20}, "");
    fixed->format.colour = 0xFF000000;
    page.AppendFrame(std::move(fixed));
    image.Compile(page, COMPILE_DEVICE);
    EXPECT_FALSE(image.uniform());
    EXPECT_EQ(image.device.stillSize, uint32_t(DEVICE_STILL_SIZE));
}

TEST_F(Compile, ScrollerStripChunks) {
    // A Scroller 200 wide and 40 high with text 600 long: L = 800, chunks of 256, 256, 256, 32.
    CPageDoc page(fonts);
    page.SetBackgroundColour(0xFF000000);
    movingFrame(page, {100, 500, 300, 540}, FRAME_SCROLLER, 60);
    CPageImage image;
    image.Compile(page, COMPILE_DEVICE);
    EXPECT_EQ(image.summary.textLength, 600);
    EXPECT_EQ(image.strip.width(), 800);
    EXPECT_EQ(image.strip.height(), 40);
    const DeviceHeader& d = image.device;
    EXPECT_EQ(d.stripLength, 800u);
    EXPECT_EQ(d.chunkCount, 4u);
    EXPECT_EQ(d.chunkBytes, 40u * 512 + 2);
    EXPECT_EQ(d.stripSize, 3u * (40 * 512 + 2) + (32 * 40 * 2 + 2));
    EXPECT_EQ(image.data.size(), 6u + d.stripSize);
    // Each chunk is the Device picture of its columns of the strip.
    const int widths[] = {256, 256, 256, 32};
    for (uint32_t k = 0; k < 4; ++k) {
        size_t size = 0;
        const uint8_t* chunk = image.chunk(k, &size);
        ASSERT_NE(chunk, nullptr);
        ASSERT_EQ(size, DeviceBlockSize(widths[k], 40));
        std::vector<uint8_t> expected(size);
        ASSERT_TRUE(image.strip.toDevice(expected.data(), int32_t(256 * k), 0, widths[k], 40, true));
        EXPECT_EQ(std::vector<uint8_t>(chunk, chunk + size), expected) << k;
        EXPECT_EQ(uint16_t(chunk[0] | chunk[1] << 8), bitChecksum(chunk + 2, size - 2));
    }
    // The text starts at the strip's left edge: opaque white in the first chunk, and the strip
    // stays transparent black after the text (600 .. 800).
    EXPECT_EQ(word(image.chunk(0), 0), 0xF83A);
    EXPECT_EQ(word(image.chunk(3), 0), 0x0804);
}

TEST_F(Compile, RollStripChunksAreRowsOfTheFrameWidth) {
    CPageDoc page(fonts);
    page.SetBackgroundColour(0xFF000000);
    // Twelve paragraphs of 22 rows: text length 11 × 22 + 20 = 262; L = 300 + 262.
    auto f = frame({100, 100, 300, 400}, "A\nA\nA\nA\nA\nA\nA\nA\nA\nA\nA\nA");
    f->format.type = FRAME_ROLL;
    f->format.colour = 0xFF000000;
    page.AppendFrame(std::move(f));
    CPageImage image;
    image.Compile(page, COMPILE_DEVICE);
    EXPECT_EQ(image.summary.textLength, 262);
    EXPECT_EQ(image.strip.width(), 200);
    EXPECT_EQ(image.strip.height(), 562);
    EXPECT_EQ(image.device.chunkCount, 3u);
    EXPECT_EQ(image.device.stripSize, 2u * (200 * 512 + 2) + (50 * 200 * 2 + 2));
    size_t size = 0;
    const uint8_t* last = image.chunk(2, &size);
    ASSERT_NE(last, nullptr);
    std::vector<uint8_t> expected(size);
    ASSERT_TRUE(image.strip.toDevice(expected.data(), 0, 512, 200, 50, true));
    EXPECT_EQ(std::vector<uint8_t>(last, last + size), expected);
}

TEST_F(Compile, HandWorkedStill) {
    // Opaque black with an opaque white frame of 100 × 50 at (100, 100): word 0xF804 outside,
    // 0xF83A inside.
    CPageDoc page(fonts);
    page.SetBackgroundColour(0x00000000);
    auto f = frame({100, 100, 200, 150}, "");
    f->format.colour = 0x00FFFFFF;
    page.AppendFrame(std::move(f));
    CPageImage image;
    image.Compile(page, COMPILE_DEVICE);
    ASSERT_EQ(image.data.size(), size_t(DEVICE_STILL_SIZE));
    const uint8_t* still = image.data.data();
    EXPECT_EQ(word(still, 0), 0xF804);
    EXPECT_EQ(word(still, 100 * 720 + 99), 0xF804);
    EXPECT_EQ(word(still, 100 * 720 + 100), 0xF83A);
    EXPECT_EQ(word(still, 149 * 720 + 199), 0xF83A);
    EXPECT_EQ(word(still, 150 * 720 + 100), 0xF804);
    EXPECT_EQ(uint16_t(still[0] | still[1] << 8), bitChecksum(still + 2, DEVICE_STILL_SIZE - 2));

    // Without checksums both bytes are zero, the words the same.
    CPageImage plain;
    plain.Compile(page, COMPILE_DEVICE | COMPILE_NO_CHECKSUM);
    EXPECT_EQ(plain.data[0], 0);
    EXPECT_EQ(plain.data[1], 0);
    EXPECT_TRUE(std::equal(plain.data.begin() + 2, plain.data.end(), image.data.begin() + 2));

    // The filter softens the frame's top and bottom edge rows and says so in the summary.
    CPageImage filtered;
    filtered.Compile(page, COMPILE_DEVICE | COMPILE_FILTER);
    EXPECT_TRUE(filtered.summary.flags & SUMMARY_FILTERED);
    EXPECT_FALSE(image.summary.flags & SUMMARY_FILTERED);
    EXPECT_EQ(filtered.picture.colourAt(150, 99), 0x00555555u);
    EXPECT_EQ(filtered.picture.colourAt(150, 100), 0x00A9A9A9u);
    EXPECT_EQ(filtered.picture.colourAt(150, 120), 0x00FFFFFFu);
}

TEST_F(Compile, BannersAndTheStartOfTheMovingTextOnlyInTheThumbnail) {
    CPageDoc page(fonts);
    page.SetBackgroundColour(0x80FFFFFF);  // half transparent white: grey on black
    auto banner = frame({100, 100, 200, 200}, "");
    banner->format.bannerLink = 1;
    banner->format.colour = 0x000000FF;  // not drawn: the Device plays the banner
    banner->picture.create(100, 100);
    banner->picture.fillAll(0x000000FF);
    page.AppendFrame(std::move(banner));
    movingFrame(page, {300, 300, 500, 340}, FRAME_SCROLLER, 5);
    CPageImage image;
    image.Compile(page, COMPILE_DEVICE);
    EXPECT_TRUE(image.uniform());  // banner and moving frame are not in the still
    EXPECT_TRUE(image.thumbnail.empty());

    CountingProgress progress;
    image.Compile(page, COMPILE_DEVICE | COMPILE_THUMBNAIL | COMPILE_FILTER, &progress);
    // Clearing, background, strip, two frames, filter, still and one chunk, thumbnail.
    EXPECT_EQ(progress.range, 9);
    EXPECT_EQ(progress.steps, 9);
    ASSERT_EQ(image.thumbnail.width(), 360);
    EXPECT_EQ(image.thumbnail.colourAt(0, 0), 0x007F7F7Fu);      // flattened onto black
    EXPECT_EQ(image.thumbnail.colourAt(75, 75), 0x000000FFu);    // the banner's preview
    EXPECT_EQ(image.thumbnail.colourAt(150, 150), 0x00FFFFFFu);  // the first character of the crawl
    EXPECT_EQ(image.thumbnail.colourAt(200, 150), 0x007F7F7Fu);  // after its five characters
}

TEST_F(Compile, DecodedStillLooksLikeThePage) {
    // Looked at by eye: with ZX_INSPECT_DIR set, the page picture and the still decoded back are
    // written there as PNG.
    CPageDoc page(fonts);
    page.SetBackgroundColour(0x00603010);
    auto f = frame({40, 40, 680, 300}, "Device picture\nAB CD EF");
    f->format.colour = 0x400000C0;
    f->paragraphs[0].runs[0].format.colour = 0x0040C0E0;  // inside the range the format keeps
    page.AppendFrame(std::move(f));
    CPageImage image;
    image.Compile(page, COMPILE_DEVICE);
    const CBitmap32 decoded = pagetest::DecodeDeviceBlock(image.data.data(), 720, 576);
    // Flat areas come back within the 6-bit steps of the format.
    for (auto [x, y] : {std::pair{5, 5}, std::pair{600, 250}, std::pair{60, 45}}) {
        const uint8_t* a = image.picture.pixel(x, y);
        const uint8_t* b = decoded.pixel(x, y);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(a[k], b[k], 12) << x << "," << y << " byte " << k;
    }
    if (const char* out = std::getenv("ZX_INSPECT_DIR")) {
        WritePng(std::string(out) + "/compiled_page.png", image.picture);
        CBitmap32 copy = decoded;
        WritePng(std::string(out) + "/compiled_still_decoded.png", copy);
    }
}
