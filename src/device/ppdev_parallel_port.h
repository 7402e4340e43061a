// The parallel-port driver on real hardware: Linux ppdev (/dev/parport<n>) in IEEE 1284 ECP
// mode. The port is registered exclusively, so while Zentrix holds it no other driver (lp,
// another program) can take it, and taking it never waits on someone else. Every transfer is
// non-blocking with a one-second inactivity limit, so a silent Device cannot freeze the engine.
#pragma once

#include <mutex>
#include <string>

#include "device/parallel_port_driver.h"

namespace device {

class PpdevParallelPort final : public ParallelPortDriver {
public:
    // devicePrefix + (port - 1) names the device file; classDir is where the system lists the
    // ppdev driver when it is loaded. Both are parameters for tests.
    explicit PpdevParallelPort(std::string devicePrefix = "/dev/parport", std::string classDir = "/sys/class/ppdev");
    ~PpdevParallelPort() override;

    bool open() override;
    void close() override;
    DriverReply handshake(uint32_t version, uint32_t reserved) override;
    DriverReply setTiming(uint32_t first, uint32_t second) override;
    DriverReply selectPort(uint16_t port, uint16_t flags) override;
    DriverReply terminate() override;
    DriverReply acquire() override;
    DriverReply release() override;
    DriverReply negotiate(uint16_t mode) override;
    DriverReply writeAddress(uint8_t address) override;
    DriverReply writeData(const void* data, uint32_t length) override;
    DriverReply readData(void* data, uint32_t length) override;
    DriverReply speedQuery() override;
    DriverReply capabilityQuery() override;

    static constexpr int kIdleLimitMs = 1000;

private:
    bool setMode(int mode);
    void closePort();
    // Moves bytes until all are done, an error, or kIdleLimitMs without progress.
    uint32_t transfer(bool write, uint8_t* data, uint32_t length, uint16_t& status);

    std::mutex m_;
    std::string prefix_;
    std::string classDir_;
    bool opened_ = false;
    int fd_ = -1;
    bool claimed_ = false;
};

}  // namespace device
