// Transitions, scrolls and the program output: what the Device makes of the command programs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "air/effects.h"
#include "ktgsim/device.h"
#include "ktgsim/offline.h"
#include "ktgsim/picture.h"
#include "ktgsim/server.h"
#include "programs.h"
#include "support/temp_dir.h"

using namespace ktgsim;
using namespace ktgtest;
using air::EffectParam;

namespace {

constexpr uint32_t kOpaqueRed = 0x000000FF;
constexpr uint32_t kOpaqueWhite = 0x00FFFFFF;
constexpr uint32_t kOpaqueGreen = 0x0000FF00;
constexpr uint32_t kOpaqueBlue = 0x00FF0000;
constexpr uint32_t kTransparent = 0xFF000000;

std::vector<uint8_t> Page(const std::function<uint32_t(int, int)>& colour) { return PictureBlock(720, 576, colour); }

// Colour class of an output pixel: 'R', 'G', 'B', 'W', 'K' (black) or '?'.
char ColourAt(const Picture& pic, int x, int y) {
    const uint8_t* p = pic.pixel(x, y);
    auto hi = [](uint8_t v) { return v > 180; };
    auto lo = [](uint8_t v) { return v < 70; };
    if (hi(p[0]) && hi(p[1]) && hi(p[2])) return 'W';
    if (lo(p[0]) && lo(p[1]) && lo(p[2])) return 'K';
    if (hi(p[0]) && lo(p[1]) && lo(p[2])) return 'R';
    if (lo(p[0]) && hi(p[1]) && lo(p[2])) return 'G';
    if (lo(p[0]) && lo(p[1]) && hi(p[2])) return 'B';
    return '?';
}

Picture Output(const Device& d) {
    Picture pic;
    d.render(pic, Background{});
    return pic;
}

// Saves a snapshot where KTGSIM_SNAPSHOTS points (for looking at them), else nowhere.
void Keep(const Device& d, const std::string& name) {
    const char* dir = std::getenv("KTGSIM_SNAPSHOTS");
    if (!dir) return;
    Background bg;
    std::string err;
    Background::Parse("checker", bg, err);
    Picture pic;
    d.render(pic, bg);
    WritePng(std::string(dir) + "/" + name + ".png", pic);
}

// Puts a red page on air in bank 0 with a plain cut-in (type 0).
void RedOnAir(Programs& p) {
    p.reset();
    p.loadRect({0, 0, 720, 576}, Page([](int x, int) { return x >= 10 && x < 20 ? kOpaqueBlue : kOpaqueRed; }));
    ASSERT_GE(p.inEffect(0x0201, EffectParam(0, 0, 0)), 0);
    ASSERT_EQ(p.bank(), 1);
}

}  // namespace

TEST(Effects, EndAfterTheFieldsTheCataloguePredicts) {
    for (int type = 0; type <= 8; ++type)
        for (int speed : {0, 3, 9, 19}) {
            Device d;
            Programs p(d);
            const int fields = p.inEffect(uint16_t(0x0001 | (type == 0 ? 0x200 : 0)), EffectParam(type, speed, 0));
            const double predicted = air::EffectDuration(type, speed, false) / 20.0;
            EXPECT_NEAR(fields, predicted, 1.0) << "type " << type << " speed " << speed;
            EXPECT_EQ(d.stats().lastMotionFields, uint64_t(fields));
        }
}

TEST(Effects, FadesLastASecondOrTheMotion) {
    Device d;
    Programs p(d);
    EXPECT_EQ(p.inEffect(0x0601, EffectParam(0, 0, 0)), 50);
    EXPECT_EQ(d.level(0), kFullLevel);
    EXPECT_EQ(p.inEffect(0x0401, EffectParam(1, 9, 0)), 72);
    EXPECT_EQ(p.inEffect(0x0402, EffectParam(0, 0, 0)), 50);  // out with fade
    EXPECT_EQ(d.level(0), 0);
    EXPECT_EQ(d.level(1), 0);
}

