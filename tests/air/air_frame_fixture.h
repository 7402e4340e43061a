// The air frame in simulated time: a settings folder of its own, page files made by hand, the
// engine's commands recorded, notifications handed in as the engine would post them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "air/air_frame.h"
#include "air/seq_doc.h"
#include "air_fakes.h"
#include "air_test_util.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "device/engine.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace airtest {

class NullLink final : public app::DeviceLink {
public:
    int open(app::LinkKind, int, int) override { return 0; }
    void close() override {}
};

struct AirFrameFixture : ::testing::Test {
    zxtest::TempDir dir;
    platform::ManualClock clock{1000, 1700000000};
    platform::EventLoop loop{clock};
    NullLink link;
    app::CZentrixApp app;
    app::HeadlessMessageBoxes boxes;
    pages::CFontManager fonts;
    pages::CPageDoc page{fonts, &clock};
    pages::CPageImage image;
    std::unique_ptr<air::CSeqDoc> seq;
    FakeCommands engine;
    ViewRecorder view;
    WindowRecorder window;
    FakeVideo video;
    FakeRemote remote;
    FakePlaylist playlist;
    FakeClock clockObject;
    FakeBanner banner;
    std::unique_ptr<air::CAirFrame> frame;

    // Extra settings lines for a test's fixture.
    virtual std::string settings() const { return {}; }

    void SetUp() override {
        zxtest::WriteText(dir.file("ZENTRIX.INI"), "[Debug]\nLog=1\nTimestamp=0\n" + settings());
        app::ResetEventLog();
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir.path()}));
        app.setDeviceLink(&link);
        app.StartHardware();
        app.folders().setEntry(app::FOLDER_PAGES, dir.file("Pages/"));
        platform::MakeDirectories(dir.file("Pages"));
        app::SetMessageBoxes(&boxes);
        seq = std::make_unique<air::CSeqDoc>(app.folders(), clock);
    }
    void TearDown() override {
        frame.reset();
        app::SetMessageBoxes(nullptr);
        app::ResetEventLog();
    }

    air::AirObjects objects() {
        air::AirObjects o;
        o.page = &page;
        o.pageImage = &image;
        o.sequence = seq.get();
        o.clock = &clockObject;
        o.banner = &banner;
        o.video = &video;
        o.remote = &remote;
        o.playlist = &playlist;
        return o;
    }
    void make(bool automation = false) {
        frame = std::make_unique<air::CAirFrame>(app, engine, loop, clock, objects());
        frame->setWindow(&window);
        frame->setView(&view);
        frame->OpenAir(automation);
    }
    // make() with the link up and the Device reset.
    void open(bool automation = false) {
        make(automation);
        linkUp();
    }
    void linkUp() {
        frame->OnEngine(device::NOTE_LINK_UP, 0);
        ASSERT_EQ(engine.last().code, device::CMD_RESET_DEVICE);
        finish();
    }
    // The last command finishes (its number is what the engine would send with it).
    void finish() { frame->OnEngine(device::NOTE_FINISHED, 0, engine.lastSeq()); }
    void advance(uint32_t ms) { loop.advance(ms); }
    int32_t state() const { return frame->State().state; }

    // A page in the Pages folder, appended to the sequence.
    air::SeqItem& addPage(const std::string& name, const TestPage& p = {}, air::ShowParams params = fiveSeconds()) {
        EXPECT_TRUE(WritePage(fonts, dir.file("Pages/" + name), p));
        return seq->AppendPage(dir.file("Pages/" + name), params);
    }
    static air::ShowParams fiveSeconds() {
        air::ShowParams p;
        p.showTime = 5;
        return p;
    }
    // Loads a page into the shared document as a view does before PlayPage.
    void loadSingle(const std::string& name, const TestPage& p = {}) {
        ASSERT_TRUE(WritePage(fonts, dir.file("Pages/" + name), p));
        ASSERT_EQ(page.Load(pages::LOAD_THUMBNAIL | pages::LOAD_DEVICE, dir.file("Pages/" + name), image), 0);
    }
    // Cues a list of n plain pages of five seconds and plays it up to the first page on air.
    void playList(int n, bool automation = false) {
        for (int i = 0; i < n; ++i) addPage("p" + std::to_string(i) + ".zxg");
        open(automation);
        frame->PlayPageList();
        finish();  // the first page is in the Device
        ASSERT_EQ(state(), air::AIR_CUED);
    }

    std::string log() const { return zxtest::ReadText(dir.file("logfile.txt")); }
    bool logged(const std::string& line) const { return log().find(line + "\r\n") != std::string::npos; }
};

}  // namespace airtest
