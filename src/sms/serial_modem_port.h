// The modem on a serial port, opened as the engine opens it: not shared, reads that return what
// has arrived within a second, writes bounded by the time the bytes take at the baud rate, the
// line 8N1 raw without flow control, both directions purged, DTR and RTS raised (dropped at
// close).
#pragma once

#include <functional>
#include <string>

#include "platform/serial_port.h"
#include "sms/modem_port.h"

namespace sms {

class SerialModemPort final : public ModemPort {
public:
    // devicePath names the device at each open attempt ("" = none, the open fails), so that a
    // simulator may start on demand and a changed setting takes effect.
    explicit SerialModemPort(std::function<std::string()> devicePath) : devicePath_(std::move(devicePath)) {}

    bool Open(uint32_t baud, long& handle) override;
    void Close() override;
    void Write(std::string_view bytes) override;
    bool WaitForData(int timeoutMs) override { return port_.WaitForData(timeoutMs); }
    size_t BytesQueued() override { return port_.BytesQueued(); }
    long Read(void* buffer, size_t size) override;
    void Interrupt() override { port_.Interrupt(); }

    // The outcome of the last open attempt (a platform::SerialError) and the device it tried.
    int lastError() const { return lastError_; }
    const std::string& lastDevice() const { return lastDevice_; }
    platform::SerialPort& port() { return port_; }

private:
    std::function<std::string()> devicePath_;
    platform::SerialPort port_;
    int lastError_ = 0;
    std::string lastDevice_;
};

}  // namespace sms
