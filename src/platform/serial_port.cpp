// termios2 (the kernel's own structure) rather than <termios.h>: only it sets any baud rate
// (BOTHER), which 14400 needs. The two headers cannot meet in one file.
#include "platform/serial_port.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace platform {

namespace {

using Steady = std::chrono::steady_clock;

int64_t MsSince(Steady::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - t0).count();
}

// Milliseconds left of a limit (-1 = none), never below 0.
int Left(int64_t limitMs, Steady::time_point t0) {
    if (limitMs < 0) return -1;
    int64_t left = limitMs - MsSince(t0);
    return int(std::clamp<int64_t>(left, 0, 0x7FFFFFFF));
}

int ErrorOf(int e) {
    switch (e) {
        case ENOENT:
        case ENXIO:
        case ENODEV: return SERIAL_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS: return SERIAL_NO_ACCESS;
        case EBUSY:
        case EWOULDBLOCK: return SERIAL_BUSY;
        case ENOTTY: return SERIAL_NOT_A_TTY;
        default: return SERIAL_IO;
    }
}

}  // namespace

class SerialPort::Use {
public:
    explicit Use(const SerialPort& port) : port_(port) {
        std::lock_guard l(port_.m_);
        if (port_.fd_ < 0) error_ = SERIAL_NOT_OPEN;
        else if (port_.interrupted_) error_ = SERIAL_INTERRUPTED;
        else {
            fd_ = port_.fd_;
            ++port_.users_;
        }
    }
    ~Use() {
        if (fd_ < 0) return;
        std::lock_guard l(port_.m_);
        if (--port_.users_ == 0) port_.cv_.notify_all();
    }
    int fd() const { return fd_; }
    int error() const { return error_; }

private:
    const SerialPort& port_;
    int fd_ = -1;
    int error_ = SERIAL_OK;
};

SerialPort::SerialPort() { wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

SerialPort::~SerialPort() {
    Close();
    if (wake_ >= 0) ::close(wake_);
}

int SerialPort::Open(const std::string& path) {
    Close();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return ErrorOf(errno);
    if (!isatty(fd)) {
        ::close(fd);
        return SERIAL_NOT_A_TTY;
    }
    // The lock keeps out every other opener, root included (TIOCEXCL does not stop root).
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int e = errno;
        ::close(fd);
        return e == EWOULDBLOCK ? SERIAL_BUSY : ErrorOf(e);
    }
    ioctl(fd, TIOCEXCL);
    uint64_t drained;
    while (read(wake_, &drained, sizeof drained) > 0) {}
    std::lock_guard l(m_);
    fd_ = fd;
    interrupted_ = false;
    timeouts_ = {};
    return SERIAL_OK;
}

void SerialPort::Close() {
    std::unique_lock l(m_);
    if (fd_ < 0) return;
    interrupted_ = true;
    uint64_t one = 1;
    (void)!write(wake_, &one, sizeof one);
    cv_.wait(l, [&] { return users_ == 0; });
    ioctl(fd_, TIOCNXCL);
    flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    uint64_t drained;
    while (read(wake_, &drained, sizeof drained) > 0) {}
    interrupted_ = false;
}

bool SerialPort::IsOpen() const {
    std::lock_guard l(m_);
    return fd_ >= 0;
}

int SerialPort::Handle() const {
    std::lock_guard l(m_);
    return fd_;
}

void SerialPort::Interrupt() {
    std::lock_guard l(m_);
    if (fd_ < 0) return;
    interrupted_ = true;
    uint64_t one = 1;
    (void)!write(wake_, &one, sizeof one);
}

int SerialPort::SetLine(const SerialLine& line) {
    if (line.baud == 0 || line.dataBits < 5 || line.dataBits > 8 || (line.stopBits != 1 && line.stopBits != 2) ||
        (line.parity != 'N' && line.parity != 'O' && line.parity != 'E'))
        return SERIAL_BAD_SETTING;
    Use use(*this);
    if (use.error()) return use.error();
    struct termios2 t {};
    if (ioctl(use.fd(), TCGETS2, &t) != 0) return SERIAL_NOT_A_TTY;
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    if (line.xonXoffFlow) t.c_iflag |= IXON | IXOFF;
    if (line.parity != 'N') t.c_iflag |= INPCK;
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CBAUD | CIBAUD);
    static const tcflag_t sizes[4] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[line.dataBits - 5] | CREAD | CLOCAL | HUPCL | BOTHER;
    if (line.parity != 'N') t.c_cflag |= PARENB;
    if (line.parity == 'O') t.c_cflag |= PARODD;
    if (line.stopBits == 2) t.c_cflag |= CSTOPB;
    if (line.rtsCtsFlow) t.c_cflag |= CRTSCTS;
    t.c_ispeed = t.c_ospeed = line.baud;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (ioctl(use.fd(), TCSETS2, &t) != 0) return SERIAL_BAD_SETTING;
    std::lock_guard l(m_);
    baud_ = line.baud;
    return SERIAL_OK;
}