TEST(Effects, WipeReplacesThePageEdgeByEdge) {
    Device d;
    Programs p(d);
    RedOnAir(p);
    EXPECT_EQ(ColourAt(Output(d), 600, 300), 'R');
    p.loadRect({0, 0, 720, 576}, Page([](int, int) { return kOpaqueWhite; }));
    p.startEffect(0x0003, EffectParam(1, 9, 0));  // the new page wipes in from the left
    EXPECT_EQ(ColourAt(Output(d), 5, 300), 'R');
    d.advanceFields(36);
    Keep(d, "wipe_half");
    Picture half = Output(d);
    EXPECT_EQ(ColourAt(half, 100, 300), 'W');
    EXPECT_EQ(ColourAt(half, 350, 10), 'W');
    EXPECT_EQ(ColourAt(half, 380, 300), 'R');
    EXPECT_EQ(ColourAt(half, 700, 570), 'R');
    EXPECT_EQ(d.stateValue(), 3);  // on air, in motion
    d.advanceFields(36);
    EXPECT_TRUE(d.finished());
    p.finishEffect();
    EXPECT_EQ(ColourAt(Output(d), 719, 575), 'W');
    EXPECT_EQ(d.level(0), 0) << "the old page's bank is off air";
    EXPECT_EQ(d.level(1), kFullLevel);
    EXPECT_EQ(d.stateValue(), 2);
    EXPECT_EQ(d.stats().effects, 1u);
}

TEST(Effects, PushMovesBothPages) {
    Device d;
    Programs p(d);
    RedOnAir(p);
    p.loadRect({0, 0, 720, 576}, Page([](int x, int) { return x >= 700 && x < 710 ? kOpaqueGreen : kOpaqueWhite; }));
    // New page moves in from the left (0x20), old page moves out to the right (0x80).
    p.startEffect(0x00A3, EffectParam(1, 9, 0));
    d.advanceFields(36);
    Keep(d, "push_half");
    Picture pic = Output(d);
    // The new page's right part rides on the edge; the old page's left stripe has moved right.
    EXPECT_EQ(ColourAt(pic, 345, 300), 'G');
    EXPECT_EQ(ColourAt(pic, 300, 300), 'W');
    EXPECT_EQ(ColourAt(pic, 375, 300), 'B');
    EXPECT_EQ(ColourAt(pic, 500, 300), 'R');
    d.advanceFields(40);
    p.finishEffect();
    pic = Output(d);
    EXPECT_EQ(ColourAt(pic, 705, 300), 'G');
    EXPECT_EQ(ColourAt(pic, 15, 300), 'W');
}

TEST(Effects, ClosingTypesRevealTheNewPageFromTheEdges) {
    Device d;
    Programs p(d);
    RedOnAir(p);
    p.loadRect({0, 0, 720, 576}, Page([](int, int) { return kOpaqueWhite; }));
    // Type 6: base word 0x0100, the window closes on the centre column.
    p.startEffect(0x0103, EffectParam(6, 9, 0));
    d.advanceFields(18);
    Picture pic = Output(d);
    EXPECT_EQ(ColourAt(pic, 50, 300), 'W');
    EXPECT_EQ(ColourAt(pic, 670, 300), 'W');
    EXPECT_EQ(ColourAt(pic, 360, 300), 'R');
    d.advanceFields(30);
    p.finishEffect();
    EXPECT_EQ(ColourAt(Output(d), 360, 300), 'W');
}

TEST(Effects, FadeBlendsAndOutEffectClears) {
    Device d;
    Programs p(d);
    p.reset();
    p.loadRect({0, 0, 720, 576}, Page([](int, int) { return kOpaqueWhite; }));
    p.startEffect(0x0601, EffectParam(0, 0, 0));
    d.advanceFields(25);
    Keep(d, "fade_half");
    const Picture half = Output(d);
    EXPECT_NEAR(half.pixel(360, 288)[0], 116, 12);  // half of white (232) over black
    d.advanceFields(25);
    p.finishEffect();
    EXPECT_EQ(ColourAt(Output(d), 360, 288), 'W');
    // The out effect (old page only) wipes it off and leaves nothing on air.
    ASSERT_GE(p.inEffect(0x0002, EffectParam(3, 19, 0)), 0);
    EXPECT_EQ(ColourAt(Output(d), 360, 288), 'K');
    EXPECT_EQ(d.stateValue(), 0);
}

