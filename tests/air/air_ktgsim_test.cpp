// The air frame with the command engine and the virtual Device, in scaled time: a sequence of
// three pages (the second with a crawl) is cued, played to its end and cued again, and the
// Device's program output shows each page in turn.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "air/air_session.h"
#include "app/zentrix_app.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "ktgsim/server.h"
#include "pages/font_manager.h"
#include "pages/page_image.h"
#include "pages/page_test_util.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace air;

namespace {

constexpr double kScale = 10;  // the Device's fields and the frame's clock both run ten times faster

enum Seen : char { NONE = '-', RED = 'R', GREEN = 'G', BLUE = 'B', OTHER = '?' };

Seen classify(const ktgsim::Picture& pic) {
    const uint8_t* p = pic.pixel(360, 100);  // above the crawl, inside every page
    const int r = p[0], g = p[1], b = p[2];
    if (r < 40 && g < 40 && b < 40) return NONE;
    if (r > 150 && g < 90 && b < 90) return RED;
    if (g > 150 && r < 90 && b < 90) return GREEN;
    if (b > 150 && r < 90 && g < 90) return BLUE;
    return OTHER;
}

struct AirWithKtgsim : ::testing::Test {
    zxtest::TempDir dir;
    std::unique_ptr<ktgsim::Server> server;
    app::CZentrixApp app;
    device::CEngine engine{device::CEngine::Options{nullptr, device::kStopWaitMs, false}};
    pages::CFontManager fonts;
    ScaledClock clock{kScale};
    platform::EventLoop loop{clock};

    void SetUp() override {
        ktgsim::ServerOptions o;
        o.device.statusClass = 1;
        o.listen = "127.0.0.1:0";
        o.timeScale = kScale;
        server = std::make_unique<ktgsim::Server>(o);
        std::string why;
        ASSERT_TRUE(server->start(why)) << why;
        zxtest::WriteText(dir.file("ZENTRIX.INI"),
                          "[Hardware]\nEnable=1\nModel=1\n[Ethernet]\nHosts=" + server->netAddress() + "\n");
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir.path()}));
        app.setDeviceLink(&engine);
        device::NetSetLockFolder(dir.path());
        app.StartHardware();
        ASSERT_TRUE(engine.isOpen());
        app.folders().setEntry(app::FOLDER_PAGES, dir.file("Pages/"));
        platform::MakeDirectories(dir.file("Pages"));

        pages::CBitmapFont grid;
        pagetest::MakeBlockFont(grid, 10, 10, 20, 16, 2);
        ASSERT_TRUE(fonts.Save(grid, dir.file("Grid.bmf")));
        fonts.setFolder(dir.path());
        fonts.Enumerate();
    }
    void TearDown() override {
        app.StopHardware();
        server->stop();
    }

    // A page of one colour, with a crawl or a line of text when asked; compiled and saved.
    std::string makePage(const std::string& name, uint32_t colour, int frameType, const std::string& text) {
        pages::CPageDoc doc(fonts);
        doc.NewPage();
        doc.SetBackgroundColour(colour);
        if (!text.empty()) {
            pages::FrameFormat ff;
            ff.type = frameType;
            ff.colour = 0xFF000000;  // transparent frame
            ff.border = 1;
            pages::TextFormat tf;
            tf.setFontName("Grid");
            tf.tint = 1;
            tf.colour = 0x00FFFFFF;
            const int i = doc.CreateFrame({100, 460, 620, 520}, ff, pages::ParaFormat{}, tf, "f");
            doc.frame(i)->InsertText(text, fonts);
            doc.frame(i)->ResetView();
        }
        pages::CPageImage img;
        img.Compile(doc, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL);
        const std::string path = dir.file("Pages/" + name);
        EXPECT_EQ(doc.Save(path, img), 0);
        return path;
    }

    // A transparent page with one moving frame: white text on a nearly opaque burgundy panel,
    // with or without the background-frame flag.
    std::string makeMovingPage(const std::string& name, int frameType, bool backgroundFrame) {
        pages::CPageDoc doc(fonts);
        doc.NewPage();
        doc.SetBackgroundColour(0xFF000000);
        pages::FrameFormat ff;
        ff.type = frameType;
        ff.colour = 0x10402070;
        ff.border = 1;
        ff.backgroundFrame = backgroundFrame ? 1 : 0;
        pages::TextFormat tf;
        tf.setFontName("Grid");
        tf.tint = 1;
        tf.colour = 0x00FFFFFF;
        const int i = doc.CreateFrame(kPanel, ff, pages::ParaFormat{}, tf, "f");
        doc.frame(i)->InsertText(frameType == pages::FRAME_ROLL ? "ROLL\nOF\nCREDITS" : "CRAWL OF THE NEWS", fonts);
        doc.frame(i)->ResetView();
        pages::CPageImage img;
        img.Compile(doc, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL);
        const std::string path = dir.file("Pages/" + name);
        EXPECT_EQ(doc.Save(path, img), 0);
        return path;
    }

    // Plays one page until its scroll holds and reports the most text pixels (near white) seen
    // inside the panel at once, and whether the panel itself was on the output.
    struct MovingSeen {
        int textPixels = 0;
        bool panel = false;
    };
    MovingSeen playMoving(const std::string& page) {
        MovingSeen seen;
        CAirSession session(app, engine, fonts, loop);
        CAirFrame& frame = session.frame();
        EXPECT_EQ(session.Cue(page), 0);
        session.Open();
        if (!session.RunUntil([&] { return frame.State().state == AIR_CUED; }, 20000)) return seen;
        frame.OnPlay();
        ktgsim::Picture pic;
        session.RunUntil(
            [&] {
                server->render(pic);
                int n = 0;
                for (int y = kPanel.top + 2; y < kPanel.bottom - 2; ++y)
                    for (int x = kPanel.left + 2; x < kPanel.right - 2; ++x) {
                        const uint8_t* p = pic.pixel(x, y);
                        n += p[0] > 200 && p[1] > 200 && p[2] > 200;
                        // The panel over black: burgundy, not far from its full colour.
                        seen.panel |= p[0] > 80 && p[0] < 130 && p[1] < 50 && p[2] > 40 && p[2] < 80;
                    }
                seen.textPixels = std::max(seen.textPixels, n);
                return (seen.panel && seen.textPixels > 400) || frame.State().state >= AIR_END_SCROLLING;
            },
            8000);
        frame.OnStop();
        session.RunUntil([&] { return frame.State().state == AIR_CUED; }, 10000);
        return seen;
    }
    static constexpr pages::Rect kPanel{200, 200, 520, 320};
};

}  // namespace

