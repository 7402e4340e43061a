// The air controller with the other kinds of content, through stand-ins of their objects: the
// clock (and a clock set back), the interactive picture, captions, banners on their own and inside
// a page, a single MPEG clip and the air playlist with its switcher buttons.
#include <gtest/gtest.h>

#include "air_frame_fixture.h"
#include "pages/page_frame.h"

using namespace air;
using namespace airtest;
using device::CMD_CUT;
using device::CMD_FILL_RECT;
using device::CMD_IN_EFFECT;
using device::CMD_LOAD_RECT;
using device::CMD_LOAD_RECT_DATA;
using device::CMD_SCROLL;
using device::CMD_SET_MODE;

namespace {

using AirContentTest = AirFrameFixture;

struct VideoFrame : AirFrameFixture {
    std::string settings() const override { return "[Hardware]\nMPEG=2\n"; }
};

int secondOfDay(const platform::LocalTime& t) { return t.hour * 3600 + t.minute * 60 + t.second; }

}  // namespace

TEST_F(AirContentTest, ClockFollowsTheSecondsAndASetBackClock) {
    open();
    frame->PlayClock();
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT_DATA);  // the face
    finish();
    ASSERT_EQ(state(), AIR_CUED);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), intptr_t(&clockObject.preview));
    frame->OnPlay();
    EXPECT_EQ(state(), AIR_CLOCK_RUN);
    EXPECT_EQ(frame->State().timerPeriod, 25u);
    clock.setLocal(1700000000, 50);  // 50 ms into a second
    const int t0 = secondOfDay(clock.localTime());
    advance(25);
    // Two images ahead: the first is sent to the hidden buffer, the second rendered.
    EXPECT_EQ(state(), AIR_CLOCK_LOADING);
    EXPECT_EQ(frame->State().clockCount, 2);
    ASSERT_EQ(clockObject.rendered.size(), 2u);
    EXPECT_EQ(clockObject.rendered[0], (t0 + 1) % 43200);
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT);
    EXPECT_EQ(engine.last().flags, 1);
    finish();
    EXPECT_EQ(state(), AIR_CLOCK_RUN);
    clock.setLocal(1700000001, 0);
    advance(25);
    // The first image comes in with the clock's effect.
    EXPECT_EQ(state(), AIR_CLOCK_FLIPPING);
    EXPECT_EQ(engine.last().code, CMD_IN_EFFECT);
    EXPECT_EQ(engine.last().flags, 0x0A01);
    EXPECT_EQ(window.first, CAirFrame::FormatTimeOfDay(t0 + 1));
    finish();  // the next image loads
    EXPECT_EQ(engine.last().flags, 0);
    finish();
    clock.setLocal(1700000002, 0);
    advance(25);
    EXPECT_EQ(engine.last().code, CMD_SET_MODE);  // later seconds only switch the halves
    finish();
    finish();
    ASSERT_EQ(state(), AIR_CLOCK_RUN);
    EXPECT_EQ(frame->State().clockSecond, t0 + 3);

    // Set back by 3 seconds: it waits for the time it has shown.
    const size_t sent = engine.cmds.size();
    clock.setLocal(1700000000, 0);
    advance(500);
    EXPECT_EQ(engine.cmds.size(), sent);
    EXPECT_EQ(frame->State().clockSecond, t0 + 3);
    // By more: it goes on from the new time.
    clock.setLocal(1699999990, 0);
    advance(25);
    EXPECT_EQ(frame->State().clockSecond, t0 - 10);
    EXPECT_EQ(engine.cmds.size(), sent);
    advance(25);
    EXPECT_EQ(state(), AIR_CLOCK_FLIPPING);
    EXPECT_EQ(frame->State().clockSecond, t0 - 9);
}

