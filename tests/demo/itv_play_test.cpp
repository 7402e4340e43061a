// The Interactive system headless on the demo's vote, with the embedded virtual Device in scaled
// time, every kind of hardware in one run: calls rung on the second and then the first version of
// the phone-lines adapter's stand-in, Stop, the GSM modem and SMS on its simulator (lower case,
// Cyrillic, one without a keyword), Stop, the USB adapter's simulated library; duplicates across
// them. The statistics and the log as expected, and, at rest once the callers' numbers are
// forgotten, the Device's output after each of the last two flips (both halves of the picture)
// equal to that of a run casting the same votes with the buttons. And the voice messages into the
// adapter's stand-in and back.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "air/air_session.h"
#include "app/message_boxes.h"
#include "demo/demo_vote.h"
#include "demo/itv_playout.h"
#include "gsmsim/embedded.h"
#include "interactive/itv_model.h"
#include "interactive/itv_result.h"
#include "interactive/voice_message.h"
#include "interactive/voiceboard_library.h"
#include "phonesim/embedded.h"
#include "platform/event_loop.h"
#include "playout_fixture.h"
#include "sms/serial_settings.h"

using demotest::DemoPlayout;
using demotest::Grab;
using namespace interactive;

namespace {

std::string VoiceBoard(const std::string& line) {
    static auto control = [] {
        void* h = ::dlopen(VoiceBoardLibraryFile("sim").c_str(), RTLD_NOW | RTLD_LOCAL);
        return h ? reinterpret_cast<VoiceBoardSim_Control_t>(::dlsym(h, "VoiceBoardSim_Control")) : nullptr;
    }();
    if (!control) return "ERR no simulated library";
    char reply[512];
    control(line.c_str(), reply, sizeof reply);
    return reply;
}

// One kind of hardware in the run: the control lines its stand-in gets once the hardware is
// ready, 2.5 s apart, and what is counted by then.
struct Phase {
    int model;
    std::function<bool(const CITVModel&)> ready;
    std::function<bool(const std::string&)> send;  // false while the stand-in is not there
    std::vector<std::string> lines;
    size_t logged;  // entries of the log when the phase is over
    int sms = 0;
};

struct ItvPlayout : DemoPlayout {
    // The clock off (it would differ between runs), the temperature as it is.
    void SetUp() override {
        DemoPlayout::SetUp();
        app.profile().putInt("ITV", "ShowClock", 0);
        app.profile().putString("Serial", "SimScript", "");
    }
    // Runs the demo's vote until the log holds `votes` entries (and `sms` messages have been
    // received), then until the last caller's number has been forgotten and drawn away in both
    // halves; the Device's output after each flip in *flips.
    int run(demo::CItvPlayout& playout, size_t votes, int sms, std::vector<pages::CBitmap32>* flips,
            std::function<void(CITVModel&, uint32_t)> during = {}) {
        playout.setGrabber(Grab);
        demo::ItvPlayOptions o;
        o.system = dir.file(demo::kVoteSystem);
        o.forMs = 240000;
        o.timeScale = demotest::kScale;
        o.log = dir.file("vote log.txt");
        if (flips) o.flipped = [flips](const pages::CBitmap32& b) { flips->push_back(b); };
        uint32_t restAt = 0;
        o.during = [&, during](CITVModel& m, uint32_t elapsed) {
            if (during) during(m, elapsed);
            if (m.counter().log().size() < votes || m.counter().smsCount() < sms) return false;
            if (!restAt) restAt = elapsed + kItvLastVoteMs + 8000;
            return elapsed >= restAt;
        };
        std::string error;
        const int status = playout.Run(o, error);
        EXPECT_EQ(status, demo::PLAY_OK) << error << "\n" << out.str();
        return status;
    }
};

// The colour of a pixel of the Device's output.
uint32_t At(const pages::CBitmap32& b, int x, int y) { return b.colourAt(x, y); }

// Where two pictures differ: "" when they are the same.
std::string Differ(const pages::CBitmap32& a, const pages::CBitmap32& b) {
    if (a.width() != b.width() || a.height() != b.height()) return "sizes differ";
    int n = 0;
    pages::Rect box{a.width(), a.height(), 0, 0};
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.colourAt(x, y) != b.colourAt(x, y)) {
                ++n;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
    if (!n) return {};
    return std::to_string(n) + " pixels from (" + std::to_string(box.left) + ", " + std::to_string(box.top) + ") to (" +
           std::to_string(box.right) + ", " + std::to_string(box.bottom) + ")";
}

}  // namespace

