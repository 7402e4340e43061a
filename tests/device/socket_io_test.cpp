// The socket helpers the links and the stand-ins' servers share: listener addresses, listeners,
// and waits that a server's stop ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "device/socket_io.h"

using namespace device::sock;

TEST(SocketAddresses, AListenerNeedsAPortAndMayTakeAnyFreeOne) {
    std::string host;
    uint16_t port = 1;
    ASSERT_TRUE(ParseAddress("127.0.0.1:0", host, port, AddressFor::Listen));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 0);
    ASSERT_TRUE(ParseAddress(":1139", host, port, AddressFor::Listen));
    EXPECT_EQ(host, "127.0.0.1");  // no host: loopback only
    EXPECT_EQ(port, 1139);
    ASSERT_TRUE(ParseAddress("[::1]:5000", host, port, AddressFor::Listen));
    EXPECT_EQ(host, "::1");
    for (const char* bad : {"", "127.0.0.1", "ktg", "::1", "host:", "host:65536", "host:-1", "[::1]"})
        EXPECT_FALSE(ParseAddress(bad, host, port, AddressFor::Listen)) << bad;
    // A connection takes the default port, never port 0.
    ASSERT_TRUE(ParseAddress("ktg", host, port, AddressFor::Connect, 139));
    EXPECT_EQ(port, 139);
    EXPECT_FALSE(ParseAddress("ktg", host, port, AddressFor::Connect));
    EXPECT_FALSE(ParseAddress("ktg:0", host, port, AddressFor::Connect, 139));
}

TEST(SocketListeners, FreePortIsReportedAndBusyPortIsExplained) {
    uint16_t port = 0;
    int fd = ListenTcp("localhost", port, nullptr);
    ASSERT_GE(fd, 0);
    EXPECT_NE(port, 0);
    EXPECT_EQ(LocalAddress(fd), "127.0.0.1:" + std::to_string(port));
    std::string error;
    uint16_t same = port;
    EXPECT_LT(ListenTcp("127.0.0.1", same, &error), 0);
    EXPECT_NE(error.find("cannot listen on 127.0.0.1:" + std::to_string(port)), std::string::npos) << error;
    Close(fd);
    EXPECT_EQ(fd, -1);
    EXPECT_LT(ListenUnix(std::string(200, 'x'), &error), 0);
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
}

TEST(SocketWaits, AnUnlimitedWaitEndsWhenItsWakeDescriptorFires) {
    uint16_t port = 0;
    int listener = ListenTcpLoopback(port);
    ASSERT_GE(listener, 0);
    Deadline connectWait(2000);
    Io io = Io::Error;
    int client = ConnectTcp("127.0.0.1", port, connectWait, io);
    ASSERT_GE(client, 0);
    Deadline acceptWait(2000);
    int server = Accept(listener, acceptWait);
    ASSERT_GE(server, 0);

    int wake[2];
    ASSERT_EQ(::pipe(wake), 0);
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        (void)!::write(wake[1], "x", 1);
    });
    // The peer stays silent: only the wake ends the wait.
    Deadline untilStop = Deadline::Unlimited(wake[0]);
    EXPECT_FALSE(untilStop.expired());
    EXPECT_EQ(untilStop.remainingMs(), -1);
    char c = 0;
    size_t got = 0;
    EXPECT_EQ(ReadSome(server, &c, 1, got, untilStop), Io::Closed);
    stopper.join();

    // Without a wake, data that arrives is read however long it took.
    Deadline unlimited = Deadline::Unlimited(-1);
    std::thread talker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Deadline w(1000);
        WriteAll(client, "hi", 2, w);
    });
    char two[2];
    EXPECT_EQ(ReadExact(server, two, 2, unlimited), Io::Ok);
    talker.join();
    EXPECT_EQ(std::string(two, 2), "hi");
    for (int* fd : {&client, &server, &listener, &wake[0], &wake[1]}) Close(*fd);
}
