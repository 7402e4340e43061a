// The simulator on its pseudo-terminal, reached as the program reaches it: through a serial port.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "gsmsim/simulator.h"
#include "platform/serial_port.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

// Sends a command and collects what comes back until the final reply (or the time-out).
std::string Talk(platform::SerialPort& port, const std::string& command, int ms = 3000) {
    std::string cr = command + "\r";
    port.Write(cr.data(), cr.size());
    std::string got;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end && got.find("OK\r\n") == std::string::npos &&
           got.find("ERROR\r\n") == std::string::npos) {
        if (!port.WaitForData(50)) continue;
        char buf[512];
        long n = port.Read(buf, std::min(sizeof buf, port.BytesQueued()));
        if (n > 0) got.append(buf, size_t(n));
    }
    return got;
}

bool OpenRaw(platform::SerialPort& port, const std::string& path, uint32_t baud = 115200) {
    if (port.Open(path) != platform::SERIAL_OK) return false;
    platform::SerialLine line;
    line.baud = baud;
    port.SetLine(line);
    port.SetTimeouts({platform::kSerialMaxTimeout, 0, 0, 0, 0});
    return true;
}

gsmsim::SimulatorOptions Options(const zxtest::TempDir& dir, bool pacing = false) {
    gsmsim::SimulatorOptions o;
    o.link = dir.file("modem");
    o.pacing = pacing;
    return o;
}

TEST(GsmsimSimulator, SurvivesThePortClosingAndOpeningAgain) {
    zxtest::TempDir dir;
    gsmsim::Simulator sim(Options(dir));
    std::string error;
    ASSERT_TRUE(sim.start(error)) << error;
    EXPECT_EQ(sim.devicePath(), dir.file("modem"));
    for (int round = 0; round < 3; ++round) {
        platform::SerialPort port;
        ASSERT_TRUE(OpenRaw(port, sim.devicePath())) << round;
        EXPECT_EQ(Talk(port, "AT"), "AT\r\r\nOK\r\n") << round;
        port.Close();
    }
    // Replies given while the port was closed are waiting for it (the engine purges them).
    platform::SerialPort port;
    sim.control("memory-full");
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(OpenRaw(port, sim.devicePath()));
    ASSERT_TRUE(port.WaitForData(2000));
    sim.stop();
}

TEST(GsmsimSimulator, DropMakesANewTerminalBehindTheLink) {
    zxtest::TempDir dir;
    gsmsim::Simulator sim(Options(dir));
    std::string error;
    ASSERT_TRUE(sim.start(error)) << error;
    const std::string before = sim.terminalPath();
    platform::SerialPort port;
    ASSERT_TRUE(OpenRaw(port, sim.devicePath()));
    EXPECT_EQ(Talk(port, "ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(sim.control("drop").rfind("OK drop", 0), 0u);
    // The old port has hung up: nothing comes back, and writing fails.
    EXPECT_EQ(Talk(port, "AT", 200), "");
    port.Close();
    EXPECT_NE(sim.terminalPath(), before);
    ASSERT_TRUE(OpenRaw(port, sim.devicePath()));
    EXPECT_EQ(Talk(port, "AT"), "AT\r\r\nOK\r\n") << "the echo setting went with the power";
}

TEST(GsmsimSimulator, ScriptLineAndPacing) {
    zxtest::TempDir dir;
    zxtest::WriteText(dir.file("script.txt"), "# a message after a fifth of a second\n0.2 sms --from +1555 scripted\n");
    gsmsim::SimulatorOptions o = Options(dir, true);
    o.script = dir.file("script.txt");
    gsmsim::Simulator sim(o);
    std::string error;
    ASSERT_TRUE(sim.start(error)) << error;
    platform::SerialPort port;
    ASSERT_TRUE(OpenRaw(port, sim.devicePath(), 2400));
    EXPECT_EQ(sim.control("line"), "OK baud=2400 data=8 parity=N stop=1 flow=none raw");
    int stored = 0;
    for (int i = 0; i < 100 && stored == 0; ++i) {
        std::this_thread::sleep_for(20ms);
        sim.withModem([&](gsmsim::Modem& m) { stored = m.storedCount(); });
    }
    EXPECT_EQ(stored, 1);
    std::vector<gsmsim::ScriptLine> lines;
    zxtest::WriteText(dir.file("bad.txt"), "soon sms x\n");
    EXPECT_FALSE(gsmsim::ReadScript(dir.file("bad.txt"), lines, error));
    EXPECT_NE(error.find("bad.txt:1"), std::string::npos);
}

}  // namespace
