// CUSBEngine and the port state machine against the simulated library, loaded with dlopen like
// the adapter's own, at a time scale: the options of each caller-ID setting, the refusals, whole
// calls and an unplugged device. Every wait is bounded.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "device/log_capture.h"
#include "interactive/usb_engine.h"
#include "interactive/voice_message.h"
#include "platform/registered_message.h"
#include "support/temp_dir.h"

namespace interactive {
namespace {

// The view's thread: the library's posts queue up and are handled by pump.
class QueueTarget final : public platform::MessageTarget {
public:
    void post(uint32_t msg, uintptr_t w, intptr_t l) override {
        std::lock_guard lock(m_);
        q_.emplace_back(msg, w, l);
        cv_.notify_all();
    }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override {
        post(msg, w, l);
        return 0;
    }
    // Handles messages until done() holds or timeoutMs pass; false on time-out.
    bool pump(const std::function<void(uint32_t, uintptr_t, intptr_t)>& handle, const std::function<bool()>& done,
              int timeoutMs = 5000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done()) {
            std::unique_lock lock(m_);
            if (!cv_.wait_until(lock, end, [&] { return !q_.empty(); })) return done();
            auto [msg, w, l] = q_.front();
            q_.pop_front();
            lock.unlock();
            handle(msg, w, l);
        }
        return true;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::tuple<uint32_t, uintptr_t, intptr_t>> q_;
};

std::string Sim(const std::string& line) {
    static auto control = [] {
        void* h = ::dlopen(VoiceBoardLibraryFile("sim").c_str(), RTLD_NOW | RTLD_LOCAL);
        return h ? reinterpret_cast<VoiceBoardSim_Control_t>(::dlsym(h, "VoiceBoardSim_Control")) : nullptr;
    }();
    if (!control) return "no simulated library";
    char reply[4096];
    control(line.c_str(), reply, sizeof reply);
    return reply;
}

struct Sink final : UsbSink {
    std::vector<CallRecord> calls;
    std::string status;
    void OnCall(const CallRecord& r) override { calls.push_back(r); }
    void OnStatus(const std::string& text) override { status = text; }
};

class UsbEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("ZX_VOICEBOARD_CONTROL", dir.file("voiceboard.ctl").c_str(), 1);  // this test's own socket
        ASSERT_EQ(Sim("reset"), "OK");
        ASSERT_EQ(Sim("scale 40"), "OK");
        engine.SetLibrarySetting("sim");
        std::vector<uint8_t> quiet(800, 0xFF);  // 0.1 s of silence
        ASSERT_TRUE(SaveVoiceWav(dir.file("line1.wav"), quiet));
    }
    void TearDown() override {
        table.Stop();
        engine.Stop();
    }
    bool start(bool useCID, bool aoh, int cidLength = 1) {
        UsbLineConfig c;
        c.useCID = useCID;
        c.aoh = aoh;
        c.assigned = 0x0F;
        c.soundFiles[0] = dir.file("line1.wav");
        c.soundFiles[2] = dir.file("missing.wav");
        table.Start(c);
        return engine.Start(&target, useCID, aoh, cidLength);
    }
    bool pumpUntil(const std::function<bool()>& done) {
        return target.pump(
            [&](uint32_t msg, uintptr_t w, intptr_t l) {
                if (msg == CUSBEngine::Message()) table.OnNotify(w, l);
            },
            done);
    }
    int state(int port) { return table.Find(port) ? table.Find(port)->state : -1; }
    bool allListening() {
        return table.ports().size() == 8 && table.Counts().listening == 4;  // lines 0-3 assigned
    }

    zxtest::TempDir dir;
    CUSBEngine engine;
    QueueTarget target;
    Sink sink;
    UsbPortTable table{engine.calls(), sink};
};

TEST_F(UsbEngineTest, TheMessageIsRegisteredOnceFromC000) {
    uint32_t m = CUSBEngine::Message();
    EXPECT_GE(m, platform::kFirstRegisteredMessage);
    EXPECT_EQ(platform::RegisterMessage("{BC6D959E-9F30-4312-8D20-1A2199DF83D8}"), m);
    EXPECT_NE(platform::RegisterMessage("another"), m);
    EXPECT_EQ(platform::RegisterMessage(""), 0u);
}

TEST_F(UsbEngineTest, OptionsFollowEachCallerIdSetting) {
    struct Case {
        bool useCID, aoh;
        std::string log;
    } cases[] = {
        {false, false,
         "CfgSetOptionBool(cid_dtmf,0) CfgSetOptionBool(cid_fsk,0) CfgSetOptionBool(cid_aon,0) "
         "CfgSetOptionBool(cid_aon_active,0) Initialize()"},
        {false, true,
         "CfgSetOptionBool(cid_dtmf,0) CfgSetOptionBool(cid_fsk,0) CfgSetOptionBool(cid_aon,0) "
         "CfgSetOptionBool(cid_aon_active,0) Initialize()"},
        {true, false,
         "CfgSetOptionBool(cid_dtmf,1) CfgSetOptionBool(cid_fsk,1) CfgSetOptionBool(cid_aon,0) "
         "CfgSetOptionBool(cid_aon_active,0) Initialize()"},
        {true, true,
         "CfgSetOptionBool(cid_dtmf,0) CfgSetOptionBool(cid_fsk,0) CfgSetOptionBool(cid_aon,1) "
         "CfgSetOptionBool(cid_aon_active,1) CfgSetOptionInt(cid_aon_digits,3) Initialize()"},
    };
    for (const Case& c : cases) {
        Sim("log clear");
        ASSERT_TRUE(start(c.useCID, c.aoh, 3));
        EXPECT_EQ(Sim("log"), "OK " + c.log) << c.useCID << c.aoh;
        engine.Stop();
    }
}

