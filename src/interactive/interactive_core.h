// Every rule of the interactive engine in one single-threaded object: the engine thread hands it
// each command and each poll time-out and waits as it says; it runs the exchanges of both adapter
// versions through CSerial. Tests drive it with a scripted adapter in simulated time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "interactive/call_record.h"
#include "interactive/serial.h"

namespace interactive {

// Command codes.
enum : uint16_t { ITV_CMD_START = 1, ITV_CMD_WRITE = 2, ITV_CMD_READ = 3, ITV_CMD_QUIT = 0x100 };

struct ItvCommand {
    uint16_t sequence = 0;
    uint16_t code = 0;
    uint16_t reserved = 0;
    uint8_t lines = 0;        // start: lines; write: a mask (second version) or a line number (first)
    uint16_t value = 0;       // start: the first version's mode byte; write: the message length
    uint8_t* data = nullptr;  // write: the message; read: a kVoiceBufferSize buffer
};

struct CoreConfig {
    int version = 0;  // ITV_VERSION_1 or ITV_VERSION_2
    bool useCID = false;
    int cidDigits = 6;  // "CIDLength" + 5
    int cidType = 0;
};

// What the core tells its owner while it runs.
class CoreSink {
public:
    virtual ~CoreSink() = default;
    virtual void OnCall(const CallRecord& record) = 0;
    // Bytes of a voice message moved so far; false aborts the transfer (result 4).
    virtual bool OnProgress(size_t bytes) = 0;
};

constexpr int kWaitForever = -1;
constexpr int kPollAfterCallMs = 100;
constexpr int kPollIdleMs = 500;
constexpr int kMaxPollErrors = 3;
constexpr int kStartAttempts = 4;  // a failing first-version "m" or "a", whatever the failure
constexpr uint32_t kEraseGiveUpMs = 60000;
constexpr size_t kVoicePiece = 32;
constexpr uint16_t kLengthAddress = 0xFFFE;

// The mode byte of a line for the second version's command 7.
uint8_t LineMode(bool useCID, int cidType);

class InteractiveCore {
public:
    InteractiveCore(CSerial& serial, CoreSink& sink, CoreConfig config)
        : serial_(serial), sink_(sink), config_(config) {}

    // Runs one command: its result (quit ends the engine: running() turns false).
    int Run(const ItvCommand& command);
    // A wait has timed out: polls when polling. Answers the result that stopped polling (the
    // owner's notification 3) or -1.
    int OnTimeout();

    int waitMs() const { return waitMs_; }
    bool running() const { return running_; }
    bool polling() const { return polling_; }
    int errorCount() const { return errors_; }
    const CoreConfig& config() const { return config_; }

    // One poll (the first or second version's): its result.
    int Poll();

private:
    int start(uint8_t lines, uint8_t modeByte);
    int startV2(uint8_t lines);
    int startV1(uint8_t lines, uint8_t modeByte);
    int writeV2(uint8_t mask, const uint8_t* data, size_t length);
    int writeV1(int line, const uint8_t* data, size_t length);
    int readV2(uint8_t mask, uint8_t* buffer);
    void quit();
    int pollV2();
    int pollV1();
    int packet(uint8_t code, uint8_t length, const uint8_t* data, bool flash);
    int linesOff();

    CSerial& serial_;
    CoreSink& sink_;
    CoreConfig config_;
    uint8_t reply_[kReplyBufferSize] = {};
    int waitMs_ = kWaitForever;
    bool polling_ = false;
    bool running_ = true;
    bool recovering_ = false;  // polls have failed since the last good one
    int errors_ = 0;
    uint8_t lines_ = 0;
    uint8_t modeByte_ = 0;
};

}  // namespace interactive
