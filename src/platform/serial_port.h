// A serial port over termios, in place of the "COM%d" ports of the original platform: exclusive
// open, the line (any baud rate, also 14400), raw bytes, DTR and RTS, purge, bytes queued, reads
// and writes bounded by time-outs with the meaning the design's callers expect, and a wait for
// received bytes. One thread may wait or read while another writes; Close and Interrupt, from any
// thread, release every blocking call, and no descriptor is closed while a call still uses it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace platform {

// Failures, answered as negative values by Read and Write and as such by the others.
enum SerialError : int {
    SERIAL_OK = 0,
    SERIAL_NOT_FOUND = 1,    // no such device
    SERIAL_BUSY = 2,         // another program (or this one) holds the port
    SERIAL_NO_ACCESS = 3,    // no permission (the dialout group)
    SERIAL_NOT_A_TTY = 4,    // the path is not a serial device
    SERIAL_BAD_SETTING = 5,  // the driver refused the line settings
    SERIAL_IO = 6,           // the device failed or has gone
    SERIAL_NOT_OPEN = 7,
    SERIAL_INTERRUPTED = 8,  // released by Interrupt or Close
};

// Milliseconds, with the rules of the original platform's port time-outs:
// * readInterval = kSerialMaxTimeout with both read totals 0: a read returns at once with what
//   has arrived;
// * readInterval and readTotalMultiplier = kSerialMaxTimeout, 0 < readTotalConstant <
//   kSerialMaxTimeout: a read waits up to the constant for a first byte, then returns at once;
// * otherwise a read ends when it has all it asked for, or after multiplier x bytes asked +
//   constant (no limit when both are 0), or when more than readInterval passes between two bytes
//   (0 or kSerialMaxTimeout: no interval limit);
// * a write ends when every byte has gone out of the driver, or after writeTotalMultiplier x
//   bytes + writeTotalConstant (no limit when both are 0).
constexpr uint32_t kSerialMaxTimeout = 0xFFFFFFFFu;
struct SerialTimeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

struct SerialLine {
    uint32_t baud = 9600;
    int dataBits = 8;   // 5 to 8
    char parity = 'N';  // 'N', 'O' or 'E'
    int stopBits = 1;   // 1 or 2
    bool rtsCtsFlow = false;
    bool xonXoffFlow = false;
};

class SerialPort {
public:
    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the device for reading and writing, not shared: a second open of the same device,
    // from this process or another, answers SERIAL_BUSY.
    int Open(const std::string& path);
    // Releases every blocking call, waits until none uses the port, then closes it.
    void Close();
    bool IsOpen() const;
    // The descriptor (-1 when closed), for log lines.
    int Handle() const;

    // The line: baud rate, data bits, parity, stop bits, flow control; always raw 8-bit bytes
    // without echo or line editing, the receiver on, modem status lines ignored.
    int SetLine(const SerialLine& line);
    int GetLine(SerialLine& line) const;
    void SetTimeouts(const SerialTimeouts& timeouts);
    SerialTimeouts Timeouts() const;

    // The modem control lines. A pseudo-terminal has none: there the state is kept in the
    // terminal's settings for the program at its other end (PtyModemLines), and the call succeeds.
    int SetDtr(bool on);
    int SetRts(bool on);
    // Discards what is waiting to be read and/or sent.
    int Purge(bool input, bool output);
    // Received bytes waiting to be read (0 when closed or hung up).
    size_t BytesQueued() const;

    // Reads up to size bytes as the time-outs say: the count read, or a negative SerialError.
    long Read(void* buffer, size_t size);
    // Writes as the time-outs say: the count written, or a negative SerialError.
    long Write(const void* data, size_t size);
    // Waits until received bytes are queued (true), for at most timeoutMs (-1: no limit). False
    // on time-out, when interrupted or closed. A hung-up device (its other end gone) has nothing
    // to read: the wait takes its time-out instead of returning at once.
    bool WaitForData(int timeoutMs);

    // Releases every blocking call at once and makes further ones return SERIAL_INTERRUPTED,
    // until the port is closed or opened again.
    void Interrupt();

private:
    // A blocking call in progress holds the descriptor through one of these.
    class Use;
    // Polls fd for events and the wake-up descriptor: 1 ready, 0 time-out, -1 interrupted,
    // -2 hung up or failed.
    int waitFor(int fd, short events, int timeoutMs) const;
    void idle(int timeoutMs) const;

    mutable std::mutex m_;
    mutable std::condition_variable cv_;
    int fd_ = -1;
    int wake_ = -1;  // an eventfd, readable while calls are to be released
    bool interrupted_ = false;
    mutable int users_ = 0;  // calls in progress (Use)
    uint32_t baud_ = 9600;
    SerialTimeouts timeouts_;
};

// How a pseudo-terminal carries DTR and RTS: SetDtr and SetRts store them in the otherwise unused
// control character VSWTC of its settings (bit 7 marks the byte as set, bit 0 DTR, bit 1 RTS),
// which a stand-in reads through any descriptor of the terminal. False (both lines off) while
// the program has set neither.
constexpr uint8_t kPtyLinesMark = 0x80, kPtyDtr = 0x01, kPtyRts = 0x02;
bool PtyModemLines(int fd, bool& dtr, bool& rts);

}  // namespace platform
