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
    EXPECT_TRUE(frame->State().timerRunning);
    linkUp();
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT);
    EXPECT_EQ(engine.last().bytes, 829442u);
    EXPECT_EQ(state(), AIR_COPYING);
    EXPECT_FALSE(frame->State().timerRunning);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->State().current, 0);
    EXPECT_EQ(window.actions, ACTION_PLAY | ACTION_NEXT);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), intptr_t(&image.thumbnail));
    EXPECT_EQ(frame->State().total, (5 + 9 + 1 + 4) * 1000);
    EXPECT_EQ(window.second, "0:19.0  ");

    frame->OnPlay();
    EXPECT_EQ(engine.last().code, CMD_IN_EFFECT);
    EXPECT_EQ(engine.last().flags, 0x0201);  // the switch, in, onto an empty screen
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    EXPECT_EQ(window.actions, ACTION_PAUSE | ACTION_STOP);
    EXPECT_EQ(frame->State().timerPeriod, 100u);
    finish();
    // The next page goes into the hidden buffer at once.
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT);
    EXPECT_EQ(state(), AIR_COPYING);
    EXPECT_EQ(frame->State().current, 1);
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
    EXPECT_EQ(frame->State().current, 2);
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
    EXPECT_EQ(frame->State().endReason, END_RAN_OUT);
    EXPECT_FALSE(frame->State().timerRunning);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->State().current, 0);
    EXPECT_EQ(frame->State().startTick, 0u);
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
    EXPECT_EQ(frame->State().total, 2000);

    // Effect: the dialog on the record; OK takes it (and keeps it as the default).
    ShowParams longer = def;
    longer.showTime = 7;
    window.editTo = &longer;
    frame->Effect();
    EXPECT_EQ(window.effectDialogs, 1);
    EXPECT_TRUE(window.outApplies);
    EXPECT_EQ(frame->State().total, 7000);
    EXPECT_EQ(window.second, "0:07.0  ");

    frame->OnPlay();
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    EXPECT_EQ(frame->State().phaseLength, 7000u);
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
    EXPECT_EQ(frame->State().phaseLength, 2000u);
    advance(1900);
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    advance(100);
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
}

// ---- Stop, link errors and link-up from every playing state ------------------------------------

namespace {

struct EveryState : AirFrameFixture, ::testing::WithParamInterface<int32_t> {
    // A list of a plain page and a crawl, played until the wanted state (paused: in WAIT_IN).
    void playTo(int32_t target, bool automation) {
        addPage("a.zxg");
        TestPage crawl;
        crawl.moving = 1;
        crawl.stripLength = 100;
        addPage("b.zxg", crawl);
        open(automation);
        frame->PlayPageList();
        finish();
        ASSERT_EQ(state(), AIR_CUED);
        frame->OnPlay();
        const int32_t wanted = target < 0 ? AIR_WAIT_IN : target;
        for (int guard = 0; state() != wanted && guard < 1000; ++guard) {
            switch (state()) {
                case AIR_COPYING:
                case AIR_IN_EFFECT:
                case AIR_SCROLLING:
                case AIR_END_SCROLLING:
                case AIR_OUT_EFFECT: finish(); break;
                default: advance(100);
            }
        }
        ASSERT_EQ(state(), wanted);
        if (target < 0) {
            frame->OnPause();
            ASSERT_TRUE(frame->State().paused);
        }
    }
};

std::string stateName(const ::testing::TestParamInfo<int32_t>& info) {
    return info.param < 0 ? "Paused" : "State" + std::to_string(info.param);
}

}  // namespace

TEST_P(EveryState, StopCutsAndCuesAgain) {
    playTo(GetParam(), true);
    const size_t cuts = engine.count(CMD_CUT);
    frame->OnStop();
    EXPECT_EQ(state(), AIR_STOPPING);
    EXPECT_EQ(engine.count(CMD_CUT), cuts + 1);
    EXPECT_FALSE(frame->State().timerRunning);
    advance(60000);  // nothing moves until the cut has finished
    EXPECT_EQ(state(), AIR_STOPPING);
    finish();
    EXPECT_EQ(state(), AIR_COPYING);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->State().current, 0);
    EXPECT_EQ(frame->State().endReason, END_STOPPED);
    EXPECT_FALSE(frame->State().paused);
    ASSERT_FALSE(engine.replies.empty());
    EXPECT_EQ(engine.replies.back(), std::make_pair(3, 4));
}

