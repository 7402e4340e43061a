// The LPT link over a scripted driver: the open sequence and its results for each driver
// status, connect, and the byte-count rules of the transfers.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "app/profile.h"
#include "device/lpt_transport.h"
#include "log_capture.h"

using namespace device;

namespace {

// Answers every request with status 0 unless told otherwise, and records what it was asked.
class ScriptedDriver : public ParallelPortDriver {
public:
    struct Log {
        std::vector<int> requests;  // request codes; -1 open, -2 close
        uint16_t selectedPort = 0;
        std::vector<uint8_t> addresses;
        int closes = 0;
    };
    explicit ScriptedDriver(Log& log) : log_(log) {}

    bool openFails = false;
    std::map<int, uint16_t> status;   // request code -> status
    std::map<int, uint32_t> shortBy;  // request code -> bytes of output missing
    uint32_t capability = 1;
    uint32_t transferShortBy = 0;  // bytes a write or read falls short

    bool open() override {
        log_.requests.push_back(-1);
        return !openFails;
    }
    void close() override {
        log_.requests.push_back(-2);
        ++log_.closes;
    }
    DriverReply handshake(uint32_t v, uint32_t) override {
        EXPECT_EQ(v, 0x204u);
        return reply(PAR_HANDSHAKE, kParOutShort);
    }
    DriverReply setTiming(uint32_t a, uint32_t b) override {
        EXPECT_EQ(a, 20u);
        EXPECT_EQ(b, 1500u);
        return reply(PAR_TIMING, kParOutShort);
    }
    DriverReply selectPort(uint16_t port, uint16_t flags) override {
        log_.selectedPort = port;
        EXPECT_EQ(flags, 1);
        return reply(PAR_SELECT_PORT, kParOutShort);
    }
    DriverReply terminate() override { return reply(PAR_TERMINATE, kParOutShort); }
    DriverReply acquire() override { return reply(PAR_ACQUIRE, kParOutShort); }
    DriverReply release() override { return reply(PAR_RELEASE, kParOutShort); }
    DriverReply negotiate(uint16_t mode) override {
        EXPECT_EQ(mode, 2);
        return reply(PAR_NEGOTIATE, kParOutLong);
    }
    DriverReply writeAddress(uint8_t a) override {
        log_.addresses.push_back(a);
        return reply(PAR_IOCTL_WRITE_ADDRESS, kParOutShort);
    }
    DriverReply writeData(const void*, uint32_t n) override {
        return reply(PAR_IOCTL_WRITE_DATA, kParOutLong, n - transferShortBy);
    }
    DriverReply readData(void* p, uint32_t n) override {
        std::fill_n(static_cast<uint8_t*>(p), n, uint8_t(0x07));
        return reply(PAR_IOCTL_READ_DATA, kParOutLong, n - transferShortBy);
    }
    DriverReply speedQuery() override { return reply(PAR_SPEED, kParOutLong, 2400); }
    DriverReply capabilityQuery() override { return reply(PAR_CAPABILITY, kParOutLong, capability); }

private:
    DriverReply reply(int code, uint32_t out, uint32_t value = 0) {
        log_.requests.push_back(code);
        uint16_t st = status.count(code) ? status[code] : uint16_t(PAR_OK);
        uint32_t missing = shortBy.count(code) ? shortBy[code] : 0;
        return DriverReply::Of(out - missing, st, value);
    }
    Log& log_;
};

struct Opened {
    int result;
    ScriptedDriver::Log log;
    LptHandle handle = nullptr;
};

template <class Setup>
Opened Open(int portIndex, Setup setup) {
    Opened o{};
    auto d = std::make_unique<ScriptedDriver>(o.log);
    setup(*d);
    o.result = LptOpen(std::move(d), portIndex, &o.handle);
    return o;
}
Opened Open(int portIndex = 0) {
    return Open(portIndex, [](ScriptedDriver&) {});
}

TEST(LptOpen, SequenceLogsSpeedAndLeavesThePortReleased) {
    zxtest::LogCapture log;
    Opened o = Open(0);
    ASSERT_EQ(o.result, 0);
    ASSERT_NE(o.handle, nullptr);
    std::vector<int> want{-1,          PAR_HANDSHAKE,  PAR_SPEED,  PAR_TIMING, PAR_SELECT_PORT,
                          PAR_ACQUIRE, PAR_CAPABILITY, PAR_RELEASE};
    EXPECT_EQ(o.log.requests, want);
    EXPECT_EQ(o.log.selectedPort, 1);
    EXPECT_TRUE(log.has("CPU speed: 2400 Mhz"));
    LptClose(o.handle);
    EXPECT_EQ(o.handle, nullptr);
    // Close terminates first, then closes the driver.
    ASSERT_GE(o.log.requests.size(), 2u);
    EXPECT_EQ(o.log.requests[o.log.requests.size() - 2], PAR_TERMINATE);
    EXPECT_EQ(o.log.requests.back(), -2);
}

TEST(LptOpen, PortIndexTwoReachesTheDriverAsThree) {
    Opened o = Open(2);
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.log.selectedPort, 3);
    LptClose(o.handle);
}

