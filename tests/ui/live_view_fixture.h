// Live mode's view in an on-air frame that plays to fake Device commands, offscreen, on a data
// folder with a 10 x 20 block font "Grid".
#pragma once

#include <memory>

#include "air/air_fakes.h"
#include "air/seq_doc.h"
#include "device/engine.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/page_test_util.h"
#include "platform/files.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/titr_view.h"
#include "ui_fixture.h"

namespace zxtest {

struct LiveViewTest : UiTest {
    pages::CFontManager fonts;
    pages::CPageDoc page{fonts};
    pages::CPageImage image;
    std::unique_ptr<air::CSeqDoc> seq;
    device::CEngine engine;  // not opened: the frame plays to the fake commands
    airtest::FakeCommands* cmds = nullptr;
    std::unique_ptr<ui::CAirFrameWnd> wnd;
    ui::CTitrView* view = nullptr;
    bool showWindow = true;  // open() shows the frame at 1000 x 700

    void SetUp() override {
        UiTest::SetUp();
        start("[Start]\nAirLog=1\n", true);
        for (const char* f : {"Pages", "Titr", "Sequences", "Clock", "Banners"})
            platform::MakeDirectories(home.file(f));
        std::remove(home.file("Fonts/Title.bmf").c_str());
        pages::CBitmapFont grid;
        pagetest::MakeBlockFont(grid, 10, 10, 20, 16, 2);
        ASSERT_TRUE(fonts.Save(grid, home.file("Fonts/Grid.bmf")));
        fonts.setFolder(home.file("Fonts/"));
        fonts.Enumerate();
        seq = std::make_unique<air::CSeqDoc>(a.folders(), platform::SystemClock::instance());
        ui::AirShared shared;
        shared.engine = &engine;
        shared.objects = objects();
        ui::InstallAirFrame(a, shared);
    }
    void TearDown() override {
        wnd.reset();
        UiTest::TearDown();
    }
    air::AirObjects objects() {
        air::AirObjects o;
        o.page = &page;
        o.pageImage = &image;
        o.sequence = seq.get();
        return o;
    }
    // The frame with Live mode's view shown, the link up and the first commands answered.
    void open() {
        auto fake = std::make_unique<airtest::FakeCommands>();
        cmds = fake.get();
        wnd = std::make_unique<ui::CAirFrameWnd>(a, std::move(fake), objects());
        wnd->CreateView(app::VIEW_LIVE);
        wnd->ShowView(app::VIEW_LIVE);
        view = dynamic_cast<ui::CTitrView*>(wnd->view(app::VIEW_LIVE));
        ASSERT_NE(view, nullptr);
        if (showWindow) {
            wnd->resize(1000, 700);
            wnd->show();
        }
        wnd->OpenAir(false);
        wnd->controller().OnEngine(device::NOTE_LINK_UP, 0);
        finish();
    }
    // Answers the commands sent so far.
    void finish() { wnd->controller().OnEngine(device::NOTE_FINISHED, 0, cmds->lastSeq()); }
};

}  // namespace zxtest
