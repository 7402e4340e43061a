// Captions mode headless with the demo's caption page and titles file on the embedded virtual
// Device in scaled time: three captions in turn, each faded in, shown inside its box and cut
// after its show time; in fast mode each F2 replaces the caption on air.
#include <gtest/gtest.h>

#include <cstring>

#include "air/air_frame.h"
#include "demo/caption_playout.h"
#include "demo/demo_captions.h"
#include "pages/png_io.h"
#include "playout_fixture.h"

namespace {

using demotest::DemoPlayout;
using demotest::Grab;

// Pixels whose colour is not black inside and outside a box.
void Lit(const pages::CBitmap32& pic, const int* box, int& inside, int& outside) {
    inside = outside = 0;
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            const uint8_t* p = pic.pixel(x, y);
            if (p[0] < 8 && p[1] < 8 && p[2] < 8) continue;
            (x >= box[0] && x < box[2] && y >= box[1] && y < box[3] ? inside : outside)++;
        }
}

}  // namespace

TEST_F(DemoPlayout, CaptionsInTurnFadeInInsideTheirBoxAndGoOffAfterTheirTime) {
    demo::CCaptionPlayout playout(app, engine, fonts, loop, out);
    playout.setGrabber(Grab);
    demo::CaptionPlayOptions o;
    o.page = dir.file(demo::kCaptionPage);
    o.titles = dir.file(demo::kCaptionTitles);
    o.fast = 0;
    o.count = 3;
    o.gapMs = 500;
    o.snapshots = dir.file("Snapshots");
    std::string error;
    ASSERT_EQ(playout.Run(o, error), demo::PLAY_OK) << error << "\n" << out.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("F2: caption 1/12, 6840 ms: Good evening"), std::string::npos) << text;
    EXPECT_NE(text.find("F2: caption 2/12, 8100 ms: Добрый вечер! / Вы смотрите"), std::string::npos) << text;
    EXPECT_NE(text.find("F2: caption 3/12"), std::string::npos) << text;
    EXPECT_NE(text.find("3 captions shown"), std::string::npos);

    // Each caption: in-effect (a fade of at least a second), on air, cut, idle.
    int fades = 0, cuts = 0;
    const auto& st = playout.states();
    for (size_t i = 0; i + 1 < st.size(); ++i) {
        if (st[i].state == air::AIR_IN_EFFECT && st[i + 1].state == air::AIR_WAIT_OUT) {
            EXPECT_GE(st[i + 1].ms - st[i].ms, 1000u);
            ++fades;
        }
        if (st[i].state == air::AIR_OUT_EFFECT && st[i + 1].state == air::AIR_IDLE) ++cuts;
    }
    EXPECT_EQ(fades, 3);
    EXPECT_EQ(cuts, 3);

    // On air: text and panel inside the box only; after each cut: nothing.
    int onAir = 0, idleAfter = 0;
    for (const std::string& f : playout.snapshotFiles()) {
        pages::CBitmap32 pic;
        ASSERT_TRUE(pages::ReadPng(o.snapshots + "/" + f, pic)) << f;
        int inside = 0, outside = 0;
        Lit(pic, playout.box(), inside, outside);
        if (f.find("on-air") != std::string::npos) {
            ++onAir;
            EXPECT_GT(inside, 20000) << f;
            EXPECT_EQ(outside, 0) << f;
        } else if (f.find("idle") != std::string::npos && f.find("0001-") == std::string::npos) {
            ++idleAfter;
            EXPECT_EQ(inside + outside, 0) << f;
        }
    }
    EXPECT_EQ(onAir, 3);
    EXPECT_EQ(idleAfter, 3);
}

TEST_F(DemoPlayout, CaptionsInFastModeReplaceTheOneOnAir) {
    demo::CCaptionPlayout playout(app, engine, fonts, loop, out);
    demo::CaptionPlayOptions o;
    o.page = dir.file(demo::kCaptionPage);
    o.titles = dir.file(demo::kCaptionTitles);
    o.fast = 1;
    o.fade = 0;
    o.count = 3;
    o.gapMs = 1500;
    std::string error;
    ASSERT_EQ(playout.Run(o, error), demo::PLAY_OK) << error << "\n" << out.str();
    int stops = 0, cuts = 0;
    for (const auto& s : playout.states()) {
        stops += s.state == air::AIR_STOPPING;
        cuts += s.state == air::AIR_OUT_EFFECT;
    }
    EXPECT_EQ(stops, 2) << out.str();  // the second and third F2 took the one before off
    size_t replaced = 0;
    for (size_t at = 0; (at = out.str().find("(replaces the one on air)", at)) != std::string::npos; ++at) ++replaced;
    EXPECT_EQ(replaced, 2u);
    EXPECT_EQ(cuts, 1);  // the last one ran out
    EXPECT_EQ(playout.states().back().state, air::AIR_IDLE);
    EXPECT_NE(out.str().find("F2: caption 3/12"), std::string::npos) << out.str();
}