TEST_F(AirWithKtgsim, SequenceOfThreePagesOnTheProgramOutput) {
    CSeqDoc build(app.folders(), clock);
    ShowParams two;
    two.showTime = 2;
    ShowParams crawl;
    crawl.scrollSpeed = 6;
    build.AppendPage(makePage("red.zxg", 0x000000FF, pages::FRAME_FIXED, ""), two);
    build.AppendPage(makePage("green.zxg", 0x0000FF00, pages::FRAME_SCROLLER, "CRAWL OF THE NEWS"), crawl);
    build.AppendPage(makePage("blue.zxg", 0x00FF0000, pages::FRAME_FIXED, "TEXT"), two);
    ASSERT_TRUE(build.items[1].hasMovingFrame());
    ASSERT_EQ(build.SaveSequence(dir.file("three.zxs")), SEQ_OK);

    CAirSession session(app, engine, fonts, loop);
    CAirFrame& frame = session.frame();
    ASSERT_EQ(session.Cue(dir.file("three.zxs")), SEQ_OK);
    session.Open();
    ASSERT_TRUE(session.RunUntil([&] { return frame.State().state == AIR_CUED; }, 20000));
    EXPECT_TRUE(frame.State().linkUp);
    EXPECT_EQ(frame.State().current, 0);
    EXPECT_TRUE(frame.State().fillPage);  // one colour: the Device fills it
    const uint64_t blocksBefore = server->device().stats().blocks;

    frame.OnPlay();
    std::string seen;
    ktgsim::Picture pic;
    auto last = std::chrono::steady_clock::now();
    const bool ended = session.RunUntil(
        [&] {
            if (std::chrono::steady_clock::now() - last >= std::chrono::milliseconds(10)) {
                last = std::chrono::steady_clock::now();
                server->render(pic);
                const char c = classify(pic);
                if (seen.empty() || seen.back() != c) seen += c;
            }
            return frame.State().state == AIR_CUED;
        },
        30000);
    ASSERT_TRUE(ended) << "state " << frame.State().state << ", seen " << seen;
    // Each page in turn, and nothing after the last one has gone out.
    if (!seen.empty() && seen.front() == NONE) seen.erase(0, 1);  // sampled before the first effect
    EXPECT_EQ(seen, "RGB-");
    server->render(pic);
    EXPECT_EQ(classify(pic), NONE);
    EXPECT_GE(server->device().stats().scrolls, 1u);
    EXPECT_EQ(server->device().stats().rejects, 0u);

    // Cued again from the first page, which is back in the Device's hidden buffer.
    EXPECT_EQ(frame.State().endReason, END_RAN_OUT);
    EXPECT_EQ(frame.State().current, 0);
    EXPECT_EQ(frame.State().startTick, 0u);
    EXPECT_GT(server->device().stats().blocks, blocksBefore + 3);
    EXPECT_EQ(frame.State().actions, ACTION_PLAY | ACTION_NEXT);
}

// The moving text shows on its panel, as bright as the compiled page has it, with and without
// the background-frame flag, for a roll and for a crawl.
TEST_F(AirWithKtgsim, MovingTextOnItsPanelWithAndWithoutBackgroundFrame) {
    for (int type : {pages::FRAME_ROLL, pages::FRAME_SCROLLER})
        for (bool flag : {false, true}) {
            SCOPED_TRACE(std::string(type == pages::FRAME_ROLL ? "roll" : "crawl") +
                         (flag ? ", background frame" : ""));
            const MovingSeen seen = playMoving(makeMovingPage("moving.zxg", type, flag));
            EXPECT_TRUE(seen.panel);
            EXPECT_GT(seen.textPixels, 400);
        }
}