int SerialPort::GetLine(SerialLine& line) const {
    Use use(*this);
    if (use.error()) return use.error();
    struct termios2 t {};
    if (ioctl(use.fd(), TCGETS2, &t) != 0) return SERIAL_NOT_A_TTY;
    line.baud = t.c_ospeed;
    switch (t.c_cflag & CSIZE) {
        case CS5: line.dataBits = 5; break;
        case CS6: line.dataBits = 6; break;
        case CS7: line.dataBits = 7; break;
        default: line.dataBits = 8; break;
    }
    line.parity = !(t.c_cflag & PARENB) ? 'N' : (t.c_cflag & PARODD) ? 'O' : 'E';
    line.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
    line.rtsCtsFlow = (t.c_cflag & CRTSCTS) != 0;
    line.xonXoffFlow = (t.c_iflag & IXON) != 0;
    return SERIAL_OK;
}

void SerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
    std::lock_guard l(m_);
    timeouts_ = timeouts;
}

SerialTimeouts SerialPort::Timeouts() const {
    std::lock_guard l(m_);
    return timeouts_;
}

namespace {

// A terminal without modem lines (a pseudo-terminal) keeps their state in its settings, where the
// program at the other end reads it (PtyModemLines).
int SetPtyLine(int fd, uint8_t bit, bool on) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return SERIAL_IO;
    uint8_t v = (t.c_cc[VSWTC] & kPtyLinesMark) ? t.c_cc[VSWTC] : kPtyLinesMark;
    v = on ? uint8_t(v | bit) : uint8_t(v & ~bit);
    t.c_cc[VSWTC] = v;
    return ioctl(fd, TCSETS2, &t) == 0 ? SERIAL_OK : SERIAL_IO;
}

int SetModemLine(int fd, int tiocm, uint8_t ptyBit, bool on) {
    int bits = tiocm;
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return SERIAL_OK;
    if (errno == ENOTTY || errno == EINVAL || errno == EIO) return SetPtyLine(fd, ptyBit, on);
    return SERIAL_IO;
}

}  // namespace

int SerialPort::SetDtr(bool on) {
    Use use(*this);
    if (use.error()) return use.error();
    return SetModemLine(use.fd(), TIOCM_DTR, kPtyDtr, on);
}

int SerialPort::SetRts(bool on) {
    Use use(*this);
    if (use.error()) return use.error();
    return SetModemLine(use.fd(), TIOCM_RTS, kPtyRts, on);
}

bool PtyModemLines(int fd, bool& dtr, bool& rts) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    const uint8_t v = t.c_cc[VSWTC];
    if (!(v & kPtyLinesMark)) {
        dtr = rts = false;
        return false;
    }
    dtr = (v & kPtyDtr) != 0;
    rts = (v & kPtyRts) != 0;
    return true;
}

int SerialPort::Purge(bool input, bool output) {
    if (!input && !output) return SERIAL_OK;
    Use use(*this);
    if (use.error()) return use.error();
    int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ioctl(use.fd(), TCFLSH, which) == 0 ? SERIAL_OK : SERIAL_IO;
}

size_t SerialPort::BytesQueued() const {
    Use use(*this);
    if (use.error()) return 0;
    int n = 0;
    if (ioctl(use.fd(), FIONREAD, &n) != 0 || n < 0) return 0;
    return size_t(n);
}

int SerialPort::waitFor(int fd, short events, int timeoutMs) const {
    pollfd p[2] = {{fd, events, 0}, {wake_, POLLIN, 0}};
    int r;
    do r = poll(p, 2, timeoutMs);
    while (r < 0 && errno == EINTR);
    if (r < 0) return -2;
    if (p[1].revents) return -1;
    if (r == 0) return 0;
    if (p[0].revents & events) return 1;
    return -2;
}

void SerialPort::idle(int timeoutMs) const {
    if (timeoutMs == 0) return;
    pollfd p{wake_, POLLIN, 0};
    while (poll(&p, 1, timeoutMs) < 0 && errno == EINTR) {}
}