TEST_F(AirContentTest, InteractivePictureLoadsItsQueueAndFlipsUpdates) {
    FakeInteractive itv;
    open();
    frame->PlayInteractive(&itv);
    EXPECT_EQ(state(), AIR_ITV_COPYING);
    EXPECT_EQ(itv.rebuilds, 1);
    itv.add({10, 10, 110, 60});  // changed while the full picture was being sent
    itv.add({200, 10, 300, 60});
    finish();
    EXPECT_EQ(state(), AIR_ITV_LOADING);
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT);
    EXPECT_EQ(engine.last().flags, 1);
    finish();
    EXPECT_EQ(engine.last().rect.left, 200);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_TRUE(itv.flag);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), 0);
    frame->OnPlay();
    EXPECT_EQ(engine.last().flags, 0x0A01);
    EXPECT_EQ(frame->State().timerPeriod, 500u);
    finish();
    EXPECT_EQ(state(), AIR_ITV_RUN);
    advance(500);
    EXPECT_EQ(state(), AIR_ITV_RUN);  // nothing new
    itv.add({10, 10, 60, 60});
    advance(500);
    EXPECT_EQ(state(), AIR_ITV_UPDATING);
    EXPECT_EQ(engine.last().rect.left, 10 + 768);  // into the hidden half
    EXPECT_EQ(engine.last().flags, 0);
    finish();
    EXPECT_EQ(state(), AIR_ITV_FLIPPING);
    EXPECT_EQ(engine.last().code, CMD_SET_MODE);
    EXPECT_EQ(engine.last().flags, 768);
    finish();
    EXPECT_EQ(state(), AIR_ITV_RUN);
    EXPECT_FALSE(itv.flag);
}

TEST_F(AirContentTest, CaptionPlaysAtOnceAndTheNextOneReplacesIt) {
    FakeCaption first, second;
    open();
    frame->PlayCaption(&first);
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT);
    finish();
    // Cued and on air at once.
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), 1);
    EXPECT_EQ(engine.last().flags, WORD_CAPTION_FADE);
    EXPECT_EQ(engine.last().param, (3u << 28) | 0x0A0A);
    EXPECT_EQ(engine.last().rect.left, 99 + 3);
    EXPECT_EQ(engine.last().rect.bottom, 459 - 3);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
    // The next caption: the one on air is stopped, the new one cued and played.
    frame->PlayCaption(&second);
    EXPECT_EQ(state(), AIR_STOPPING);
    finish();
    EXPECT_EQ(state(), AIR_COPYING);
    finish();
    EXPECT_EQ(state(), AIR_IN_EFFECT);
    finish();
    advance(4000);
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
    EXPECT_EQ(engine.last().code, CMD_CUT);
    finish();
    // A caption that has run leaves the frame idle.
    EXPECT_EQ(state(), AIR_IDLE);
    EXPECT_EQ(frame->State().kind, 0);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), 0);
    // Stop after the caption: the same.
    frame->PlayCaption(&first);
    finish();
    finish();
    frame->StopAfterCaption();
    finish();
    EXPECT_EQ(state(), AIR_IDLE);
}

TEST_F(AirContentTest, BannerOnItsOwnPlaysEveryFrameAtItsPace) {
    open();
    frame->PlayBanner();
    EXPECT_EQ(engine.last().code, CMD_FILL_RECT);
    EXPECT_EQ(engine.last().rect.right, 680 + 80);  // both halves
    finish();
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), intptr_t(&banner.preview));
    EXPECT_EQ(frame->State().total, 120);
    frame->OnPlay();
    EXPECT_EQ(engine.last().flags, WORD_BANNER);
    EXPECT_EQ(engine.last().param, (4u << 28) | 0x0A0A);
    EXPECT_EQ(engine.last().rect.left, 599 + 4);
    int loads = 0, shows = 0;
    for (int guard = 0; guard < 100 && state() != AIR_OUT_EFFECT; ++guard) {
        const size_t before = engine.cmds.size();
        finish();
        if (engine.cmds.size() == before) advance(40);  // the next frame is not due yet
        if (engine.last().code == CMD_LOAD_RECT && engine.cmds.size() > before) ++loads;
        if (engine.last().code == CMD_SET_MODE && engine.cmds.size() > before) ++shows;
    }
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
    EXPECT_EQ(engine.last().code, CMD_CUT);
    EXPECT_EQ(loads, 3);
    EXPECT_GE(shows, 2);
    finish();
    finish();
    EXPECT_EQ(state(), AIR_CUED);
}

