// A scripted Device behind the engine's link interface: a small model of the Device (transfer and
// fill flags, motion that ends after some status reads, state value, requests answered by
// register 0xC0) with faults to inject, recording every write, block and read. Parallel-port
// flavour: Hamming-coded status; Ethernet flavour: plain nibbles and batched writes.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "device/engine.h"
#include "device/engine_link.h"
#include "device/engine_protocol.h"
#include "platform/clock.h"
#include "platform/message_target.h"

namespace zxtest {

struct Write {
    uint8_t reg;
    uint16_t value;
    bool operator==(const Write&) const = default;
};

class ScriptedLink : public device::EngineLink {
public:
    enum Flavour { LPT, NET };
    explicit ScriptedLink(Flavour f = LPT, int statusClass = 1) : flavour_(f), class_(statusClass) {}

    // --- the script (call from the test thread) ---
    void set(const std::function<void(ScriptedLink&)>& f) {
        std::lock_guard l(m_);
        f(*this);
    }
    bool powered = true;
    int motionReads = 3;         // status reads a started motion takes to finish (-1: never)
    bool prepareAnswers = true;  // 0x80 = 0 sets S0 bit 0
    int rejectPackets = 0;       // the next n register packets (Ethernet: messages) are refused
    int rejectData = 0;          // the next n data blocks are refused
    int damageReads = 0;         // the next n status reads carry one byte with `damageBits` flipped
    int damageBits = 2;
    int failReads = 0;          // the next n status reads fail (with the flavour's read error)
    int state = 0;              // the Device state value
    int request = 0;            // class 1: the pending request; a write of 0xC0 clears it
    bool blockReads = false;    // status reads hang until released
    bool blockOnBatch = false;  // the next batched write hangs until released

    // --- what happened ---
    std::vector<Write> writes() {
        std::lock_guard l(m_);
        return writes_;
    }
    std::vector<std::vector<Write>> messages() {  // as they reached the Device, batches whole
        std::lock_guard l(m_);
        return messages_;
    }
    std::vector<size_t> blocks() {
        std::lock_guard l(m_);
        return blocks_;
    }
    std::vector<std::vector<uint8_t>> blockBytes() {
        std::lock_guard l(m_);
        return blockBytes_;
    }
    int connects() {
        std::lock_guard l(m_);
        return connects_;
    }
    int reads() {
        std::lock_guard l(m_);
        return reads_;
    }
    bool badChecks() {
        std::lock_guard l(m_);
        return badChecks_;
    }
    // Counts writes of reg = value.
    int count(uint8_t reg, uint16_t value) {
        int n = 0;
        for (const Write& w : writes())
            if (w.reg == reg && w.value == value) ++n;
        return n;
    }
    // Ends a running motion at the next status read.
    void finishMotion() {
        std::lock_guard l(m_);
        motion_ = 0;
    }
    // Lets a hanging read go on, with a motion that ends `reads` records later.
    void releaseWithMotion(int reads) {
        std::lock_guard l(m_);
        motion_ = reads;
        blockReads = blockOnBatch = false;
        cv_.notify_all();
    }
    void release() {
        std::lock_guard l(m_);
        blockReads = blockOnBatch = false;
        cv_.notify_all();
    }
    bool waitFor(const std::function<bool(ScriptedLink&)>& pred, int timeoutMs = 5000) {
        std::unique_lock l(m_);
        return cv_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return pred(*this); });
    }
    bool blockedInRead() {
        std::lock_guard l(m_);
        return inBlockedRead_;
    }
    // Unlocked views for waitFor predicates.
    const std::vector<Write>& writesNow() const { return writes_; }
    int readsNow() const { return reads_; }
    int connectsNow() const { return connects_; }
    bool blockedNow() const { return inBlockedRead_ || inBlockedBatch_; }

    // --- the link ---
    int connect() override {
        std::lock_guard l(m_);
        ++connects_;
        cv_.notify_all();
        return powered ? 0 : device::LINK_NOT_RESPONDING;
    }
    void disconnect() override {}
    int sendPacket(const device::Packet& p, bool moreFollows) override {
        std::unique_lock l(m_);
        const uint8_t reg = p[2];
        const uint16_t value = uint16_t(p[3] << 8 | p[4]);
        if (device::MakePacket(reg, value) != p) badChecks_ = true;
        writes_.push_back({reg, value});
        if (flavour_ == NET && moreFollows) {
            held_.push_back({reg, value});
            if (blockOnBatch) {
                inBlockedBatch_ = true;
                cv_.notify_all();
                cv_.wait(l, [&] { return !blockOnBatch; });
                inBlockedBatch_ = false;
            }
            cv_.notify_all();
            return 0;
        }
        std::vector<Write> message = std::move(held_);
        held_.clear();
        message.push_back({reg, value});
        cv_.notify_all();
        if (!powered) return flavour_ == LPT ? device::LINK_WRITE_ERROR : device::LINK_ETHERNET_ERROR;
        messages_.push_back(message);
        if (rejectPackets > 0) {
            --rejectPackets;
            accepted_ = false;
            return 0;
        }
        accepted_ = true;
        for (const Write& w : message) apply(w);
        return 0;
    }
    int sendData(const uint8_t* data, size_t length) override {
        std::lock_guard l(m_);
        blocks_.push_back(length);
        blockBytes_.emplace_back(data, data + std::min<size_t>(length, 16));
        cv_.notify_all();
        if (!powered) return flavour_ == LPT ? device::LINK_WRITE_ERROR : device::LINK_ETHERNET_ERROR;
        if (rejectData > 0) {
            --rejectData;
            accepted_ = false;
            return 0;
        }
        accepted_ = true;
        s0_ &= ~1;
        return 0;
    }
    int readStatus(uint8_t* buffer, size_t length) override {
        std::unique_lock l(m_);
        ++reads_;
        if (blockReads) {
            inBlockedRead_ = true;
            cv_.notify_all();
            cv_.wait(l, [&] { return !blockReads; });
            inBlockedRead_ = false;
        }
        cv_.notify_all();
        const int readError = flavour_ == LPT ? device::LINK_READ_ERROR : device::LINK_ETHERNET_ERROR;
        if (!powered) return readError;
        if (failReads > 0) {
            --failReads;
            return readError;
        }
        uint8_t v[6] = {uint8_t((accepted_ ? 8 : 0) | s0_), 0xF, 0xF, 0xF, 0, 0};
        if (motion_ != 0) {
            v[1] = v[2] = v[3] = 0;
            if (motion_ > 0) --motion_;
        }
        if (class_ == 0) {
            v[4] = uint8_t(state);
        } else {
            v[4] = class_ == 1 ? uint8_t(request) : 0;
            v[5] = uint8_t(state);
        }
        for (size_t i = 0; i < length; ++i)
            buffer[i] = flavour_ == LPT ? device::kHammingCodewords[v[i] & 0xF] : uint8_t(v[i] << 4);
        if (damageReads > 0 && flavour_ == LPT) {
            --damageReads;
            buffer[1] ^= damageBits == 1 ? 0x10 : 0x11;
        }
        return 0;
    }
    int batchCount() override {
        std::lock_guard l(m_);
        return int(held_.size());
    }
    void resetBatch() override {
        std::lock_guard l(m_);
        held_.clear();
    }
    bool hammingCoded() const override { return flavour_ == LPT; }
    void close() override {}