TEST_P(EveryState, LinkErrorAbortsWithItsMessage) {
    playTo(GetParam(), false);
    frame->OnEngine(device::NOTE_COMMAND_ERROR, 11, engine.lastSeq());
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(frame->State().actions, 0);
    EXPECT_EQ(frame->State().startTick, 0u);
    EXPECT_FALSE(frame->State().timerRunning);
    EXPECT_FALSE(frame->State().paused);
    EXPECT_EQ(window.first, "");
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::LoadString(4101));
    EXPECT_EQ(boxes.lastStyle() & app::MB_ICONMASK, unsigned(app::MB_ICONERROR));
    EXPECT_EQ(view.lastOf(AIRNOTE_STATE), 0);
    // Nothing more happens until the link is back.
    const size_t sent = engine.cmds.size();
    advance(30000);
    finish();                                 // a stray finish of an abandoned command
    EXPECT_EQ(engine.cmds.size(), sent + 1);  // ... only cues what kind still holds
}

TEST_P(EveryState, LinkUpResetsAndCuesWhatKindHolds) {
    playTo(GetParam(), false);
    frame->OnEngine(device::NOTE_LINK_UP, 0);
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(engine.last().code, device::CMD_RESET_DEVICE);
    EXPECT_FALSE(frame->State().timerRunning);
    EXPECT_EQ(window.indicators[0], 1);
    finish();
    EXPECT_EQ(state(), AIR_COPYING);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->State().current, 0);
    EXPECT_EQ(frame->State().startTick, 0u);
    EXPECT_FALSE(frame->State().paused);
}

INSTANTIATE_TEST_SUITE_P(Playing, EveryState,
                         ::testing::Values(AIR_IN_EFFECT, AIR_COPYING, AIR_WAIT_IN, AIR_SCROLL_PENDING, AIR_SCROLLING,
                                           AIR_SCROLL_HOLD, AIR_END_SCROLLING, AIR_WAIT_OUT, AIR_OUT_EFFECT, -1),
                         stateName);

TEST_F(AirFrameTest, LinkErrorWhileIdleMarksTheLinkDownUnlessEmulating) {
    open();
    frame->OnEngine(device::NOTE_LINK_ERROR, 2);
    EXPECT_FALSE(frame->State().linkUp);
    EXPECT_FALSE(frame->CanStart());
    EXPECT_EQ(window.indicators[0], 2);
    EXPECT_EQ(boxes.lastText(), app::LoadString(4092));
    frame->OnEngine(device::NOTE_LINK_UP, 0);
    EXPECT_TRUE(frame->State().linkUp);
    EXPECT_EQ(window.indicators[0], 1);
}

namespace {
struct EmulatingFrame : AirFrameFixture {
    std::string settings() const override { return "Emulate=1\n"; }
};
}  // namespace

TEST_F(EmulatingFrame, LinkStaysUpAndTheModeMayAlwaysBeLeft) {
    addPage("a.zxg");
    open();
    EXPECT_TRUE(frame->State().emulate);
    frame->OnEngine(device::NOTE_LINK_ERROR, 13);
    EXPECT_TRUE(frame->State().linkUp);
    EXPECT_EQ(window.indicators[0], 1);
    frame->PlayPageList();
    finish();
    frame->OnPlay();
    EXPECT_TRUE(frame->CanLeave());
}

TEST_F(AirFrameTest, StatusBitsDriveTheIndicatorsAndTheAirLogRecord) {
    app.settings().airLog = 1;
    playList(2);
    frame->OnPlay();
    frame->OnEngine(device::NOTE_STATE, 3);
    EXPECT_EQ(window.indicators[1], 1);
    EXPECT_EQ(window.indicators[2], 1);
    EXPECT_TRUE(frame->State().onAir);
    finish();  // the second page loads
    finish();
    advance(5000);  // the second page comes in: the first one's line is written
    const std::string airlog = zxtest::ReadText(dir.file("airlog.txt"));
    EXPECT_NE(airlog.find("   5 p0.zxg"), std::string::npos) << airlog;
    frame->OnEngine(device::NOTE_STATE, 0);
    EXPECT_FALSE(frame->State().onAir);
    EXPECT_EQ(window.indicators[2], 0);
}

// ---- Pause, Next, Previous ----------------------------------------------------------------------

