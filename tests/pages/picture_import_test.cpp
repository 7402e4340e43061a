#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "pages/picture_import.h"
#include "pages/picture_test_util.h"
#include "pages/png_io.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace pages;
using zxtest::PixelOf;

namespace {

using Px = std::array<uint8_t, 4>;

CBitmap32 onePixel(Px p) {
    CBitmap32 b(1, 1);
    std::copy(p.begin(), p.end(), b.pixel(0, 0));
    return b;
}

Px combined(Px white, Px black, bool mono = false) {
    CBitmap32 out;
    EXPECT_TRUE(CombinePair(onePixel(white), onePixel(black), mono, out));
    return PixelOf(out, 0, 0);
}

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override { app::SetMessageBoxes(&boxes); }
    void TearDown() override { app::SetMessageBoxes(nullptr); }
    void write(const std::string& name, const std::vector<uint8_t>& data) {
        ASSERT_TRUE(platform::WriteFileAtomic(dir.file(name), data));
    }
    app::HeadlessMessageBoxes boxes;
    zxtest::TempDir dir;
};

TEST(CombinePair, HandPickedPixels) {
    // The same on both backgrounds: opaque, colour (2P) × 127 / 255.
    EXPECT_EQ(combined({200, 100, 0, 0}, {200, 100, 0, 0}), (Px{199, 99, 0, 0}));
    EXPECT_EQ(combined({255, 255, 255, 0}, {255, 255, 255, 0}), (Px{254, 254, 254, 0}));
    // Nothing drawn: white on white and black on black is fully transparent, colour 0.
    EXPECT_EQ(combined({255, 255, 255, 0}, {0, 0, 0, 0}), (Px{0, 0, 0, 255}));
    // Half-covered grey: opacity (192 - 573 + 765) / 3 = 128, colour 128 × 127 / 128 = 127.
    EXPECT_EQ(combined({191, 191, 191, 0}, {64, 64, 64, 0}), (Px{127, 127, 127, 127}));
    // Half-covered pure red: opacity (128 - 511 + 765) / 3 = 127; red (128 + 127) × 127 / 127.
    EXPECT_EQ(combined({128, 128, 255, 0}, {0, 0, 128, 0}), (Px{0, 0, 255, 128}));
    // The fourth bytes of the pair play no part.
    EXPECT_EQ(combined({191, 191, 191, 77}, {64, 64, 64, 200}), (Px{127, 127, 127, 127}));
    // Monochrome: every colour byte becomes the largest.
    EXPECT_EQ(combined({200, 100, 0, 0}, {200, 100, 0, 0}, true), (Px{199, 199, 199, 0}));
    // Darker on white than on black (noise): opacity stops at 255; colours past white stop there.
    EXPECT_EQ(combined({0, 0, 0, 0}, {255, 255, 255, 0}), (Px{127, 127, 127, 0}));
    // Opacity 16 with blue asking for 36 × 127 / 16 = 285: kept at 255, not wrapped to 29.
    EXPECT_EQ(combined({255, 250, 250, 0}, {20, 10, 10, 0}), (Px{255, 166, 166, 239}));

    CBitmap32 out(2, 2);
    EXPECT_FALSE(CombinePair(CBitmap32(3, 2), CBitmap32(2, 3), false, out));
    EXPECT_FALSE(CombinePair(CBitmap32(), CBitmap32(), false, out));
    EXPECT_EQ(out.width(), 2);  // left as it was
}

TEST(Dither, TheRuntimeSequenceAndTheNoiseItGives) {
    DitherRandom rng(1);
    const int first[10] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int v : first) EXPECT_EQ(rng.next(), v);

    // Draws from seed 1: 41 (< 8191: byte kept), then pairs (18467, 6334) → -10, (26500,
    // 19169) → -8, (15724, 11478) → -9, (29358, 26962) → -6 on 3 = -3: kept, (24464, 5705)
    // → -10 on 3: kept, (28145, 23281) → -7, (16827, 9961) → -9 on 0: kept.
    CBitmap32 b(2, 1);
    const uint8_t start[8] = {100, 100, 100, 100, 3, 3, 255, 0};
    std::copy(start, start + 8, b.bits());
    DitherRandom seeded(1);
    Dither(b, seeded);
    EXPECT_EQ(PixelOf(b, 0, 0), (Px{100, 90, 92, 91}));
    EXPECT_EQ(PixelOf(b, 1, 0), (Px{3, 3, 248, 0}));
    EXPECT_EQ(seeded.next(), 491);  // exactly 15 draws were taken
}