TEST(Effects, RectangleEffectStaysInItsRectangle) {
    Device d;
    Programs p(d);
    p.reset();
    p.loadRect({0, 0, 720, 576}, Page([](int, int) { return kOpaqueWhite; }));
    // A caption: the rectangle shrunk by its border, bit 14.
    ASSERT_GE(p.inEffect(0x4201, 2u << 28 | 0x0A0A, {100, 400, 620, 500}), 0);
    Picture pic = Output(d);
    EXPECT_EQ(ColourAt(pic, 300, 450), 'W');
    EXPECT_EQ(ColourAt(pic, 300, 300), 'K');
    EXPECT_EQ(ColourAt(pic, 50, 450), 'K');
    // Its border is a soft edge just outside the rectangle.
    const uint8_t* edge = pic.pixel(98, 450);
    EXPECT_GT(edge[0], 20);
    EXPECT_LT(edge[0], 220);
}

TEST(Effects, PauseHoldsTheMotion) {
    Device d;
    Programs p(d);
    p.reset();
    p.startEffect(0x0001, EffectParam(1, 9, 0));
    d.advanceFields(10);
    const uint16_t right = d.reg(11);
    for (int r : {28, 29, 30, 31, 24, 25}) p.write(uint8_t(r), 0);  // what the pause sequence writes
    d.advanceFields(50);
    EXPECT_EQ(d.reg(11), right);
    EXPECT_FALSE(d.finished());
    p.write(31, 0x0A0A);
    d.advanceFields(100);
    EXPECT_TRUE(d.finished());
}

TEST(Effects, CutAndResetClearTheOutput) {
    Device d;
    Programs p(d);
    RedOnAir(p);
    p.cut();
    EXPECT_EQ(ColourAt(Output(d), 360, 288), 'K');
    EXPECT_EQ(d.stateValue(), 0);
    EXPECT_EQ(p.bank(), 0);
}

TEST(Display, SetModeShowsTheOtherHalfOfTheStore) {
    Device d;
    Programs p(d);
    p.reset();
    p.loadRect({0, 0, 720, 576}, Page([](int, int) { return kOpaqueRed; }));
    p.loadRect({768, 0, 1488, 576}, Page([](int, int) { return kOpaqueGreen; }));
    ASSERT_GE(p.inEffect(0x2201, EffectParam(0, 0, 0)), 0);  // bit 13: the bank stays
    EXPECT_EQ(ColourAt(Output(d), 100, 100), 'R');
    p.setMode(768);
    EXPECT_EQ(ColourAt(Output(d), 100, 100), 'G');
    p.setMode(0);
    EXPECT_EQ(ColourAt(Output(d), 100, 100), 'R');
}

namespace {

// A crawl strip of `length` pixels, 60 lines: transparent with a white marker at 100-103.
Programs::Scroll CrawlOf(int length, uint16_t flags) {
    Programs::Scroll s;
    s.rect = {0, 500, 720, 560};
    s.flags = flags;
    s.length = length;
    for (int k = 0; 256 * k < length; ++k) {
        const int n = std::min(256, length - 256 * k);
        auto chunk = PictureBlock(n, 60, [&](int x, int) {
            int sx = 256 * k + x;
            return sx >= 100 && sx < 104 ? kOpaqueWhite : kTransparent;
        });
        s.data.insert(s.data.end(), chunk.begin(), chunk.end());
    }
    return s;
}

int MarkerX(const Picture& pic, int y) {
    for (int x = 0; x < pic.width; ++x)
        if (ColourAt(pic, x, y) == 'W') return x;
    return -1;
}

}  // namespace