TEST_F(UsbEngineTest, RefusesAMissingLibraryAMissingCallAndABusyDevice) {
    zxtest::LogCapture log;
    CUSBEngine missing;
    missing.SetLibrarySetting(dir.file("libnothere.so"));
    EXPECT_FALSE(missing.Start(&target, false, false, 1));
    EXPECT_NE(missing.loadError().find("libnothere.so"), std::string::npos);
    EXPECT_TRUE(log.has("Error initializing USB subsystem!\n\nCan't find Voiceboard.dll!") ||
                log.text().find("Can't find Voiceboard.dll!") != std::string::npos);

    CUSBEngine noPause;
    std::string sim = VoiceBoardLibraryFile("sim");
    noPause.SetLibrarySetting(sim.substr(0, sim.rfind('/')) + "/libvoiceboardsim_nopause.so");
    EXPECT_FALSE(noPause.Start(&target, false, false, 1));
    EXPECT_FALSE(noPause.loaded());
    EXPECT_NE(noPause.loadError().find("missing VoiceBoard_Pause"), std::string::npos);
    EXPECT_NE(log.text().find("missing VoiceBoard_Pause"), std::string::npos);

    Sim("busy on");
    EXPECT_FALSE(start(false, false));
    EXPECT_NE(log.text().find("USB device is already in use by another application!"), std::string::npos);
    Sim("busy off");
    EXPECT_TRUE(start(false, false));
}

TEST_F(UsbEngineTest, CallerIdOffCallIsAnsweredVotedPlayedAndHungUp) {
    ASSERT_TRUE(start(false, false));
    ASSERT_TRUE(pumpUntil([&] { return allListening(); }));
    EXPECT_EQ(sink.status, "Total lines: [8] listening: [4] ringing: [0] answering: [0]");
    EXPECT_EQ(Sim("ring 101 5551234"), "OK ringing 101");
    ASSERT_TRUE(pumpUntil([&] { return sink.calls.size() == 1 && state(101) == USB_LISTENING; }));
    EXPECT_EQ(sink.calls[0].hasNumber, 0);
    std::string calls = Sim("log");
    EXPECT_NE(calls.find("OffHook(101) PlayFile(101," + dir.file("line1.wav") + ") Hangup(101)"), std::string::npos)
        << calls;
}

TEST_F(UsbEngineTest, CallerIdNumbersArriveByDtmfOrAfterOffHookWithAoh) {
    ASSERT_TRUE(start(true, false));
    ASSERT_TRUE(pumpUntil([&] { return allListening(); }));
    Sim("ring 102 5551234");
    Sim("ring 103 --rings 3");  // no number: answered after the second ring
    ASSERT_TRUE(pumpUntil([&] { return sink.calls.size() == 2; }));
    for (const CallRecord& r : sink.calls) {
        if (r.line == 1) EXPECT_STREQ(r.number, "5551234");
        else EXPECT_EQ(r.hasNumber, 0);
    }
    ASSERT_TRUE(pumpUntil([&] { return state(102) == USB_LISTENING && state(103) == USB_LISTENING; }));
    engine.Stop();
    sink.calls.clear();

    ASSERT_TRUE(start(true, true, 4));
    ASSERT_TRUE(pumpUntil([&] { return allListening(); }));
    Sim("ring 101 5551234");
    ASSERT_TRUE(pumpUntil([&] { return sink.calls.size() == 1; }));
    EXPECT_STREQ(sink.calls[0].number, "1234");
    EXPECT_NE(Sim("log").find("Pause(101,1000)"), std::string::npos);
}

TEST_F(UsbEngineTest, FailuresAndAMissingSoundFileStillEndEveryCall) {
    ASSERT_TRUE(start(false, false));
    ASSERT_TRUE(pumpUntil([&] { return allListening(); }));
    Sim("ring 103");  // its sound file is missing: hung up after the vote
    ASSERT_TRUE(pumpUntil([&] { return sink.calls.size() == 1 && state(103) == USB_LISTENING; }));
    Sim("fail Hangup 1");
    Sim("ring 101");
    ASSERT_TRUE(pumpUntil([&] { return sink.calls.size() == 2 && table.Find(101)->hangupDue; }));
    Sim("hangup 101");  // the caller leaves: the line status is the next event, the hang-up is retried
    ASSERT_TRUE(pumpUntil([&] { return state(101) == USB_LISTENING; }));
    EXPECT_EQ(sink.calls.size(), 2u);
    EXPECT_NE(Sim("stats").find("offhook=0"), std::string::npos);
}

TEST_F(UsbEngineTest, UnplugDuringACallTakesEveryPortDownAndPlugBringsThemBack) {
    Sim("ports 101-104,201-204");
    ASSERT_TRUE(start(false, false));
    ASSERT_TRUE(pumpUntil([&] { return table.ports().size() == 8 && table.Counts().listening == 8; }));
    Sim("ring 201");
    ASSERT_TRUE(pumpUntil([&] { return state(201) >= USB_OFF_HOOK; }));
    Sim("unplug");
    ASSERT_TRUE(pumpUntil(
        [&] { return table.Counts().total == 8 && table.Counts().listening == 0 && table.Counts().answering == 0; }));
    Sim("plug");
    ASSERT_TRUE(pumpUntil([&] { return table.Counts().listening == 8; }));
}

}  // namespace
}  // namespace interactive