TEST(LptOpen, EachDriverStatusGivesItsLinkError) {
    struct Case {
        int request;
        uint16_t status;
        int error;
    } cases[] = {
        {PAR_HANDSHAKE, PAR_NO_PORT, 2},  // not the internal-error message
        {PAR_HANDSHAKE, PAR_FAILED, 3},   {PAR_SPEED, PAR_FAILED, 3},        {PAR_TIMING, 0x33, 3},
        {PAR_SELECT_PORT, PAR_NO_ECP, 4}, {PAR_SELECT_PORT, 0x15, 5},        {PAR_SELECT_PORT, 0x25, 5},
        {PAR_SELECT_PORT, 0x26, 5},       {PAR_SELECT_PORT, PAR_NO_PORT, 2}, {PAR_SELECT_PORT, 0x07, 2},
        {PAR_ACQUIRE, PAR_IN_USE, 5},     {PAR_ACQUIRE, PAR_FAILED, 5},      {PAR_CAPABILITY, PAR_FAILED, 4},
        {PAR_RELEASE, PAR_FAILED, 5},
    };
    for (const Case& c : cases) {
        Opened o = Open(0, [&](ScriptedDriver& d) { d.status[c.request] = c.status; });
        EXPECT_EQ(o.result, c.error) << "request " << c.request << " status " << c.status;
        EXPECT_EQ(o.handle, nullptr);
        // Every failure after the driver opened closes it, and nothing runs after the failure.
        EXPECT_EQ(o.log.closes, 1);
        EXPECT_EQ(o.log.requests[o.log.requests.size() - 2], c.request);
    }
}

TEST(LptOpen, ShortOutputsAndMissingEcpFail) {
    // A reply that does not fill the output counts as failed whatever its status.
    EXPECT_EQ(Open(0, [](ScriptedDriver& d) { d.shortBy[PAR_HANDSHAKE] = 1; }).result, 3);
    EXPECT_EQ(Open(0, [](ScriptedDriver& d) { d.shortBy[PAR_SELECT_PORT] = 2; }).result, 2);
    EXPECT_EQ(Open(0, [](ScriptedDriver& d) { d.capability = 0xFE; }).result, 4);
    // The driver that cannot be opened is not closed.
    Opened o = Open(0, [](ScriptedDriver& d) { d.openFails = true; });
    EXPECT_EQ(o.result, 1);
    EXPECT_EQ(o.log.closes, 0);
    EXPECT_EQ(o.log.requests.size(), 1u);
    // No driver at all (an unknown LptDriver) is a driver that is not installed.
    LptHandle h = nullptr;
    EXPECT_EQ(LptOpen(nullptr, 0, &h), 1);
}

