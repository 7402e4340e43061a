#include "sms/serial_modem_port.h"

namespace sms {

bool SerialModemPort::Open(uint32_t baud, long& handle) {
    handle = -1;
    lastDevice_ = devicePath_ ? devicePath_() : std::string();
    if (lastDevice_.empty()) {
        lastError_ = platform::SERIAL_NOT_FOUND;
        return false;
    }
    lastError_ = port_.Open(lastDevice_);
    if (lastError_) return false;
    platform::SerialTimeouts t;
    t.readInterval = platform::kSerialMaxTimeout;
    t.readTotalMultiplier = 0;
    t.readTotalConstant = 1000;
    t.writeTotalMultiplier = 19200 / (baud ? baud : 1);  // whole milliseconds a byte: 0 from 38400 up
    t.writeTotalConstant = 0;
    port_.SetTimeouts(t);
    platform::SerialLine line;
    line.baud = baud;
    lastError_ = port_.SetLine(line);
    if (lastError_) {
        port_.Close();
        return false;
    }
    port_.Purge(true, true);
    // Pseudo-terminals have no modem lines: a failure here is no reason to give up the port.
    port_.SetDtr(true);
    port_.SetRts(true);
    handle = port_.Handle();
    return true;
}

void SerialModemPort::Close() {
    port_.SetDtr(false);
    port_.SetRts(false);
    port_.Close();
}

void SerialModemPort::Write(std::string_view bytes) { port_.Write(bytes.data(), bytes.size()); }

long SerialModemPort::Read(void* buffer, size_t size) {
    long n = port_.Read(buffer, size);
    return n < 0 ? 0 : n;  // an I/O error counts as nothing read
}

}  // namespace sms
