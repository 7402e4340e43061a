// The demo data folder and the embedded virtual Device for zx play's playout, in scaled time.
#pragma once

#include <gtest/gtest.h>

#include <sstream>

#include "air/air_session.h"
#include "app/zentrix_app.h"
#include "demo/demo_root.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "ktgsim/embedded.h"
#include "pages/bitmap32.h"
#include "pages/font_manager.h"
#include "platform/event_loop.h"
#include "support/temp_dir.h"

namespace demotest {

constexpr double kScale = 10;  // the Device, the engine and the air frame all run ten times faster

// The embedded Device's program output as a page bitmap.
inline bool Grab(pages::CBitmap32& out) {
    ktgsim::Picture pic;
    if (!ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { s.render(pic); })) return false;
    out.create(pic.width, pic.height);
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            const uint8_t* s = pic.pixel(x, y);
            uint8_t* d = out.pixel(x, y);
            d[pages::PIX_RED] = s[0], d[pages::PIX_GREEN] = s[1], d[pages::PIX_BLUE] = s[2];
            d[pages::PIX_TRANS] = uint8_t(255 - s[3]);
        }
    return true;
}

struct DemoPlayout : ::testing::Test {
    zxtest::TempDir dir;
    app::CZentrixApp app;
    air::ScaledClock clock{kScale};
    device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
    platform::EventLoop loop{clock};
    pages::CFontManager fonts;
    std::ostringstream out;

    void SetUp() override {
        demo::DemoResult r;
        std::string error;
        ASSERT_TRUE(demo::MakeDemoRoot(dir.path(), {}, r, error)) << error;
        ktgsim::EmbeddedOptions eo;
        eo.timeScale = kScale;
        ktgsim::RegisterEmbeddedDevice(std::move(eo));
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir.path()}));
        app.setDeviceLink(&engine);
        device::NetSetLockFolder(dir.path());
        app.StartHardware();
        ASSERT_TRUE(engine.isOpen());
        fonts.setFolder(app.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
    }
    void TearDown() override {
        app.StopHardware();
        ktgsim::UnregisterEmbeddedDevice();
    }
};

}  // namespace demotest
