// The engine with the virtual Device over both links, in scaled time: a play-out sequence (reset,
// full-screen load, in-effect, roll and its end, cut) as the Device carries it out, damaged status
// records, and a Device switched off in the middle of a load.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/zentrix_app.h"
#include "device/engine.h"
#include "device/net_transport.h"
#include "ktgsim/server.h"
#include "log_capture.h"
#include "scripted_link.h"

using namespace device;
using zxtest::NoteRecorder;

namespace {

constexpr uint32_t kWipeDown = 0x01000A02;  // border 1, the bottom edge travels 4 lines a field

// A picture block: the checksum (fed from the last data byte back to the first, then two 0xFF,
// most significant bit first) and the words high byte first.
std::vector<uint8_t> PictureBlock(int w, int h, const std::function<uint16_t(int, int)>& word) {
    std::vector<uint8_t> b(RectBlockSize(w, h));
    size_t at = 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint16_t v = word(x, y);
            b[at++] = uint8_t(v >> 8);
            b[at++] = uint8_t(v);
        }
    uint16_t r = 0;
    auto feed = [&r](uint8_t byte) {
        for (int bit = 7; bit >= 0; --bit) {
            unsigned msb = r >> 15;
            r = uint16_t(((r << 1) & 0xFFFF) ^ (msb ? 0x4003 : 0) ^ ((byte >> bit) & 1));
        }
    };
    for (size_t i = b.size(); i-- > 2;) feed(b[i]);
    feed(0xFF);
    feed(0xFF);
    b[0] = uint8_t(r);
    b[1] = uint8_t(r >> 8);
    return b;
}

enum class LinkKind { Lpt, Ethernet };

class EngineWithKtgsim : public ::testing::TestWithParam<LinkKind> {
protected:
    void SetUp() override {
        ktgsim::ServerOptions o;
        o.device.statusClass = 1;
        o.listen = "127.0.0.1:0";
        o.lptSocket = dir.file("ktg.sock");
        o.timeScale = 20;
        server = std::make_unique<ktgsim::Server>(o);
        std::string why;
        ASSERT_TRUE(server->start(why)) << why;
        std::string ini = lpt() ? "[Hardware]\nEnable=1\nModel=0\nLptDriver=sim\nLptSocket=" + o.lptSocket + "\n"
                                : "[Hardware]\nEnable=1\nModel=1\n[Ethernet]\nHosts=" + server->netAddress() + "\n";
        zxtest::WriteText(dir.file("ZENTRIX.INI"), ini);
        app.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir.path()}));
        app.setDeviceLink(&engine);
        NetSetLockFolder(dir.path());
        app.StartHardware();
        ASSERT_TRUE(engine.isOpen());
        engine.Init(&notes);
        ASSERT_TRUE(notes.waitFor(NOTE_LINK_UP));
    }
    void TearDown() override {
        engine.Done();
        app.StopHardware();
        server->stop();
    }
    bool lpt() const { return GetParam() == LinkKind::Lpt; }
    ktgsim::Device& device() { return server->device(); }
    // Runs one command to its end; false when it failed or never finished.
    bool finishes(const std::function<void()>& post) {
        const int before = notes.count(NOTE_FINISHED), failed = notes.count(NOTE_COMMAND_ERROR);
        post();
        return notes.waitFor(NOTE_FINISHED, before + 1, 20000) && notes.count(NOTE_COMMAND_ERROR) == failed;
    }

    zxtest::TempDir dir;
    std::unique_ptr<ktgsim::Server> server;
    app::CZentrixApp app;
    CEngine engine{CEngine::Options{nullptr, kStopWaitMs, false}};
    NoteRecorder notes;
};

}  // namespace

