// zx play's playout of the demo sequence on the embedded virtual Device, in scaled time: the
// pictures of the program output show each page in turn and a moving crawl; loops of a page and
// of a looping list, and the failures, end as they should.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <sstream>

#include "air/air_frame.h"
#include "air/air_session.h"
#include "app/zentrix_app.h"
#include "demo/demo_root.h"
#include "demo/playout.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "ktgsim/embedded.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/png_io.h"
#include "platform/event_loop.h"
#include "playout_fixture.h"
#include "support/temp_dir.h"

using demotest::DemoPlayout;
using demotest::Grab;
using demotest::kScale;

namespace {

// A page as the Device should key it over black: the pixels it covers, clearly brighter than
// black, outside its moving frame (the moving frame itself for a page that has nothing else),
// with their colours.
struct Reference {
    std::string name;
    std::vector<std::pair<int, int>> at;
    std::vector<std::array<int, 3>> colour;
    pages::Rect moving;
};

Reference MakeReference(pages::CFontManager& fonts, const std::string& path) {
    pages::CPageDoc page(fonts);
    pages::CPageImage image;
    EXPECT_EQ(page.Load(pages::LOAD_FRAMES | pages::LOAD_SUMMARY, path, image), 0) << path;
    image.Compile(page, pages::COMPILE_FILTER);
    Reference r;
    r.name = path;
    r.moving = image.summary.moving;
    auto inMoving = [&](int x, int y) {
        return x >= r.moving.left && x < r.moving.right && y >= r.moving.top && y < r.moving.bottom;
    };
    // Few pixels outside the moving frame (a roll on a bare page): the moving frame's panel.
    for (int pass = 0; pass < 2 && r.at.size() < 200; ++pass) {
        r.at.clear();
        r.colour.clear();
        for (int y = 0; y < pages::PAGE_HEIGHT; y += 3)
            for (int x = 0; x < pages::PAGE_WIDTH; x += 3) {
                const uint8_t* p = image.picture.pixel(x, y);
                if (p[pages::PIX_TRANS] >= 128 || (pass == 0) == inMoving(x, y)) continue;
                const int keep = 255 - p[pages::PIX_TRANS];
                const std::array<int, 3> c = {p[pages::PIX_RED] * keep / 255, p[pages::PIX_GREEN] * keep / 255,
                                              p[pages::PIX_BLUE] * keep / 255};
                // Only what an empty (black) output could not pass for.
                if (std::max({c[0], c[1], c[2]}) < 64) continue;
                r.at.emplace_back(x, y);
                r.colour.push_back(c);
            }
    }
    return r;
}

// Share of a reference's pixels the picture shows in about their colours.
double Likeness(const Reference& r, const pages::CBitmap32& pic) {
    size_t good = 0;
    for (size_t i = 0; i < r.at.size(); ++i) {
        const uint8_t* p = pic.pixel(r.at[i].first, r.at[i].second);
        const int d =
            std::max({std::abs(p[pages::PIX_RED] - r.colour[i][0]), std::abs(p[pages::PIX_GREEN] - r.colour[i][1]),
                      std::abs(p[pages::PIX_BLUE] - r.colour[i][2])});
        good += d <= 48;
    }
    return r.at.empty() ? 0 : double(good) / double(r.at.size());
}

}  // namespace

