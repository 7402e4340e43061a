#include "device/sim_parallel_port.h"

#include <cstring>

#include "app/log/event_log.h"
#include "device/embedded_device.h"
#include "device/sim_lpt_protocol.h"
#include "device/socket_io.h"
#include "platform/files.h"

namespace device {

using namespace simlpt;

SimParallelPort::SimParallelPort(std::string socketPath) : configuredPath_(std::move(socketPath)) {}

SimParallelPort::~SimParallelPort() { disconnect(); }

std::string SimParallelPort::socketPath() const {
    if (!configuredPath_.empty()) return configuredPath_;
    EmbeddedDevice embedded = GetEmbeddedDevice();
    if (embedded.lptSocket) {
        std::string path = embedded.lptSocket();
        if (!path.empty()) return path;
    }
    return platform::RuntimeDir() + kSimLptSocketName;
}

bool SimParallelPort::open() {
    // The driver is part of the program: it is always there.
    std::lock_guard lock(m_);
    opened_ = true;
    return true;
}

void SimParallelPort::close() {
    std::lock_guard lock(m_);
    disconnect();
    opened_ = false;
    port_ = 0;
}

void SimParallelPort::disconnect() { sock::Close(fd_); }

bool SimParallelPort::connectDevice() {
    disconnect();
    int err = 0;
    std::string path = socketPath();
    fd_ = sock::ConnectUnix(path, &err);
    if (fd_ < 0) return false;
    DriverReply hello = exchange(SIMLPT_HELLO, kParOutShort, kSimLptVersion, kSimLptMagic, nullptr, 0);
    if (!hello.succeeded(kParOutShort)) {
        LogMessage("SimParallelPort::Connect %s: greeting refused, status %02X", path.c_str(), hello.status);
        disconnect();
        return false;
    }
    return true;
}

DriverReply SimParallelPort::exchange(uint8_t code, uint32_t outSize, uint16_t arg, uint32_t value, const void* payload,
                                      uint32_t payloadLen, void* in, uint32_t inCap) {
    if (fd_ < 0) return DriverReply::Of(outSize, PAR_FAILED);
    if (payloadLen > kSimLptMaxPayload) return DriverReply::Of(outSize, PAR_FAILED);
    uint8_t head[kSimLptHeaderSize];
    EncodeFrame(Frame{code, arg, value, payloadLen}, head);
    sock::Deadline idle(kSimLptTimeoutMs, true);
    sock::Io io = sock::WriteAll(fd_, head, sizeof head, payload, payloadLen, idle);
    Frame reply;
    bool good = false;
    if (io == sock::Io::Ok) {
        sock::Deadline wait(kSimLptTimeoutMs, true);
        io = sock::ReadExact(fd_, head, sizeof head, wait);
        if (io == sock::Io::Ok && DecodeFrame(head, reply) && reply.code == code) {
            if (code == PAR_IOCTL_READ_DATA) good = reply.length == reply.value && reply.length <= inCap;
            else good = reply.length == 0;
            if (good && reply.length > 0) io = sock::ReadExact(fd_, in, reply.length, wait);
            good = good && io == sock::Io::Ok;
        }
    }
    if (!good) {
        // Out of step with the Device: start afresh at the next acquire.
        LogMessage("SimParallelPort::Request %02X: %s", code,
                   io == sock::Io::Timeout ? "no reply" : (io == sock::Io::Ok ? "bad reply" : "connection lost"));
        disconnect();
        return DriverReply::Of(outSize, io == sock::Io::Timeout ? PAR_TIMEOUT : PAR_FAILED);
    }
    return DriverReply::Of(outSize, reply.word, reply.value);
}

DriverReply SimParallelPort::portRequest(uint8_t code, uint16_t arg, uint32_t value) {
    uint32_t out = code == PAR_CAPABILITY ? kParOutLong : kParOutShort;
    if (fd_ < 0) return DriverReply::Of(out, PAR_OK, code == PAR_CAPABILITY ? 1u : 0u);
    return exchange(code, out, arg, value, nullptr, 0);
}

DriverReply SimParallelPort::handshake(uint32_t version, uint32_t) {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return DriverReply::Of(kParOutShort, version == 0x204 ? PAR_OK : PAR_FAILED);
}

DriverReply SimParallelPort::setTiming(uint32_t, uint32_t) {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return DriverReply::Of(kParOutShort, PAR_OK);
}

DriverReply SimParallelPort::speedQuery() {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return DriverReply::Of(kParOutLong, PAR_OK, uint32_t(ProcessorMhz()));
}

DriverReply SimParallelPort::selectPort(uint16_t port, uint16_t flags) {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    if (port < 1 || port > 3) return DriverReply::Of(kParOutShort, PAR_NO_PORT);
    port_ = port;
    if (fd_ < 0) connectDevice();
    return portRequest(PAR_SELECT_PORT, port, flags);
}

DriverReply SimParallelPort::terminate() {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    DriverReply r = portRequest(PAR_TERMINATE);
    disconnect();
    return r;
}

DriverReply SimParallelPort::acquire() {
    std::lock_guard lock(m_);
    if (!opened_ || port_ == 0) return {};
    if (fd_ < 0 && connectDevice()) {
        // A new connection (the Device was restarted): it must learn the port again.
        DriverReply sel = exchange(PAR_SELECT_PORT, kParOutShort, port_, 1, nullptr, 0);
        if (!sel.succeeded(kParOutShort)) {
            if (sel.status == PAR_OK) sel.status = PAR_FAILED;
            return sel;
        }
    }
    return portRequest(PAR_ACQUIRE);
}

DriverReply SimParallelPort::release() {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return portRequest(PAR_RELEASE);
}

DriverReply SimParallelPort::capabilityQuery() {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return portRequest(PAR_CAPABILITY);
}

DriverReply SimParallelPort::negotiate(uint16_t mode) {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return exchange(PAR_NEGOTIATE, kParOutLong, mode, 0, nullptr, 0);
}

DriverReply SimParallelPort::writeAddress(uint8_t address) {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return exchange(PAR_IOCTL_WRITE_ADDRESS, kParOutShort, address, 0, nullptr, 0);
}

DriverReply SimParallelPort::writeData(const void* data, uint32_t length) {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    return exchange(PAR_IOCTL_WRITE_DATA, kParOutLong, 0, length, data, length);
}

DriverReply SimParallelPort::readData(void* data, uint32_t length) {
    std::lock_guard lock(m_);
    if (!opened_) return {};
    if (length > kSimLptMaxPayload) return DriverReply::Of(kParOutLong, PAR_FAILED);
    return exchange(PAR_IOCTL_READ_DATA, kParOutLong, 0, length, nullptr, 0, data, length);
}

}  // namespace device
