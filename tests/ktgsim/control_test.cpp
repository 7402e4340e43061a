// The control interface's line protocol, alone and through a running server.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ktgsim/control.h"
#include "ktgsim/server.h"
#include "ktgsim/sockets.h"
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

int Connect(const std::string& address) {
    std::string host;
    int port = 0;
    if (!SplitHostPort(address, host, port)) return -1;
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    inet_pton(AF_INET, host.c_str(), &a.sin_addr);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string Ask(int fd, const std::string& line) {
    std::string out = line + "\n";
    WriteFull(fd, out.data(), out.size());
    std::string reply;
    char c;
    while (ReadFull(fd, &c, 1, -1) && c != '\n') reply += c;
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
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(ReadPng(png, w, h, rgba));
    EXPECT_EQ(w, 720);
    EXPECT_EQ(h, 576);
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
