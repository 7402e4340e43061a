// The control interface's line protocol, alone and through a running server.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "device/socket_io.h"
#include "ktgsim/control.h"
#include "ktgsim/server.h"
#include "pages/png_io.h"
#include "platform/files.h"
#include "programs.h"
#include "support/temp_dir.h"

using namespace ktgsim;

namespace {

struct Bench {
    Device device;
    std::string lastSnapshot;
    ControlInterface control{device, [this](const std::string& path, std::string&) {
                                 lastSnapshot = path;
                                 return true;
                             }};
    std::string operator()(const std::string& line) {
        bool quit = false;
        return control.handle(line, quit);
    }
};

}  // namespace

TEST(Control, KeysStatePowerAndFaults) {
    Bench b;
    EXPECT_EQ(b("press 5"), "OK request 5");
    EXPECT_EQ(b.device.request(), 5);
    EXPECT_EQ(b("press 0").substr(0, 3), "ERR");
    EXPECT_EQ(b("state 0x3"), "OK state 3");
    EXPECT_EQ(b.device.stateValue(), 3);
    EXPECT_EQ(b("power off"), "OK power off");
    EXPECT_FALSE(b.device.powered());
    EXPECT_EQ(b("press 5").substr(0, 3), "ERR");
    EXPECT_EQ(b("power on"), "OK power on");
    EXPECT_EQ(b("fault status-flip 3 2"), "OK fault status-flip 3");
    EXPECT_EQ(b.device.faults().statusFlips, 3);
    EXPECT_EQ(b.device.faults().flipBits, 2);
    EXPECT_EQ(b("fault reject 4"), "OK fault reject 4");
    EXPECT_EQ(b.device.faults().rejectPackets, 4);
    EXPECT_EQ(b("fault status-flip 1 3").substr(0, 3), "ERR");
    EXPECT_EQ(b("fault clear"), "OK faults cleared");
    EXPECT_EQ(b.device.faults().rejectPackets, 0);
}

TEST(Control, StatsSnapshotAndNonsense) {
    Bench b;
    ktgtest::Programs p(b.device);
    p.write(0x40, 0);
    const std::string s = b("stats");
    EXPECT_EQ(s.rfind("OK packets=1 blocks=0 bytes=0 rejects=0 effects=0", 0), 0u) << s;
    EXPECT_NE(s.find("power=on"), std::string::npos);
    EXPECT_EQ(b("snapshot /tmp/a file.png"), "OK /tmp/a file.png");
    EXPECT_EQ(b.lastSnapshot, "/tmp/a file.png");
    EXPECT_EQ(b("snapshot").substr(0, 3), "ERR");
    EXPECT_EQ(b("").substr(0, 3), "ERR");
    EXPECT_EQ(b("launch rockets").substr(0, 3), "ERR");
    bool quit = false;
    EXPECT_EQ(b.control.handle("quit", quit), "OK bye");
    EXPECT_TRUE(quit);
}

namespace {

namespace sock = device::sock;

int Connect(const std::string& address) {
    std::string host;
    uint16_t port = 0;
    if (!sock::ParseAddress(address, host, port, sock::AddressFor::Connect)) return -1;
    sock::Deadline wait(2000);
    sock::Io io;
    return sock::ConnectTcp(host, port, wait, io);
}

std::string Ask(int fd, const std::string& line) {
    std::string out = line + "\n";
    sock::Deadline wait(5000);
    if (sock::WriteAll(fd, out.data(), out.size(), wait) != sock::Io::Ok) return "(not sent)";
    std::string reply;
    char c;
    while (sock::ReadExact(fd, &c, 1, wait) == sock::Io::Ok && c != '\n') reply += c;
    return reply;
}

}  // namespace

TEST(Server, ControlOverTcpSnapshotAndQuit) {
    zxtest::TempDir dir;
    ServerOptions o;
    o.control = "127.0.0.1:0";
    o.timeScale = 50;
    Server server(o);
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    EXPECT_EQ(server.controlAddress().rfind("127.0.0.1:", 0), 0u);
    std::atomic<int> frames{0};
    server.setFrameCallback([&](const Picture& pic) {
        if (pic.width == kFrameWidth) ++frames;
    });
    int fd = Connect(server.controlAddress());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Ask(fd, "press 7"), "OK request 7");
    const std::string png = dir.file("out.png");
    EXPECT_EQ(Ask(fd, "snapshot " + png), "OK " + png);
    pages::CBitmap32 shot;
    ASSERT_TRUE(pages::ReadPng(png, shot));
    EXPECT_EQ(shot.width(), 720);
    EXPECT_EQ(shot.height(), 576);
    EXPECT_EQ(Ask(fd, "snapshot " + dir.file("no/such/folder/x.png")).substr(0, 3), "ERR");
    // The viewer hears of a change.
    ktgtest::Programs p(server.device());
    p.write(0x40, 0x0400);
    for (int i = 0; i < 200 && frames == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(frames.load(), 0);
    std::thread waiter([&] { server.waitForQuit(); });
    EXPECT_EQ(Ask(fd, "quit"), "OK bye");
    waiter.join();
    close(fd);
    server.stop();
}