TEST_P(EngineWithKtgsim, PlayOutSequence) {
    ASSERT_TRUE(finishes([&] { engine.ResetDevice(); }));

    auto page = std::make_shared<std::vector<uint8_t>>(
        PictureBlock(720, 576, [](int x, int y) { return uint16_t(0xF000 | ((x + y) & 0x0FFF)); }));
    ASSERT_EQ(page->size(), 829442u);
    ASSERT_TRUE(finishes([&] { ASSERT_TRUE(engine.LoadRect({0, 0, 720, 576}, DataRef::Share(page), 0)); }));
    EXPECT_EQ(device().storeWord(0, 0, 0), 0xF000);
    EXPECT_EQ(device().storeWord(0, 575, 719), 0xF000 | (575 + 719));
    EXPECT_EQ(device().stats().rejects, 0u);

    ASSERT_TRUE(finishes([&] { engine.InEffect(0x0001, kWipeDown); }));
    EXPECT_EQ(device().stats().effects, 1u);
    EXPECT_EQ(device().reg(0x40), 0x1401);  // bank 0 alone on air
    EXPECT_TRUE(device().finished());

    // A roll of 600 lines through the frame x 100-620, y 400-500, on bank 1 now.
    const int W = 520;
    auto strip = std::make_shared<std::vector<uint8_t>>();
    for (int n = 0, k; n * 256 < 600; ++n) {
        k = std::min(256, 600 - 256 * n);
        auto chunk = PictureBlock(W, k, [n](int, int y) { return uint16_t(0xF800 | (256 * n + y)); });
        strip->insert(strip->end(), chunk.begin(), chunk.end());
    }
    ASSERT_TRUE(finishes([&] {
        ASSERT_TRUE(engine.Scroll({100, 400, 620, 500}, 0x8013, 600, DataRef::Share(strip)));
    }));
    EXPECT_GE(device().stats().scrolls, 1u);
    EXPECT_EQ(device().storeWord(1, 100, 0), 0xF800);  // the first line of the strip, below the frame
    EXPECT_EQ(device().storeWord(1, 100 + 599, 5), 0xF800 | 599);
    ASSERT_TRUE(finishes([&] { engine.EndScroll(); }));
    EXPECT_EQ(device().reg(0x40), 0x1401);

    ASSERT_TRUE(finishes([&] { engine.Cut(); }));
    EXPECT_EQ(device().reg(0x40), 0);
    EXPECT_EQ(device().stats().rejects, 0u);
    EXPECT_EQ(notes.count(NOTE_LINK_ERROR), 0);
}

TEST_P(EngineWithKtgsim, DeviceSwitchedOffDuringALoad) {
    auto page =
        std::make_shared<std::vector<uint8_t>>(PictureBlock(720, 576, [](int, int) { return uint16_t(0xF83A); }));
    device().setPower(false);
    ASSERT_TRUE(engine.LoadRect({0, 0, 720, 576}, DataRef::Share(page), 0));
    ASSERT_TRUE(notes.waitFor(NOTE_COMMAND_ERROR, 1, 10000));
    EXPECT_EQ(notes.count(NOTE_FINISHED), 0);
    // The first write after the switch-off meets silence.
    EXPECT_EQ(notes.notes().back().second, lpt() ? LINK_WRITE_ERROR : LINK_ETHERNET_ERROR);
    device().setPower(true);
    ASSERT_TRUE(notes.waitFor(NOTE_LINK_UP, 2, 10000));
    ASSERT_TRUE(finishes([&] { ASSERT_TRUE(engine.LoadRect({0, 0, 720, 576}, DataRef::Share(page), 0)); }));
}

TEST_P(EngineWithKtgsim, RefusedPacketsAndBlocksAreSentAgain) {
    ktgsim::Faults f;
    f.rejectPackets = 1;
    f.rejectBlocks = 1;
    device().setFaults(f);
    auto block =
        std::make_shared<std::vector<uint8_t>>(PictureBlock(100, 50, [](int x, int) { return uint16_t(0xF000 | x); }));
    ASSERT_TRUE(finishes([&] { ASSERT_TRUE(engine.LoadRect({10, 20, 110, 70}, DataRef::Share(block), 0)); }));
    EXPECT_EQ(device().storeWord(0, 20, 10), 0xF000);
    EXPECT_EQ(device().storeWord(0, 69, 109), 0xF000 | 99);
    EXPECT_EQ(device().stats().rejects, 2u);
}

INSTANTIATE_TEST_SUITE_P(BothLinks, EngineWithKtgsim, ::testing::Values(LinkKind::Lpt, LinkKind::Ethernet),
                         [](const auto& info) { return info.param == LinkKind::Lpt ? "Lpt" : "Ethernet"; });

class LptStatusFaults : public EngineWithKtgsim {};

TEST_P(LptStatusFaults, OneFlippedBitIsCorrectedTwoGiveReadErrors) {
    zxtest::LogCapture log;
    ktgsim::Faults f;
    f.statusFlips = 5;
    f.flipBits = 1;
    device().setFaults(f);
    ASSERT_TRUE(finishes([&] { engine.Cut(); }));
    ASSERT_TRUE(finishes([&] { engine.ResetDevice(); }));
    EXPECT_FALSE(log.has("Hamming error"));

    f.statusFlips = 3;
    f.flipBits = 2;
    device().setFaults(f);
    ASSERT_TRUE(notes.waitFor(NOTE_LINK_ERROR, 1, 10000));  // the idle poll meets them
    EXPECT_EQ(notes.notes().back(), NoteRecorder::Note(NOTE_LINK_ERROR, LINK_TOO_MANY_READ_ERRORS));
    EXPECT_TRUE(log.has("Hamming error"));
    ASSERT_TRUE(notes.waitFor(NOTE_LINK_UP, 2, 10000));
}

INSTANTIATE_TEST_SUITE_P(Lpt, LptStatusFaults, ::testing::Values(LinkKind::Lpt),
                         [](const auto&) { return std::string("Lpt"); });