TEST_F(DemoPlayout, EachPageInTurnAndTheCrawlMoves) {
    demo::CPlayout playout(app, engine, fonts, loop, out);
    playout.setGrabber(Grab);
    demo::PlayOptions o;
    o.file = dir.file(demo::kShowSequence);
    o.snapshots = dir.file("Snapshots");
    std::string error;
    ASSERT_EQ(playout.Run(o, error), demo::PLAY_OK) << error << "\n" << out.str();
    EXPECT_NE(out.str().find("air log: "), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("playout 1 done"), std::string::npos);
    EXPECT_EQ(playout.states().back(), air::AIR_CUED);

    air::CSeqDoc seq(app.folders(), clock);
    ASSERT_EQ(seq.LoadSequence(o.file), air::SEQ_OK);
    std::vector<Reference> refs;
    for (const air::SeqItem& it : seq.items) refs.push_back(MakeReference(fonts, seq.FullPath(it)));

    // Which page each picture shows (the best likeness above 0.8), in order, repeats dropped.
    std::vector<int> shown;
    std::vector<std::pair<std::string, pages::CBitmap32>> crawls;
    const size_t crawl = 3;  // after the title, the lower third and the Live corner
    ASSERT_GT(playout.snapshotFiles().size(), refs.size());
    for (const std::string& f : playout.snapshotFiles()) {
        pages::CBitmap32 pic;
        ASSERT_TRUE(pages::ReadPng(o.snapshots + "/" + f, pic)) << f;
        ASSERT_EQ(pic.width(), 720);
        int best = -1;
        double bestScore = 0.8;
        for (size_t i = 0; i < refs.size(); ++i)
            if (double s = Likeness(refs[i], pic); s > bestScore) best = int(i), bestScore = s;
        if (best < 0) continue;
        if (shown.empty() || shown.back() != best) shown.push_back(best);
        if (size_t(best) == crawl) crawls.emplace_back(f, std::move(pic));
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

    // The crawl's text is somewhere else in two of its pictures.
    const pages::Rect m = refs[crawl].moving;
    ASSERT_GT(m.right, m.left);
    bool moved = false;
    for (size_t i = 1; i < crawls.size() && !moved; ++i)
        for (int y = m.top; y < m.bottom && !moved; ++y)
            for (int x = m.left; x < m.right && !moved; ++x)
                moved = std::memcmp(crawls[i].second.pixel(x, y), crawls[0].second.pixel(x, y), 3) != 0;
    EXPECT_TRUE(moved) << crawls.size() << " pictures of the crawl, all alike";
}

TEST_F(DemoPlayout, LoopsThenTheFailures) {
    demo::CPlayout playout(app, engine, fonts, loop, out);
    playout.setGrabber(Grab);
    demo::PlayOptions o;
    o.file = dir.file("Pages/Weather.zxg");
    o.loops = 2;
    std::string error;
    ASSERT_EQ(playout.Run(o, error), demo::PLAY_OK) << error << "\n" << out.str();
    EXPECT_NE(out.str().find("playout 2 done"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("playout 3 done"), std::string::npos) << out.str();
    EXPECT_TRUE(playout.snapshotFiles().empty());

    // A looping list ends after its last page in the last playout: no page of a third one.
    air::CSeqDoc seq(app.folders(), clock);
    air::ShowParams two;
    two.showTime = 2;
    seq.AppendPage(dir.file("Pages/Weather.zxg"), two);
    seq.AppendPage(dir.file("Pages/Title.zxg"), two);
    seq.loop = 1;
    ASSERT_EQ(seq.SaveSequence(dir.file("Sequences/loop.zxs")), air::SEQ_OK);
    o.file = dir.file("Sequences/loop.zxs");
    out.str("");
    ASSERT_EQ(playout.Run(o, error), demo::PLAY_OK) << error << "\n" << out.str();
    EXPECT_EQ(std::count(playout.states().begin(), playout.states().end(), air::AIR_IN_EFFECT), 4) << out.str();
    EXPECT_NE(out.str().find("playout 2 done"), std::string::npos) << out.str();
    EXPECT_EQ(playout.states().back(), air::AIR_CUED);

    // A damaged sequence: its message, and nothing goes on air.
    zxtest::WriteText(dir.file("Sequences/bad.zxs"), "SEQF but not much more");
    o.file = dir.file("Sequences/bad.zxs");
    o.loops = 1;
    EXPECT_EQ(playout.Run(o, error), demo::PLAY_FILE_ERROR);
    EXPECT_NE(error.find("invalid file format"), std::string::npos) << error;
    EXPECT_TRUE(playout.states().empty());

    // A snapshots folder that cannot be made.
    zxtest::WriteText(dir.file("taken"), "a file");
    o.file = dir.file(demo::kShowSequence);
    o.snapshots = dir.file("taken/pictures");
    EXPECT_EQ(playout.Run(o, error), demo::PLAY_OUTPUT_ERROR);
    EXPECT_NE(error.find("taken/pictures"), std::string::npos) << error;
}
