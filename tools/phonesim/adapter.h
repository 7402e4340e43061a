// The phone-lines adapter itself, either version, without any terminal: bytes from the program
// (with the DTR line and the baud rate they came with) go in, the adapter's answer comes out.
// Lines ring, are answered when their mode says so, put the call into the call buffer (second
// version) or the call table (first version) and play the stored message to the caller, the line
// busy meanwhile. Time is the caller's (milliseconds), so tests run it in any time.
#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace phonesim {

// How a caller's number is signalled; a line detects it only when its mode asks for that kind.
enum class Cid { None, Aoh, Dtmf, Fsk };
bool ParseCid(const std::string& word, Cid& out);

struct AdapterOptions {
    int version = 2;         // 1 or 2
    int lines = 8;           // 1-8
    uint32_t eraseMs = 500;  // how long an erase keeps the flash busy
    uint32_t ringMs = 1000;  // one ring, before the adapter answers
};

struct AdapterStats {
    uint64_t commands = 0, badPackets = 0, ignoredBytes = 0;
    uint64_t calls = 0, answered = 0, busyRejected = 0, released = 0;
};

class Adapter {
public:
    explicit Adapter(AdapterOptions options);

    // Bytes from the program; answers the bytes to send back.
    std::string receive(const uint8_t* data, size_t size, bool dtr, uint32_t baud, uint64_t nowMs);
    // Lets time pass: rings end in answered calls, messages end.
    void advance(uint64_t nowMs);

    // The control interface's actions. False with a reason.
    bool ring(int line, const std::string& number, Cid cid, bool cidGiven, int rings, uint64_t nowMs,
              std::string& error);
    bool hangup(int line, std::string& error);
    void power(bool on);
    bool powered() const { return powered_; }
    void setSilent(bool on) { silent_ = on; }
    void setEraseStuck(bool on) { eraseStuck_ = on; }
    // fault corrupt|noise|drop|nak|echo|flash N: the next N answers are damaged so.
    bool fault(const std::string& kind, int count, std::string& error);

    // A line's stored message in playing order: mu-law (second version) or unsigned 8-bit (first).
    std::vector<uint8_t> message(int line) const;
    void setMessage(int line, const std::vector<uint8_t>& samples);
    // The raw flash of a line (second version: 65536 bytes, the message reversed, its length at
    // 0xFFFE).
    const std::vector<uint8_t>& flash(int line) const { return flash_[size_t(line)]; }
    std::vector<uint8_t>& flash(int line) { return flash_[size_t(line)]; }

    const AdapterOptions& options() const { return options_; }
    AdapterStats stats() const { return stats_; }
    std::string statsLine() const;
    // Calls waiting in the buffer or table, for tests.
    size_t waitingCalls() const;
    bool lineBusy(int line, uint64_t nowMs) const;
    uint32_t expectedBaud() const { return options_.version == 1 ? 9600 : 19200; }

private:
    struct Call {
        uint8_t mask = 0;
        std::string number;
    };
    struct Line {
        uint8_t mode = 0;  // second version: 0 off, 1, 7, 5, 3; first: the "m" flag as 1
        bool active = false;
        int ringsLeft = 0;
        uint64_t nextRing = 0;
        std::string number;
        Cid cid = Cid::None;
        bool cidGiven = false;
        uint64_t busyUntil = 0;
        bool ringing = false;
    };

    std::string receiveV2(uint64_t nowMs);
    std::string receiveV1(uint64_t nowMs);
    std::string packet(uint8_t code, const std::vector<uint8_t>& data, bool flashReply);
    std::string answer(std::string bytes, bool flashReply, bool isEcho);
    void answerCall(int line, uint64_t nowMs);
    bool detects(const Line& l) const;
    uint64_t messageMs(int line) const;

    AdapterOptions options_;
    bool powered_ = true;
    bool silent_ = false;
    bool eraseStuck_ = false;
    bool processing_ = false;  // second version: command 8 given
    int corrupt_ = 0, noise_ = 0, drop_ = 0, nak_ = 0, echo_ = 0, flashFail_ = 0;
    std::vector<Line> lines_;
    std::vector<std::vector<uint8_t>> flash_;
    uint64_t eraseUntil_ = 0;
    std::deque<Call> buffer_;
    bool reported_ = false;  // the front call was reported by 5 and not released yet
    // First version.
    uint8_t pending_ = 0;
    uint8_t table_[80] = {};
    int selected_ = -1;
    size_t uploadLeft_ = 0;
    bool awaitSum_ = false;
    uint8_t sum_ = 0;
    std::vector<uint8_t> upload_;
    std::vector<uint8_t> in_;
    AdapterStats stats_;
    std::mt19937 noise_rng_{12345};
};

}  // namespace phonesim
