// zx serve's air session with the control interface on the embedded virtual Device, in scaled
// time, on a demo data folder: the loop runs on a thread of its own, the test talks HTTP.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "air/air_session.h"
#include "app/zentrix_app.h"
#include "control/serve.h"
#include "demo/demo_root.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "http_client.h"
#include "ktgsim/embedded.h"
#include "ktgsim/picture.h"
#include "pages/font_manager.h"
#include "platform/event_loop.h"
#include "support/temp_dir.h"
#include "wizards/banner_player.h"
#include "wizards/clock_image.h"

namespace controltest {

using json = nlohmann::json;

inline bool GrabProgram(pages::CBitmap32& out) {
    ktgsim::Picture pic;
    if (!ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { s.render(pic); })) return false;
    out = ktgsim::ToBitmap(pic);
    return true;
}

// A name below the data root as a request path gives it.
inline std::string UrlPath(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_') {
            out += char(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

struct ServeFixture : ::testing::Test {
    double scale = 10;  // the Device, the engine and the air frame run ten times faster
    zxtest::TempDir dir;
    app::CZentrixApp app;
    std::unique_ptr<air::ScaledClock> clock;
    std::unique_ptr<device::CEngine> engine;
    std::unique_ptr<platform::EventLoop> loop;
    pages::CFontManager fonts;
    wizards::CClockImage clockImage;
    wizards::CBannerPlayer banner;
    control::ServerOptions options;
    std::thread serveThread;
    std::atomic<bool> stopServe{false};
    std::atomic<int> port{0};
    std::atomic<control::ControlServer*> server{nullptr};
    std::atomic<bool> ended{false};
    std::string serveError;

    void SetUp() override {
        demo::DemoResult r;
        std::string error;
        ASSERT_TRUE(demo::MakeDemoRoot(dir.path(), {}, r, error)) << error;
        ktgsim::EmbeddedOptions eo;
        eo.timeScale = scale;
        ktgsim::RegisterEmbeddedDevice(std::move(eo));
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir.path()}));
        app.settings().airLog = 1;
        app.settings().mpeg = 0;
        clock = std::make_unique<air::ScaledClock>(scale);
        engine = std::make_unique<device::CEngine>(device::CEngine::Options{clock.get(), device::kStopWaitMs, false});
        loop = std::make_unique<platform::EventLoop>(*clock);
        app.setDeviceLink(engine.get());
        device::NetSetLockFolder(dir.path());
        app.StartHardware();
        ASSERT_TRUE(engine->isOpen());
        fonts.setFolder(app.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
        options.listen = {"127.0.0.1", 0};
        options.codePage = app.settings().codePage;
        options.program = GrabProgram;
        options.ioTimeoutSec = 2;
        options.heartbeatMs = 500;
    }

    // Starts zx serve's run on its thread and waits for the port.
    void serve() {
        serveThread = std::thread([this] {
            air::AirObjects objects;
            objects.clock = &clockImage;
            objects.banner = &banner;
            control::ServeOptions so;
            so.server = options;
            so.stop = [this] { return stopServe.load(); };
            so.listening = [this](control::ControlServer& s) {
                server = &s;
                port = s.port();
            };
            control::RunServe(app, *engine, fonts, *loop, objects, so, serveError);
            server = nullptr;
            ended = true;
        });
        for (int i = 0; i < 2000 && port == 0 && !ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_NE(port.load(), 0) << serveError;
        // The Device is reset once the link is up: the frame can start then.
        ASSERT_TRUE(waitState([](const json& s) { return s.value("canStart", false); }, 30000)) << stateText();
    }

    void TearDown() override {
        stopServe = true;
        if (serveThread.joinable()) serveThread.join();
        app.StopHardware();
        ktgsim::UnregisterEmbeddedDevice();
    }

    json state() {
        const Reply r = Get(port, "/api/v1/state", options.token);
        return r.status == 200 ? json::parse(r.body, nullptr, false) : json();
    }
    std::string stateText() { return Get(port, "/api/v1/state", options.token).body; }

    // Polls GET /state until pred holds; false after timeoutMs of real time.
    template <class Pred>
    bool waitState(Pred pred, int timeoutMs) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < until) {
            const json s = state();
            if (s.is_object() && pred(s)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    Reply post(const std::string& path, const json& body) { return Post(port, path, body.dump(), options.token); }
    Reply post(const std::string& path) { return Post(port, path, {}, options.token); }
    Reply get(const std::string& path) { return Get(port, path, options.token); }
};

inline std::string ErrorOf(const Reply& r) {
    const json j = json::parse(r.body, nullptr, false);
    return j.is_object() ? j.value("error", std::string()) : std::string();
}

}  // namespace controltest