TEST_F(AirContentTest, APausedBannerHoldsItsFrameAndGoesOnWhereItStopped) {
    open();
    frame->PlayBanner();
    finish();
    frame->OnPlay();
    finish();  // the in-effect: the first frame is loaded
    ASSERT_EQ(engine.last().code, CMD_LOAD_RECT);
    ASSERT_TRUE(frame->State().actions & ACTION_PAUSE);
    frame->OnPause();
    // The load finishes while paused: the display is not flipped, and nothing comes however
    // long the pause lasts.
    finish();
    const size_t held = engine.cmds.size();
    advance(400);
    finish();
    EXPECT_EQ(engine.cmds.size(), held);
    // Resumed: the frame loaded before the pause is shown, then the rest at their pace.
    frame->OnPause();
    ASSERT_GT(engine.cmds.size(), held);
    EXPECT_EQ(engine.cmds[held].code, CMD_SET_MODE);
    int loads = 1;
    for (int guard = 0; guard < 100 && state() != AIR_OUT_EFFECT; ++guard) {
        const size_t before = engine.cmds.size();
        finish();
        if (engine.cmds.size() == before) advance(40);
        if (engine.last().code == CMD_LOAD_RECT && engine.cmds.size() > before) ++loads;
    }
    EXPECT_EQ(state(), AIR_OUT_EFFECT);
    EXPECT_EQ(loads, 3);  // every frame once, none skipped or sent twice
}

TEST_F(AirContentTest, BannerInsideAPageRunsUntilThePageTimeEnds) {
    platform::MakeDirectories(dir.file("Banners"));
    zxtest::WriteText(dir.file("Banners/b.zxa"), "banner");
    {
        pages::CPageDoc doc(fonts);
        auto fr = std::make_unique<pages::CPageFrame>();
        fr->rect = {680, 100, 760, 140};  // partly off the screen: moved in
        fr->format.bannerLink = 1;
        fr->bannerPath = dir.file("Banners/b.zxa");
        fr->picture.create(80, 40);
        fr->paragraphs.emplace_back();
        fr->paragraphs.back().runs.emplace_back();
        doc.AppendFrame(std::move(fr));
        pages::CPageImage img = MakeImage(TestPage{});
        ASSERT_EQ(doc.Save(dir.file("Pages/banner.zxg"), img), 0);
        seq->AppendPage(dir.file("Pages/banner.zxg"), fiveSeconds());
    }
    banner.loop = true;
    open();
    frame->PlayPageList();
    finish();
    ASSERT_EQ(state(), AIR_CUED);
    EXPECT_TRUE(frame->State().pageBanner);
    EXPECT_EQ(banner.opened, dir.file("Banners/b.zxa"));
    EXPECT_EQ(banner.rect.left, 640);
    frame->OnPlay();
    EXPECT_EQ(frame->State().timerPeriod, 20u);
    finish();
    EXPECT_EQ(state(), AIR_SCROLL_PENDING);
    advance(20);
    ASSERT_EQ(engine.last().code, CMD_SCROLL);
    EXPECT_EQ(engine.last().flags, 4 * 16);
    EXPECT_EQ(engine.last().param, 0u);  // no strip
    finish();
    EXPECT_EQ(state(), AIR_BANNER_LOADING);
    EXPECT_EQ(engine.last().rect.left % 80, 0);  // relative to the banner
    EXPECT_EQ(engine.last().rect.top, 0);
    for (int guard = 0; guard < 2000 && state() != AIR_END_SCROLLING; ++guard) {
        const size_t before = engine.cmds.size();
        finish();
        if (engine.cmds.size() == before) advance(20);
    }
    EXPECT_EQ(state(), AIR_END_SCROLLING);
    EXPECT_TRUE(logged("CAirFrame::BannerCheckStop()"));
    EXPECT_TRUE(logged("PageHasBanner!"));
    EXPECT_GE(platform::TicksSince(frame->State().phaseStart, clock.ticks()), 5000u);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_OUT);
}

