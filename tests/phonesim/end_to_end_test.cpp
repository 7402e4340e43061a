// The interactive engine against the adapter stand-in on a pseudo-terminal, both versions, in
// scaled time.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "device/log_capture.h"
#include "interactive/interactive.h"
#include "interactive/itv_result.h"
#include "interactive/voice_message.h"
#include "phonesim/control.h"
#include "phonesim/simulator.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace interactive;
using namespace std::chrono_literals;

namespace {

constexpr double kScale = 20;

class Owner final : public platform::MessageTarget {
public:
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
    struct Note {
        uintptr_t code;
        intptr_t value;
        CallRecord record;
    };
    // Waits for the next notification of a code not taken yet.
    bool next(uintptr_t code, Note& out, std::chrono::milliseconds wait = 10s) {
        std::unique_lock lk(m_);
        return cv_.wait_for(lk, wait, [&] {
            for (size_t i = 0; i < notes_.size(); ++i)
                if (notes_[i].code == code) {
                    out = notes_[i];
                    notes_.erase(notes_.begin() + long(i));
                    return true;
                }
            return false;
        });
    }
    void clear() {
        std::lock_guard lk(m_);
        notes_.clear();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<Note> notes_;
};

struct EndToEnd : ::testing::TestWithParam<int> {
    std::unique_ptr<phonesim::Simulator> sim;
    std::unique_ptr<CInteractive> engine;
    Owner owner;
    zxtest::TempDir dir;

