// The server under connection floods: a cap on link and control connections, a time limit for
// connections that never speak, and no spinning when the process runs out of descriptors.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/profile.h"
#include "device/net_transport.h"
#include "device/socket_io.h"
#include "ktgsim/server.h"
#include "support/temp_dir.h"

using namespace ktgsim;
namespace sock = device::sock;

namespace {

int RawConnect(const std::string& address) {
    std::string host;
    uint16_t port = 0;
    if (!sock::ParseAddress(address, host, port, sock::AddressFor::Connect)) return -1;
    sock::Deadline d(2000);
    sock::Io io{};
    return sock::ConnectTcp(host, port, d, io);
}

// Waits (up to a generous limit) until a condition holds; the tests assert what, never how fast.
template <class F>
bool Eventually(F f, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (f()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return f();
}

// The program's own Ethernet link to the server: opens, connects and reads a status record.
bool ProgramTalks(const std::string& address) {
    zxtest::TempDir dir;
    zxtest::WriteText(dir.file("ZENTRIX.INI"), "[Ethernet]\nHosts=" + address + "\n");
    app::Profile ini;
    ini.open(dir.file("ZENTRIX.INI"));
    device::NetBios nb{dir.path()};
    device::NetTransport t{nb, ini};
    t.setStatusClass(1);
    if (t.Open() != 0 || t.Connect() != 0) return false;
    uint8_t st[6];
    const bool ok = t.ReadStatus(st, sizeof st) == 0;
    t.Disconnect();
    t.Close();
    return ok;
}

// Reads until the peer closes (true) or the wait runs out (false).
bool ClosedByPeer(int fd, int ms = 10000) {
    sock::Deadline d(ms);
    char buf[256];
    for (;;) {
        size_t got = 0;
        sock::Io io = sock::ReadSome(fd, buf, sizeof buf, got, d);
        if (io == sock::Io::Closed || io == sock::Io::Error) return true;
        if (io == sock::Io::Timeout) return false;
    }
}

ServerOptions Options() {
    ServerOptions o;
    o.listen = "127.0.0.1:0";
    o.control = "127.0.0.1:0";
    o.manualFields = true;
    return o;
}

size_t OpenDescriptors() { return size_t(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {})); }

}  // namespace

TEST(ServerLimits, IdleLinksBeyondTheCapMakeRoomForTheProgram) {
    Server server(Options());
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i) idle.push_back(RawConnect(server.netAddress()));
    for (int fd : idle) ASSERT_GE(fd, 0);
    // The server holds no more than its cap, however many were connected...
    ASSERT_TRUE(Eventually([&] { return server.connectionCount() <= 4; }));
    // ...and the program still gets in.
    EXPECT_TRUE(ProgramTalks(server.netAddress()));
    // The oldest idle ones were closed; the newest are still served.
    EXPECT_TRUE(ClosedByPeer(idle.front()));
    EXPECT_FALSE(ClosedByPeer(idle.back(), 100));
    for (int fd : idle) close(fd);
}

TEST(ServerLimits, ConnectionsThatNeverSpeakAreClosedAndSpeakersStay) {
    ServerOptions o = Options();
    o.silentTimeoutMs = 200;
    Server server(o);
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    const int silent = RawConnect(server.netAddress());
    ASSERT_GE(silent, 0);
    EXPECT_TRUE(ClosedByPeer(silent));
    close(silent);

    // A control client that said something is waited for as long as it likes.
    const int control = RawConnect(server.controlAddress());
    ASSERT_GE(control, 0);
    sock::Deadline d(2000);
    ASSERT_EQ(sock::WriteAll(control, "help\n", 5, d), sock::Io::Ok);
    char buf[512];
    size_t got = 0;
    ASSERT_EQ(sock::ReadSome(control, buf, sizeof buf, got, d), sock::Io::Ok);
    EXPECT_EQ(std::string(buf, 2), "OK");
    EXPECT_FALSE(ClosedByPeer(control, 1500));
    close(control);
    EXPECT_TRUE(ProgramTalks(server.netAddress()));
}

TEST(ServerLimits, ControlConnectionsBeyondEightAreRefusedWithAReason) {
    Server server(Options());
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    std::vector<int> controls;
    for (int i = 0; i < 8; ++i) controls.push_back(RawConnect(server.controlAddress()));
    ASSERT_TRUE(Eventually([&] { return server.connectionCount() == 8; }));
    const int ninth = RawConnect(server.controlAddress());
    ASSERT_GE(ninth, 0);
    sock::Deadline d(5000);
    char buf[128];
    size_t got = 0;
    ASSERT_EQ(sock::ReadSome(ninth, buf, sizeof buf, got, d), sock::Io::Ok);
    EXPECT_EQ(std::string(buf, got), "ERR too many control connections\n");
    EXPECT_TRUE(ClosedByPeer(ninth));
    close(ninth);
    for (int fd : controls) close(fd);
}

TEST(ServerLimits, OutOfDescriptorsItWaitsInsteadOfSpinningAndRecovers) {
    Server server(Options());
    std::string err;
    ASSERT_TRUE(server.start(err)) << err;
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = OpenDescriptors() + 16;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    // Fill the table but one; the client's socket takes the last, so the server cannot accept it.
    std::vector<int> filler;
    for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) filler.push_back(fd);
    close(filler.back());
    filler.pop_back();
    const int client = RawConnect(server.netAddress());
    ASSERT_GE(client, 0);
    ASSERT_TRUE(Eventually([&] { return server.acceptBackoffs() >= 2; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // 100 ms between tries: a handful, where a spinning loop makes hundreds of thousands.
    EXPECT_LT(server.acceptBackoffs(), 200u);

    for (int fd : filler) close(fd);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_TRUE(Eventually([&] { return server.connectionCount() == 1; }));
    close(client);
    EXPECT_TRUE(ProgramTalks(server.netAddress()));
}
