// A scripted stand-in for the virtual Device on the simulated parallel port's Unix socket: it
// answers every request by the script and records what it was sent.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "device/parallel_port_driver.h"
#include "device/sim_lpt_protocol.h"
#include "device/socket_io.h"

namespace zxtest {

class SimDevicePeer {
public:
    struct Request {
        uint8_t code;
        uint16_t arg;
        uint32_t value;
        std::vector<uint8_t> payload;
    };

    explicit SimDevicePeer(std::string path) : path_(std::move(path)) {
        listen_ = device::sock::ListenUnix(path_);
        thread_ = std::thread([this] { run(); });
    }
    ~SimDevicePeer() {
        stop_ = true;
        thread_.join();
        device::sock::Close(listen_);
    }

    bool listening() const { return listen_ >= 0; }
    void setStatus(uint8_t code, uint16_t status) {
        std::lock_guard l(m_);
        status_[code] = status;
    }
    void setSilent(uint8_t code) {
        std::lock_guard l(m_);
        silent_.insert(code);
    }
    void setReadData(std::vector<uint8_t> bytes) {
        std::lock_guard l(m_);
        readData_ = std::move(bytes);
    }
    void setWriteShortBy(uint32_t n) {
        std::lock_guard l(m_);
        writeShortBy_ = n;
    }
    void setCapability(uint32_t v) {
        std::lock_guard l(m_);
        capability_ = v;
    }
    std::vector<Request> requests() {
        std::lock_guard l(m_);
        return requests_;
    }
    std::vector<uint8_t> codes() {
        std::lock_guard l(m_);
        std::vector<uint8_t> c;
        for (auto& r : requests_) c.push_back(r.code);
        return c;
    }
    void clearRequests() {
        std::lock_guard l(m_);
        requests_.clear();
    }
    int connections() const { return connections_; }
    // Ends the current connection, as a Device that restarts.
    void dropConnection() {
        drop_ = true;
        while (drop_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    void run() {
        using namespace device;
        int fd = -1;
        std::vector<uint8_t> in;
        while (!stop_) {
            if (drop_.exchange(false)) {
                sock::Close(fd);
                in.clear();
            }
            if (fd < 0) {
                sock::Deadline d(50);
                fd = sock::Accept(listen_, d);
                if (fd >= 0) ++connections_;
                continue;
            }
            uint8_t buf[65536];
            size_t got = 0;
            sock::Deadline d(50);
            sock::Io io = sock::ReadSome(fd, buf, sizeof buf, got, d);
            if (io == sock::Io::Timeout) continue;
            if (io != sock::Io::Ok) {
                sock::Close(fd);
                in.clear();
                continue;
            }
            in.insert(in.end(), buf, buf + got);
            for (;;) {
                if (in.size() < simlpt::kSimLptHeaderSize) break;
                simlpt::Frame f;
                simlpt::DecodeFrame(in.data(), f);
                if (in.size() < simlpt::kSimLptHeaderSize + f.length) break;
                Request r{f.code, f.word, f.value,
                          std::vector<uint8_t>(in.begin() + simlpt::kSimLptHeaderSize,
                                               in.begin() + std::ptrdiff_t(simlpt::kSimLptHeaderSize + f.length))};
                in.erase(in.begin(), in.begin() + std::ptrdiff_t(simlpt::kSimLptHeaderSize + f.length));
                answer(fd, r);
            }
        }
        sock::Close(fd);
    }

    void answer(int fd, const Request& r) {
        using namespace device;
        simlpt::Frame reply{r.code, 0, 0, 0};
        std::vector<uint8_t> payload;
        {
            std::lock_guard l(m_);
            requests_.push_back(r);
            if (silent_.count(r.code)) return;
            if (status_.count(r.code)) reply.word = status_[r.code];
            switch (r.code) {
                case simlpt::SIMLPT_HELLO: reply.value = simlpt::kSimLptVersion; break;
                case PAR_CAPABILITY: reply.value = capability_; break;
                case PAR_IOCTL_WRITE_DATA: reply.value = uint32_t(r.payload.size()) - writeShortBy_; break;
                case PAR_IOCTL_READ_DATA:
                    payload.assign(readData_.begin(), readData_.begin() + std::min<size_t>(readData_.size(), r.value));
                    reply.value = reply.length = uint32_t(payload.size());
                    break;
                default: break;
            }
        }
        uint8_t head[simlpt::kSimLptHeaderSize];
        simlpt::EncodeFrame(reply, head);
        sock::Deadline d(1000);
        sock::WriteAll(fd, head, sizeof head, payload.data(), payload.size(), d);
    }

    std::string path_;
    int listen_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> drop_{false};
    std::atomic<int> connections_{0};
    std::mutex m_;
    std::map<uint8_t, uint16_t> status_;
    std::set<uint8_t> silent_;
    std::vector<uint8_t> readData_;
    uint32_t writeShortBy_ = 0;
    uint32_t capability_ = 1;
    std::vector<Request> requests_;
};

}  // namespace zxtest
