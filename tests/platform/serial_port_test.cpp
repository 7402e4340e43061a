// The serial port on a pseudo-terminal made by the test: the open rules, the line read back,
// the read time-out rules, purge, and calls released by Close and Interrupt or ended by a hang-up.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/event_loop.h"
#include "platform/serial_port.h"
#include "support/temp_dir.h"

namespace {

using namespace platform;
using namespace std::chrono_literals;

// The test's own end of a pseudo-terminal; the port opens the other.
class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master_);
        unlockpt(master_);
        char name[128];
        ptsname_r(master_, name, sizeof name);
        path_ = name;
    }
    ~Pty() { hangUp(); }
    const std::string& path() const { return path_; }
    void send(const std::string& s) { EXPECT_EQ(write(master_, s.data(), s.size()), ssize_t(s.size())); }
    std::string receive() {
        std::string out;
        char buf[256];
        fcntl(master_, F_SETFL, O_NONBLOCK);
        for (int i = 0; i < 50; ++i) {
            ssize_t n = read(master_, buf, sizeof buf);
            if (n > 0) out.append(buf, size_t(n));
            else if (!out.empty()) break;
            else std::this_thread::sleep_for(2ms);
        }
        return out;
    }
    void hangUp() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string path_;
};

int64_t MsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
}

SerialLine Line(uint32_t baud) {
    SerialLine l;
    l.baud = baud;
    return l;
}

TEST(SerialPort, OpensOnlyTerminalsAndOnlyOnce) {
    SerialPort port;
    EXPECT_EQ(port.Open("/nonexistent/ttyS9"), SERIAL_NOT_FOUND);
    zxtest::TempDir dir;
    zxtest::WriteText(dir.file("plain"), "x");
    EXPECT_EQ(port.Open(dir.file("plain")), SERIAL_NOT_A_TTY);
    EXPECT_FALSE(port.IsOpen());
    Pty pty;
    ASSERT_EQ(port.Open(pty.path()), SERIAL_OK);
    EXPECT_GE(port.Handle(), 0);
    SerialPort second;
    EXPECT_EQ(second.Open(pty.path()), SERIAL_BUSY);
    port.Close();
    EXPECT_EQ(second.Open(pty.path()), SERIAL_OK);
    EXPECT_EQ(port.Read(nullptr, 1), -SERIAL_NOT_OPEN);
}

TEST(SerialPort, LineSettingsReadBack) {
    Pty pty;
    SerialPort port;
    ASSERT_EQ(port.Open(pty.path()), SERIAL_OK);
    ASSERT_EQ(port.SetLine(Line(14400)), SERIAL_OK);  // no standard rate constant for it
    SerialLine got;
    ASSERT_EQ(port.GetLine(got), SERIAL_OK);
    EXPECT_EQ(got.baud, 14400u);
    EXPECT_EQ(got.dataBits, 8);
    EXPECT_EQ(got.parity, 'N');
    EXPECT_EQ(got.stopBits, 1);
    EXPECT_FALSE(got.rtsCtsFlow);
    EXPECT_FALSE(got.xonXoffFlow);
    // (A pseudo-terminal keeps 8 bits without parity whatever it is told.)
    SerialLine other{300, 8, 'N', 2, true, false};
    ASSERT_EQ(port.SetLine(other), SERIAL_OK);
    ASSERT_EQ(port.GetLine(got), SERIAL_OK);
    EXPECT_EQ(got.baud, 300u);
    EXPECT_EQ(got.stopBits, 2);
    EXPECT_TRUE(got.rtsCtsFlow);
    EXPECT_EQ(port.SetLine(SerialLine{0, 8, 'N', 1, false, false}), SERIAL_BAD_SETTING);
    EXPECT_EQ(port.SetLine(SerialLine{9600, 9, 'N', 1, false, false}), SERIAL_BAD_SETTING);
    // A pseudo-terminal has no modem lines: their state travels in its settings instead.
    bool dtr = true, rts = true;
    EXPECT_FALSE(PtyModemLines(port.Handle(), dtr, rts));
    EXPECT_FALSE(dtr || rts);
    EXPECT_EQ(port.SetDtr(true), SERIAL_OK);
    ASSERT_TRUE(PtyModemLines(port.Handle(), dtr, rts));
    EXPECT_TRUE(dtr);
    EXPECT_FALSE(rts);
    EXPECT_EQ(port.SetRts(true), SERIAL_OK);
    EXPECT_EQ(port.SetDtr(false), SERIAL_OK);
    ASSERT_TRUE(PtyModemLines(port.Handle(), dtr, rts));
    EXPECT_FALSE(dtr);
    EXPECT_TRUE(rts);
    ASSERT_EQ(port.SetLine(SerialLine{9600, 8, 'N', 1, false, false}), SERIAL_OK);
    ASSERT_TRUE(PtyModemLines(port.Handle(), dtr, rts)) << "a new line keeps the lines";
    EXPECT_TRUE(rts);
}

