// The virtual Device: register file, frame store, transitions and scrolls in 20 ms fields,
// status records, requests, faults and the program output. One object is one titling unit; the
// links, the control interface and the field clock call into it from their own threads, so
// every public operation takes the Device's lock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "ktgsim/frame_store.h"
#include "ktgsim/picture.h"

namespace ktgsim {

enum class Link { Lpt, Ethernet };

// Registers with a meaning of their own (the motion registers 0-35 are described in README.md).
enum : uint8_t {
    REG_CONTROL = 0x40,     // output control word
    REG_FIRST_LINE = 0x60,  // transfer window; bit 11 selects the bank
    REG_FIRST_PIXEL = 0x61,
    REG_LAST_LINE = 0x62,
    REG_LAST_PIXEL = 0x63,
    REG_TRIGGER = 0x80,  // 0 prepare a transfer, 0x8000 fill, bit 2 reset, else a start mask
    REG_REPLY = 0xC0,    // the program's answer to a request
};

// Bits of the control word, per bank.
constexpr uint16_t CtrlOnAir(int bank) { return bank == 0 ? 0x0400 : 0x0200; }
constexpr uint16_t CtrlInside(int bank) { return bank == 0 ? 0x1000 : 0x0800; }
constexpr uint16_t CtrlFade(int bank) { return bank == 0 ? 0x4000 : 0x2000; }
constexpr uint16_t CTRL_BANK1_ON_TOP = 0x0100;

// The fewest fields a fade takes (one second).
constexpr int kFadeFields = 50;
// Level of a bank's visibility: 0 off, kFullLevel fully keyed.
constexpr int kFullLevel = 4096;

struct DeviceOptions {
    int statusClass = 1;    // 0: 5-byte records; 1: 6 bytes with requests in S4; 2: 6 bytes
    bool checkData = true;  // false: data blocks are taken whatever their checksum says
};

struct DeviceStats {
    uint64_t packets = 0;           // register writes received
    uint64_t blocks = 0;            // data blocks received
    uint64_t bytes = 0;             // bytes of those blocks
    uint64_t rejects = 0;           // packets and blocks refused (bad check, bad checksum, fault)
    uint64_t effects = 0;           // transitions that moved a window or faded a bank
    uint64_t scrolls = 0;           // crawls and rolls started
    uint64_t statusReads = 0;       // status records answered
    uint64_t lastMotionFields = 0;  // fields the last transition or scroll segment took
};

struct Faults {
    int statusFlips = 0;    // status records still to damage (one byte each)
    int flipBits = 1;       // bits flipped in that byte: 1 or 2
    int rejectPackets = 0;  // register packets (LPT) or command messages (Ethernet) to refuse
    int rejectBlocks = 0;   // data blocks to refuse
    int silence = 0;        // status requests to leave unanswered
};

class Device {
public:
    explicit Device(const DeviceOptions& options = {});
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    int statusClass() const { return options_.statusClass; }
    size_t statusLength() const { return options_.statusClass == 0 ? 5 : 6; }

    // ---- The link side ----
    // One 5-byte register packet of the parallel link, check bytes first.
    void packet(const uint8_t* bytes);
    // The register writes of one Ethernet command message: 3 bytes each (register, value high,
    // value low). The message is taken or refused as a whole.
    void commandWrites(const uint8_t* writes, size_t count);
    // One data block: 2 checksum bytes (low first), then picture words high byte first.
    void block(const uint8_t* data, size_t size);
    // The status record for a link: 5 or 6 bytes into out (room for 6). False when the Device
    // gives no answer (switched off, or a silence fault).
    bool status(Link link, uint8_t* out, size_t& length);
    bool powered() const;
    // Counts power-ups, so that a link can drop the sessions of an earlier one.
    uint64_t powerEpoch() const;

    // ---- Time ----
    void advanceFields(int count = 1);
    uint64_t fieldCount() const;

    // ---- The control side ----
    // Presses a request key 1-15 (class 1 only); false with a reason otherwise.
    bool press(int code, std::string& error);
    // Forces the reported state value (0-15); -1 returns to the Device's own value.
    void setStateOverride(int value);
    void setPower(bool on);
    Faults faults() const;
    void setFaults(const Faults& f);
    DeviceStats stats() const;
    int request() const;       // the request shown in S4, 0 = none
    uint16_t display() const;  // the last reply written to register 0xC0

    // ---- The program output ----
    // Renders what is keyed on air over the background.
    void render(Picture& out, const Background& background) const;
    // True once after anything that may change the output.
    bool takeDirty();
    // Counts the changes that may have changed the output: unchanged, so is the picture.
    uint64_t changeCount() const;

    // ---- Inspection (tests, the control interface) ----
    uint16_t reg(int number) const;
    uint16_t storeWord(int bank, int line, int pixel) const;
    int stateValue() const;       // the value reported in the last status byte
    bool finished() const;        // no transition or scroll segment in motion (S1-S3 = 0xF)
    int remainingFields() const;  // fields the running motion still needs (0 when finished)
    int level(int bank) const;    // 0..kFullLevel

private:
    void applyWrite(uint8_t reg, uint16_t value);
    void trigger(uint16_t value);
    void setControl(uint16_t value);
    void resetRegisters();
    void powerUp();
    void advanceField();
    int unitFieldsLocked() const;    // fields the moving units still need
    int motionFieldsLocked() const;  // the same, fades included
    bool finishedLocked() const;
    int stateLocked() const;
    bool refusePacketLocked();
    void noteMotionLocked();

    mutable std::mutex m_;
    DeviceOptions options_;
    FrameStore store_;
    std::array<uint16_t, 256> regs_{};
    // Motion units: per bank the vertical and horizontal display offset and the four window
    // edges (see README.md for their registers).
    std::array<int, 12> dist_{};
    std::array<bool, 12> active_{};
    std::array<bool, 12> more_{};    // the last distance was added: more is expected
    std::array<bool, 12> placed_{};  // position written since the unit last started
    std::array<int, 2> level_{};
    std::array<int, 2> fadeTarget_{};
    std::array<int, 2> fadeElapsed_{};
    std::array<bool, 2> fading_{};
    std::array<bool, 2> scrolling_{};  // the bank carries a crawl or roll until it goes off air
    StoreWindow transfer_;
    uint16_t fillLeft_ = kClearWord;
    uint16_t fillRight_ = kClearWord;
    bool accepted_ = true;
    bool prepared_ = false;
    bool filled_ = false;
    bool transition_ = false;
    bool moving_ = false;       // a transition or scroll segment is under way
    uint64_t motionSince_ = 0;  // the field count when it began
    bool powered_ = true;
    uint64_t powerEpoch_ = 1;
    uint64_t fields_ = 0;
    int request_ = 0;
    uint16_t display_ = 0;
    int stateOverride_ = -1;
    int damaged_ = 0;  // damaged records so far, to vary the damaged byte and bit
    Faults faults_;
    DeviceStats stats_;
    bool dirty_ = true;
    uint64_t changes_ = 1;
    void markChangedLocked() {
        dirty_ = true;
        ++changes_;
    }
};

}  // namespace ktgsim