TEST(PicturePartner, FrameImportAndConverterRules) {
    EXPECT_EQ(PartnerOfPicture("/p/logo.bmp"), "/p/logo_W.bmp");
    EXPECT_EQ(PartnerOfPicture("/p/logo_w.bmp"), "/p/logo.bmp");
    EXPECT_EQ(PartnerOfPicture("/p/logo_W.BMP"), "/p/logo.BMP");
    EXPECT_EQ(PartnerOfPicture("a_w.bmp"), "a.bmp");          // three characters: on white
    EXPECT_EQ(PartnerOfPicture("/p/_w.bmp"), "/p/_w_W.bmp");  // two: on black
    EXPECT_EQ(PartnerOfPicture("/p.d/logo"), "/p.d/logo_W");  // a dot in a folder is no extension
    EXPECT_TRUE(IsPictureOnWhite("/p/sun_W.bmp"));
    EXPECT_FALSE(IsPictureOnWhite("/p/sun_w2.bmp"));

    EXPECT_EQ(ConverterPartner("/p/logo.bmp", false), "/p/logo_w.bmp");  // lower case here
    EXPECT_EQ(ConverterPartner("/p/logo_W.bmp", true), "/p/logo.bmp");
    EXPECT_EQ(ConverterPartner("/p/logo.bmp", true), "");
    EXPECT_EQ(ConverterPartner("/p/logo_w.bmp", false), "/p/logo_w_w.bmp");
}

TEST_F(MessagesTest, ReadPictureReportsOnlyWhenAsked) {
    CBitmap32 b;
    EXPECT_FALSE(ReadPicture(dir.file("none.bmp"), false, b));
    EXPECT_EQ(boxes.count(), 0);
    EXPECT_FALSE(ReadPicture(dir.file("none.bmp"), true, b));
    EXPECT_EQ(boxes.lastText(), "Error opening picture file:\n\n" + dir.file("none.bmp"));
    write("bad.tga", zxtest::TgaHeader(1, 2, 2, 24, 0));  // colour-mapped
    EXPECT_FALSE(ReadPicture(dir.file("bad.tga"), true, b));
    EXPECT_EQ(boxes.lastText(), app::FormatText(app::LoadString(3031), {dir.file("bad.tga")}));
    EXPECT_NE(boxes.lastText().find("16/24/32 bits per pixel"), std::string::npos);
    EXPECT_EQ(boxes.count(), 2);
}

TEST_F(MessagesTest, PairsCombineWhenBothAreBmpOfTheSameSize) {
    auto shade = [](uint8_t v) { return [v](int, int) { return Px{v, v, v, 0}; }; };
    write("logo.bmp", zxtest::MakeBmp(4, 3, 24, false, shade(64)));
    write("logo_w.bmp", zxtest::MakeBmp(4, 3, 24, false, shade(191)));  // lower case still pairs
    const Px half{127, 127, 127, 127};
    for (const char* name : {"logo.bmp", "logo_w.bmp"}) {
        CBitmap32 b;
        ASSERT_TRUE(ReadPictureWithPair(dir.file(name), true, b)) << name;
        EXPECT_EQ(PixelOf(b, 3, 2), half) << name;
    }
    // TGA pictures never pair.
    write("sun.tga", zxtest::MakeTga(4, 3, 24, 0, shade(64)));
    write("sun_W.tga", zxtest::MakeTga(4, 3, 24, 0, shade(191)));
    CBitmap32 b;
    ASSERT_TRUE(ReadPictureWithPair(dir.file("sun.tga"), true, b));
    EXPECT_EQ(PixelOf(b, 0, 0), (Px{64, 64, 64, 0}));
    // A partner of another size, or one that cannot be read, leaves the single picture silently.
    write("moon.bmp", zxtest::MakeBmp(4, 3, 24, false, shade(64)));
    write("moon_W.bmp", zxtest::MakeBmp(3, 4, 24, false, shade(191)));
    ASSERT_TRUE(ReadPictureWithPair(dir.file("moon.bmp"), true, b));
    EXPECT_EQ(PixelOf(b, 0, 0), (Px{64, 64, 64, 0}));
    write("star.bmp", zxtest::MakeBmp(4, 3, 24, false, shade(64)));
    write("star_W.bmp", {'B', 'M', 1, 2, 3});
    ASSERT_TRUE(ReadPictureWithPair(dir.file("star.bmp"), true, b));
    EXPECT_EQ(PixelOf(b, 0, 0), (Px{64, 64, 64, 0}));
    EXPECT_EQ(boxes.count(), 0);
    // The monochrome option reaches the combination.
    write("red.bmp", zxtest::MakeBmp(1, 1, 24, false, [](int, int) { return Px{0, 0, 200, 0}; }));
    write("red_W.bmp", zxtest::MakeBmp(1, 1, 24, false, [](int, int) { return Px{0, 0, 200, 0}; }));
    ASSERT_TRUE(ReadPictureWithPair(dir.file("red.bmp"), true, b, true));
    EXPECT_EQ(PixelOf(b, 0, 0), (Px{199, 199, 199, 0}));
}

