// The hands of a second: the angles of the worked times and steps, the area each render covers
// (its box, the union with the buffer's last area, the edge of the picture), and the block,
// byte for byte against the rule written down plainly.
#include <gtest/gtest.h>

#include <cstring>

#include "clock_reference.h"
#include "clock_test_util.h"
#include "pages/device_picture.h"

using namespace wizards;

namespace {

// Renders into the clock and the reference alike, and holds them to each other.
void ExpectSameAsReference(CClockImage& clock, int h, int m, int s, const std::string& what) {
    const int buffer = clock.currentBuffer();
    const clockref::Result ref = clockref::Render(clock, clock.lastArea(buffer), buffer, h, m, s, true);
    clock.Render(h, m, s, true);
    SCOPED_TRACE(what + " at " + std::to_string(h) + ":" + std::to_string(m) + ":" + std::to_string(s));
    ASSERT_EQ(clock.lastBox(), ref.box);
    ASSERT_EQ(clock.lastRendered(), ref.area);
    const device::Rect t = clock.target(buffer);
    EXPECT_EQ(t.left, ref.target.left);
    EXPECT_EQ(t.top, ref.target.top);
    EXPECT_EQ(t.right, ref.target.right);
    EXPECT_EQ(t.bottom, ref.target.bottom);
    ASSERT_EQ(clock.blockSize(buffer), ref.block.size());
    const uint8_t* got = clock.block(buffer);
    size_t diff = 0;
    while (diff < ref.block.size() && got[diff] == ref.block[diff]) ++diff;
    EXPECT_EQ(diff, ref.block.size()) << "first different byte " << diff;
    clock.SwitchBuffer();
}

TEST(ClockAngles, WorkedTimesAndSteps) {
    ClockHeader h;  // default steps: 5 s and 5 min
    HandAngles a = ClockAngles(h, 12 % 12, 0, 0);
    EXPECT_EQ(a.a[HAND_SECOND], 0);
    EXPECT_EQ(a.a[HAND_MINUTE], 0);
    EXPECT_EQ(a.a[HAND_HOUR], 0);
    a = ClockAngles(h, 3, 0, 37);
    EXPECT_EQ(a.a[HAND_SECOND], 2220);
    EXPECT_EQ(a.a[HAND_MINUTE], 35);
    EXPECT_EQ(a.a[HAND_HOUR], 900);

    // A 15-second minute's hand moves at 0, 15, 30 and 45 seconds only.
    h.steps[HAND_MINUTE] = 4;
    std::vector<int> changes;
    int was = -1;
    for (int s = 0; s < 60; ++s) {
        const int now = ClockAngles(h, 7, 20, s).a[HAND_MINUTE];
        if (now != was) changes.push_back(s);
        was = now;
    }
    EXPECT_EQ(changes, (std::vector<int>{0, 15, 30, 45}));
    EXPECT_EQ(ClockAngles(h, 7, 20, 44).a[HAND_MINUTE], 1230);
    // A 60-minute hour's hand jumps once an hour.
    h.steps[HAND_HOUR] = 6;
    EXPECT_EQ(ClockAngles(h, 2, 59, 0).a[HAND_HOUR], 600);
    EXPECT_EQ(ClockAngles(h, 3, 0, 0).a[HAND_HOUR], 900);
}

TEST(ClockRender, AtNoonEveryHandPointsUp) {
    CClockImage clock;
    clocktest::MakeTestClock(clock);
    ASSERT_TRUE(clock.Prepare());
    clock.Render(0, 0, 0, true);
    const pages::Rect b = clock.lastBox();
    // Above the centre (y 288 in the work area), about as high as the longest hand stretched by
    // 16/15, and narrow.
    EXPECT_LE(b.bottom, CLOCK_AREA_CY + 26);
    EXPECT_LE(b.top, CLOCK_AREA_CY - 205 * 16 / 15 + 2);
    EXPECT_GE(b.top, CLOCK_AREA_CY - 205 * 16 / 15 - 2);
    EXPECT_LE(b.width(), 2 * 17 + 2);
    // The layer holds the hands there and nothing below the tail.
    const pages::CBitmap32& layer = clock.layer();
    EXPECT_LT(layer.pixel(CLOCK_AREA_CX, CLOCK_AREA_CY - 100)[pages::PIX_TRANS], 16);
}

TEST(ClockRender, SameBytesAsTheRuleWithAndWithoutShadows) {
    CClockImage clock;
    clocktest::MakeTestClock(clock);
    ASSERT_TRUE(clock.Prepare());
    const int times[][3] = {{0, 0, 0}, {3, 0, 37}, {11, 59, 59}, {6, 30, 15}, {9, 45, 52}, {1, 5, 7}, {4, 40, 22}};
    for (auto& t : times) ExpectSameAsReference(clock, t[0], t[1], t[2], "plain");

    // Each light direction, with and without different heights.
    for (int lh = 0; lh < 3; ++lh)
        for (int lv = 0; lv < 3; ++lv)
            for (int different = 0; different < 2; ++different) {
                ClockSettings s;
                s.shadows = true;
                s.lightH = lh;
                s.lightV = lv;
                s.handHeight = 3;
                s.differentHeights = different != 0;
                s.minuteStep = (lh + lv) % 7;
                s.hourStep = (lh * 3 + lv) % 7;
                ApplyClockSettings(s, clock.header());
                clock.Reset();
                const std::string what = "light " + std::to_string(lh) + "," + std::to_string(lv);
                for (int k = 0; k < 3; ++k) ExpectSameAsReference(clock, (lh + k) % 12, 7 * lv + 11 * k, 13 * k, what);
            }
}

TEST(ClockRender, WithoutChecksumTheFirstTwoBytesAreZero) {
    CClockImage clock;
    clocktest::MakeTestClock(clock);
    ASSERT_TRUE(clock.Prepare());
    clock.Render(3, 0, 37, false);
    const uint8_t* b = clock.block(0);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[1], 0);
    const clockref::Result ref = clockref::Render(clock, {}, 0, 3, 0, 37, true);
    EXPECT_EQ(std::memcmp(b + 2, ref.block.data() + 2, ref.block.size() - 2), 0);
    EXPECT_EQ(pages::DeviceChecksum(b + 2, clock.blockSize(0) - 2), uint16_t(ref.block[0] | ref.block[1] << 8));
}

