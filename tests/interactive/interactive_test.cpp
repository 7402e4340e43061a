#include "interactive/interactive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "adapter_peers.h"
#include "device/log_capture.h"
#include "interactive/itv_result.h"
#include "interactive/voice_message.h"

using namespace interactive;
using namespace std::chrono_literals;
using zxtest::Bytes;
using zxtest::PeerV2;
using zxtest::ScriptedAdapter;

namespace {

// The owner: records every notification. Posts are only queued, as a window busy elsewhere
// (in Close, say) would leave them; blocks are copied out at once.
class Owner final : public platform::MessageTarget {
public:
    struct Note {
        uintptr_t code;
        intptr_t value;
        CallRecord record;
    };
    void post(uint32_t msg, uintptr_t w, intptr_t l) override {
        if (msg != platform::MSG_INTERACTIVE) return;
        std::lock_guard lk(m_);
        notes_.push_back({w, l, {}});
        cv_.notify_all();
    }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override {
        if (msg != platform::MSG_INTERACTIVE) return 0;
        std::lock_guard lk(m_);
        notes_.push_back({w, 0, *reinterpret_cast<const CallRecord*>(l)});
        cv_.notify_all();
        return 0;
    }
    // Waits for a notification of a code; false after the time-out.
    bool waitFor(uintptr_t code, Note& out, int count = 1) {
        std::unique_lock lk(m_);
        return cv_.wait_for(lk, 10s, [&] {
            int seen = 0;
            for (const Note& n : notes_)
                if (n.code == code && ++seen == count) {
                    out = n;
                    return true;
                }
            return false;
        });
    }
    std::vector<Note> notes() {
        std::lock_guard lk(m_);
        return notes_;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<Note> notes_;
};

struct InteractiveEngine : ::testing::Test {
    platform::ManualClock clock;
    PeerV2 peer;
    ScriptedAdapter* port = nullptr;
    Owner owner;
    std::unique_ptr<CInteractive> engine;

    void make(std::function<void(ScriptedAdapter&)> setUp = nullptr) {
        InteractiveOptions o;
        o.clock = &clock;
        o.timeScale = 50;
        o.makePort = [this, setUp](int, int, int& result) -> std::unique_ptr<AdapterPort> {
            auto p = std::make_unique<ScriptedAdapter>(clock);
            peer.attach(*p);
            if (setUp) setUp(*p);
            port = p.get();
            result = ITV_OK;
            return p;
        };
        engine = std::make_unique<CInteractive>(o);
        engine->Configure(0, true, 2, ITV_VERSION_2, 0);
    }
};

}  // namespace

TEST_F(InteractiveEngine, ConfigureTakesTheApplicationsSettings) {
    make();
    app::InteractiveConfig c;
    c.portNo = 3;
    c.useCID = 1;
    c.cidLength = 1;
    c.model = 1;
    c.cidType = 2;
    engine->configure(c);
    EXPECT_EQ(engine->config().cidDigits, 6);
    EXPECT_EQ(engine->config().version, ITV_VERSION_2);
    EXPECT_EQ(engine->config().cidType, 2);
    EXPECT_TRUE(engine->config().useCID);
}

TEST_F(InteractiveEngine, APortThatCannotOpenGivesOne) {
    InteractiveOptions o;
    o.makePort = [](int, int, int& result) -> std::unique_ptr<AdapterPort> {
        result = ITV_NO_PORT;
        return nullptr;
    };
    CInteractive e(o);
    EXPECT_EQ(e.Open(&owner), ITV_NO_PORT);
    EXPECT_FALSE(e.IsOpen());
    EXPECT_FALSE(e.StartLines(1, 3)) << "no command without a thread";
    e.Close();
}

TEST_F(InteractiveEngine, CallsArriveAsRecordsAfterTheStart) {
    make();
    Bytes call{0x04, '5', '5', '5', '1', '2', '3', '4'};
    peer.calls.push_back(call);
    peer.calls.push_back(Bytes{0x80});
    zxtest::LogCapture log;
    ASSERT_EQ(engine->Open(&owner), ITV_OK);
    ASSERT_TRUE(engine->StartLines(0xFF, 3));
    Owner::Note n;
    ASSERT_TRUE(owner.waitFor(ITV_NOTE_DONE, n));
    EXPECT_EQ(n.value, ITV_OK);
    ASSERT_TRUE(owner.waitFor(ITV_NOTE_CALL, n, 2));
    engine->Close();
    auto notes = owner.notes();
    std::vector<CallRecord> calls;
    for (auto& x : notes)
        if (x.code == ITV_NOTE_CALL) calls.push_back(x.record);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].line, 2);
    EXPECT_STREQ(calls[0].number, "5551234");
    EXPECT_EQ(calls[1].line, 7);
    EXPECT_TRUE(log.has("CInteractive::NewCommand 0001"));
    EXPECT_TRUE(log.has("done with ITV"));
    EXPECT_TRUE(log.has("all done"));
    EXPECT_EQ(Bytes(peer.modes, peer.modes + 8), Bytes(8, 0)) << "quit switched the lines off";
}