TEST_F(MessagesTest, InverseTgaComesFromTheProgramsSettings) {
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("ZENTRIX.INI"), std::string("[Start]\nInverseTGA=1\n")));
    write("p.tga", zxtest::MakeTga(1, 1, 32, 0, [](int, int) { return Px{1, 2, 3, 40}; }));
    CBitmap32 b;
    ASSERT_EQ(LoadPicture(dir.file("p.tga"), b), PICTURE_OK);
    EXPECT_EQ(PixelOf(b, 0, 0), (Px{1, 2, 3, 40}));  // no program: as stored
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse({"--home", dir.path()}));
    ASSERT_EQ(LoadPicture(dir.file("p.tga"), b), PICTURE_OK);
    EXPECT_EQ(PixelOf(b, 0, 0), (Px{1, 2, 3, 215}));
}

// A soft artwork: an orange disc with an anti-aliased rim over a blurred drop shadow, and a
// half-transparent blue bar; T as this program stores it (0 opaque).
CBitmap32 softArtwork(int w, int h) {
    CBitmap32 art(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            auto cover = [](double d, double r, double soft) { return std::clamp((r - d) / soft + 0.5, 0.0, 1.0); };
            const double disc = cover(std::hypot(x + 0.5 - 70, y + 0.5 - 60), 40, 1.0);
            const double shadow = 0.65 * cover(std::hypot(x + 0.5 - 82, y + 0.5 - 72), 38, 14.0);
            const double bar = 0.5 * cover(std::abs(y + 0.5 - 100), 10, 1.0) * cover(std::abs(x + 0.5 - 120), 70, 1.0);
            // Bar over disc over shadow, each "over" the layers below.
            double a = shadow, r = 0, g = 0, bl = 0;
            auto over = [&](double alpha, double R, double G, double B) {
                const double na = alpha + a * (1 - alpha);
                if (na > 0) {
                    r = (R * alpha + r * a * (1 - alpha)) / na;
                    g = (G * alpha + g * a * (1 - alpha)) / na;
                    bl = (B * alpha + bl * a * (1 - alpha)) / na;
                }
                a = na;
            };
            over(disc, 250, 140, 30);
            over(bar, 40, 90, 255);
            uint8_t* p = art.pixel(x, y);
            p[PIX_RED] = uint8_t(std::lround(r));
            p[PIX_GREEN] = uint8_t(std::lround(g));
            p[PIX_BLUE] = uint8_t(std::lround(bl));
            p[PIX_TRANS] = uint8_t(std::lround(255 * (1 - a)));
        }
    return art;
}

// The artwork as a paint program would save it over a plain background (0 or 255).
std::vector<uint8_t> overBackground(const CBitmap32& art, int background) {
    return zxtest::MakeBmp(art.width(), art.height(), 24, false, [&](int x, int y) {
        const uint8_t* p = art.pixel(x, y);
        const double a = (255 - p[PIX_TRANS]) / 255.0;
        Px out{};
        for (int k = 0; k < 3; ++k) out[size_t(k)] = uint8_t(std::lround(p[k] * a + background * (1 - a)));
        return out;
    });
}

TEST_F(MessagesTest, ASoftArtworkComesBackFromItsPair) {
    const CBitmap32 art = softArtwork(200, 130);
    write("art.bmp", overBackground(art, 0));
    write("art_W.bmp", overBackground(art, 255));
    CBitmap32 b;
    ASSERT_TRUE(ReadPictureWithPair(dir.file("art.bmp"), true, b));
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            const uint8_t* want = art.pixel(x, y);
            const uint8_t* got = b.pixel(x, y);
            ASSERT_NEAR(got[PIX_TRANS], want[PIX_TRANS], 1) << x << "," << y;
            // Colour is only defined where something covers; rounding on both backgrounds is
            // magnified by 1 / opacity, and the formula's 127 (not 127.5) takes up to 1% off.
            const int opacity = 255 - want[PIX_TRANS];
            if (opacity < 8) continue;
            const double tolerance = 2 + 3 + 255.0 / opacity;
            for (int k = 0; k < 3; ++k) ASSERT_NEAR(got[k], want[k], tolerance) << x << "," << y << " byte " << k;
        }
    // ZX_PICTURE_PREVIEW=FILE.png keeps the result over a checkerboard for a look.
    if (const char* preview = std::getenv("ZX_PICTURE_PREVIEW")) {
        const int zoom = 3;  // edges are easier to judge enlarged
        CBitmap32 shown(b.width() * zoom, b.height() * zoom);
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const uint8_t* p = b.pixel(x / zoom, y / zoom);
                const int check = ((x / 24) + (y / 24)) % 2 ? 0xA0 : 0xFF;
                uint8_t* q = shown.pixel(x, y);
                for (int k = 0; k < 3; ++k) q[k] = uint8_t((p[PIX_TRANS] * check + p[k] * (255 - p[PIX_TRANS])) / 255);
            }
        EXPECT_TRUE(WritePng(preview, shown));
    }
}

}  // namespace
