// The clock on air with the real clock object, in simulated time: every block the frame sends is
// the image of the second it should be, into the half the Device does not show, and the half
// that is shown next is the one loaded last; a clock set back a little waits, set back further
// it goes on from the new time.
#include <gtest/gtest.h>

#include "air/air_frame_fixture.h"
#include "clock_test_util.h"

using namespace air;
using namespace airtest;

namespace {

struct ClockOnAir : AirFrameFixture {
    wizards::CClockImage real;
    wizards::CClockImage replica;  // renders what the frame should have asked for
    std::vector<std::vector<uint8_t>> expected;
    std::vector<device::Rect> expectedRects;
    int t0 = 0;
    time_t base = 1700000000;

    void SetUp() override {
        AirFrameFixture::SetUp();
        clocktest::MakeTestClock(real);
        clocktest::MakeTestClock(replica);
        engine.keepBlocks = true;
    }
    void openWithRealClock() {
        AirObjects o = objects();
        o.clock = &real;
        frame = std::make_unique<CAirFrame>(app, engine, loop, clock, o);
        frame->setWindow(&window);
        frame->setView(&view);
        frame->OpenAir(false);
        linkUp();
    }
    static int secondOf(const platform::LocalTime& t) { return t.hour * 3600 + t.minute * 60 + t.second; }
    // The replica renders second t of the day as the frame's clock should.
    void expect(int t) {
        replica.Render(t / 3600 % 12, t / 60 % 60, t % 60, true);
        const int b = replica.currentBuffer();
        expected.emplace_back(replica.block(b), replica.block(b) + replica.blockSize(b));
        expectedRects.push_back(replica.target(b));
        replica.SwitchBuffer();
    }
    // The local time at base + offset seconds, one timer tick, and every command finished.
    void tick(int offset, int ms = 0) {
        clock.setLocal(base + offset, ms);
        advance(25);
        for (int k = 0; k < 4 && state() != AIR_CLOCK_RUN; ++k) finish();
        ASSERT_EQ(state(), AIR_CLOCK_RUN);
    }
    std::vector<const Cmd*> of(uint16_t code) const {
        std::vector<const Cmd*> out;
        for (const Cmd& c : engine.cmds)
            if (c.code == code) out.push_back(&c);
        return out;
    }
};

TEST_F(ClockOnAir, BlocksOfEachSecondIntoTheHiddenHalf) {
    openWithRealClock();
    frame->PlayClock();
    ASSERT_EQ(engine.last().code, device::CMD_LOAD_RECT_DATA);
    EXPECT_EQ(engine.last().bytes, wizards::CLOCK_FACE_BYTES);
    finish();
    ASSERT_EQ(state(), AIR_CUED);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), intptr_t(&real.thumbnail()));
    frame->OnPlay();
    ASSERT_TRUE(replica.Prepare());
    clock.setLocal(base, 50);
    t0 = secondOf(clock.localTime());

    tick(0, 50);  // two images ahead
    expect(t0 + 1);
    expect(t0 + 2);
    tick(1);  // the in-effect; then every second a flip
    EXPECT_EQ(of(device::CMD_IN_EFFECT).back()->flags, 0x0A01);
    for (int s = 2; s <= 6; ++s) tick(s);
    for (int s = 1; s <= 6; ++s) expect(t0 + s + 2);
    // Set back by 2 seconds: the frame waits for the time it has shown.
    const size_t sent = engine.cmds.size();
    tick(4);
    tick(5);
    tick(6);
    EXPECT_EQ(engine.cmds.size(), sent);
    tick(7);
    expect(t0 + 9);
    // Set back by 5 seconds: it goes on from the new time (after the two images already made).
    tick(2);
    tick(2);
    tick(3);
    tick(4);
    for (int s = 2; s <= 4; ++s) expect(t0 + s + 2);

    const std::vector<const Cmd*> loads = of(device::CMD_LOAD_RECT);
    ASSERT_EQ(loads.size(), expected.size() - 1);  // the newest image is not sent yet
    for (size_t k = 0; k < loads.size(); ++k) {
        SCOPED_TRACE("image " + std::to_string(k));
        EXPECT_EQ(loads[k]->flags, k == 0 ? 1 : 0);  // the first goes to the other bank
        EXPECT_EQ(loads[k]->rect.left, expectedRects[k].left);
        EXPECT_EQ(loads[k]->rect.top, expectedRects[k].top);
        EXPECT_EQ(loads[k]->rect.right, expectedRects[k].right);
        EXPECT_EQ(loads[k]->rect.bottom, expectedRects[k].bottom);
        // The halves alternate: 0, +768, 0 ...
        EXPECT_EQ(loads[k]->rect.left >= 768, k % 2 == 1);
        EXPECT_TRUE(loads[k]->block == expected[k]);
    }
    // Every flip shows the half loaded last.
    const Cmd* lastLoad = nullptr;
    for (const Cmd& c : engine.cmds) {
        if (c.code == device::CMD_LOAD_RECT) lastLoad = &c;
        if (c.code == device::CMD_SET_MODE) {
            ASSERT_NE(lastLoad, nullptr);
            EXPECT_EQ(c.flags, lastLoad->rect.left >= 768 ? 768 : 0);
        }
    }
    EXPECT_EQ(window.first, CAirFrame::FormatTimeOfDay(t0 + 4));
}

TEST_F(ClockOnAir, HandsBelowTheFaceKeepTheFaceOnTop) {
    real.header().belowFace = true;
    openWithRealClock();
    frame->PlayClock();
    finish();
    frame->OnPlay();
    tick(0, 50);
    tick(1);
    EXPECT_EQ(of(device::CMD_IN_EFFECT).back()->flags, 0x1A01);
}

TEST_F(ClockOnAir, NoClockLoadedCuesNothing) {
    wizards::CClockImage none;
    AirObjects o = objects();
    o.clock = &none;
    frame = std::make_unique<CAirFrame>(app, engine, loop, clock, o);
    frame->setView(&view);
    frame->OpenAir(false);
    linkUp();
    const size_t sent = engine.cmds.size();
    frame->PlayClock();
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(engine.cmds.size(), sent);
}

}  // namespace
