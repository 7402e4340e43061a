// The demo's banners on the embedded virtual Device in scaled time: the LIVE badge alone frame by
// frame until Stop cuts it, and the Live corner page with its badge moving in the corner while
// the page's own time runs; the font the font maker made shows on that page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "demo/demo_banners.h"
#include "demo/playout.h"
#include "pages/png_io.h"
#include "playout_fixture.h"
#include "wizards/banner_player.h"

namespace {

using demotest::DemoPlayout;
using demotest::Grab;

// How many pixels of a region differ between two pictures.
int Changed(const pages::CBitmap32& a, const pages::CBitmap32& b, const pages::Rect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (std::memcmp(a.pixel(x, y), b.pixel(x, y), 3) != 0) ++n;
    return n;
}

std::vector<pages::CBitmap32> Pictures(const demo::CPlayout& p, const std::string& folder, const std::string& tag) {
    std::vector<pages::CBitmap32> out;
    for (const std::string& f : p.snapshotFiles()) {
        if (f.find(tag) == std::string::npos) continue;
        pages::CBitmap32 pic;
        if (pages::ReadPng(folder + "/" + f, pic)) out.push_back(std::move(pic));
    }
    return out;
}

}  // namespace

TEST_F(DemoPlayout, TheLiveBadgeAloneFrameByFrameThenStopCutsIt) {
    wizards::CBannerPlayer banner;
    demo::CPlayout playout(app, engine, fonts, loop, out);
    playout.setGrabber(Grab);
    playout.setBanner(&banner);
    demo::PlayOptions o;
    o.file = dir.file(demo::kLiveBadge);
    o.snapshots = dir.file("Snapshots");
    o.durationMs = 4000;
    std::string error;
    ASSERT_EQ(playout.Run(o, error), demo::PLAY_OK) << error << "\n" << out.str();
    EXPECT_NE(out.str().find("25 frames, 40 ms each, looping"), std::string::npos) << out.str();
    EXPECT_NE(std::find(playout.states().begin(), playout.states().end(), air::AIR_BANNER_SHOWING),
              playout.states().end());
    EXPECT_EQ(playout.states().back(), air::AIR_CUED);
    const std::vector<pages::CBitmap32> shots = Pictures(playout, o.snapshots, "-banner");
    ASSERT_GE(shots.size(), 2u) << out.str();
    const pages::Rect badge{504, 40, 504 + demo::kBadgeWidth, 40 + demo::kBadgeHeight};
    // The badge is there once its in-effect has run, and moves (the sweep and the dot) from one
    // picture to the next.
    pages::CBitmap32 black(720, 576);
    EXPECT_GT(Changed(shots.back(), black, badge), 2000);
    int moving = 0;
    for (size_t i = 1; i < shots.size(); ++i) moving += Changed(shots[i - 1], shots[i], badge) > 50;
    EXPECT_GT(moving, 0);
    // Nothing outside it.
    EXPECT_EQ(Changed(shots[0], shots.back(), {0, 200, 720, 576}), 0);
    // After the Cut the screen is clear.
    pages::CBitmap32 after;
    ASSERT_TRUE(Grab(after));
    EXPECT_LT(Changed(after, black, badge), 50);
}

TEST_F(DemoPlayout, TheLiveCornerPageAnimatesItsBadgeForThePagesTime) {
    wizards::CBannerPlayer banner;
    demo::CPlayout playout(app, engine, fonts, loop, out);
    playout.setGrabber(Grab);
    playout.setBanner(&banner);
    demo::PlayOptions o;
    o.file = dir.file(std::string("Pages/") + demo::kLiveCornerPage);
    o.snapshots = dir.file("Snapshots");
    std::string error;
    ASSERT_EQ(playout.Run(o, error), demo::PLAY_OK) << error << "\n" << out.str();
    // The page's own time ends the banner: its scroll is ended, then the out-effect.
    EXPECT_NE(std::find(playout.states().begin(), playout.states().end(), air::AIR_END_SCROLLING),
              playout.states().end());
    // Two pictures are enough to see it move: a slow checker drops periodic pictures when the
    // writer falls behind.
    const std::vector<pages::CBitmap32> shots = Pictures(playout, o.snapshots, "-banner");
    ASSERT_GE(shots.size(), 2u) << out.str();
    const pages::Rect corner{504, 40, 504 + demo::kBadgeWidth, 40 + demo::kBadgeHeight};
    int moving = 0;
    for (size_t i = 1; i < shots.size(); ++i) moving += Changed(shots[i - 1], shots[i], corner) > 50;
    EXPECT_GT(moving, 0);
    // The headline in the font maker's font stays as it is.
    const pages::Rect band{40, 456, 680, 520};
    EXPECT_EQ(Changed(shots[0], shots.back(), band), 0);
    pages::CBitmap32 black(720, 576);
    EXPECT_GT(Changed(shots[0], black, band), 1000);
}
