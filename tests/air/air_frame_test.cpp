// The air controller with pages and page lists, in simulated time: the main paths, stop and link
// errors from every state, pause, next and previous, remembered actions, the Device's requests
// and the answers in automation mode.
#include <gtest/gtest.h>

#include "air/effects.h"
#include "air_frame_fixture.h"

using namespace air;
using namespace airtest;
using device::CMD_CUT;
using device::CMD_END_SCROLL;
using device::CMD_FILL_RECT;
using device::CMD_IN_EFFECT;
using device::CMD_LOAD_RECT;
using device::CMD_SCROLL;

namespace {

using AirFrameTest = AirFrameFixture;

}  // namespace

TEST_F(AirFrameTest, PageListFromCueToItsEndAndCuedAgain) {
    addPage("a.zxg");
    TestPage crawl;
    crawl.moving = 1;
    crawl.stripLength = 300;
    crawl.border = 2;
    ShowParams crawlParams = fiveSeconds();
    crawlParams.scrollSpeed = 1;
    addPage("b.zxg", crawl, crawlParams);  // 300 + 520 pixels at 2 a field: 8.2 s, shown 9 s
    ShowParams last;
    last.showTime = 4;
    last.outType = 3;
    last.outSpeed = 7;
    addPage("c.zxg", {}, last);

    make();
    frame->PlayPageList();
    EXPECT_EQ(state(), AIR_IDLE);  // no link yet: the frame waits for it
    EXPECT_TRUE(frame->timerRunning());
    linkUp();
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT);
    EXPECT_EQ(engine.last().bytes, 829442u);
    EXPECT_EQ(state(), AIR_COPYING);
    EXPECT_FALSE(frame->timerRunning());
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->current(), 0);
    EXPECT_EQ(window.actions, ACTION_PLAY | ACTION_NEXT);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), intptr_t(&image.thumbnail));
    EXPECT_EQ(frame->total(), (5 + 9 + 1 + 4) * 1000);
    EXPECT_EQ(window.second, "0:19.0  ");

    frame->OnPlay();
    EXPECT_EQ(engine.last().code, CMD_IN_EFFECT);
    EXPECT_EQ(engine.last().flags, 0x0201);  // the switch, in, onto an empty screen
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    EXPECT_EQ(window.actions, ACTION_PAUSE | ACTION_STOP);
    EXPECT_EQ(frame->timerPeriod(), 100u);
    finish();
    // The next page goes into the hidden buffer at once.
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT);
    EXPECT_EQ(state(), AIR_COPYING);
    EXPECT_EQ(frame->current(), 1);
    EXPECT_EQ(window.actions, ACTION_PAUSE | ACTION_NEXT | ACTION_STOP);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_IN);
    advance(4900);
    EXPECT_EQ(state(), AIR_WAIT_IN);
    EXPECT_EQ(window.first, "0:04.9  ");
    EXPECT_EQ(window.second, "0:14.1  ");
    advance(100);
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    EXPECT_EQ(engine.last().flags, 0x0203);  // a page replaces a page
    finish();
    EXPECT_EQ(state(), AIR_SCROLL_PENDING);
    advance(100);
    ASSERT_EQ(engine.last().code, CMD_SCROLL);
    EXPECT_EQ(engine.last().flags, 0x22);  // border 2, step 2
    EXPECT_EQ(engine.last().param, 300u);
    EXPECT_EQ(engine.last().bytes, pages::StripSize(300, 60));
    EXPECT_EQ(engine.last().rect.top, 460);
    finish();
    EXPECT_EQ(state(), AIR_SCROLL_HOLD);
    advance(8800);
    EXPECT_EQ(state(), AIR_SCROLL_HOLD);
    advance(100);
    EXPECT_EQ(engine.last().code, CMD_END_SCROLL);
    finish();
    EXPECT_EQ(state(), AIR_COPYING);
    EXPECT_EQ(frame->current(), 2);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_IN);
    advance(100);
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);  // the last page
    advance(3900);
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    advance(100);
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
    EXPECT_EQ(engine.last().flags, EffectWord(last, false) | 2);
    EXPECT_EQ(engine.last().param, EffectParam(last, false));
    finish();
    // Cued again from the first page.
    EXPECT_EQ(state(), AIR_COPYING);
    EXPECT_EQ(frame->endReason(), END_RAN_OUT);
    EXPECT_FALSE(frame->timerRunning());
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->current(), 0);
    EXPECT_EQ(frame->startTick(), 0u);
    EXPECT_EQ(engine.count(CMD_IN_EFFECT), 4u);
    for (const char* line : {"CAirFrame::CopyPage", "CAirFrame::Ready", "CAirFrame::OnPlay()", "CAirFrame::InEffect()",
                             "CAirFrame::NextPage()", "CAirFrame::Scroll()", "CAirFrame::ScrollDone()",
                             "CAirFrame::EndScroll()", "CAirFrame::EndScrollDone()", "CAirFrame::End"})
        EXPECT_TRUE(logged(line)) << line;
}

TEST_F(AirFrameTest, SinglePageWithTheDefaultRecordAndItsEffect) {
    ShowParams def;
    def.showTime = 1;  // below the floor: stays 2 s
    def.outType = 1;
    ASSERT_TRUE(SaveShowParams(app.profile(), "Air", "DefEffect", def));
    TestPage uniform;
    uniform.uniform = true;
    loadSingle("one.zxg", uniform);
    open();
    frame->PlayPage(nullptr);
    EXPECT_EQ(engine.last().code, CMD_FILL_RECT);  // an empty still is filled, not loaded
    EXPECT_EQ(engine.last().bytes, 6u);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(window.actions, ACTION_PLAY | ACTION_EFFECT);
    EXPECT_EQ(frame->total(), 2000);

    // Effect: the dialog on the record; OK takes it (and keeps it as the default).
    ShowParams longer = def;
    longer.showTime = 7;
    window.editTo = &longer;
    frame->Effect();
    EXPECT_EQ(window.effectDialogs, 1);
    EXPECT_TRUE(window.outApplies);
    EXPECT_EQ(frame->total(), 7000);
    EXPECT_EQ(window.second, "0:07.0  ");

    frame->OnPlay();
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    EXPECT_EQ(frame->phaseLength(), 7000u);
    advance(7000);
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
    EXPECT_EQ(engine.last().flags, 0x0002);  // type 1 out, the page does not move
    finish();
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    frame.reset();
    // The default record goes back to the settings when the frame closes.
    EXPECT_EQ(LoadShowParams(app.profile(), "Air", "DefEffect").showTime, 7);
}

TEST_F(AirFrameTest, ShowTimeNeverBelowTwoSeconds) {
    ShowParams p;
    p.showTime = 1;
    loadSingle("one.zxg");
    open();
    frame->PlayPage(&p);
    finish();
    frame->OnPlay();
    finish();
    EXPECT_EQ(frame->phaseLength(), 2000u);
    advance(1900);
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    advance(100);
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
}