TEST(Scrolls, CrawlMovesAtItsSpeedSegmentBySegment) {
    Device d;
    Programs p(d);
    RedOnAir(p);
    Programs::Scroll s = CrawlOf(1320, 0x0004);  // 4 pixels a field, border 1
    p.startScroll(s);
    auto run = [&](int fields) {
        for (int i = 0; i < fields; ++i) {
            d.advanceFields(1);
            p.serviceScroll(s);
        }
    };
    run(100);
    Keep(d, "crawl_100");
    const int x1 = MarkerX(Output(d), 530);
    run(50);
    Keep(d, "crawl_150");
    const int x2 = MarkerX(Output(d), 530);
    EXPECT_EQ(x1, 820 - 400);
    EXPECT_EQ(x1 - x2, 200);
    // The page stays behind the crawl's rectangle.
    EXPECT_EQ(ColourAt(Output(d), 360, 300), 'R');
    EXPECT_EQ(ColourAt(Output(d), 360, 530), 'R') << "the strip is transparent there";
    EXPECT_EQ(d.stats().scrolls, 1u);
    EXPECT_EQ(d.stateValue() & 1, 1);
    // It holds when the whole distance has run; EndScroll takes it off air.
    run(400);
    EXPECT_TRUE(p.scrollDone(s));
    EXPECT_TRUE(d.finished());
    EXPECT_EQ(d.reg(2 * p.bank() + 1) % 1536, 1320u % 1536);
    EXPECT_EQ(d.stateValue(), 2);
    p.endScroll();
    EXPECT_EQ(d.level(p.bank()), 0);
    EXPECT_EQ(d.stats().scrolls, 1u);
}

// Under the page (the background-frame flag, bit 14 of the scroll word) a crawl runs inside the
// page's picture: on the page's nearly opaque panel it shows as brightly as on top of it, and
// where the page is transparent it does not show at all. On top of the page it shows on both.
TEST(Scrolls, BackgroundFrameRunsInsideThePagesPanel) {
    for (uint16_t flags : {uint16_t(0x0004), uint16_t(0x4004)}) {
        SCOPED_TRACE(flags);
        Device d;
        Programs p(d);
        p.reset();
        // A nearly opaque blue panel under the left half of the crawl's band; elsewhere nothing.
        p.loadRect({0, 0, 720, 576},
                   Page([](int x, int y) { return y >= 500 && x < 360 ? 0x10FF0000u : kTransparent; }));
        ASSERT_GE(p.inEffect(0x0201, EffectParam(0, 0, 0)), 0);
        Programs::Scroll s = CrawlOf(1320, flags);
        p.startScroll(s);
        auto run = [&](int fields) {
            for (int i = 0; i < fields; ++i) {
                d.advanceFields(1);
                p.serviceScroll(s);
            }
        };
        const bool background = flags & 0x4000;
        run(100);  // the marker over the transparent half
        Keep(d, background ? "background_crawl_100" : "crawl_over_100");
        Picture pic = Output(d);
        EXPECT_EQ(MarkerX(pic, 530), background ? -1 : 420);
        EXPECT_EQ(ColourAt(pic, 200, 530), 'B');
        run(50);  // over the panel
        Keep(d, background ? "background_crawl_150" : "crawl_over_150");
        pic = Output(d);
        EXPECT_EQ(MarkerX(pic, 530), 220);
        EXPECT_EQ(ColourAt(pic, 300, 530), 'B');
        EXPECT_EQ(ColourAt(pic, 500, 530), 'K');
        // Taken off air, the crawl leaves the panel as it was.
        p.endScroll();
        pic = Output(d);
        EXPECT_EQ(MarkerX(pic, 530), -1);
        EXPECT_EQ(ColourAt(pic, 220, 530), 'B');
    }
}