TEST_F(AirFrameTest, PauseAndContinueShiftTheTimes) {
    playList(1);
    frame->OnPlay();
    EXPECT_EQ(engine.pauses, 0);
    frame->OnPause();  // during the in-effect: the Device freezes it
    EXPECT_EQ(engine.pauses, 1);
    EXPECT_TRUE(frame->State().paused);
    EXPECT_EQ(window.actions, ACTION_PAUSE | ACTION_STOP);
    EXPECT_FALSE(frame->State().timerRunning);
    advance(10000);
    frame->OnPause();
    EXPECT_EQ(engine.pauses, 2);
    EXPECT_FALSE(frame->State().paused);
    EXPECT_EQ(window.actions, ACTION_PAUSE | ACTION_STOP);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    EXPECT_EQ(window.actions, ACTION_PAUSE | ACTION_NEXT | ACTION_STOP);
    const uint32_t start = frame->State().startTick, phase = frame->State().phaseStart;
    advance(2000);
    frame->OnPause();  // nothing runs on the Device now
    EXPECT_EQ(engine.pauses, 2);
    EXPECT_EQ(window.actions, ACTION_PAUSE | ACTION_STOP);
    advance(60000);
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    frame->OnPause();
    EXPECT_EQ(window.actions, ACTION_PAUSE | ACTION_NEXT | ACTION_STOP);
    EXPECT_EQ(frame->State().startTick, start + 60000);
    EXPECT_EQ(frame->State().phaseStart, phase + 60000);
    advance(2900);
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    EXPECT_EQ(window.second, "0:00.1  ");
    advance(100);
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
}

TEST_F(AirFrameTest, NextAndPreviousMoveTheCue) {
    playList(3);
    EXPECT_EQ(window.actions, ACTION_PLAY | ACTION_NEXT);
    const size_t loads = engine.count(CMD_LOAD_RECT);
    frame->OnNext();
    EXPECT_EQ(state(), AIR_COPYING);
    EXPECT_EQ(frame->State().current, 1);
    EXPECT_EQ(engine.count(CMD_LOAD_RECT), loads + 1);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(window.actions, ACTION_PLAY | ACTION_NEXT | ACTION_PREVIOUS);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), intptr_t(&image.thumbnail));
    EXPECT_EQ(frame->State().total, 10000);  // from the cue to the end
    frame->OnNext();
    finish();
    EXPECT_EQ(frame->State().current, 2);
    EXPECT_EQ(window.actions, ACTION_PLAY | ACTION_PREVIOUS);
    // Unchecked items are stepped over.
    seq->items[1].SetChecked(false);
    frame->Previous();
    finish();
    EXPECT_EQ(frame->State().current, 0);
    EXPECT_EQ(window.actions, ACTION_PLAY | ACTION_NEXT);
    EXPECT_TRUE(logged("CAirFrame::OnNext()"));
}

TEST_F(AirFrameTest, NextDuringAPageEndsItAtTheNextTick) {
    playList(2);
    frame->OnPlay();
    finish();
    finish();
    ASSERT_EQ(state(), AIR_WAIT_IN);
    EXPECT_EQ(frame->State().total, 10000);
    advance(1000);
    EXPECT_FALSE(frame->CanLeave());  // on air: the mode stays
    EXPECT_EQ(window.beeps, 1);
    frame->OnNext();
    EXPECT_EQ(frame->State().total, 6000);  // four seconds of the first page were left
    EXPECT_EQ(state(), AIR_WAIT_IN);
    frame->OnNext();  // a second press takes nothing more
    EXPECT_EQ(frame->State().total, 6000);
    advance(100);
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    EXPECT_EQ(window.second, "0:04.9  ");
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    EXPECT_EQ(frame->State().phaseLength, 5000u);  // the new page keeps its whole time
    advance(4900);
    EXPECT_EQ(state(), AIR_WAIT_OUT);
}

TEST_F(AirFrameTest, NextDuringAScrollEndsItNow) {
    TestPage crawl;
    crawl.moving = 1;
    crawl.stripLength = 2000;
    addPage("crawl.zxg", crawl);
    open();
    frame->PlayPageList();
    finish();
    frame->OnPlay();
    finish();
    ASSERT_EQ(state(), AIR_SCROLL_PENDING);
    advance(100);
    ASSERT_EQ(state(), AIR_SCROLLING);
    frame->OnNext();
    EXPECT_EQ(state(), AIR_SCROLL_HOLD);  // done with the scroll at once
    advance(100);
    EXPECT_EQ(engine.last().code, CMD_END_SCROLL);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
}

// ---- Remembered actions and the Device's requests ----------------------------------------------

