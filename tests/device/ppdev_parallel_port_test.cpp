// The ppdev backend without hardware: a missing driver and a missing port give their link
// errors, not a crash.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "device/lpt_transport.h"
#include "device/ppdev_parallel_port.h"
#include "support/temp_dir.h"

using namespace device;

namespace {

TEST(PpdevParallelPort, MissingDriverIsErrorOne) {
    zxtest::TempDir dir;
    LptHandle h = nullptr;
    auto d = std::make_unique<PpdevParallelPort>(dir.file("parport"), dir.file("no-class"));
    EXPECT_EQ(LptOpen(std::move(d), 0, &h), 1);
    EXPECT_EQ(h, nullptr);
}

TEST(PpdevParallelPort, MissingPortIsErrorTwo) {
    zxtest::TempDir dir;
    ::mkdir(dir.file("ppdev").c_str(), 0700);  // the driver is loaded, but no /dev/parport2
    LptHandle h = nullptr;
    auto d = std::make_unique<PpdevParallelPort>(dir.file("parport"), dir.file("ppdev"));
    EXPECT_EQ(LptOpen(std::move(d), 2, &h), 2);
    // A device file that is not a parallel port is no port either.
    zxtest::WriteText(dir.file("parport0"), "");
    d = std::make_unique<PpdevParallelPort>(dir.file("parport"), dir.file("ppdev"));
    EXPECT_EQ(LptOpen(std::move(d), 0, &h), 2);
    EXPECT_EQ(h, nullptr);
}

TEST(PpdevParallelPort, ThisMachinesFirstPortOpensOrFailsCleanly) {
    LptHandle h = nullptr;
    int r = LptOpen(std::make_unique<PpdevParallelPort>(), 0, &h);
    // Without the hardware: no driver (1), no port (2), no ECP (4) or in use (5).
    if (r != 0) {
        EXPECT_TRUE(r == 1 || r == 2 || r == 4 || r == 5) << r;
        EXPECT_EQ(h, nullptr);
    } else {
        // A real port: without a Device the negotiation fails within its time limit.
        int c = LptConnect(h);
        EXPECT_TRUE(c == 0 || c == 12) << c;
        LptDisconnect(h);
        LptClose(h);
    }
}

}  // namespace