TEST_F(ItvPlayout, EveryKindOfHardwareCountsAndTheDeviceShowsWhatTheButtonsWould) {
    const int port = app.settings().itvPortNo;
    app.settings().itv = 1;
    app.settings().useCID = 1;
    app.settings().cidLength = 2;  // seven digits
    app.settings().cidType = 0;    // the USB adapter's numbers come after off-hook (AOH)
    app.profile().putString(sms::kSerialSection, sms::SerialKey(port), sms::kSimDevice);
    app.profile().putString("Hardware", "VoiceBoardPath", "sim");
    // Line 1 of the USB adapter plays a tenth of a second to its callers; the others hang up.
    ASSERT_TRUE(SaveVoiceWav(dir.file("thanks.wav"), std::vector<uint8_t>(800, 0xFF)));
    app.profile().putString("ITV", "SoundFile1", dir.file("thanks.wav"));
    ::setenv("ZX_VOICEBOARD_CONTROL", dir.file("voiceboard.ctl").c_str(), 1);
    ASSERT_EQ(VoiceBoard("reset"), "OK");
    ASSERT_EQ(VoiceBoard("scale " + std::to_string(int(demotest::kScale))), "OK");

    phonesim::SimulatorOptions po;
    po.timeScale = demotest::kScale;
    phonesim::RegisterEmbeddedAdapter(po);
    gsmsim::RegisterEmbeddedModem();
    auto adapter = [port](const std::string& line) {
        std::string reply;
        const bool there =
            phonesim::WithEmbeddedAdapter(port, [&](phonesim::Simulator& s) { reply = s.control(line); });
        EXPECT_TRUE(!there || reply.rfind("OK", 0) == 0) << line << ": " << reply;
        return there;
    };
    auto modem = [port](const std::string& line) {
        return gsmsim::WithEmbeddedModem(port, [&](gsmsim::Simulator& s) { s.control(line); });
    };
    auto usb = [](const std::string& line) {
        const std::string reply = VoiceBoard(line);
        return reply.rfind("OK", 0) == 0;
    };
    // The adapter answers once it has said so; the modem once it has told its name (a message
    // stored before would wait for the engine's next listing); the USB adapter once its lines
    // listen.
    auto running = [](const CITVModel& m) { return m.running(); };
    auto modemReady = [](const CITVModel& m) { return m.gsmStatus().rfind("OK: ", 0) == 0; };
    auto linesListen = [](const CITVModel& m) { return m.usbStatus().find("listening: [3]") != std::string::npos; };
    // Tea is answer 1 (line 1, port 101), coffee 2, juice 3; the demo ignores duplicate callers.
    std::vector<Phase> phases = {
        {ITV_MODEL_ADAPTER2, running, adapter, {"ring 0 5551001", "ring 2 5551003", "ring 2 5551003", "ring 1"}, 4},
        {ITV_MODEL_ADAPTER1, running, adapter, {"ring 0 5552001", "ring 1 5551001"}, 6},
        {ITV_MODEL_GSM,
         modemReady,
         modem,
         {"sms --from +38164222333 --coding 7bit i vote for tea",
          "sms --from +79165550101 --coding ucs2 Голосую: coffee",
          "sms --from +38160999888 --coding 7bit nothing to vote for"},
         8,
         3},
        {ITV_MODEL_USB, linesListen, usb, {"ring 101 5553001", "ring 103 5553003", "ring 102 5551001"}, 11, 3},
    };
    app.settings().itvModel = phases[0].model;
    size_t phase = 0, sent = 0;
    uint32_t nextAt = 0;
    std::vector<std::string> statuses;
    demo::CItvPlayout hardware(app, engine, fonts, loop, out);
    std::vector<pages::CBitmap32> viaHardware;
    run(hardware, 11, 3, &viaHardware, [&](CITVModel& m, uint32_t elapsed) {
        if (phase >= phases.size()) return;
        Phase& p = phases[phase];
        if (sent < p.lines.size()) {
            if (p.ready(m) && elapsed >= nextAt && p.send(p.lines[sent])) {
                ++sent;
                nextAt = elapsed + 2500;
            }
            return;
        }
        if (m.counter().log().size() < p.logged || m.counter().smsCount() < p.sms || elapsed < nextAt) return;
        // This kind's votes are in: Stop, the next kind of hardware, Start.
        m.Stop();
        if (++phase == phases.size()) return;
        app.settings().itvModel = phases[phase].model;
        sent = 0;
        m.Start();
    });
    gsmsim::UnregisterEmbeddedModem();
    phonesim::UnregisterEmbeddedAdapter();
    EXPECT_EQ(phase, phases.size()) << out.str();
    EXPECT_EQ(hardware.counts(), (std::vector<int>{4, 2, 2})) << out.str();
    EXPECT_EQ(hardware.smsCount(), 3) << out.str();
    ASSERT_EQ(hardware.votes().size(), 11u) << out.str();
    // The same caller again: on the same line, on another adapter, on the USB adapter.
    for (size_t i : {2u, 5u, 10u}) EXPECT_NE(hardware.votes()[i].find('*'), std::string::npos) << hardware.votes()[i];
    EXPECT_NE(hardware.votes()[4].find("5552001"), std::string::npos) << "the first version's number";
    EXPECT_NE(hardware.votes()[6].find("+38164222333"), std::string::npos)
        << "the sender of an SMS: " << hardware.votes()[6] << "\n"
        << out.str();
    EXPECT_NE(hardware.votes()[8].find("5553001"), std::string::npos) << "a number after off-hook";
    EXPECT_NE(out.str().find("gsm: OK: "), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("usb: Total lines: [8] listening: [3]"), std::string::npos) << out.str();
    EXPECT_NE(VoiceBoard("log").find("PlayFile(101," + dir.file("thanks.wav") + ")"), std::string::npos);

    // The same counts by the buttons, without hardware.
    app.settings().itv = 0;
    demo::CItvPlayout buttons(app, engine, fonts, loop, out);
    std::vector<pages::CBitmap32> viaButtons;
    bool cast = false;
    run(buttons, 8, 0, &viaButtons, [&cast](CITVModel& m, uint32_t elapsed) {
        if (cast || elapsed < 1000) return;
        for (int answer : {1, 1, 1, 1, 2, 2, 3, 3}) m.VoteButton(answer);
        cast = true;
    });
    EXPECT_EQ(buttons.counts(), (std::vector<int>{4, 2, 2}));

    // At rest both halves hold the same picture, whatever the votes came from.
    ASSERT_GE(viaHardware.size(), 2u);
    ASSERT_GE(viaButtons.size(), 2u);
    const pages::CBitmap32& reference = viaButtons.back();
    for (const auto* flips : {&viaHardware, &viaButtons})
        for (size_t k = flips->size() - 2; k < flips->size(); ++k)
            EXPECT_EQ(Differ((*flips)[k], reference), "")
                << (flips == &viaHardware ? "hardware" : "buttons") << ", flip " << k + 1 << " of " << flips->size();
    // A count's panel looks as the answer's beside it: the same colour, keyed once.
    EXPECT_EQ(At(reference, 553, 108), At(reference, 225, 108));
    EXPECT_NE(At(reference, 553, 108), 0x00000000u) << "the panel is there";
}