private:
    void apply(const Write& w) {
        if (w.reg == 0xC0) request = 0;
        if (w.reg != 0x80) return;
        s0_ = 0;
        if (w.value == 0x0000) {
            if (prepareAnswers) s0_ = 1;
        } else if (w.value == 0x8000) {
            s0_ = 2;
        } else if (w.value & 0x0004) {
            motion_ = 0;
        } else {
            motion_ = motionReads;
        }
    }

    Flavour flavour_;
    int class_;
    std::mutex m_;
    std::condition_variable cv_;
    bool accepted_ = true;
    int s0_ = 0;
    int motion_ = 0;
    std::vector<Write> held_;
    std::vector<Write> writes_;
    std::vector<std::vector<Write>> messages_;
    std::vector<size_t> blocks_;
    std::vector<std::vector<uint8_t>> blockBytes_;
    int connects_ = 0, reads_ = 0;
    bool badChecks_ = false;
    bool inBlockedRead_ = false, inBlockedBatch_ = false;
};

// The air frame's side: every MSG_ENGINE notification, in order, and the command number each
// one carried.
class NoteRecorder : public platform::MessageTarget {
public:
    using Note = std::pair<int, int>;  // code, value

    void post(uint32_t msg, uintptr_t w, intptr_t l) override {
        std::lock_guard lock(m_);
        if (msg == platform::MSG_ENGINE) {
            notes_.push_back({device::NoteCode(w), int(l)});
            commands_.push_back(device::NoteCommand(w));
        }
        cv_.notify_all();
    }
    std::vector<uint16_t> commands() {
        std::lock_guard lock(m_);
        return commands_;
    }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override {
        post(msg, w, l);
        return 0;
    }
    std::vector<Note> notes() {
        std::lock_guard lock(m_);
        return notes_;
    }
    // The codes only, without state changes (which follow the Device's own timing).
    std::vector<int> codes(bool withState = false) {
        std::vector<int> c;
        for (const Note& n : notes())
            if (withState || n.first != device::NOTE_STATE) c.push_back(n.first);
        return c;
    }
    int count(int code) {
        int n = 0;
        for (const Note& x : notes()) n += x.first == code;
        return n;
    }
    // Waits until `code` has arrived n times.
    bool waitFor(int code, int n = 1, int timeoutMs = 5000) {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            int k = 0;
            for (const Note& x : notes_) k += x.first == code;
            return k >= n;
        });
    }
    void clear() {
        std::lock_guard lock(m_);
        notes_.clear();
        commands_.clear();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<Note> notes_;
    std::vector<uint16_t> commands_;
};

// Moves a manual clock forward `step` ms every real millisecond while it lives, so the
// engine's seconds-long deadlines and reconnect intervals pass quickly.
class FastClock {
public:
    explicit FastClock(platform::ManualClock& clock, uint32_t step = 20) : clock_(clock), step_(step) {
        thread_ = std::thread([this] {
            while (!stop_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                if (running_) clock_.advance(step_);
            }
        });
    }
    ~FastClock() {
        stop_ = true;
        thread_.join();
    }
    void hold(bool h) { running_ = !h; }

private:
    platform::ManualClock& clock_;
    uint32_t step_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{true};
    std::thread thread_;
};

}  // namespace zxtest
