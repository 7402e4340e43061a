// The simulated parallel-port driver: the port side of every request goes to the virtual Device
// over a Unix-domain socket (protocol in sim_lpt_protocol.h).
#pragma once

#include <mutex>
#include <string>

#include "device/parallel_port_driver.h"

namespace device {

class SimParallelPort final : public ParallelPortDriver {
public:
    // socketPath: the Device's socket; "" = the embedded Device's, else the default path.
    explicit SimParallelPort(std::string socketPath = {});
    ~SimParallelPort() override;

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

    bool connected() const { return fd_ >= 0; }
    // The socket the driver uses (resolved at each connect).
    std::string socketPath() const;

private:
    // Connects, greets and selects the port again; false when no Device answers.
    bool connectDevice();
    void disconnect();
    // One request and its reply. in/inCap receive a READ_DATA payload.
    DriverReply exchange(uint8_t code, uint32_t outSize, uint16_t arg, uint32_t value, const void* payload,
                         uint32_t payloadLen, void* in = nullptr, uint32_t inCap = 0);
    // A port request: forwarded to a connected Device, else answered here with success.
    DriverReply portRequest(uint8_t code, uint16_t arg = 0, uint32_t value = 0);

    std::mutex m_;
    std::string configuredPath_;
    int fd_ = -1;
    bool opened_ = false;
    uint16_t port_ = 0;  // selected port, replayed on reconnect
};

}  // namespace device