TEST_F(InteractiveEngine, ThreeFailedPollsAreReported) {
    make([](ScriptedAdapter& p) {
        auto inner = p.respond;
        p.respond = [inner, n = 0](ScriptedAdapter& a, const Bytes& w) mutable {
            if (n++ < 2) inner(a, w);  // only the start is answered
        };
    });
    ASSERT_EQ(engine->Open(&owner), ITV_OK);
    ASSERT_TRUE(engine->StartLines(0x01, 3));
    Owner::Note n;
    ASSERT_TRUE(owner.waitFor(ITV_NOTE_POLL_STOPPED, n));
    EXPECT_EQ(n.value, ITV_NO_REPLY);
    engine->Close();
}

TEST_F(InteractiveEngine, ATransferReportsProgressRefusesOtherCommandsAndAborts) {
    // Each piece takes a little real time, so that the test sees the transfer running.
    make([](ScriptedAdapter& p) {
        auto inner = p.respond;
        p.respond = [inner](ScriptedAdapter& a, const Bytes& w) {
            std::this_thread::sleep_for(1ms);
            inner(a, w);
        };
    });
    Bytes message(kMaxSamplesV2, 0x42);
    ASSERT_EQ(engine->Open(&owner), ITV_OK);
    ASSERT_TRUE(engine->WriteVoiceMessage(0x01, uint16_t(message.size()), message.data()));
    Owner::Note n;
    ASSERT_TRUE(owner.waitFor(ITV_NOTE_PROGRESS, n));
    EXPECT_EQ(n.value, 32);
    EXPECT_FALSE(engine->StartLines(1, 3)) << "dropped while the transfer runs";
    engine->AbortTransfer();
    ASSERT_TRUE(owner.waitFor(ITV_NOTE_DONE, n));
    EXPECT_EQ(n.value, ITV_ABORTED);
    EXPECT_TRUE(engine->StartLines(1, 3)) << "taken again once the command ended";
    engine->Close();
}

TEST_F(InteractiveEngine, CloseDuringATransferEndsItWithoutTheOwner) {
    make([](ScriptedAdapter& p) {
        auto inner = p.respond;
        p.respond = [inner](ScriptedAdapter& a, const Bytes& w) {
            std::this_thread::sleep_for(1ms);
            inner(a, w);
        };
    });
    Bytes message(kMaxSamplesV2, 0x42);
    ASSERT_EQ(engine->Open(&owner), ITV_OK);
    ASSERT_TRUE(engine->WriteVoiceMessage(0x01, uint16_t(message.size()), message.data()));
    Owner::Note n;
    ASSERT_TRUE(owner.waitFor(ITV_NOTE_PROGRESS, n));
    const auto t0 = std::chrono::steady_clock::now();
    engine->Close();
    EXPECT_FALSE(engine->IsOpen());
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
    EXPECT_EQ(peer.mem(1)[0xFFFE], 0xFF);
    EXPECT_EQ(Bytes(peer.modes, peer.modes + 8), Bytes(8, 0));
}