bool SerialPort::WaitForData(int timeoutMs) {
    Use use(*this);
    if (use.error()) return false;
    const auto t0 = Steady::now();
    for (;;) {
        int left = Left(timeoutMs, t0);
        int r = waitFor(use.fd(), POLLIN, left);
        if (r == -1 || r == 0) return false;
        int n = 0;
        if (ioctl(use.fd(), FIONREAD, &n) == 0 && n > 0) return true;
        // Readable without bytes: a hung-up device. Sit out the time-out (still released by
        // Close and Interrupt) rather than answer at once and have the caller spin.
        if (r == -2 || r == 1) {
            idle(Left(timeoutMs, t0));
            return false;
        }
    }
}

long SerialPort::Read(void* buffer, size_t size) {
    Use use(*this);
    if (use.error()) return -use.error();
    if (size == 0) return 0;
    const SerialTimeouts t = Timeouts();
    auto* out = static_cast<uint8_t*>(buffer);
    size_t got = 0;
    auto readSome = [&]() -> long {
        ssize_t n = ::read(use.fd(), out + got, size - got);
        if (n > 0) got += size_t(n);
        if (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) return -SERIAL_IO;
        return n > 0 ? n : 0;
    };
    const bool immediate =
        t.readInterval == kSerialMaxTimeout && t.readTotalMultiplier == 0 && t.readTotalConstant == 0;
    const bool firstByte = t.readInterval == kSerialMaxTimeout && t.readTotalMultiplier == kSerialMaxTimeout &&
                           t.readTotalConstant > 0 && t.readTotalConstant < kSerialMaxTimeout;
    if (immediate) {
        long r = readSome();
        return r < 0 ? r : long(got);
    }
    int64_t total = -1;
    if (firstByte) total = t.readTotalConstant;
    else if (t.readTotalMultiplier || t.readTotalConstant)
        total = int64_t(t.readTotalMultiplier) * int64_t(size) + int64_t(t.readTotalConstant);
    const int64_t interval = (firstByte || t.readInterval == kSerialMaxTimeout) ? 0 : t.readInterval;
    const auto t0 = Steady::now();
    while (got < size) {
        long r = readSome();
        if (r < 0) return got ? long(got) : r;
        if (got == size || (firstByte && got > 0)) break;
        int wait = Left(total, t0);
        if (total >= 0 && wait == 0) break;
        if (got > 0 && interval > 0) wait = wait < 0 ? int(interval) : std::min<int>(wait, int(interval));
        int w = waitFor(use.fd(), POLLIN, wait);
        if (w == -1) break;
        if (w == 0) {
            if (got > 0 && interval > 0) break;  // a whole interval without a byte
            continue;
        }
        int n = 0;
        if (w == -2 || ioctl(use.fd(), FIONREAD, &n) != 0 || n <= 0) {
            // Hung up: nothing more will come, but the time-out still runs.
            idle(Left(total, t0));
            break;
        }
    }
    return long(got);
}

long SerialPort::Write(const void* data, size_t size) {
    Use use(*this);
    if (use.error()) return -use.error();
    const SerialTimeouts t = Timeouts();
    uint32_t baud;
    {
        std::lock_guard l(m_);
        baud = baud_;
    }
    int64_t total = -1;
    if (t.writeTotalMultiplier || t.writeTotalConstant)
        total = int64_t(t.writeTotalMultiplier) * int64_t(size) + int64_t(t.writeTotalConstant);
    const auto* in = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    const auto t0 = Steady::now();
    while (sent < size) {
        ssize_t n = ::write(use.fd(), in + sent, size - sent);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return sent ? long(sent) : -SERIAL_IO;
        int wait = Left(total, t0);
        if (total >= 0 && wait == 0) return long(sent);
        int w = waitFor(use.fd(), POLLOUT, wait);
        if (w == -1) return sent ? long(sent) : -SERIAL_INTERRUPTED;
        if (w == -2) return sent ? long(sent) : -SERIAL_IO;
    }
    // Done when the bytes have left the driver, as the original write completes.
    for (;;) {
        int queued = 0;
        if (ioctl(use.fd(), TIOCOUTQ, &queued) != 0 || queued <= 0) break;
        int wait = Left(total, t0);
        if (total >= 0 && wait == 0) break;
        int need = int(std::min<int64_t>(1000, int64_t(queued) * 10000 / std::max<uint32_t>(baud, 1) + 1));
        pollfd p{wake_, POLLIN, 0};
        if (poll(&p, 1, wait < 0 ? need : std::min(wait, need)) > 0) break;
    }
    return long(sent);
}

}  // namespace platform
