// Every rule of the SMS engine in one single-threaded object: the engine thread calls Pass once
// per turn of its loop with the tick and what woke it, and does what the result says (wait, hand
// the owner a block, wake the reader, end). The port is opened, written and closed from inside the
// pass; the reader thread only fills the receive buffer. Tests drive it in simulated time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "sms/modem_port.h"
#include "sms/receive_buffer.h"
#include "sms/sms_types.h"

namespace sms {

enum class EngineState { Idle, Init, Status, List, Read };
// What ended the wait of a pass: the stop event (Close), the reader's data-available event, or
// the wait's time-out.
enum class Wake { Timeout, Stop, Data };

struct EngineConfig {
    uint32_t baud = 19200;
    bool listPeriodically = true;
    bool deleteAfterReading = true;
    bool preferPhoneMemory = false;
    bool hasOwner = true;  // without an owner nothing is reported
};

// Milliseconds.
constexpr uint32_t kPortRetryMs = 10000;    // between open attempts
constexpr uint32_t kInitDelayMs = 1000;     // after the port opened, before the first command
constexpr uint32_t kPollSilenceMs = 10000;  // a status poll after this much silence
constexpr uint32_t kListMs = 120000;        // a listing after this long
constexpr uint32_t kPollingListMs = 30000;  // the same in polling mode
constexpr int kInitCommands = 12;

struct PassResult {
    int waitMs = 0;           // the time-out of the next wait
    int note = 0;             // 0, or the notification to hand the owner now: status() or record()
    bool wakeReader = false;  // the port has opened (or the engine ends)
    bool last = false;        // the engine thread ends after this pass
};

// The working state, for tests and inspection.
struct CoreView {
    EngineState state;
    int replyCounter;
    bool awaitingReply;
    bool portOpen;
    bool closeRequested;
    bool pollingMode;
    bool phoneMemory;
    int pollCounter;
    std::vector<int> queuedSlots;
    int slotBeingRead;
    bool messageReady;
    bool running;
    std::string lastCommand;
};

class EngineCore {
public:
    EngineCore(ModemPort& port, ReceiveBuffer& rx, const platform::CodePage& codePage, EngineConfig config);

    PassResult Pass(uint32_t tick, Wake wake);

    const SMSStatus& status() const { return status_; }
    const SMSRecord& record() const { return record_; }
    CoreView view() const;
    bool portOpen() const { return portOpen_; }
    bool running() const { return running_; }

    // Puts an open port into a state as if the engine had got there (the line-parser fuzzer
    // starts in every state this way).
    void Seed(EngineState state, int replyCounter, int slotBeingRead, int announcedLength);

private:
    void parseLines(uint32_t tick, bool& knownReply);
    // One complete line; true when it was a known reply.
    bool handleLine(std::string_view line);
    void handleReply(int reply, std::string_view args);
    void decode(std::string_view line);
    void queueSlot(int slot);
    // The current state's handler: the command to send, or "" for none.
    std::string runHandler(uint32_t tick, int& waitMs);
    std::string initHandler(uint32_t tick, int& waitMs);
    std::string idleHandler(uint32_t tick);
    std::string readHandler(int& waitMs);
    bool openPort(uint32_t tick);
    void closePort();
    void resetWorking();
    uint32_t replyTimeoutMs() const;

    ModemPort& port_;
    ReceiveBuffer& rx_;
    const platform::CodePage& codePage_;
    EngineConfig config_;

    SMSStatus status_;
    SMSRecord record_;
    bool messageReady_ = false;
    bool running_ = true;
    bool portOpen_ = false;

    EngineState state_ = EngineState::Idle;
    int replyCounter_ = 0;
    bool awaiting_ = false;
    uint32_t commandTick_ = 0;
    uint32_t dataTick_ = 0;
    uint32_t listTick_ = 0;
    uint32_t portTick_ = 0;  // 0: an open is due
    int pollCounter_ = 0;
    bool polling_ = false;
    bool phoneMemory_ = false;
    bool closeRequest_ = false;
    bool statusChanged_ = false;
    std::string lastCommand_;
    std::vector<int> slots_;
    int slot_ = 0;
    int pduLength_ = 0;
    bool pduAnnounced_ = false;
};

// Numbers in the replies, read as the C library's atoi reads them but saturating instead of
// overflowing. ReadNumbers reads n numbers: one at the start and one after each comma (an empty
// field reads 0); false when there are fewer than n fields.
int ReadNumber(std::string_view s);
bool ReadNumbers(std::string_view args, int* out, int n);

}  // namespace sms
