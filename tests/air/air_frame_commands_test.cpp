// The air frame and the numbers of the engine's commands: only the finish or error of the command
// it posted last moves it on; a command the engine does not take ends the playout.
#include <gtest/gtest.h>

#include "air_frame_fixture.h"

using namespace air;
using namespace airtest;
using device::CMD_CUT;
using device::CMD_END_SCROLL;
using device::CMD_IN_EFFECT;
using device::CMD_LOAD_RECT;
using device::CMD_SCROLL;
using device::NOTE_COMMAND_ERROR;
using device::NOTE_FINISHED;

namespace {

using AirFrameCommands = AirFrameFixture;

// The number of the last command of this code that was sent.
uint16_t LastOf(const FakeCommands& engine, uint16_t code) {
    for (auto it = engine.cmds.rbegin(); it != engine.cmds.rend(); ++it)
        if (it->code == code) return it->seq;
    return 0;
}

}  // namespace

TEST_F(AirFrameCommands, ALateScrollFinishDoesNotCutTheEndScrollShort) {
    TestPage crawl;
    crawl.moving = 1;
    crawl.stripLength = 2000;
    addPage("crawl.zxg", crawl);
    addPage("next.zxg");
    open();
    frame->PlayPageList();
    finish();
    frame->OnPlay();
    finish();
    advance(100);
    ASSERT_EQ(state(), AIR_SCROLLING);
    const uint16_t scroll = LastOf(engine, CMD_SCROLL);

    // The Device ends the scroll just as the operator presses Next: the scroll's finish is still on
    // its way when the frame posts the end scroll.
    frame->OnNext();
    advance(100);
    ASSERT_EQ(engine.last().code, CMD_END_SCROLL);
    const size_t loads = engine.count(CMD_LOAD_RECT);
    frame->OnEngine(NOTE_FINISHED, 0, scroll);
    EXPECT_EQ(state(), AIR_END_SCROLLING);  // still ending the scroll
    EXPECT_EQ(engine.count(CMD_LOAD_RECT), loads);
    EXPECT_TRUE(logged("CAirFrame::OnEngine : command " + std::to_string(scroll) + " is not " +
                       std::to_string(engine.lastSeq()) + ", ignored"));

    finish();  // the end scroll's own finish: now the next page goes into the hidden buffer
    EXPECT_EQ(state(), AIR_COPYING);
    EXPECT_EQ(engine.count(CMD_LOAD_RECT), loads + 1);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_IN);
}

TEST_F(AirFrameCommands, StopWaitsForTheCutNotForTheEffectItReplaced) {
    addPage("a.zxg");
    open();
    frame->PlayPageList();
    finish();
    frame->OnPlay();
    const uint16_t effect = engine.lastSeq();
    ASSERT_EQ(engine.last().code, CMD_IN_EFFECT);
    frame->OnStop();
    ASSERT_EQ(engine.last().code, CMD_CUT);
    frame->OnEngine(NOTE_FINISHED, 0, effect);
    EXPECT_EQ(state(), AIR_STOPPING);
    // An error of the replaced effect is no error of the cut either.
    frame->OnEngine(NOTE_COMMAND_ERROR, 11, effect);
    EXPECT_EQ(state(), AIR_STOPPING);
    EXPECT_EQ(boxes.count(), 0);
    finish();
    EXPECT_EQ(state(), AIR_COPYING);  // cued again from the start
}

TEST_F(AirFrameCommands, TheRunningCommandsErrorAborts) {
    addPage("a.zxg");
    open();
    frame->PlayPageList();
    frame->OnEngine(NOTE_COMMAND_ERROR, 11, engine.lastSeq());
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::LoadString(4090 + 11));
}

TEST_F(AirFrameCommands, ACommandTheEngineDoesNotTakeEndsThePlayoutWithoutAFileMessage) {
    addPage("a.zxg");
    open();
    engine.running = false;  // the worker has gone
    frame->PlayPageList();
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(boxes.count(), 0);  // the page is sound: no "invalid file format"
    EXPECT_TRUE(logged("CAirFrame::CopyPage : the engine is not running"));
    EXPECT_TRUE(frame->CanLeave());

    // The same for a command in the middle of a playout: the in-effect of Play.
    engine.running = true;
    frame->PlayPageList();
    finish();
    ASSERT_EQ(state(), AIR_CUED);
    engine.running = false;
    frame->OnPlay();
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(frame->State().startTick, 0u);
    EXPECT_FALSE(frame->State().timerRunning);
}
