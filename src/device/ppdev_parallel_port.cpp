#include "device/ppdev_parallel_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "app/log/event_log.h"
#include "platform/files.h"

namespace device {

PpdevParallelPort::PpdevParallelPort(std::string devicePrefix, std::string classDir)
    : prefix_(std::move(devicePrefix)), classDir_(std::move(classDir)) {}

PpdevParallelPort::~PpdevParallelPort() { closePort(); }

bool PpdevParallelPort::open() {
    std::lock_guard lock(m_);
    // The driver is there when the system lists it or has made any of its device files.
    bool present = platform::IsDirectory(classDir_);
    for (int i = 0; i < 4 && !present; ++i) present = platform::FileExists(prefix_ + std::to_string(i));
    if (!present) LogMessage("PpdevParallelPort::Open: ppdev driver not loaded");
    opened_ = present;
    return present;
}

void PpdevParallelPort::close() {
    std::lock_guard lock(m_);
    closePort();
    opened_ = false;
}

void PpdevParallelPort::closePort() {
    if (fd_ >= 0) {
        if (claimed_) ::ioctl(fd_, PPRELEASE);
        ::close(fd_);
    }
    fd_ = -1;
    claimed_ = false;
}

bool PpdevParallelPort::setMode(int mode) {
    // Switching between address and data cycles within ECP only flips the mode's address bit;
    // the kernel keeps the bus phase.
    return ::ioctl(fd_, PPNEGOT, &mode) == 0;
}

DriverReply PpdevParallelPort::handshake(uint32_t version, uint32_t) {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return DriverReply::Of(kParOutShort, version == 0x204 ? PAR_OK : PAR_FAILED);
}

DriverReply PpdevParallelPort::setTiming(uint32_t, uint32_t) {
    // ppdev has its own bus timing; the transfer limits are kIdleLimitMs.
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return DriverReply::Of(kParOutShort, PAR_OK);
}

DriverReply PpdevParallelPort::speedQuery() {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return DriverReply::Of(kParOutLong, PAR_OK, uint32_t(ProcessorMhz()));
}

DriverReply PpdevParallelPort::selectPort(uint16_t port, uint16_t) {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    closePort();
    if (port < 1 || port > 3) return DriverReply::Of(kParOutShort, PAR_NO_PORT);
    std::string path = prefix_ + std::to_string(port - 1);
    int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        uint16_t status = (e == ENOENT || e == ENXIO || e == ENODEV) ? PAR_NO_PORT
                          : e == EBUSY                               ? PAR_IN_USE
                                                                     : PAR_FAILED;
        LogMessage("PpdevParallelPort::SelectPort %s: %s", path.c_str(), std::strerror(e));
        return DriverReply::Of(kParOutShort, status);
    }
    // The device file exists for every minor number; the port behind it may not.
    unsigned int modes = 0;
    if (::ioctl(fd, PPGETMODES, &modes) != 0) {
        LogMessage("PpdevParallelPort::SelectPort %s: %s", path.c_str(), std::strerror(errno));
        ::close(fd);
        return DriverReply::Of(kParOutShort, PAR_NO_PORT);
    }
    // Exclusive: the kernel then refuses every other driver on this port while we hold it.
    if (::ioctl(fd, PPEXCL) != 0) {
        ::close(fd);
        return DriverReply::Of(kParOutShort, PAR_FAILED);
    }
    fd_ = fd;
    return DriverReply::Of(kParOutShort, PAR_OK);
}

DriverReply PpdevParallelPort::capabilityQuery() {
    std::lock_guard lock(m_);
    if (!opened_ || fd_ < 0) return {};
    unsigned int modes = 0;
    if (::ioctl(fd_, PPGETMODES, &modes) != 0) return DriverReply::Of(kParOutLong, PAR_FAILED);
    return DriverReply::Of(kParOutLong, PAR_OK, (modes & PARPORT_MODE_ECP) ? 1u : 0u);
}

DriverReply PpdevParallelPort::acquire() {
    std::lock_guard lock(m_);
    if (!opened_ || fd_ < 0) return {};
    if (claimed_) return DriverReply::Of(kParOutShort, PAR_OK);
    if (::ioctl(fd_, PPCLAIM) != 0) {
        int e = errno;
        LogMessage("PpdevParallelPort::Acquire: %s", std::strerror(e));
        // An exclusive registration fails (ENXIO) while another driver sits on the port.
        return DriverReply::Of(kParOutShort, (e == ENXIO || e == EBUSY) ? PAR_IN_USE : PAR_FAILED);
    }
    claimed_ = true;
    // Handshake waits inside the kernel (negotiation) end after one second.
    timeval tv{1, 0};
    ::ioctl(fd_, PPSETTIME, &tv);
    return DriverReply::Of(kParOutShort, PAR_OK);
}