namespace {

struct VoicePanel final : ItvPanel {
    std::string voicePath;
    int progress = 0;
    void ShowProgress(const std::string&, int) override { progress = 0; }
    void StepProgress(int value) override { progress = value; }
    std::string AskVoicePath(const std::string&) override { return voicePath; }
};

// A tone of `samples` samples as a 16-bit WAV file.
std::string Tone(const std::string& path, size_t samples) {
    std::vector<uint8_t> mulaw(samples);
    for (size_t i = 0; i < samples; ++i) mulaw[i] = MuLawEncode(int16_t((i % 40 < 20 ? 1 : -1) * int(i % 20) * 900));
    EXPECT_TRUE(SaveVoiceWav(path, mulaw));
    return path;
}

}  // namespace

// The voice messages through the view's rules and the adapter's stand-in: into two lines of the
// second version and read back, into a line of the first, and a transfer cancelled on the way.
TEST_F(ItvPlayout, VoiceMessagesGoIntoTheAdapterAndComeBack) {
    app::HeadlessMessageBoxes boxes;
    app::SetMessageBoxes(&boxes);
    const int port = app.settings().itvPortNo;
    app.settings().itv = 1;
    app.settings().itvModel = ITV_MODEL_ADAPTER2;
    app.profile().putString(sms::kSerialSection, sms::SerialKey(port), sms::kSimDevice);
    phonesim::SimulatorOptions po;
    po.timeScale = demotest::kScale;
    phonesim::RegisterEmbeddedAdapter(po);
    {
        const std::unique_ptr<ItvHardware> hardware = demo::MakePlayoutHardware(app, demotest::kScale);
        air::CAirSession session(app, engine, fonts, loop);
        CITVModel* current = nullptr;
        platform::LoopTarget owner(loop, [&](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
            return current ? current->OnMessage(msg, w, l) : 0;
        });
        CITVModel model(app, fonts, session.frame(), loop, loop.clock(), *hardware);
        VoicePanel panel;
        model.setPanel(&panel);
        model.setOwner(&owner);
        current = &model;
        auto finished = [&] { return loop.runUntil([&] { return !model.transferRunning(); }, 60000); };
        auto dump = [&](int line, const std::string& file) {
            std::string reply;
            phonesim::WithEmbeddedAdapter(port, [&](phonesim::Simulator& s) {
                reply = s.control("voice dump " + std::to_string(line) + " " + file);
            });
            return reply;
        };

        // Second version: lines 1 and 2 at once, then line 2 read back into a file.
        std::vector<uint8_t> message;
        ASSERT_TRUE(model.LoadVoice(Tone(dir.file("tone.wav"), 4000), message));
        ASSERT_TRUE(model.WriteVoice({0x03, message}));
        ASSERT_TRUE(finished());
        EXPECT_EQ(boxes.count(), 0) << boxes.lastText();
        EXPECT_EQ(panel.progress, 4000) << "the progress counted to the message's length";
        std::vector<uint8_t> stored;
        ASSERT_EQ(dump(0, dir.file("line1.wav")), "OK 4000 samples");
        ASSERT_EQ(LoadVoiceWav(dir.file("line1.wav"), ITV_VERSION_2, stored), WAV_OK);
        EXPECT_EQ(stored, message) << "the adapter keeps it in playing order";
        panel.voicePath = dir.file("back.wav");
        ASSERT_TRUE(model.ReadVoice(1));
        ASSERT_TRUE(finished());
        std::vector<uint8_t> back;
        ASSERT_EQ(LoadVoiceWav(dir.file("back.wav"), ITV_VERSION_2, back), WAV_OK);
        EXPECT_EQ(back, message);
        // An erased line has nothing to read.
        ASSERT_TRUE(model.ReadVoice(5));
        ASSERT_TRUE(finished());
        EXPECT_EQ(boxes.lastText(), "There's no voice message on this line!");

        // First version: unsigned 8-bit samples, line 3 alone.
        app.settings().itvModel = ITV_MODEL_ADAPTER1;
        ASSERT_TRUE(model.LoadVoice(dir.file("tone.wav"), message));
        ASSERT_TRUE(model.WriteVoice({0x04, message}));
        ASSERT_TRUE(finished());
        ASSERT_EQ(dump(2, dir.file("line3.wav")), "OK 4000 samples");
        ASSERT_EQ(LoadVoiceWav(dir.file("line3.wav"), ITV_VERSION_1, stored), WAV_OK);
        EXPECT_EQ(stored, message);
        EXPECT_FALSE(model.ReadVoice(2)) << "the first version cannot read back";
        model.setPanel(nullptr);
        current = nullptr;
    }
    phonesim::UnregisterEmbeddedAdapter();

    // At the adapter's own pace the operator's Cancel comes in time: the transfer ends with 4.
    po.timeScale = 1;
    po.pace = true;
    phonesim::RegisterEmbeddedAdapter(po);
    app.settings().itvModel = ITV_MODEL_ADAPTER2;
    {
        const std::unique_ptr<ItvHardware> hardware = demo::MakePlayoutHardware(app, 1);
        air::CAirSession session(app, engine, fonts, loop);
        CITVModel* current = nullptr;
        platform::LoopTarget owner(loop, [&](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
            return current ? current->OnMessage(msg, w, l) : 0;
        });
        CITVModel model(app, fonts, session.frame(), loop, loop.clock(), *hardware);
        VoicePanel panel;
        model.setPanel(&panel);
        model.setOwner(&owner);
        current = &model;
        std::vector<uint8_t> message;
        ASSERT_TRUE(model.LoadVoice(Tone(dir.file("long.wav"), 40000), message));
        ASSERT_TRUE(model.WriteVoice({0x01, message}));
        ASSERT_TRUE(loop.runUntil([&] { return panel.progress > 0; }, 60000));
        model.CancelVoice();
        ASSERT_TRUE(loop.runUntil([&] { return !model.transferRunning(); }, 60000));
        EXPECT_LT(panel.progress, 40000);
        EXPECT_NE(boxes.lastText().find("Voice message operation aborted!"), std::string::npos) << boxes.lastText();
        EXPECT_TRUE(model.Buttons().writeVoice) << "ready for the next";
        model.setPanel(nullptr);
        current = nullptr;
    }
    phonesim::UnregisterEmbeddedAdapter();
    app::SetMessageBoxes(nullptr);
}
