// A phone-lines adapter played by a test: every write is recorded and handed to the test's
// responder, which queues the reply bytes; reads take them, and a read that finds nothing lets
// its whole time-out pass on the manual clock, as the serial port would. Pauses move the clock.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "interactive/adapter_port.h"
#include "interactive/serial.h"
#include "platform/clock.h"

namespace zxtest {

using Bytes = std::vector<uint8_t>;

class ScriptedAdapter final : public interactive::AdapterPort {
public:
    explicit ScriptedAdapter(platform::ManualClock& clock) : clock_(clock) {}

    std::function<void(ScriptedAdapter&, const Bytes& written)> respond;
    std::vector<Bytes> writes;
    std::vector<bool> dtrChanges;
    bool dtr = false;
    bool failWrites = false;
    int purges = 0;

    void queue(const Bytes& bytes) { rx_.insert(rx_.end(), bytes.begin(), bytes.end()); }
    void queue(const std::string& bytes) { rx_.insert(rx_.end(), bytes.begin(), bytes.end()); }
    size_t pending() const { return rx_.size(); }

    bool Write(const uint8_t* data, size_t size) override {
        if (failWrites) return false;
        writes.emplace_back(data, data + size);
        if (respond) respond(*this, writes.back());
        return true;
    }
    size_t Read(uint8_t* buffer, size_t size) override {
        if (rx_.empty()) {
            clock_.advance(uint32_t(10 * size + 1000));
            return 0;
        }
        size_t n = 0;
        while (n < size && !rx_.empty()) {
            buffer[n++] = rx_.front();
            rx_.pop_front();
        }
        return n;
    }
    void Purge() override {
        ++purges;
        rx_.clear();
    }
    void SetDtr(bool on) override {
        dtr = on;
        dtrChanges.push_back(on);
    }
    void SetRts(bool) override {}
    void Sleep(uint32_t ms) override { clock_.advance(ms); }

    // The codes of the packets written so far.
    std::vector<int> codes() const {
        std::vector<int> c;
        for (const Bytes& w : writes)
            if (w.size() >= 4 && w[0] == interactive::kPacketSync) c.push_back(w[1]);
        return c;
    }

private:
    platform::ManualClock& clock_;
    std::deque<uint8_t> rx_;
};

// A second-version reply packet.
inline Bytes Packet(uint8_t code, const Bytes& data) {
    Bytes p{interactive::kPacketSync, code, uint8_t(data.size())};
    p.insert(p.end(), data.begin(), data.end());
    p.push_back(interactive::PacketChecksum(p.data(), p.size()));
    return p;
}

}  // namespace zxtest