DriverReply PpdevParallelPort::release() {
    std::lock_guard lock(m_);
    if (!opened_ || fd_ < 0) return {};
    if (claimed_) {
        if (::ioctl(fd_, PPRELEASE) != 0) return DriverReply::Of(kParOutShort, PAR_FAILED);
        claimed_ = false;
    }
    return DriverReply::Of(kParOutShort, PAR_OK);
}

DriverReply PpdevParallelPort::terminate() {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    if (fd_ >= 0 && claimed_) {
        int compat = IEEE1284_MODE_COMPAT;
        ::ioctl(fd_, PPNEGOT, &compat);
    }
    closePort();
    return DriverReply::Of(kParOutShort, PAR_OK);
}

DriverReply PpdevParallelPort::negotiate(uint16_t) {
    std::lock_guard lock(m_);
    if (!opened_ || fd_ < 0) return {};
    if (!claimed_) return DriverReply::Of(kParOutLong, PAR_FAILED);
    // Back to compatibility mode first, so that ECP is negotiated with the Device afresh
    // (the kernel would otherwise answer from its memory of an earlier link).
    int compat = IEEE1284_MODE_COMPAT;
    ::ioctl(fd_, PPNEGOT, &compat);
    int ecp = IEEE1284_MODE_ECP;
    if (::ioctl(fd_, PPNEGOT, &ecp) != 0) {
        int e = errno;
        LogMessage("PpdevParallelPort::Negotiate: %s", std::strerror(e));
        return DriverReply::Of(kParOutLong, e == EIO ? PAR_TIMEOUT : PAR_FAILED);
    }
    return DriverReply::Of(kParOutLong, PAR_OK);
}

uint32_t PpdevParallelPort::transfer(bool write, uint8_t* data, uint32_t length, uint16_t& status) {
    using Clock = std::chrono::steady_clock;
    status = PAR_OK;
    uint32_t done = 0;
    auto lastProgress = Clock::now();
    while (done < length) {
        ssize_t n = write ? ::write(fd_, data + done, length - done) : ::read(fd_, data + done, length - done);
        if (n > 0) {
            done += uint32_t(n);
            lastProgress = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            status = PAR_FAILED;
            break;
        }
        // Nothing moved: the Device is busy or silent. Try again shortly, within the limit.
        if (Clock::now() - lastProgress >= std::chrono::milliseconds(kIdleLimitMs)) {
            status = PAR_TIMEOUT;
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return done;
}

DriverReply PpdevParallelPort::writeAddress(uint8_t address) {
    std::lock_guard lock(m_);
    if (!opened_ || fd_ < 0) return {};
    if (!claimed_ || !setMode(IEEE1284_MODE_ECP | IEEE1284_ADDR)) return DriverReply::Of(kParOutShort, PAR_FAILED);
    uint16_t status = PAR_OK;
    uint32_t n = transfer(true, &address, 1, status);
    if (!setMode(IEEE1284_MODE_ECP) && status == PAR_OK) status = PAR_FAILED;
    if (n != 1 && status == PAR_OK) status = PAR_FAILED;
    return DriverReply::Of(kParOutShort, status);
}

DriverReply PpdevParallelPort::writeData(const void* data, uint32_t length) {
    std::lock_guard lock(m_);
    if (!opened_ || fd_ < 0) return {};
    if (!claimed_) return DriverReply::Of(kParOutLong, PAR_FAILED);
    uint16_t status = PAR_OK;
    // write() takes a const buffer; transfer() shares the read path's signature.
    uint32_t n = transfer(true, const_cast<uint8_t*>(static_cast<const uint8_t*>(data)), length, status);
    return DriverReply::Of(kParOutLong, status, n);
}

DriverReply PpdevParallelPort::readData(void* data, uint32_t length) {
    std::lock_guard lock(m_);
    if (!opened_ || fd_ < 0) return {};
    if (!claimed_) return DriverReply::Of(kParOutLong, PAR_FAILED);
    uint16_t status = PAR_OK;
    uint32_t n = transfer(false, static_cast<uint8_t*>(data), length, status);
    return DriverReply::Of(kParOutLong, status, n);
}

}  // namespace device
