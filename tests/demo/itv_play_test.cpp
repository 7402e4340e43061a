// The Interactive system headless on the demo's vote, with the embedded virtual Device in scaled
// time: calls rung on the phone-lines adapter's stand-in (one number twice), SMS on the modem
// simulator (lower case, Cyrillic, one without a keyword), counted into the statistics and the
// log; and, once the callers' numbers are forgotten, the Device's output equal to that of a run
// casting the same votes with the buttons.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "demo/demo_vote.h"
#include "demo/itv_playout.h"
#include "gsmsim/embedded.h"
#include "interactive/itv_model.h"
#include "phonesim/embedded.h"
#include "playout_fixture.h"
#include "sms/serial_settings.h"

using demotest::DemoPlayout;
using demotest::Grab;

namespace {

struct ItvPlayout : DemoPlayout {
    // The clock off (it would differ between runs), the temperature as it is.
    void SetUp() override {
        DemoPlayout::SetUp();
        app.profile().putInt("ITV", "ShowClock", 0);
        app.profile().putString("Serial", "SimScript", "");
    }
    // Runs the demo's vote until `votes` votes are logged (and `sms` messages received) and the
    // last caller's number has been forgotten and drawn away, at most two minutes of scaled time;
    // the Device's output at the end in *last.
    int run(demo::CItvPlayout& playout, size_t votes, int sms, pages::CBitmap32* last,
            std::function<void(interactive::CITVModel&, uint32_t)> during = {}) {
        playout.setGrabber(Grab);
        demo::ItvPlayOptions o;
        o.system = dir.file(demo::kVoteSystem);
        o.forMs = 120000;
        o.timeScale = demotest::kScale;
        o.log = dir.file("vote log.txt");
        uint32_t restAt = 0;
        o.during = [&, during](interactive::CITVModel& m, uint32_t elapsed) {
            if (during) during(m, elapsed);
            if (m.counter().log().size() < votes || m.counter().smsCount() < sms) return false;
            if (!restAt) restAt = elapsed + interactive::kItvLastVoteMs + 8000;
            if (elapsed < restAt) return false;
            // While the picture is on air: the end of the run takes it off.
            if (last) {
                EXPECT_TRUE(Grab(*last));
            }
            return true;
        };
        std::string error;
        const int status = playout.Run(o, error);
        EXPECT_EQ(status, demo::PLAY_OK) << error << "\n" << out.str();
        return status;
    }
};

// Sends control lines to a stand-in once it runs, a little apart.
template <class With>
std::thread Sender(std::atomic<bool>& stop, With with, std::vector<std::string> lines) {
    return std::thread([&stop, with, lines] {
        while (!stop && !with(std::string())) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (const std::string& l : lines) {
            if (stop) return;
            with(l);
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
    });
}

}  // namespace

TEST_F(ItvPlayout, SmsAndCallsCountAndTheDeviceShowsWhatTheButtonsWould) {
    const int port = app.settings().itvPortNo;
    // 1. SMS on the modem: tea in lower case, coffee in a Cyrillic message, one without a keyword.
    gsmsim::RegisterEmbeddedModem();
    app.settings().itv = 1;
    app.settings().itvModel = interactive::ITV_MODEL_GSM;
    std::atomic<bool> stop{false};
    std::thread sms = Sender(stop,
                             [port](const std::string& line) {
                                 return gsmsim::WithEmbeddedModem(port, [&](gsmsim::Simulator& s) {
                                     if (!line.empty()) s.control(line);
                                 });
                             },
                             {"sms --from +38164222333 --coding 7bit i vote for tea",
                              "sms --from +79165550101 --coding ucs2 Голосую: coffee",
                              "sms --from +38160999888 --coding 7bit nothing to vote for"});
    demo::CItvPlayout gsm(app, engine, fonts, loop, out);
    pages::CBitmap32 viaSms;
    run(gsm, 2, 3, &viaSms);
    stop = true;
    sms.join();
    gsmsim::UnregisterEmbeddedModem();
    EXPECT_EQ(gsm.counts(), (std::vector<int>{1, 1, 0})) << out.str();
    EXPECT_EQ(gsm.smsCount(), 3) << out.str();
    ASSERT_EQ(gsm.votes().size(), 2u) << out.str();
    EXPECT_NE(gsm.votes()[0].find("+38164222333"), std::string::npos);
    EXPECT_NE(out.str().find("gsm: OK: "), std::string::npos) << out.str();

    // 2. Calls on the second version's adapter: line 1, line 3 twice from one number (a
    // duplicate: the demo ignores them), line 2 without a number.
    phonesim::SimulatorOptions po;
    po.timeScale = demotest::kScale;
    phonesim::RegisterEmbeddedAdapter(po);
    app.settings().itvModel = interactive::ITV_MODEL_ADAPTER2;
    app.settings().useCID = 1;
    app.profile().putString(sms::kSerialSection, sms::SerialKey(port), sms::kSimDevice);
    stop = false;
    std::thread calls = Sender(stop,
                               [port](const std::string& line) {
                                   return phonesim::WithEmbeddedAdapter(port, [&](phonesim::Simulator& s) {
                                       if (!line.empty()) s.control(line);
                                   });
                               },
                               {"ring 0 5551001", "ring 2 5551003", "ring 2 5551003", "ring 1"});
    demo::CItvPlayout phone(app, engine, fonts, loop, out);
    run(phone, 4, 0, nullptr);
    stop = true;
    calls.join();
    phonesim::UnregisterEmbeddedAdapter();
    EXPECT_EQ(phone.counts(), (std::vector<int>{1, 1, 1})) << out.str();
    ASSERT_EQ(phone.votes().size(), 4u) << out.str();
    EXPECT_NE(phone.votes()[2].find("*"), std::string::npos) << "the duplicate is marked";

    // 3. The same votes as the SMS run, by the buttons and without hardware.
    app.settings().itv = 0;
    demo::CItvPlayout buttons(app, engine, fonts, loop, out);
    pages::CBitmap32 viaButtons;
    bool cast = false;
    run(buttons, 2, 0, &viaButtons, [&cast](interactive::CITVModel& m, uint32_t elapsed) {
        if (cast || elapsed < 1000) return;
        m.VoteButton(1);
        m.VoteButton(2);
        cast = true;
    });
    EXPECT_EQ(buttons.counts(), (std::vector<int>{1, 1, 0}));
    ASSERT_FALSE(viaSms.empty());
    // Every pixel drawn bright (the cores of texts, the bars) in one is bright in the other. The panels' dark
    // half-transparent colours are left out: under load the Device sometimes shows the picture
    // keyed over a second copy of itself in its other layer, which changes only them and the
    // half-covered edges of the letters.
    int differ = 0;
    pages::Rect box{720, 576, 0, 0};
    auto bright = [](const pages::CBitmap32& p, int x, int y) {
        const uint8_t* c = p.pixel(x, y);
        return std::max({c[pages::PIX_RED], c[pages::PIX_GREEN], c[pages::PIX_BLUE]}) > 224;
    };
    for (int y = 0; y < viaSms.height(); ++y)
        for (int x = 0; x < viaSms.width(); ++x)
            if (bright(viaSms, x, y) != bright(viaButtons, x, y)) {
                ++differ;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
    EXPECT_EQ(differ, 0) << "the picture at rest depends on the counts alone: from (" << box.left << ", " << box.top
                         << ") to (" << box.right << ", " << box.bottom << "), " << differ << " pixels";
}