TEST_F(AirFrameTest, DisabledPlayIsRememberedAndCarriedOut) {
    addPage("a.zxg");
    open();
    frame->PlayPageList();
    ASSERT_EQ(state(), AIR_COPYING);
    frame->OnStop();  // remembered ...
    EXPECT_EQ(frame->State().delayedAction, ACTION_STOP);
    frame->OnPlay();  // ... and replaced by the next disabled command
    EXPECT_EQ(frame->State().delayedAction, ACTION_PLAY);
    finish();
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    EXPECT_EQ(frame->State().delayedAction, 0);
    // A remembered command whose button stays disabled waits.
    frame->OnNext();
    EXPECT_EQ(frame->State().delayedAction, ACTION_NEXT);
    finish();  // Next is enabled after the in-effect: the page ends at the next tick
    EXPECT_EQ(frame->State().delayedAction, 0);
    advance(100);
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
}

TEST_F(AirFrameTest, AutomationDoesNotRememberButAnswers) {
    addPage("a.zxg");
    open(true);
    frame->PlayPageList();
    frame->OnPlay();
    EXPECT_EQ(frame->State().delayedAction, 0);
    finish();
    EXPECT_EQ(engine.replies.back(), std::make_pair(8, 8));  // cued
    frame->OnEngine(device::NOTE_REQUEST, 1);                // the Device presses Play
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    EXPECT_EQ(engine.replies.back(), std::make_pair(1, 4));
    frame->OnEngine(device::NOTE_REQUEST, 1);  // Play again: continues nothing, Pause is on
    EXPECT_TRUE(frame->State().paused);
    frame->OnEngine(device::NOTE_REQUEST, 1);
    EXPECT_FALSE(frame->State().paused);
    EXPECT_EQ(engine.replies.back(), std::make_pair(1, 0));
    finish();
    advance(5000);
    finish();  // out-effect done
    finish();  // cued again
    EXPECT_EQ(engine.replies.back(), std::make_pair(9, 9));
    EXPECT_TRUE(logged("CAirFrame::CmdReply(): 09 [09]"));
    // Stop with nothing started, and Play when nothing can play.
    frame->OnEngine(device::NOTE_REQUEST, 3);
    EXPECT_EQ(engine.replies.back(), std::make_pair(3, 0));
    frame->ClearAir();
    frame->OnEngine(device::NOTE_REQUEST, 1);
    EXPECT_EQ(engine.replies.back(), std::make_pair(1, 9));
    EXPECT_TRUE(logged("CAirFrame::CmdRequest(): 01"));
}

TEST_F(AirFrameTest, PauseRequestBeforePausingIsPossibleIsProcessedLater) {
    addPage("a.zxg");
    open(true);
    frame->PlayPageList();
    ASSERT_EQ(state(), AIR_COPYING);
    frame->OnEngine(device::NOTE_REQUEST, 2);
    EXPECT_EQ(frame->State().delayedRequest, 2);
    EXPECT_FALSE(logged("Delayed request processed: 02"));
    finish();  // Play is enabled now: the request is taken up
    EXPECT_TRUE(logged("Delayed request processed: 02"));
    EXPECT_FALSE(frame->State().paused);  // nothing plays yet; the cue answers the Device
    EXPECT_EQ(engine.replies.back(), std::make_pair(8, 8));
    // While playing, the Pause request pauses at once.
    frame->OnPlay();
    frame->OnEngine(device::NOTE_REQUEST, 2);
    EXPECT_TRUE(frame->State().paused);
    EXPECT_EQ(engine.replies.back(), std::make_pair(2, 0));
}

TEST_F(AirFrameTest, ItemRequestsSelectItems) {
    playList(1);
    frame->OnEngine(device::NOTE_REQUEST, 8);
    EXPECT_EQ(view.lastOf(AIRNOTE_ITEM), 0);
    EXPECT_EQ(frame->State().kind, 0);
    EXPECT_EQ(state(), AIR_IDLE);
    frame->OnEngine(device::NOTE_REQUEST, 15);
    EXPECT_EQ(view.lastOf(AIRNOTE_ITEM), 7);
    frame->OnEngine(device::NOTE_REQUEST, 6);
    EXPECT_EQ(view.lastOf(AIRNOTE_ITEM), 8);
    frame->OnEngine(device::NOTE_REQUEST, 7);
    EXPECT_EQ(view.lastOf(AIRNOTE_ITEM), 9);
    const int notes = view.count(AIRNOTE_ITEM);
    frame->OnEngine(device::NOTE_REQUEST, 4);
    frame->OnEngine(device::NOTE_REQUEST, 5);
    EXPECT_EQ(view.count(AIRNOTE_ITEM), notes);
    EXPECT_TRUE(logged("CAirFrame::CmdRequest(): 05"));
    // In automation mode the Device's reset also forgets the content.
    frame->SetAutomation(true);
    frame->PlayPageList();
    finish();
    frame->OnEngine(device::NOTE_LINK_UP, 0);
    finish();
    EXPECT_EQ(frame->State().kind, 0);
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), 0);
}

