// The Device command set: the command record the callers hand to the engine, and each command's
// fixed program of steps (register writes, data blocks, waits) into which the engine's worker
// turns it. The programs keep the state that lives across commands: the current layer bank, the
// control word of the last in-effect and the motion values a pause freezes and restores.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace device {

enum CmdCode : uint16_t {
    CMD_RESET_DEVICE = 1,
    CMD_FILL_RECT = 2,
    CMD_LOAD_RECT = 3,
    CMD_IN_EFFECT = 4,
    CMD_SCROLL = 5,
    CMD_END_SCROLL = 6,
    CMD_CUT = 7,
    CMD_SET_MODE = 8,
    CMD_LOAD_RECT_DATA = 9,
    CMD_REPLY = 0x11,
    CMD_PAUSE = 0x12,
    CMD_STOP = 0x100,
};

// Flags of FillRect and LoadRect.
enum : int {
    RECT_OTHER_BANK = 0x01,  // write the bank that is not the current one
    RECT_FILL_BLOCK = 0x10,  // FillRect: use the built-in fill block
};

// A Windows-style rectangle: right and bottom exclusive.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The built-in fill block: one pair of fully transparent black picture words.
extern const std::array<uint8_t, 6> kFillBlock;

// A block of Device data named by a command. A shared block stays alive while the engine may
// still send it, even when the command is replaced; a borrowed one must be kept alive by its
// owner until the command has finished.
class DataRef {
public:
    DataRef() = default;
    static DataRef Borrow(const void* bytes, size_t size);
    static DataRef Share(std::shared_ptr<const std::vector<uint8_t>> block);
    // Part of a block that owner keeps alive (a frame inside a clock or banner file).
    static DataRef Share(std::shared_ptr<const void> owner, const void* bytes, size_t size);

    const uint8_t* data() const { return bytes_; }
    size_t size() const { return size_; }

private:
    std::shared_ptr<const void> owner_;
    const uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
};

// The command record: the mailbox between the callers and the worker. The rectangle is stored
// top, left, bottom, right; parameter 3 names the data block.
struct CmdRecord {
    uint16_t seq = 0;  // set by PutCmd, a running count from 1
    uint16_t code = 0;
    uint16_t reserved = 0;
    int16_t y0 = 0, x0 = 0, y1 = 0, x1 = 0;
    uint16_t param1 = 0;
    uint32_t param2 = 0;
    DataRef param3;

    void setRect(const Rect& r) {
        y0 = int16_t(r.top);
        x0 = int16_t(r.left);
        y1 = int16_t(r.bottom);
        x1 = int16_t(r.right);
    }
};

// Steps of each program; 0 for codes that are no program.
int StepCount(uint16_t code);

// Bytes of a picture block for a w x h rectangle: a 2-byte checksum and 16 bits per pixel.
inline size_t RectBlockSize(int w, int h) { return 2 * size_t(w) * size_t(h) + 2; }

// Whether a command's data block is large enough for everything its program sends; when not,
// `need` says what it would send (0 for a rectangle the program cannot work with).
bool DataFits(const CmdRecord& cmd, size_t& need);

// One step as the worker sends it.
struct Step {
    enum Kind : uint8_t { REGISTER, DATA } kind = REGISTER;
    uint8_t reg = 0;
    uint16_t value = 0;
    bool batch = false;       // travels with the next write (Ethernet)
    uint8_t waitS0 = 0;       // S0 bits the step expects (bit 0: transfer ready, bit 1: fill done)
    bool waitFinish = false;  // wait until the running transition or scroll has finished
    uint32_t minMs = 0;       // the step may not complete sooner
    const uint8_t* data = nullptr;
    size_t length = 0;
    bool forgetState = false;  // the engine forgets the Device state value it reported last
};

// Motion values an effect or scroll writes and a pause sets to 0 and back.
struct Motion {
    uint16_t mt = 0, ml = 0, mb = 0, mr = 0;  // window edge step words
    uint16_t dv = 0, dh = 0;                  // display offset step words
};

// The numbers an in-effect computes in its first step (for tracing and tests).
struct EffectValues {
    int w = 1;
    uint16_t gv = 0, gh = 0;
    int t0 = 0, l0 = 0, b0 = 0, r0 = 0;      // start window
    int t1 = 0, l1 = 0, b1 = 0, r1 = 0;      // end window
    int t0a = 0, l0a = 0, b0a = 0, r0a = 0;  // adjusted start
    int ov1 = 0, oh1 = 0, ov2 = 0, oh2 = 0, sv = 0, sh = 0, nv = 0, nh = 0;
    uint16_t e = 0;      // effect control word
    uint16_t start = 0;  // start mask
    uint16_t c = 0;      // control word after the effect
};

class CommandSet {
public:
    // A fresh run of the worker: bank 0, control word 0.
    void resetSession();
    // Takes up where an earlier run left the Device (tools that print a program for a bank).
    void restore(int bank, uint16_t controlWord) {
        bank_ = bank & 1;
        control_ = controlWord;
    }

    // Begins the program of cmd; false for a code that is no program.
    bool begin(const CmdRecord& cmd);
    const CmdRecord& command() const { return cmd_; }
    int stepCount() const { return StepCount(cmd_.code); }

    // Builds step `index`; building the same step again gives the same step.
    Step build(int index);
    // Step `index` has been confirmed by the Device: applies what it changes and answers the
    // index of the next step (stepCount() or more: the program has ended).
    int complete(int index);

    // One write of the pause sequence (steps 0-12), for the bank of the running command.
    Step pauseStep(int index, bool paused) const;
    static constexpr int kPauseSteps = 14;  // step 13 writes nothing: it ends the sequence

    int bank() const { return bank_; }
    uint16_t controlWord() const { return control_; }
    const Motion& motion() const { return motion_; }
    const EffectValues& effect() const { return fx_; }

private:
    void beginEffect();
    void beginScroll();
    Step buildEffect(int index) const;
    Step buildScroll(int index) const;
    Step buildLoad(int index, int program) const;
    int scrollChunk() const;  // K for chunk n_

    CmdRecord cmd_;
    int bank_ = 0;          // the remembered bank
    uint16_t control_ = 0;  // C of the last in-effect
    Motion motion_;
    EffectValues fx_;
    // Scroll state.
    bool roll_ = false;
    int sw_ = 1;                      // speed
    uint16_t sg_ = 0;                 // step word
    int across_ = 0, along_ = 0;      // W, H
    long long end_ = 0, loaded_ = 0;  // E, A
    int chunk_ = 0;                   // n
};

// Runs a program on its own as if every step were confirmed at once: the steps in the order
// they would be sent (for tracing and tests). Stops after maxSteps.
std::vector<Step> ProgramSteps(CommandSet& set, const CmdRecord& cmd, size_t maxSteps = 100000);

// One line describing a step: "+ 0x60 = 0x0800", "0x80 = 0x0000 wait S0.0", "data 10002 bytes".
std::string DescribeStep(const Step& s);

}  // namespace device