    int version() const { return GetParam(); }
    void SetUp() override {
        phonesim::SimulatorOptions o;
        o.adapter.version = version() == ITV_VERSION_1 ? 1 : 2;
        o.adapter.eraseMs = 300;
        o.timeScale = kScale;
        sim = std::make_unique<phonesim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(sim->start(error)) << error;
        InteractiveOptions io;
        io.timeScale = kScale;
        const std::string path = sim->devicePath();
        io.makePort = [path](int, int v, int& result) -> std::unique_ptr<AdapterPort> {
            auto p = std::make_unique<SerialAdapterPort>(kScale);
            result = p->Open(path, v);
            if (result) return nullptr;
            return p;
        };
        engine = std::make_unique<CInteractive>(io);
        engine->Configure(0, true, 2, version(), 0);
    }
    void TearDown() override {
        engine.reset();
        sim.reset();
    }
    int finish() {
        Owner::Note n;
        if (!owner.next(ITV_NOTE_DONE, n)) return -1;
        return int(n.value);
    }
};

}  // namespace

TEST_P(EndToEnd, CallsWithNumbersPowerCutsAndCorruptedReplies) {
    zxtest::LogCapture log;
    ASSERT_EQ(engine->Open(&owner), ITV_OK);
    ASSERT_TRUE(engine->StartLines(0x0F, 0x0F));
    ASSERT_EQ(finish(), ITV_OK);
    EXPECT_EQ(sim->control("ring 2 0123456 --rings 0"), "OK ringing 2");
    Owner::Note n;
    ASSERT_TRUE(owner.next(ITV_NOTE_CALL, n));
    EXPECT_EQ(n.record.line, 2);
    EXPECT_STREQ(n.record.number, "0123456");
    EXPECT_EQ(sim->control("ring 5 7654321 --rings 0"), "OK ringing 5");
    EXPECT_FALSE(owner.next(ITV_NOTE_CALL, n, 300ms)) << "line 5 is not answering";

    // A burst of damaged replies: the resends carry the call through.
    EXPECT_EQ(sim->control(version() == ITV_VERSION_2 ? "fault corrupt 2" : "fault corrupt 1"), "OK");
    EXPECT_EQ(sim->control("ring 1 --rings 0"), "OK ringing 1");
    if (version() == ITV_VERSION_2) {
        ASSERT_TRUE(owner.next(ITV_NOTE_CALL, n));
        EXPECT_EQ(n.record.line, 1);
        EXPECT_EQ(n.record.hasNumber, 0);
    } else {
        // The first version has no resends: a damaged status is one failed poll, the next finds
        // the call.
        ASSERT_TRUE(owner.next(ITV_NOTE_CALL, n));
        EXPECT_EQ(n.record.line, 1);
    }

    // A power cut loses the adapter's set-up.
    EXPECT_EQ(sim->control("power off"), "OK");
    // Long enough for a whole poll to fail, short of three.
    std::this_thread::sleep_for(std::chrono::milliseconds(int(10000 / kScale)));
    EXPECT_EQ(sim->control("power on"), "OK");
    if (version() == ITV_VERSION_2) {
        // Polling recovers and starts the lines again, so calls are answered as before.
        std::this_thread::sleep_for(std::chrono::milliseconds(int(12000 / kScale)));
        EXPECT_EQ(sim->control("ring 3 5551234 --rings 0"), "OK ringing 3");
        ASSERT_TRUE(owner.next(ITV_NOTE_CALL, n)) << log.text() << sim->control("stats");
        EXPECT_EQ(n.record.line, 3);
        EXPECT_STREQ(n.record.number, "5551234");
    } else {
        // The first version sees modes it did not set and stops polling.
        ASSERT_TRUE(owner.next(ITV_NOTE_POLL_STOPPED, n));
        EXPECT_EQ(n.value, ITV_NO_REPLY);
    }
    engine->Close();
}

TEST_P(EndToEnd, AVoiceMessageWrittenIsDumpedAndReadBack) {
    std::vector<uint8_t> message(1000);
    for (size_t i = 0; i < message.size(); ++i) message[i] = uint8_t(i * 13 + 1);
    std::replace(message.begin(), message.end(), uint8_t(0x7F), uint8_t(0x7E));  // mu-law's negative zero
    // The view reverses the message for the second version.
    std::vector<uint8_t> sent = message;
    if (version() == ITV_VERSION_2) std::reverse(sent.begin(), sent.end());
    ASSERT_EQ(engine->Open(&owner), ITV_OK);
    const uint8_t lines = version() == ITV_VERSION_2 ? 0x01 : 0;
    ASSERT_TRUE(engine->WriteVoiceMessage(lines, uint16_t(sent.size()), sent.data()));
    ASSERT_EQ(finish(), ITV_OK);
    const std::string wav = dir.file("dump.wav");
    EXPECT_EQ(sim->control("voice dump 0 " + wav), "OK 1000 samples");
    std::vector<uint8_t> back;
    ASSERT_EQ(LoadVoiceWav(wav, version(), back), WAV_OK);
    if (version() == ITV_VERSION_2) {
        EXPECT_EQ(back, message);
        std::vector<uint8_t> buffer(kVoiceBufferSize);
        ASSERT_TRUE(engine->ReadVoiceMessage(0x01, buffer.data()));
        ASSERT_EQ(finish(), ITV_OK);
        ASSERT_EQ(buffer[0] | buffer[1] << 8, 1000);
        EXPECT_TRUE(std::equal(sent.begin(), sent.end(), buffer.begin() + 2));
        // Clear only erases.
        auto clear = ClearVoiceMessage();
        ASSERT_TRUE(engine->WriteVoiceMessage(0x01, 2, clear.data()));
        ASSERT_EQ(finish(), ITV_OK);
        ASSERT_TRUE(engine->ReadVoiceMessage(0x01, buffer.data()));
        ASSERT_EQ(finish(), ITV_OK);
        EXPECT_EQ(buffer[0] | buffer[1] << 8, 0) << "erased memory reads as no message";
    } else {
        // The first version keeps unsigned 8-bit samples; a WAV of them reads back to the same.
        ASSERT_EQ(back.size(), message.size());
        for (size_t i = 0; i < back.size(); ++i) ASSERT_EQ(back[i], message[i]) << i;
    }
    engine->Close();
}

INSTANTIATE_TEST_SUITE_P(BothVersions, EndToEnd, ::testing::Values(ITV_VERSION_1, ITV_VERSION_2),
                         [](const auto& info) { return info.param == ITV_VERSION_1 ? "First" : "Second"; });

TEST(PhoneSimControl, RefusesBadCommandsClearly) {
    phonesim::Adapter a({});
    bool handled = true;
    EXPECT_EQ(phonesim::HandleControl(a, "", 0, handled).substr(0, 3), "ERR");
    EXPECT_EQ(phonesim::HandleControl(a, "ring 9", 0, handled).substr(0, 3), "ERR");
    EXPECT_EQ(phonesim::HandleControl(a, "ring 1 12ab", 0, handled).substr(0, 3), "ERR");
    EXPECT_EQ(phonesim::HandleControl(a, "ring 1 --cid radio", 0, handled).substr(0, 3), "ERR");
    EXPECT_EQ(phonesim::HandleControl(a, "fault melt 2", 0, handled).substr(0, 3), "ERR");
    EXPECT_EQ(phonesim::HandleControl(a, "power maybe", 0, handled).substr(0, 3), "ERR");
    EXPECT_EQ(phonesim::HandleControl(a, "fault erase-stuck on", 0, handled), "OK");
    EXPECT_EQ(phonesim::HandleControl(a, "voice dump 0 x.wav", 0, handled), "");
    EXPECT_FALSE(handled);
}
