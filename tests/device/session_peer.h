// A scripted Device on the NetBIOS session service over TCP (loopback): it answers session
// requests by the script, records every session message, and answers status requests ('S').
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/session_packet.h"
#include "device/socket_io.h"

namespace zxtest {

struct SessionScript {
    bool answerCall = true;
    std::optional<uint8_t> negative;       // refuse the session with this code
    std::optional<uint16_t> retargetPort;  // send the caller on to 127.0.0.1:port
    bool answerStatus = true;
    std::vector<uint8_t> status{0x80, 0x00, 0x00, 0x00, 0x00, 0x00};
    std::vector<uint8_t> statusRaw;  // raw bytes sent instead of the status message
    bool closeAfterStatus = false;   // hang up after answering a status request
};

class SessionPeer {
public:
    using Script = SessionScript;

    explicit SessionPeer(Script script = {}) : script_(std::move(script)) {
        listen_ = device::sock::ListenTcpLoopback(port_);
        thread_ = std::thread([this] { run(); });
    }
    ~SessionPeer() {
        stop_ = true;
        thread_.join();
        device::sock::Close(listen_);
    }

    uint16_t port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    int sessions() const { return sessions_; }

    std::vector<std::vector<uint8_t>> requests() {
        std::lock_guard l(m_);
        return requests_;
    }
    std::vector<std::vector<uint8_t>> messages() {
        std::lock_guard l(m_);
        return messages_;
    }
    // Waits until n messages have arrived (false after timeoutMs).
    bool waitMessages(size_t n, int timeoutMs = 5000) {
        std::unique_lock l(m_);
        return cv_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return messages_.size() >= n; });
    }
    void setScript(Script s) {
        std::lock_guard l(m_);
        script_ = std::move(s);
    }

private:
    void run() {
        using namespace device;
        while (!stop_) {
            sock::Deadline d(50);
            int fd = sock::Accept(listen_, d);
            if (fd < 0) continue;
            serve(fd);
            sock::Close(fd);
        }
    }

    void send(int fd, const std::vector<uint8_t>& bytes) {
        device::sock::Deadline d(1000);
        device::sock::WriteAll(fd, bytes.data(), bytes.size(), d);
    }

    void serve(int fd) {
        using namespace device;
        SessionPacketReader reader;
        bool established = false;
        while (!stop_) {
            uint8_t type = 0;
            std::vector<uint8_t> payload;
            while (reader.next(type, payload)) {
                Script s;
                {
                    std::lock_guard l(m_);
                    s = script_;
                }
                if (!established) {
                    if (type != SESSION_REQUEST) return;
                    auto head = SessionHeader(type, payload.size());
                    std::vector<uint8_t> raw(head.begin(), head.end());
                    raw.insert(raw.end(), payload.begin(), payload.end());
                    {
                        std::lock_guard l(m_);
                        requests_.push_back(raw);
                    }
                    if (!s.answerCall) continue;
                    if (s.negative) {
                        send(fd, {NEGATIVE_SESSION_RESPONSE, 0, 0, 1, *s.negative});
                        return;
                    }
                    if (s.retargetPort) {
                        uint16_t p = *s.retargetPort;
                        send(fd, {RETARGET_SESSION_RESPONSE, 0, 0, 6, 127, 0, 0, 1, uint8_t(p >> 8), uint8_t(p)});
                        return;
                    }
                    ++sessions_;  // counted before the caller can learn of it
                    send(fd, {POSITIVE_SESSION_RESPONSE, 0, 0, 0});
                    established = true;
                    continue;
                }
                if (type != SESSION_MESSAGE) continue;
                {
                    std::lock_guard l(m_);
                    messages_.push_back(payload);
                }
                cv_.notify_all();
                if (payload.size() == 1 && payload[0] == 0x53 && s.answerStatus) {
                    if (!s.statusRaw.empty()) {
                        send(fd, s.statusRaw);
                    } else {
                        auto head = SessionHeader(SESSION_MESSAGE, s.status.size());
                        std::vector<uint8_t> m(head.begin(), head.end());
                        m.insert(m.end(), s.status.begin(), s.status.end());
                        send(fd, m);
                    }
                    if (s.closeAfterStatus) return;
                }
            }
            if (reader.failed()) return;
            uint8_t buf[65536];
            size_t got = 0;
            sock::Deadline d(50);
            sock::Io io = sock::ReadSome(fd, buf, sizeof buf, got, d);
            if (io == sock::Io::Timeout) continue;
            if (io != sock::Io::Ok) return;
            reader.feed(buf, got);
        }
    }

    Script script_;
    uint16_t port_ = 0;
    int listen_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> sessions_{0};
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<std::vector<uint8_t>> requests_;
    std::vector<std::vector<uint8_t>> messages_;
};

// A loopback port where nobody listens: calls to it are refused at once.
inline uint16_t RefusingPort() {
    uint16_t port = 0;
    int fd = device::sock::ListenTcpLoopback(port);
    device::sock::Close(fd);
    return port;
}

}  // namespace zxtest
