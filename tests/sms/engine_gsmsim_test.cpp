// The engine with its threads against the modem simulator on a pseudo-terminal: messages of every
// coding, faults it recovers from, Close in every state, the line it sets, the exclusive port.
// The engine's times run 20 times faster here; the waits below only bound a failing test.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "gsmsim/simulator.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"
#include "sms/serial_modem_port.h"
#include "sms/sms_engine.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

class Recorder final : public platform::MessageTarget {
public:
    void post(uint32_t, uintptr_t, intptr_t) override {}
    intptr_t send(uint32_t, uintptr_t, intptr_t) override { return 0; }
    void postBlock(uint32_t msg, uintptr_t code, platform::PostedBlockPtr block) override {
        if (msg != sms::WM_SMSENGINE_NOTIFY || block->stale()) return;
        std::lock_guard l(m_);
        if (code == sms::SMS_NOTE_STATUS) statuses_.push_back(*static_cast<const sms::SMSStatus*>(block->data()));
        else records_.push_back(*static_cast<const sms::SMSRecord*>(block->data()));
        cv_.notify_all();
    }
    // Waits for a status with the code after the first `from` statuses; its index, or -1.
    int waitStatus(int code, size_t from = 0, int ms = 15000) {
        std::unique_lock l(m_);
        int found = -1;
        cv_.wait_for(l, std::chrono::milliseconds(ms), [&] {
            for (size_t i = from; i < statuses_.size(); ++i)
                if (statuses_[i].status == code) return (found = int(i)) >= 0;
            return false;
        });
        return found;
    }
    bool waitRecords(size_t n, int ms = 15000) {
        std::unique_lock l(m_);
        return cv_.wait_for(l, std::chrono::milliseconds(ms), [&] { return records_.size() >= n; });
    }
    size_t statusCount() {
        std::lock_guard l(m_);
        return statuses_.size();
    }
    std::vector<sms::SMSRecord> records() {
        std::lock_guard l(m_);
        return records_;
    }
    sms::SMSStatus lastStatus() {
        std::lock_guard l(m_);
        return statuses_.empty() ? sms::SMSStatus{} : statuses_.back();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<sms::SMSStatus> statuses_;
    std::vector<sms::SMSRecord> records_;
};

struct Rig {
    explicit Rig(gsmsim::ModemOptions modem = {}, bool pacing = false)
        : sim(Options(dir.file("modem"), modem, pacing)) {
        std::string error;
        EXPECT_TRUE(sim.start(error)) << error;
    }
    static gsmsim::SimulatorOptions Options(const std::string& link, const gsmsim::ModemOptions& modem, bool pacing) {
        gsmsim::SimulatorOptions o;
        o.link = link;
        o.modem = modem;
        o.pacing = pacing;
        return o;
    }
    sms::EngineOptions engineOptions(double scale = 20) {
        sms::EngineOptions o;
        std::string path = dir.file("modem");
        o.makePort = [path](int) { return std::make_unique<sms::SerialModemPort>([path] { return path; }); };
        o.timeScale = scale;
        o.codePage = 1251;
        return o;
    }
    // Waits until the modem's storage holds n messages.
    bool waitStored(int n, int ms = 15000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            int stored = -1;
            sim.withModem([&](gsmsim::Modem& m) { stored = m.storedCount(); });
            if (stored == n) return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }
    zxtest::TempDir dir;
    gsmsim::Simulator sim;
};

std::string Text(const sms::SMSRecord& r) { return std::string(r.text, size_t(r.textLength)); }

TEST(SmsEngineSim, ThreeCodingsArriveInOrderAndLeaveTheStorageEmpty) {
    Rig rig;
    Recorder owner;
    sms::CSMSEngine engine(rig.engineOptions());
    engine.Open(&owner, 1, 19200, true, true, false);
    ASSERT_GE(owner.waitStatus(sms::SMS_READY), 0);
    EXPECT_STREQ(owner.lastStatus().manufacturer, "Zentrix");
    EXPECT_EQ(rig.sim.control("sms --from +38164111222 --coding 7bit Hello [world]"), "OK 1 part in slot 1");
    EXPECT_EQ(rig.sim.control("sms --from +38164111333 --coding 8bit plain bytes"), "OK 1 part in slot 2");
    EXPECT_EQ(rig.sim.control("sms --from-alpha Info --coding ucs2 Привет"), "OK 1 part in slot 3");
    ASSERT_TRUE(owner.waitRecords(3));
    std::vector<sms::SMSRecord> r = owner.records();
    EXPECT_STREQ(r[0].number, "+38164111222");
    EXPECT_EQ(Text(r[0]), "Hello [world]");
    EXPECT_EQ(Text(r[1]), "plain bytes");
    EXPECT_STREQ(r[2].number, "Info");
    EXPECT_EQ(Text(r[2]), "\xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_TRUE(rig.waitStored(0));
    EXPECT_TRUE(engine.Close());
}

TEST(SmsEngineSim, MessagesAlreadyStoredAreListedAtConnection) {
    Rig rig;
    rig.sim.control("sms --from +1555 first");
    rig.sim.control("sms --from +1555 second");
    rig.sim.control("status-report --to +1555 --ref 7");
    Recorder owner;
    sms::CSMSEngine engine(rig.engineOptions());
    engine.Open(&owner, 1, 19200, true, true, false);
    ASSERT_TRUE(owner.waitRecords(3));
    std::vector<sms::SMSRecord> r = owner.records();
    EXPECT_EQ(Text(r[0]), "first");
    EXPECT_EQ(Text(r[1]), "second");
    EXPECT_EQ(r[2].kind, sms::SMS_KIND_STATUS_REPORT);
    EXPECT_TRUE(rig.waitStored(0));
    EXPECT_TRUE(engine.Close());
}

TEST(SmsEngineSim, FaultsEndInStatusFiveAgain) {
    struct Fault {
        std::vector<std::string> commands;
        int expectCode;                  // a status the fault must lead to before the modem is ready again (0: none)
        std::vector<std::string> after;  // sent once that status came
    };
    const std::vector<Fault> faults = {
        {{"drop"}, sms::SMS_NO_ANSWER, {}},
        {{"silent on"}, sms::SMS_NO_ANSWER, {"silent off"}},
        {{"silent on"}, sms::SMS_NO_ANSWER, {"error 1", "silent off"}},  // the reconnection is refused once
        {{"garbage 3000"}, 0, {}},
        {{"endless 40000"}, 0, {}},
        {{"error 5"}, 0, {}},
    };
    for (size_t i = 0; i < faults.size(); ++i) {
        Rig rig;
        Recorder owner;
        sms::CSMSEngine engine(rig.engineOptions());
        engine.Open(&owner, 1, 19200, true, true, false);
        ASSERT_GE(owner.waitStatus(sms::SMS_READY), 0) << i;
        size_t from = owner.statusCount();
        for (const std::string& c : faults[i].commands) EXPECT_EQ(rig.sim.control(c).substr(0, 2), "OK") << c;
        if (faults[i].expectCode) {
            int at = owner.waitStatus(faults[i].expectCode, from);
            ASSERT_GE(at, 0) << i;
            from = size_t(at) + 1;
        }
        for (const std::string& c : faults[i].after) rig.sim.control(c);
        if (i == 2) {
            int refused = owner.waitStatus(sms::SMS_NOT_SUPPORTED, from);
            ASSERT_GE(refused, 0);
            from = size_t(refused) + 1;
        }
        if (faults[i].expectCode) {
            ASSERT_GE(owner.waitStatus(sms::SMS_READY, from), 0) << i;
        }
        // And a message still gets through.
        rig.sim.control("sms --from +1555 after the fault");
        ASSERT_TRUE(owner.waitRecords(1)) << i;
        EXPECT_EQ(Text(owner.records().back()), "after the fault") << i;
        EXPECT_EQ(owner.lastStatus().status, sms::SMS_READY) << i;
        EXPECT_TRUE(engine.Close()) << i;
    }
}

TEST(SmsEngineSim, CloseEndsBothThreadsInEveryState) {
    // Right after Open, while the port keeps failing (a 10 s wait), during the init, when ready,
    // and while a reply is awaited from a silent modem; at the real time scale.
    for (int moment = 0; moment < 5; ++moment) {
        Rig rig;
        Recorder owner;
        sms::EngineOptions o = rig.engineOptions(1.0);
        if (moment == 1)
            o.makePort = [](int) { return std::make_unique<sms::SerialModemPort>([] { return "/nonexistent/tty"; }); };
        sms::CSMSEngine engine(o);
        engine.Open(&owner, 1, 19200, true, true, false);
        if (moment == 1) {
            ASSERT_GE(owner.waitStatus(sms::SMS_PORT_FAILED), 0);
        }
        if (moment == 2) std::this_thread::sleep_for(1100ms);
        if (moment >= 3) {
            ASSERT_GE(owner.waitStatus(sms::SMS_READY), 0);
        }
        if (moment == 4) {
            rig.sim.control("delay 10000");
            rig.sim.control("sms --from +1 slow");  // the engine sends AT+CMGR and waits up to 20 s
            std::this_thread::sleep_for(300ms);
        }
        EXPECT_TRUE(engine.Close()) << moment;
        EXPECT_FALSE(engine.IsOpen());
    }
}

TEST(SmsEngineSim, ASlowOwnerDoesNotHoldTheEngine) {
    Rig rig;
    platform::EventLoop loop;
    std::atomic<int> handled{0};
    platform::LoopTarget owner(loop, [&](uint32_t, uintptr_t, intptr_t) {
        std::this_thread::sleep_for(1500ms);
        ++handled;
        return intptr_t(0);
    });
    std::thread ui([&] { loop.run(); });
    sms::CSMSEngine engine(rig.engineOptions());
    engine.Open(&owner, 1, 19200, true, true, false);
    // The messages are read and deleted while the owner is still busy with the first status.
    rig.sim.control("sms --from +1 one");
    rig.sim.control("sms --from +1 two");
    EXPECT_TRUE(rig.waitStored(0));
    EXPECT_LE(handled.load(), 1);
    EXPECT_TRUE(engine.Close());
    // What was still queued for the owner is dropped: nothing more is handled after the current one.
    int atClose = handled.load();
    loop.postTask([&] { loop.quit(); });
    ui.join();
    EXPECT_LE(handled.load(), atClose + 1);
}

TEST(SmsEngineSim, TheLineIsSetAsConfiguredAndThePortIsExclusive) {
    Rig rig;
    Recorder owner;
    sms::CSMSEngine engine(rig.engineOptions());
    engine.Open(&owner, 1, 14400, true, true, false);
    ASSERT_GE(owner.waitStatus(sms::SMS_READY), 0);
    EXPECT_EQ(rig.sim.control("line"), "OK baud=14400 data=8 parity=N stop=1 flow=none raw");
    platform::SerialPort other;
    EXPECT_EQ(other.Open(rig.dir.file("modem")), platform::SERIAL_BUSY);
    // A second engine on the same port cannot open it.
    Recorder second;
    sms::CSMSEngine engine2(rig.engineOptions());
    engine2.Open(&second, 1, 19200, true, true, false);
    EXPECT_GE(second.waitStatus(sms::SMS_PORT_FAILED), 0);
    EXPECT_TRUE(engine2.Close());
    EXPECT_TRUE(engine.Close());
    EXPECT_EQ(other.Open(rig.dir.file("modem")), platform::SERIAL_OK) << "free again after Close";
}

TEST(SmsEngineSim, OpenTwiceAndCloseUnopenedOnlyLog) {
    Rig rig;
    Recorder owner;
    sms::CSMSEngine engine(rig.engineOptions());
    EXPECT_TRUE(engine.Close());
    engine.Open(&owner, 1, 19200, true, true, false);
    engine.Open(&owner, 1, 19200, true, true, false);
    ASSERT_GE(owner.waitStatus(sms::SMS_READY), 0);
    EXPECT_TRUE(engine.Close());
    EXPECT_TRUE(engine.Close());
}

}  // namespace