TEST(Scrolls, RollBringsLinesInFromBelow) {
    Device d;
    Programs p(d);
    RedOnAir(p);
    Programs::Scroll s;
    s.rect = {100, 100, 300, 400};
    s.flags = 0x8002;  // a roll at 2 lines a field
    s.length = 300 + 50;
    for (int k = 0; 256 * k < s.length; ++k) {
        const int n = std::min(256, s.length - 256 * k);
        auto chunk = PictureBlock(200, n, [&](int, int y) { return 256 * k + y < 10 ? kOpaqueWhite : kTransparent; });
        s.data.insert(s.data.end(), chunk.begin(), chunk.end());
    }
    p.startScroll(s);
    for (int i = 0; i < 50; ++i) {
        d.advanceFields(1);
        p.serviceScroll(s);
    }
    // The strip's first lines started just below the rectangle and rose 100 lines.
    Picture pic = Output(d);
    EXPECT_EQ(ColourAt(pic, 200, 305), 'W');
    EXPECT_EQ(ColourAt(pic, 200, 295), 'R');
}

TEST(Effects, ScaledTimeRunsThePredictedFields) {
    ServerOptions o;
    o.timeScale = 20;
    Server server(o);
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    Device& d = server.device();
    Programs p(d);
    p.reset();
    const auto t0 = std::chrono::steady_clock::now();
    p.startEffect(0x0001, EffectParam(3, 9, 0));  // 576 lines at 10 a field: 58 fields
    while (!d.finished() && std::chrono::steady_clock::now() - t0 < std::chrono::seconds(20))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(d.finished());
    EXPECT_NEAR(double(d.stats().lastMotionFields), air::EffectDuration(3, 9, false) / 20.0, 1.0);
    // 58 fields of 1 ms each, not 1.16 seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(1000));
    server.stop();
}

// The clock: the face into the current bank, the hands into the hidden half of the other, the
// overlay keeps both on air, and SetMode then flips the hands' bank between its halves.
TEST(Display, ClockOverlayFlipsTheHandsAndKeepsTheFaceWhereItSays) {
    for (uint16_t word : {uint16_t(0x0A01), uint16_t(0x1A01)}) {
        OfflineDevice d;
        ASSERT_TRUE(d.reset());
        // The face: opaque red on the left half of the picture, transparent elsewhere.
        const auto face = Page([](int x, int) { return x < 360 ? kOpaqueRed : kTransparent; });
        ASSERT_TRUE(d.loadRectData({0, 0, 720, 576}, face.data(), face.size()));
        // Two hands' images, green then blue, over the middle of the picture, one per half.
        const auto green = PictureBlock(200, 100, [](int, int) { return kOpaqueGreen; });
        const auto blue = PictureBlock(200, 100, [](int, int) { return kOpaqueBlue; });
        ASSERT_TRUE(d.loadRect({260, 200, 460, 300}, green.data(), green.size(), 1));
        ASSERT_TRUE(d.loadRect({768 + 260, 200, 768 + 460, 300}, blue.data(), blue.size(), 1));
        ASSERT_TRUE(d.inEffect(word, 0x0A0A));
        Picture pic;
        d.render(pic, Background{});
        const bool faceOnTop = word & 0x1000;
        EXPECT_EQ(ColourAt(pic, 300, 250), faceOnTop ? 'R' : 'G') << std::hex << word;  // both there
        EXPECT_EQ(ColourAt(pic, 400, 250), 'G');                                        // hands only
        EXPECT_EQ(ColourAt(pic, 100, 100), 'R');                                        // face only
        EXPECT_EQ(ColourAt(pic, 600, 100), 'K');
        ASSERT_TRUE(d.setMode(768));
        d.render(pic, Background{});
        EXPECT_EQ(ColourAt(pic, 400, 250), 'B');
        EXPECT_EQ(ColourAt(pic, 100, 100), 'R');  // the face's bank keeps its offset
        ASSERT_TRUE(d.setMode(0));
        d.render(pic, Background{});
        EXPECT_EQ(ColourAt(pic, 400, 250), 'G');
    }
}