// ---- Lists that cue nothing, damaged pages ------------------------------------------------------

TEST_F(AirFrameTest, UncheckedListCuesNothing) {
    addPage("a.zxg").SetChecked(false);
    addPage("b.zxg").SetChecked(false);
    seq->loop = 1;  // the search still stops after one round
    open();
    const size_t sent = engine.cmds.size();
    frame->PlayPageList();
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(engine.cmds.size(), sent);
    EXPECT_EQ(frame->State().actions, 0);
    EXPECT_EQ(boxes.count(), 0);
    frame->OnPlay();
    EXPECT_EQ(frame->State().delayedAction, ACTION_PLAY);  // and stays so
}

TEST_F(AirFrameTest, LoopingListNeverEnds) {
    playList(2);
    seq->loop = 1;
    frame->OnPlay();
    for (int i = 0; i < 6; ++i) {
        finish();  // in-effect done: the next page loads
        finish();
        EXPECT_EQ(state(), AIR_WAIT_IN);
        advance(5000);
        ASSERT_EQ(state(), AIR_IN_EFFECT);
    }
    EXPECT_EQ(frame->State().current, 0);
    EXPECT_EQ(engine.count(CMD_IN_EFFECT), 7u);
}

TEST_F(AirFrameTest, PageThatCannotBeLoadedAbortsWithItsMessage) {
    playList(2);
    std::remove(dir.file("Pages/p1.zxg").c_str());
    frame->OnPlay();
    finish();  // the list advances to the missing page
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::FormatText(app::LoadString(3000), {dir.file("Pages/p1.zxg")}));
    EXPECT_FALSE(frame->State().timerRunning);
}

TEST_F(AirFrameTest, DamagedDeviceDataIsRefusedNotWaitedFor) {
    addPage("a.zxg");
    open();
    engine.refuse = true;  // the page's block is smaller than the command sends
    frame->PlayPageList();
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), app::FormatText(app::LoadString(3002), {dir.file("Pages/a.zxg")}));
    EXPECT_TRUE(frame->CanLeave());
}

TEST_F(AirFrameTest, StartBeforeTheLinkWaitsFiveSecondsThenCues) {
    addPage("a.zxg");
    make();
    frame->PlayPageList();
    advance(4900);
    EXPECT_EQ(engine.count(CMD_LOAD_RECT), 0u);
    advance(100);
    EXPECT_EQ(state(), AIR_COPYING);  // the engine will say why nothing happens
    EXPECT_FALSE(frame->State().timerRunning);
    // A second start while waiting leaves one timer only.
    frame->ClearAir();
    frame->PlayPageList();
    frame->PlayPageList();
    advance(5000);
    EXPECT_EQ(engine.count(CMD_LOAD_RECT), 2u);
    advance(20000);
    EXPECT_EQ(engine.count(CMD_LOAD_RECT), 2u);
}

TEST_F(AirFrameTest, PlayWhenCuedGoesOnAirOnceAndOnlyForItsStart) {
    // Before the link: the page plays when the link has come up and the page is in the Device.
    addPage("a.zxg");
    make();
    frame->PlayWhenCued();
    frame->PlayPageList();
    EXPECT_EQ(state(), AIR_IDLE);
    linkUp();  // the reset finished: cued, copying
    ASSERT_EQ(state(), AIR_COPYING);
    finish();
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    EXPECT_FALSE(frame->playsWhenCued());
    finish();  // in-effect done
    frame->OnStop();
    finish();  // stopped: the page is copied again ...
    finish();  // ... and stays cued
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->State().endReason, air::END_STOPPED);

    // A start that cues nothing forgets the request: the next start waits for Play.
    seq->items[0].SetChecked(false);  // nothing left to play
    frame->PlayWhenCued();
    frame->PlayPageList();
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_FALSE(frame->playsWhenCued());
    seq->items[0].SetChecked(true);
    frame->PlayPageList();
    finish();
    EXPECT_EQ(state(), AIR_CUED);

    // A link error on the way forgets it too.
    frame->PlayWhenCued();
    frame->PlayPageList();
    frame->OnEngine(device::NOTE_COMMAND_ERROR, 3, engine.lastSeq());
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_FALSE(frame->playsWhenCued());
}