TEST(SerialPort, RawBytesBothWays) {
    Pty pty;
    SerialPort port;
    ASSERT_EQ(port.Open(pty.path()), SERIAL_OK);
    ASSERT_EQ(port.SetLine(Line(19200)), SERIAL_OK);
    std::string bytes = "AT\r\n\x03\x7F\xFF";
    EXPECT_EQ(port.Write(bytes.data(), bytes.size()), long(bytes.size()));
    EXPECT_EQ(pty.receive(), bytes) << "no CR/LF translation on the way out";
    pty.send("OK\r\n\x11\x13");
    ASSERT_TRUE(port.WaitForData(2000));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(port.BytesQueued(), 6u);
    char buf[16];
    SerialTimeouts t;
    t.readInterval = kSerialMaxTimeout;  // at once with what is there
    port.SetTimeouts(t);
    EXPECT_EQ(port.Read(buf, sizeof buf), 6);
    EXPECT_EQ(std::string(buf, 6), "OK\r\n\x11\x13") << "no echo, no translation, no flow control";
}

TEST(SerialPort, ReadTimeOutRules) {
    Pty pty;
    SerialPort port;
    ASSERT_EQ(port.Open(pty.path()), SERIAL_OK);
    ASSERT_EQ(port.SetLine(Line(19200)), SERIAL_OK);
    char buf[64];
    // The engine's reads: what has arrived, waiting up to the constant for all that was asked.
    SerialTimeouts engine{kSerialMaxTimeout, 0, 150, 0, 0};
    port.SetTimeouts(engine);
    pty.send("abc");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(port.Read(buf, 3), 3);
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Read(buf, 3), 0);
    EXPECT_GE(MsSince(t0), 140) << "the total time-out is waited for";
    // A first byte ends the wait of "any byte" reads.
    port.SetTimeouts({kSerialMaxTimeout, kSerialMaxTimeout, 5000, 0, 0});
    std::thread later([&] {
        std::this_thread::sleep_for(50ms);
        pty.send("x");
    });
    EXPECT_EQ(port.Read(buf, sizeof buf), 1);
    later.join();
    // The interval limit ends a read once bytes stop coming.
    port.SetTimeouts({30, 0, 0, 0, 0});
    pty.send("12345");
    EXPECT_EQ(port.Read(buf, sizeof buf), 5);
    // Multiplier and constant: 10 ms a byte + 20 ms for 4 bytes.
    port.SetTimeouts({0, 10, 20, 0, 0});
    pty.send("xy");
    EXPECT_EQ(port.Read(buf, 4), 2);
}

TEST(SerialPort, PurgeDiscardsWhatWaits) {
    Pty pty;
    SerialPort port;
    ASSERT_EQ(port.Open(pty.path()), SERIAL_OK);
    ASSERT_EQ(port.SetLine(Line(19200)), SERIAL_OK);
    pty.send("stale bytes");
    ASSERT_TRUE(port.WaitForData(2000));
    EXPECT_EQ(port.Purge(true, true), SERIAL_OK);
    EXPECT_EQ(port.BytesQueued(), 0u);
    EXPECT_FALSE(port.WaitForData(50));
}

TEST(SerialPort, CloseAndInterruptReleaseBlockedCalls) {
    Pty pty;
    SerialPort port;
    ASSERT_EQ(port.Open(pty.path()), SERIAL_OK);
    ASSERT_EQ(port.SetLine(Line(19200)), SERIAL_OK);
    std::atomic<int> done{0};
    std::thread waiter([&] {
        EXPECT_FALSE(port.WaitForData(-1));
        ++done;
    });
    std::thread reader([&] {
        char b[8];
        EXPECT_EQ(port.Read(b, sizeof b), 0);  // no time-outs: waits for all 8 bytes
        ++done;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(done.load(), 0);
    port.Interrupt();
    reader.join();
    // Interrupted calls keep returning at once until the port is closed.
    EXPECT_FALSE(port.WaitForData(-1));
    port.Close();
    waiter.join();
    EXPECT_EQ(done.load(), 2);
    // A write that cannot go out (nobody reads the other end) is released as well.
    ASSERT_EQ(port.Open(pty.path()), SERIAL_OK);
    std::thread writer([&] {
        std::string big(1 << 20, 'x');
        EXPECT_LT(port.Write(big.data(), big.size()), long(big.size()));
    });
    std::this_thread::sleep_for(200ms);
    port.Close();
    writer.join();
}

TEST(SerialPort, AHungUpTerminalReadsAsNothingWithoutSpinning) {
    Pty pty;
    SerialPort port;
    ASSERT_EQ(port.Open(pty.path()), SERIAL_OK);
    ASSERT_EQ(port.SetLine(Line(19200)), SERIAL_OK);
    pty.hangUp();
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.WaitForData(100));
    EXPECT_GE(MsSince(t0), 90) << "the wait takes its time-out instead of returning at once";
    EXPECT_EQ(port.BytesQueued(), 0u);
    port.SetTimeouts({kSerialMaxTimeout, 0, 0, 0, 0});
    char b[4];
    EXPECT_EQ(port.Read(b, sizeof b), 0);
    EXPECT_LT(port.Write("x", 1), 0);
    port.Close();
}

}  // namespace
