// The port the SMS engine talks to the modem through: opened and closed by the engine thread,
// written by it, read by the reader thread. The serial port is the real one; tests put a scripted
// modem in its place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sms {

class ModemPort {
public:
    virtual ~ModemPort() = default;
    // Opens the port with the engine's line at the baud rate. handle is what the log line shows
    // (the descriptor; -1 when the open failed).
    virtual bool Open(uint32_t baud, long& handle) = 0;
    // Drops DTR and RTS and closes; releases the reader's wait.
    virtual void Close() = 0;
    // Writes the whole command, waiting (bounded) until it has gone; the outcome is not used.
    virtual void Write(std::string_view bytes) = 0;

    // The reader thread's side: a wait for received bytes (false on time-out or when the port
    // closes or is interrupted), the count queued, and a read of what is queued.
    virtual bool WaitForData(int timeoutMs) {
        (void)timeoutMs;
        return false;
    }
    virtual size_t BytesQueued() { return 0; }
    virtual long Read(void* buffer, size_t size) {
        (void)buffer;
        (void)size;
        return 0;
    }
    // Releases every blocking call (the engine is closing).
    virtual void Interrupt() {}
};

}  // namespace sms