TEST(ClockRender, TheUnionWithTheAreaDrawnTwoRendersEarlier) {
    CClockImage clock;
    clocktest::MakeTestClock(clock);
    ASSERT_TRUE(clock.Prepare());
    clock.Render(1, 10, 5, true);
    const pages::Rect first = clock.lastBox();
    EXPECT_EQ(clock.lastRendered(), first);  // the first into a buffer: only the hands
    clock.SwitchBuffer();
    clock.Render(1, 10, 6, true);
    const pages::Rect second = clock.lastBox();
    EXPECT_EQ(clock.lastRendered(), second);
    EXPECT_EQ(clock.target(1).left, second.left + 768 + 360 - 270);
    clock.SwitchBuffer();
    clock.Render(1, 10, 7, true);
    const pages::Rect third = clock.lastBox();
    const pages::Rect want{std::min(first.left, third.left), std::min(first.top, third.top),
                           std::max(first.right, third.right), std::max(first.bottom, third.bottom)};
    EXPECT_EQ(clock.lastRendered(), want);
    EXPECT_EQ(clock.lastArea(0), third);  // the buffer remembers only its latest box
    // Where the second's hand was and is no more: cleared to transparent words.
    EXPECT_EQ(clock.target(0).left, want.left + 360 - 270);

    // After a reset the next render covers the hands only.
    clock.Reset();
    clock.Render(1, 10, 8, true);
    EXPECT_EQ(clock.lastRendered(), clock.lastBox());
}

TEST(ClockRender, AnEmptyHandNeverCovers) {
    CClockImage clock;
    clocktest::MakeTestClock(clock);
    clock.header().hands[HAND_SECOND] = {};
    ASSERT_TRUE(clock.Prepare());
    clock.Render(3, 0, 15, true);  // the second's hand would lie along the hour's hand's line
    const pages::Rect b = clock.lastBox();
    // The hour's hand (120) points right, the minute's hand (180) up; nothing reaches 200 right.
    EXPECT_LE(b.right, CLOCK_AREA_CX + 126);
    ExpectSameAsReference(clock, 3, 0, 15, "second's hand empty");

    // No hand at all: an empty block that goes nowhere.
    for (pages::Rect& q : clock.header().hands) q = {};
    clock.Reset();
    clock.Render(3, 0, 15, true);
    EXPECT_TRUE(clock.lastRendered().empty());
    EXPECT_EQ(clock.blockSize(0), 2u);
}

TEST(ClockRender, NearTheEdgesTheBlockStaysInsideThePicture) {
    // Hands as long as the radius allows, which ignores the 16/15 stretch (and the shadows): they
    // reach past the top, the right and the bottom edge. Odd centres shift the pairs.
    const int centres[][2] = {{269, 269}, {271, 270}, {466, 300}, {465, 301}, {360, 322}, {16, 16}, {703, 559}};
    int cut = 0;
    for (auto& c : centres) {
        CClockImage clock;
        clocktest::MakeTestClock(clock, c[0], c[1], 400, 400, 400);
        clock.header().shadows = true;
        clock.header().shadowX[0] = clock.header().shadowX[1] = clock.header().shadowX[2] = 8;
        clock.header().shadowY[0] = clock.header().shadowY[1] = clock.header().shadowY[2] = -8;
        ASSERT_TRUE(clock.Prepare());
        for (int s = 0; s < 60; s += 7) {
            const int buffer = clock.currentBuffer();
            ExpectSameAsReference(clock, s % 12, (s * 7) % 60, s, "centre " + std::to_string(c[0]));
            const device::Rect t = clock.target(buffer);
            if (t.right <= t.left) continue;
            const int half = 768 * buffer;
            EXPECT_GE(t.left, half) << c[0] << "," << c[1];
            EXPECT_LE(t.right, half + 720);
            EXPECT_GE(t.top, 0);
            EXPECT_LE(t.bottom, 576);
            EXPECT_EQ(t.left % 2, 0);
            EXPECT_EQ((t.right - t.left) % 2, 0);
            cut += t.top == 0 || t.right == half + 720 || t.bottom == 576 || t.left == half;
        }
    }
    EXPECT_GT(cut, 10);  // the hands really reached the edges
}

TEST(ClockRender, NothingWithoutAClock) {
    CClockImage clock;
    EXPECT_FALSE(clock.Prepare());
    clock.Render(3, 0, 0, true);
    EXPECT_EQ(clock.block(0), nullptr);
    EXPECT_EQ(clock.HiddenBlock().data(), nullptr);
}

}  // namespace
