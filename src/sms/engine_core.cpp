#include "sms/engine_core.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "app/log/event_log.h"
#include "platform/clock.h"
#include "sms/pdu.h"

namespace sms {

namespace {

bool IsControl(uint8_t c) { return c < 0x20 || c == 0x7F; }

// A tick to store: 0 is kept for "never", so that what is due at once stays due.
uint32_t Stamp(uint32_t tick) { return tick ? tick : 1; }
bool Due(uint32_t since, uint32_t now, uint32_t ms) { return since == 0 || platform::TicksSince(since, now) >= ms; }

// Copies at most 31 characters and a zero.
void CopyField(char (&field)[kSmsFieldSize], std::string_view s) {
    size_t n = std::min(s.size(), size_t(kSmsFieldSize - 1));
    std::memcpy(field, s.data(), n);
    std::memset(field + n, 0, kSmsFieldSize - n);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A number as "%d" scans it: white space, a sign, at least one digit; saturating.
bool ScanNumber(std::string_view s, size_t& pos, int& out) {
    size_t i = pos;
    while (i < s.size() && IsSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
    int64_t v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        v = std::min<int64_t>(v * 10 + (s[i] - '0'), int64_t(INT_MAX) + 1);
        ++i;
    }
    if (negative) v = -v;
    out = int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
    pos = i;
    return true;
}

// "%[^,],%d": a field of at least one character up to a comma (kept to 31 characters), the comma,
// then a number.
bool ScanFieldAndNumber(std::string_view s, size_t& pos, char (&field)[kSmsFieldSize], int& number) {
    size_t comma = s.find(',', pos);
    if (comma == std::string_view::npos || comma == pos) return false;
    CopyField(field, s.substr(pos, comma - pos));
    pos = comma + 1;
    return ScanNumber(s, pos, number);
}

const char* const kInitTable[kInitCommands] = {
    "ATZE1Q0",
    "AT+GCAP",
    "AT+CGMI",
    "AT+CGMM",
    "AT+CGSN",
    "AT+CBC=?",
    "AT+CSQ=?",
    "AT+CMGF=0",
    "AT+CNMI=1,1,0,2",
    "AT+CPMS=?",
    nullptr /* AT+CPMS=storage */,
    "AT+CPMS?",
};

enum Reply {
    REPLY_OK,
    REPLY_ERROR,
    REPLY_CMS_ERROR,
    REPLY_GCAP,
    REPLY_CBC,
    REPLY_CSQ,
    REPLY_CMTI,
    REPLY_CDSI,
    REPLY_CMGL,
    REPLY_CMGR,
    REPLY_CNMI,
    REPLY_CPMS
};
const char* const kReplies[] = {"OK",     "ERROR",  "+CMS ERROR:", "+GCAP:", "+CBC:",  "+CSQ:",
                                "+CMTI:", "+CDSI:", "+CMGL:",      "+CMGR:", "+CNMI:", "+CPMS:"};

int SaturatedPlusOne(int v) { return v == INT_MAX ? INT_MAX : v + 1; }

}  // namespace

int ReadNumber(std::string_view s) {
    size_t pos = 0;
    int v = 0;
    return ScanNumber(s, pos, v) ? v : 0;
}

bool ReadNumbers(std::string_view args, int* out, int n) {
    size_t pos = 0;
    for (int i = 0; i < n; ++i) {
        if (i > 0) {
            size_t comma = args.find(',', pos);
            if (comma == std::string_view::npos) return false;
            pos = comma + 1;
        }
        out[i] = ReadNumber(args.substr(pos));
    }
    return true;
}

EngineCore::EngineCore(ModemPort& port, ReceiveBuffer& rx, const platform::CodePage& codePage, EngineConfig config)
    : port_(port), rx_(rx), codePage_(codePage), config_(config) {}

CoreView EngineCore::view() const {
    return CoreView{state_,       replyCounter_, awaiting_, portOpen_,     closeRequest_, polling_,    phoneMemory_,
                    pollCounter_, slots_,        slot_,     messageReady_, running_,      lastCommand_};
}

void EngineCore::Seed(EngineState state, int replyCounter, int slotBeingRead, int announcedLength) {
    portOpen_ = true;
    state_ = state;
    replyCounter_ = replyCounter;
    awaiting_ = true;
    slot_ = slotBeingRead;
    pduLength_ = announcedLength;
    pduAnnounced_ = announcedLength != 0;
}

uint32_t EngineCore::replyTimeoutMs() const {
    return state_ == EngineState::List || state_ == EngineState::Read ? 20000 : 5000;
}

void EngineCore::resetWorking() {
    state_ = EngineState::Init;
    replyCounter_ = 0;
    awaiting_ = false;
    commandTick_ = dataTick_ = listTick_ = 0;
    pollCounter_ = 0;
    polling_ = false;
    phoneMemory_ = false;
    closeRequest_ = false;
    statusChanged_ = false;
    lastCommand_.clear();
    slots_.clear();
    slot_ = 0;
    pduLength_ = 0;
    pduAnnounced_ = false;
}

PassResult EngineCore::Pass(uint32_t tick, Wake wake) {
    PassResult out;
    bool knownReply = false;

    // 2. Stop: Close has cleared the running flag.
    if (wake == Wake::Stop) {
        running_ = false;
        if (portOpen_) closeRequest_ = true;
        out.last = true;
    }
    // 3. Data.
    if (wake == Wake::Data) {
        parseLines(tick, knownReply);
        dataTick_ = Stamp(tick);
        out.waitMs = 0;
    }
    // 4. Time-out.
    if (wake == Wake::Timeout) {
        out.waitMs = 1000;
        if (portOpen_ && !closeRequest_ && awaiting_ && platform::TicksSince(commandTick_, tick) >= replyTimeoutMs()) {
            LogMessage("timeout waiting for reply!");
            awaiting_ = false;
            status_.status = SMS_NO_ANSWER;
            closeRequest_ = true;
            statusChanged_ = true;
        }
    }
    // 5. Command.
    if (portOpen_ && !closeRequest_ && !awaiting_ && !knownReply) {
        std::string command = runHandler(tick, out.waitMs);
        if (!command.empty()) {
            lastCommand_ = command;
            command.push_back('\r');
            port_.Write(command);
            awaiting_ = true;
            commandTick_ = Stamp(tick);
            // The state's time-out in seconds, taken as milliseconds: one short wait, then the
            // time-out passes check once a second.
            out.waitMs = int(replyTimeoutMs() / 1000);
        }
    }
    // 6. Open.
    if (running_ && !portOpen_ && Due(portTick_, tick, kPortRetryMs)) {
        if (openPort(tick)) {
            out.waitMs = 1000;
            out.wakeReader = true;
        } else {
            status_.status = SMS_PORT_FAILED;
            statusChanged_ = true;
            out.waitMs = int(kPortRetryMs);
        }
        portTick_ = Stamp(tick);
        LogMessage("port open done.");
    }
    // 7. Close.
    if (portOpen_ && closeRequest_) {
        LogMessage("port close...");
        closePort();
        closeRequest_ = false;
        portTick_ = 0;
        out.waitMs = 2000;
        LogMessage("port close done.");
    }
    // 8. Notify.
    if (running_ && config_.hasOwner) {
        if (statusChanged_) {
            out.note = SMS_NOTE_STATUS;
            statusChanged_ = false;
        } else if (messageReady_) {
            out.note = SMS_NOTE_RECORD;
            messageReady_ = false;
        }
    }
    // 9. End.
    if (out.last) out.wakeReader = true;
    return out;
}

bool EngineCore::openPort(uint32_t tick) {
    long handle = -1;
    bool ok = port_.Open(config_.baud, handle);
    LogMessage("opening port: %08X", unsigned(handle));
    if (!ok) return false;
    status_ = SMSStatus{};
    resetWorking();
    rx_.clear();
    portOpen_ = true;
    (void)tick;
    return true;
}

void EngineCore::closePort() {
    portOpen_ = false;
    port_.Close();
}

void EngineCore::parseLines(uint32_t tick, bool& knownReply) {
    (void)tick;
    auto locked = rx_.lock();
    uint8_t* b = locked.data;
    size_t& n = locked.fill;
    size_t pos = 0;
    for (;;) {
        size_t start = pos;
        while (start < n && IsControl(b[start])) ++start;
        size_t end = start;
        while (end < n && !IsControl(b[end])) ++end;
        // Complete only when the control character after it is not the buffer's last byte:
        // "OK" and a CR wait for the LF.
        if (start >= n || end + 1 >= n) break;
        std::string_view line(reinterpret_cast<const char*>(b + start), end - start);
        if (handleLine(line)) knownReply = true;
        pos = end;
        while (pos < n && IsControl(b[pos])) ++pos;
        if (pos >= n) break;
    }
    if (pos > 0) {
        std::memmove(b, b + pos, n - pos);
        n -= pos;
    }
    if (n >= kReceiveBufferSize) {
        // Full without a complete line: nothing more could ever be parsed from it.
        LogMessage("read buffer full - data lost!");
        n = 0;
    }
    locked.lock.unlock();
    rx_.consumed();
}

bool EngineCore::handleLine(std::string_view line) {
    // Echo of the command just written.
    if (!lastCommand_.empty() && line == lastCommand_) {
        lastCommand_.clear();
        return false;
    }
    // Identification: the first line at that step, whatever it says.
    if (state_ == EngineState::Init && (replyCounter_ == 2 || replyCounter_ == 3)) {
        char(&field)[kSmsFieldSize] = replyCounter_ == 2 ? status_.manufacturer : status_.model;
        if (!field[0]) CopyField(field, line);
    }
    if (state_ == EngineState::Read && replyCounter_ == 0 && slot_ != 0 && pduAnnounced_) {
        LogMessage("read SMS PDU: %d (%d bytes)", slot_, pduLength_);
        decode(line);
        pduLength_ = 0;
        pduAnnounced_ = false;
    }
    for (int r = 0; r < int(std::size(kReplies)); ++r) {
        std::string_view prefix = kReplies[r];
        if (line.substr(0, prefix.size()) == prefix) {
            handleReply(r, line.substr(prefix.size()));
            return true;
        }
    }
    return false;
}

void EngineCore::decode(std::string_view line) {
    PduResult result;
    bool ok = DecodePdu(line, pduLength_, codePage_, result);
    if (result.firstOctet >= 0) LogMessage("First octet: %02X", unsigned(result.firstOctet));
    if (result.pid >= 0) LogMessage("TP-PID: %02X, TP-DCS: %02X", unsigned(result.pid), unsigned(result.dcs));
    if (ok) {
        record_ = result.record;
        messageReady_ = true;
        return;
    }
    // The slot is deleted all the same: keep the message in the log so that it is not lost untraced.
    LogMessage("SMS PDU not decoded (%s), %d characters:", result.reason, int(line.size()));
    constexpr size_t kPiece = 200;
    for (size_t at = 0; at < line.size(); at += kPiece) {
        std::string piece(line.substr(at, kPiece));
        LogMessage("PDU: %s", piece.c_str());
    }
}

void EngineCore::queueSlot(int slot) {
    if (std::find(slots_.begin(), slots_.end(), slot) != slots_.end()) return;
    slots_.push_back(slot);
    LogMessage("adding SMS to list: %d ", slot);
}

void EngineCore::handleReply(int reply, std::string_view args) {
    const bool init = state_ == EngineState::Init;
    int v[3] = {};
    switch (reply) {
        case REPLY_ERROR:
        case REPLY_CMS_ERROR:
            if (init) {
                if (replyCounter_ == 0 || replyCounter_ == 1) {
                    status_.status = SMS_NOT_SUPPORTED;
                    closeRequest_ = true;
                    statusChanged_ = true;
                } else if (replyCounter_ == 8) {
                    LogMessage("WARNING: using polling mode for new SMS!");
                    polling_ = true;
                }
            }
            [[fallthrough]];
        case REPLY_OK:
            awaiting_ = false;
            ++replyCounter_;
            break;
        case REPLY_GCAP:
            if (init && args.find("+CGSM") == std::string_view::npos) {
                status_.status = SMS_NOT_SUPPORTED;
                closeRequest_ = true;
                statusChanged_ = true;
            }
            break;
        case REPLY_CBC:
            if (init) status_.batterySupported = 1;
            else if (state_ == EngineState::Status && ReadNumbers(args, v, 2)) {
                int value = v[0] == 0 ? SaturatedPlusOne(v[1]) : 0;
                if (value != status_.batteryCharge) {
                    status_.batteryCharge = value;
                    statusChanged_ = true;
                }
            }
            break;
        case REPLY_CSQ:
            if (init) status_.signalSupported = 1;
            else if (state_ == EngineState::Status && ReadNumbers(args, v, 2)) {
                int value = v[0] >= 0 && v[0] < 32 ? v[0] * 100 / 32 + 1 : 0;
                if (value != status_.signalQuality) {
                    status_.signalQuality = value;
                    statusChanged_ = true;
                }
            }
            break;
        case REPLY_CMTI:
        case REPLY_CDSI: {
            char storage[kSmsFieldSize];
            size_t pos = 0;
            int slot = 0;
            if (ScanFieldAndNumber(args, pos, storage, slot)) {
                if (slot == 0) LogMessage("ERROR: SMS memory full, message lost!");
                else queueSlot(slot);
            }
            break;
        }
        case REPLY_CMGL:
            if (state_ == EngineState::List && ReadNumbers(args, v, 1) && v[0] != 0) queueSlot(v[0]);
            break;
        case REPLY_CMGR:
            if (state_ == EngineState::Read && ReadNumbers(args, v, 3) && (v[0] == 0 || v[0] == 1)) {
                pduLength_ = v[2];
                pduAnnounced_ = true;
                LogMessage("read SMS: %d data bytes", pduLength_);
            }
            break;
        case REPLY_CNMI: break;
        case REPLY_CPMS:
            if (init && replyCounter_ == 9) {
                size_t open = args.find('('), close = args.find(')');
                size_t me = open == std::string_view::npos ? std::string_view::npos : args.find("\"ME\"", open + 1);
                phoneMemory_ = me != std::string_view::npos && close != std::string_view::npos && me < close;
                LogMessage("ME memory available?: %d", int(phoneMemory_));
            } else if (init && replyCounter_ == 11) {
                size_t quote = args.find('"');
                if (quote == std::string_view::npos) break;
                char name[kSmsFieldSize];
                size_t pos = quote;
                int used = 0, total = 0;
                if (ScanFieldAndNumber(args, pos, name, used) && pos < args.size() && args[pos] == ',') {
                    ++pos;
                    if (ScanNumber(args, pos, total)) {
                        std::memcpy(status_.storageName, name, sizeof name);
                        status_.storageUsed = used;
                        status_.storageTotal = total;
                        LogMessage("memory [%s] used: %d of %d slots.", name, used, total);
                    }
                }
            }
            break;
        default: break;
    }
}

std::string EngineCore::runHandler(uint32_t tick, int& waitMs) {
    switch (state_) {
        case EngineState::Init: return initHandler(tick, waitMs);
        case EngineState::Idle: return idleHandler(tick);
        case EngineState::Status: state_ = EngineState::Idle; return {};
        case EngineState::List:
            state_ = EngineState::Idle;
            waitMs = 0;
            return {};
        case EngineState::Read: return readHandler(waitMs);
    }
    return {};
}

std::string EngineCore::initHandler(uint32_t tick, int& waitMs) {
    if (platform::TicksSince(portTick_, tick) < kInitDelayMs) return {};
    if (replyCounter_ >= kInitCommands) {
        status_.status = SMS_READY;
        statusChanged_ = true;
        state_ = EngineState::Idle;
        waitMs = 0;
        return {};
    }
    if (replyCounter_ == 10) return config_.preferPhoneMemory && phoneMemory_ ? "AT+CPMS=\"ME\"" : "AT+CPMS=\"SM\"";
    if (replyCounter_ < 0) return {};
    return kInitTable[replyCounter_];
}

std::string EngineCore::idleHandler(uint32_t tick) {
    replyCounter_ = 0;
    if (!slots_.empty() && !messageReady_) {
        slot_ = slots_.front();
        LogMessage("reading SMS at: %d", slot_);
        state_ = EngineState::Read;
        listTick_ = Stamp(tick);
        return "AT+CMGR=" + std::to_string(slot_);
    }
    if (pollCounter_ < 2 || Due(dataTick_, tick, kPollSilenceMs)) {
        state_ = EngineState::Status;
        std::string command;
        if (pollCounter_ % 2 == 0) command = status_.batterySupported ? "AT+CBC" : "ATE1";
        else command = status_.signalSupported ? "AT+CSQ" : "ATE1";
        ++pollCounter_;
        return command;
    }
    if (config_.listPeriodically && Due(listTick_, tick, polling_ ? kPollingListMs : kListMs)) {
        state_ = EngineState::List;
        listTick_ = Stamp(tick);
        return "AT+CMGL=4";
    }
    return {};
}

std::string EngineCore::readHandler(int& waitMs) {
    if (replyCounter_ == 1 && config_.deleteAfterReading) {
        LogMessage("deleting SMS at: %d", slot_);
        return "AT+CMGD=" + std::to_string(slot_);
    }
    // Counted from 2 on, so that a stray final reply cannot hold the engine in this state.
    if (replyCounter_ >= 1) {
        auto it = std::find(slots_.begin(), slots_.end(), slot_);
        if (it != slots_.end()) slots_.erase(it);
        slot_ = 0;
        pduLength_ = 0;
        pduAnnounced_ = false;
        state_ = EngineState::Idle;
        waitMs = 0;
    }
    return {};
}

}  // namespace sms