TEST_F(VideoFrame, SingleClipEndsWhenItsPlayerStops) {
    open(true);
    EXPECT_TRUE(frame->State().videoBoards);
    EXPECT_EQ(video.created, 2);
    video.clipLength = 8000;
    frame->PlayVideo(false, "clip.mpg", true);
    ASSERT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->State().total, 8000);
    EXPECT_EQ(video.sent.back().command, VIDEO_CUE_LOOPED);
    video.Notify(100, 1);  // a stopped report before the start ends nothing
    frame->OnPlayerMessage(100, 1);
    EXPECT_EQ(state(), AIR_CUED);
    frame->OnPlay();
    EXPECT_EQ(engine.replies.back(), std::make_pair(1, 5));
    EXPECT_EQ(state(), AIR_WAIT_IN);
    EXPECT_EQ(video.sent.back().command, VIDEO_PAUSE);  // starts the cued clip
    frame->OnPlayerMessage(100, 0);
    advance(3000);
    EXPECT_EQ(state(), AIR_WAIT_IN);
    frame->OnPlayerMessage(100, 1);
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->State().endReason, END_RAN_OUT);
    EXPECT_EQ(engine.replies[engine.replies.size() - 2], std::make_pair(4, 4));
    EXPECT_EQ(engine.replies.back(), std::make_pair(9, 9));
}

TEST_F(VideoFrame, PlaylistRunsItsClipsAndButtonsAndEndsASecondAfterItsTotal) {
    playlist.tracks[0] = {{0, "a.mpg", false}, {3000, "b.mpg", true}};
    playlist.tracks[1] = {{1000, "c.mpg", false}};
    playlist.buttons = {{0, "MIX", 1}, {2000, "CUT", 1}};
    playlist.total = 6000;
    open();
    frame->PlayVideo(true, {}, false);
    ASSERT_EQ(state(), AIR_CUED);
    EXPECT_EQ(frame->State().total, 6000);
    EXPECT_EQ(video.sent.back().command, VIDEO_CUE);
    EXPECT_EQ(video.sent.back().file, "a.mpg");
    frame->OnPlay();
    EXPECT_EQ(frame->State().timerPeriod, 50u);
    EXPECT_EQ(video.sent.back().command, VIDEO_PAUSE);  // the cued clip starts
    ASSERT_EQ(remote.commands.size(), 1u);
    EXPECT_EQ(remote.commands[0], "MIX:1");
    advance(1000);
    EXPECT_EQ(video.sent.back().board, 1);
    EXPECT_EQ(video.sent.back().file, "c.mpg");
    advance(100);  // board 1 has not confirmed: nothing else happens
    EXPECT_TRUE(logged("CRemoteCmd::ProcessPlaylist() waiting video start board 1 at 1050"));
    frame->OnPlayerMessage(101, 0);
    advance(1000);
    ASSERT_EQ(remote.commands.size(), 2u);
    ASSERT_EQ(remote.restores.size(), 1u);  // after the last button, without a cut
    EXPECT_EQ(remote.restores[0], std::make_pair(false, 2));
    advance(1000);
    // Board 0 still plays a.mpg: stopped, then b.mpg starts looped.
    ASSERT_GE(video.sent.size(), 2u);
    EXPECT_EQ(video.sent[video.sent.size() - 2].command, VIDEO_STOP);
    EXPECT_EQ(video.sent.back().command, VIDEO_PLAY_LOOPED);
    frame->OnPlayerMessage(100, 0);
    advance(3800);
    EXPECT_NE(state(), AIR_CUED);
    advance(100);
    EXPECT_EQ(state(), AIR_CUED);  // 7000 ms: the total and a second
    EXPECT_EQ(frame->State().endReason, END_RAN_OUT);
    EXPECT_EQ(video.stops, 0);  // a playlist that ran out leaves its last clips be
}

TEST_F(VideoFrame, PlaylistStoppedHandsTheSwitcherBackAndWaits) {
    playlist.tracks[0] = {{0, "a.mpg", false}};
    playlist.buttons = {{5000, "CUT", 1}};
    playlist.total = 10000;
    open();
    remote.seizeResult = 1;
    frame->PlayVideo(true, {}, false);
    frame->OnPlay();  // the switcher cannot be seized: stays cued
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(boxes.lastText(), app::LoadString(18005));
    remote.seizeResult = 0;
    frame->OnPlay();
    advance(1000);
    frame->OnStop();
    ASSERT_EQ(remote.restores.size(), 1u);
    EXPECT_EQ(remote.restores[0], std::make_pair(true, 2));
    EXPECT_EQ(frame->State().actions, 0);
    advance(400);
    EXPECT_NE(state(), AIR_CUED);
    advance(100);
    EXPECT_EQ(state(), AIR_CUED);
    EXPECT_EQ(video.stops, 1);
    EXPECT_EQ(frame->State().endReason, END_STOPPED);
}

