// The demo's show recorded from the embedded virtual Device in scaled time, as zx play --output
// records it: every frame by field count, read back and compared with the Device's own pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>

#include "air/air_session.h"
#include "app/zentrix_app.h"
#include "demo/demo_root.h"
#include "demo/playout.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "ktgsim/embedded.h"
#include "output/output.h"
#include "output/paced_clock.h"
#include "pages/font_manager.h"
#include "platform/event_loop.h"
#include "support/temp_dir.h"

TEST(OutputPlay, TheEveningShowRecordedFrameByFrameEqualsTheDevicesPictures) {
    zxtest::TempDir dir;
    demo::DemoResult made;
    std::string error;
    ASSERT_TRUE(demo::MakeDemoRoot(dir.path(), {}, made, error)) << error;

    // A lossless recording with alpha and a compressed one, fed from the Device's fields.
    output::Output video;
    output::SinkOptions mov, mkv;
    mov.target = dir.file("show.mov"), mov.background = "none", mov.lossless = true;
    mkv.target = dir.file("show.mkv"), mkv.codec = output::DefaultVideoEncoder(), mkv.lossless = true;
    ASSERT_TRUE(video.add(mov, 720, 576, error)) << error;
    ASSERT_TRUE(video.add(mkv, 720, 576, error)) << error;
    video.start();
    const double scale = 10;
    output::PacedClock clock(scale);
    std::mutex m;
    std::vector<uint64_t> fields;
    std::map<size_t, std::vector<uint8_t>> kept;  // the Device's pictures at chosen frames
    ktgsim::SetEmbeddedFieldTap([&](uint64_t field, const ktgsim::Picture& pic, bool changed) {
        video.frame(pic.rgba.data(), pic.width, pic.height, field, changed);
        clock.deviceField(field);
        std::lock_guard lock(m);
        if (fields.size() % 97 == 0) kept[fields.size()] = pic.rgba;
        fields.push_back(field);
    });
    ktgsim::EmbeddedOptions eo;
    eo.timeScale = scale;
    ktgsim::RegisterEmbeddedDevice(std::move(eo));
    {
        app::CZentrixApp app;
        device::CEngine engine{device::CEngine::Options{&clock, device::kStopWaitMs, false}};
        platform::EventLoop loop{clock};
        pages::CFontManager fonts;
        std::ostringstream out;
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir.path()}));
        app.setDeviceLink(&engine);
        device::NetSetLockFolder(dir.path());
        app.StartHardware();
        ASSERT_TRUE(engine.isOpen());
        fonts.setFolder(app.GetPath(app::FOLDER_FONTS));
        fonts.Enumerate();
        demo::CPlayout playout(app, engine, fonts, loop, out);
        demo::PlayOptions o;
        o.file = dir.file(demo::kShowSequence);
        EXPECT_EQ(playout.Run(o, error), demo::PLAY_OK) << error << "\n" << out.str();
        app.StopHardware();
    }
    ktgsim::SetEmbeddedFieldTap(nullptr);
    video.stop();
    ktgsim::UnregisterEmbeddedDevice();

    // Every second field, none left out; the show's 51 seconds at least.
    ASSERT_GT(fields.size(), 51u * 25);
    for (size_t i = 1; i < fields.size(); ++i) ASSERT_EQ(fields[i], fields[i - 1] + 2) << i;
    const auto st = video.stats();
    for (const auto& s : st) {
        EXPECT_FALSE(s.failed) << s.error;
        EXPECT_EQ(s.frames, fields.size()) << s.target;
        EXPECT_EQ(s.dropped, 0u) << s.target;
    }
    size_t covered = 0;
    for (const std::string& file : {mov.target, mkv.target}) {
        SCOPED_TRACE(file);
        size_t n = 0;
        ASSERT_TRUE(output::DecodeEach(
            file,
            [&](output::Frame& f) {
                const auto k = kept.find(n++);
                if (k == kept.end()) return true;
                const std::vector<uint8_t>& want = k->second;
                if (file == mov.target) {
                    // Bit-exact, alpha included (the colour of an uncovered pixel is of no account).
                    size_t diff = 0;
                    for (size_t i = 0; i < want.size(); i += 4) {
                        if (want[i + 3] != 0) covered += 1;
                        if (f.rgba[i + 3] != want[i + 3] ||
                            (want[i + 3] != 0 && std::memcmp(&f.rgba[i], &want[i], 3) != 0))
                            ++diff;
                    }
                    EXPECT_EQ(diff, 0u) << "frame " << k->first;
                } else {
                    double sum = 0;
                    for (size_t i = 0; i < want.size(); i += 4)
                        for (int c = 0; c < 3; ++c) {
                            const double d = double(f.rgba[i + size_t(c)]) - want[i + size_t(c)] * want[i + 3] / 255;
                            sum += d * d;
                        }
                    const double mse = sum / double(want.size() / 4 * 3);
                    EXPECT_TRUE(mse == 0 || 10 * std::log10(255.0 * 255 / mse) > 40) << "frame " << k->first;
                }
                return true;
            },
            error))
            << error;
        EXPECT_EQ(n, fields.size());
    }
    EXPECT_GT(covered, 0u) << "the chosen frames show something";
}
