// The parallel-port driver as the LPT link sees it: the driver's request table, each request
// answering a 16-bit driver status (0 = success) and, for the longer outputs, a 32-bit value.
// Backends: the simulated driver (the virtual Device over a Unix socket) and Linux ppdev.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace app {
class Profile;
}

namespace device {

// Request codes (the driver's control codes).
enum ParRequest : uint8_t {
    PAR_HANDSHAKE = 0x02,
    PAR_TIMING = 0x03,
    PAR_SELECT_PORT = 0x04,
    PAR_TERMINATE = 0x05,
    PAR_ACQUIRE = 0x06,
    PAR_RELEASE = 0x07,
    PAR_NEGOTIATE = 0x08,
    PAR_IOCTL_WRITE_ADDRESS = 0x0B,
    PAR_IOCTL_WRITE_DATA = 0x0C,
    PAR_IOCTL_READ_DATA = 0x0F,
    PAR_SPEED = 0x12,
    PAR_CAPABILITY = 0x17,
};

// Driver statuses. The link relies on 0 and on the port statuses 0x0E, 0x12, 0x15, 0x25,
// 0x26; our backends use 0x01 and 0x02 for their own failures.
enum ParStatus : uint16_t {
    PAR_OK = 0x00,
    PAR_FAILED = 0x01,   // the request could not be carried out
    PAR_TIMEOUT = 0x02,  // the port or the Device stayed silent
    PAR_NO_ECP = 0x0E,   // the port has no ECP mode (or it is off in the BIOS)
    PAR_NO_PORT = 0x12,  // no such port
    PAR_IN_USE = 0x15,   // another program holds the port
    PAR_IN_USE_2 = 0x25,
    PAR_IN_USE_3 = 0x26,
};

// Output sizes of the requests: the status alone, or status, 2 reserved bytes and a 32-bit value.
constexpr uint32_t kParOutShort = 2;
constexpr uint32_t kParOutLong = 8;

// The answer to one request. A request has succeeded only when it reached the driver, the
// driver filled the whole output and the status is 0.
struct DriverReply {
    bool called = false;    // the request reached the driver
    uint32_t returned = 0;  // output bytes filled
    uint16_t status = PAR_FAILED;
    uint32_t value = 0;  // count transferred, processor speed or capability byte

    static DriverReply Of(uint32_t outSize, uint16_t status, uint32_t value = 0) {
        return DriverReply{true, outSize, status, value};
    }
    bool succeeded(uint32_t outSize) const { return called && returned == outSize && status == PAR_OK; }
};

class ParallelPortDriver {
public:
    virtual ~ParallelPortDriver() = default;

    // Loads the driver; false when it is not there. close() ends every use of it.
    virtual bool open() = 0;
    virtual void close() = 0;

    virtual DriverReply handshake(uint32_t version, uint32_t reserved) = 0;  // out 2
    virtual DriverReply setTiming(uint32_t first, uint32_t second) = 0;      // out 2
    virtual DriverReply selectPort(uint16_t port, uint16_t flags) = 0;       // out 2; 1 = LPT1
    virtual DriverReply terminate() = 0;                                     // out 2
    virtual DriverReply acquire() = 0;                                       // out 2
    virtual DriverReply release() = 0;                                       // out 2
    virtual DriverReply negotiate(uint16_t mode) = 0;                        // out 8
    virtual DriverReply writeAddress(uint8_t address) = 0;                   // out 2
    virtual DriverReply writeData(const void* data, uint32_t length) = 0;    // out 8, count
    virtual DriverReply readData(void* data, uint32_t length) = 0;           // out 8, count
    virtual DriverReply speedQuery() = 0;                                    // out 8, MHz
    virtual DriverReply capabilityQuery() = 0;                               // out 8, bit 0 = ECP
};

// Settings of the LPT backends.
constexpr char kLptDriverKey[] = "LptDriver";  // [Hardware]: "ppdev" (default) or "sim"
constexpr char kLptSocketKey[] = "LptSocket";  // [Hardware]: socket of the virtual Device for "sim"

// The backend the settings name; nullptr for an unknown name (a driver that is not installed).
std::unique_ptr<ParallelPortDriver> CreateParallelPortDriver(const app::Profile& ini);

// The processor clock in MHz as the system reports it (0 when it does not).
int ProcessorMhz();

}  // namespace device