TEST(LptConnect, TakesThePortAndNegotiatesOrGivesItBack) {
    Opened o = Open(0, [](ScriptedDriver& d) { d.status[PAR_NEGOTIATE] = PAR_TIMEOUT; });
    ASSERT_EQ(o.result, 0);
    o.log.requests.clear();
    EXPECT_EQ(LptConnect(o.handle), 12);
    std::vector<int> want{PAR_ACQUIRE, PAR_NEGOTIATE, PAR_RELEASE};
    EXPECT_EQ(o.log.requests, want);
    static_cast<ScriptedDriver*>(o.handle)->status[PAR_NEGOTIATE] = PAR_OK;
    EXPECT_EQ(LptConnect(o.handle), 0);
    static_cast<ScriptedDriver*>(o.handle)->status[PAR_ACQUIRE] = PAR_IN_USE;
    EXPECT_EQ(LptConnect(o.handle), 5);
    o.log.requests.clear();
    EXPECT_EQ(LptDisconnect(o.handle), 0);
    EXPECT_EQ(o.log.requests, std::vector<int>{PAR_RELEASE});
    LptClose(o.handle);
}

TEST(LptTransfer, ShortTransfersAreErrorsEvenWithStatusZero) {
    zxtest::LogCapture log;
    Opened o = Open(0);
    ASSERT_EQ(o.result, 0);
    auto* d = static_cast<ScriptedDriver*>(o.handle);
    uint8_t block[5] = {0xEA, 0xC1, 0x80, 0x00, 0x04};
    EXPECT_EQ(LptWriteAddress(o.handle, ECP_ADDR_REGISTER), 0);
    EXPECT_EQ(LptWrite(o.handle, block, 5), 0);
    uint8_t status[6];
    EXPECT_EQ(LptRead(o.handle, status, 6), 0);
    EXPECT_EQ(o.log.addresses, std::vector<uint8_t>{0x0C});

    d->transferShortBy = 2;
    EXPECT_EQ(LptWrite(o.handle, block, 5), 6);
    EXPECT_EQ(LptRead(o.handle, status, 6), 7);
    EXPECT_TRUE(log.has("PAR_IOCTL_WRITE_DATA error: 00, bytes: 3 of 5"));
    EXPECT_TRUE(log.has("PAR_IOCTL_READ_DATA error: 00, bytes: 4 of 6"));

    d->transferShortBy = 0;
    d->status[PAR_IOCTL_WRITE_ADDRESS] = PAR_TIMEOUT;
    d->status[PAR_IOCTL_WRITE_DATA] = PAR_TIMEOUT;
    EXPECT_EQ(LptWriteAddress(o.handle, ECP_ADDR_DATA), 6);
    EXPECT_EQ(LptWrite(o.handle, block, 5), 6);
    EXPECT_TRUE(log.has("PAR_IOCTL_WRITE_ADDRESS error: 02"));
    EXPECT_TRUE(log.has("PAR_IOCTL_WRITE_DATA error: 02, bytes: 5 of 5"));
    LptClose(o.handle);

    // A closed link answers with the errors, not a crash.
    LptHandle none = nullptr;
    EXPECT_EQ(LptWrite(none, block, 5), 6);
    EXPECT_EQ(LptRead(none, status, 6), 7);
    EXPECT_EQ(LptConnect(none), 5);
    LptClose(none);
}

TEST(LptDriverChoice, SettingsPickTheBackend) {
    zxtest::TempDir dir;
    zxtest::WriteText(dir.file("Z.INI"), "[Hardware]\nLptDriver=Sim\n");
    app::Profile sim(dir.file("Z.INI"));
    EXPECT_NE(CreateParallelPortDriver(sim), nullptr);
    zxtest::WriteText(dir.file("Z.INI"), "[Hardware]\nLptDriver=parport9\n");
    app::Profile bad(dir.file("Z.INI"));
    EXPECT_EQ(CreateParallelPortDriver(bad), nullptr);
}

}  // namespace