TEST_F(VideoFrame, PageWithAFailingSwitcherButtonStops) {
    playlist.tracks[0] = {{0, "a.mpg", false}};
    playlist.buttons = {{1000, "MIX", 1}};
    playlist.total = 3000;
    addPage("a.zxg");
    open();
    frame->PlayPageList(true);
    finish();
    frame->OnPlay();
    finish();
    remote.sendOk = false;
    advance(1000);
    EXPECT_EQ(state(), AIR_STOPPING);
    finish();
    advance(500);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
    // A page with a playlist waits for the playlist after its out-effect.
    remote.sendOk = true;
    frame->OnPlay();
    finish();
    advance(5000);
    finish();
    EXPECT_EQ(state(), AIR_WAIT_VIDEO_END);  // the playlist ran out meanwhile: it ends at the next tick
    advance(50);
    EXPECT_EQ(state(), AIR_COPYING);
    finish();
    EXPECT_EQ(state(), AIR_CUED);
}

TEST_F(VideoFrame, PlayersThatCannotStartSwitchTheBoardsOff) {
    video.createOk = false;
    open();
    EXPECT_FALSE(frame->State().videoBoards);
    EXPECT_EQ(boxes.lastText(), app::LoadString(3047));
}

TEST_F(AirContentTest, HandedPagePlaysItsOwnCopyWithItsBannerLink) {
    TestPage shared;
    shared.uniform = true;
    loadSingle("shared.zxg", shared);
    open();

    // The editor's page: a crawl, its own name, a banner linked at the right edge.
    TestPage crawl;
    crawl.moving = 1;
    crawl.stripLength = 900;
    pages::PreviewPage handed;
    handed.image = std::make_shared<const pages::CPageImage>(MakeImage(crawl));
    handed.pathName = dir.file("Pages/edited.zxg");
    handed.hasBanner = true;
    handed.bannerPath = dir.file("Banners/b.zxa");
    handed.bannerRect = {700, 100, 780, 140};
    const pages::CPageImage* copy = handed.image.get();
    frame->PlayHandedPage(handed);
    handed = {};  // the frame holds its own reference
    EXPECT_EQ(engine.last().code, CMD_LOAD_RECT);
    EXPECT_EQ(engine.last().bytes, copy->data.size());
    EXPECT_EQ(frame->State().pageName, dir.file("Pages/edited.zxg"));
    EXPECT_TRUE(frame->State().scrolls);
    EXPECT_TRUE(frame->State().pageBanner);
    EXPECT_EQ(banner.opened, dir.file("Banners/b.zxa"));
    EXPECT_EQ(banner.rect.left, 640);
    finish();
    ASSERT_EQ(state(), AIR_CUED);
    EXPECT_EQ(view.lastOf(AIRNOTE_PREVIEW), intptr_t(&copy->thumbnail));
    frame->OnPlay();
    finish();
    advance(20);
    ASSERT_EQ(engine.last().code, CMD_SCROLL);
    EXPECT_EQ(engine.last().param, 900u);
    EXPECT_EQ(engine.last().bytes, copy->data.size() - copy->device.stillSize);
    frame->OnStop();
    finish();
    finish();

    // Any other start plays the shared document again.
    frame->PlayPage(nullptr);
    EXPECT_EQ(engine.last().code, CMD_FILL_RECT);
    EXPECT_EQ(engine.last().bytes, 6u);
    EXPECT_FALSE(frame->State().pageBanner);
    EXPECT_EQ(frame->State().pageName, dir.file("Pages/shared.zxg"));

    // A hand-over without a compiled page starts nothing.
    const size_t sent = engine.cmds.size();
    frame->PlayHandedPage(pages::PreviewPage{});
    EXPECT_EQ(engine.cmds.size(), sent);
}
