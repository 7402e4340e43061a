#include "interactive/interactive_core.h"

#include <cstring>

#include "app/log/event_log.h"
#include "interactive/itv_result.h"
#include "interactive/voice_message.h"

namespace interactive {

uint8_t LineMode(bool useCID, int cidType) {
    if (!useCID) return 1;
    switch (cidType) {
        case 0: return 7;
        case 1: return 5;
        case 2: return 3;
        default: return 1;
    }
}

int InteractiveCore::packet(uint8_t code, uint8_t length, const uint8_t* data, bool flash) {
    return serial_.SendRecvPacket(code, length, data, reply_, flash);
}

int InteractiveCore::linesOff() {
    const uint8_t off[8] = {};
    return packet(CMD_LINE_MODES, 8, off, false);
}

int InteractiveCore::Run(const ItvCommand& c) {
    waitMs_ = kWaitForever;
    const bool v2 = config_.version == ITV_VERSION_2;
    switch (c.code) {
        case ITV_CMD_START: return start(c.lines, uint8_t(c.value));
        case ITV_CMD_WRITE:
            if (!c.data) return ITV_OK;
            return v2 ? writeV2(c.lines, c.data, c.value) : writeV1(c.lines, c.data, c.value);
        case ITV_CMD_READ:
            if (!c.data) return ITV_OK;
            if (v2) return readV2(c.lines, c.data);
            // The first version cannot read its message back: an empty one, not a stale buffer.
            c.data[0] = c.data[1] = 0;
            return ITV_OK;
        case ITV_CMD_QUIT: quit(); return ITV_OK;
        default: return ITV_OK;
    }
}

int InteractiveCore::start(uint8_t lines, uint8_t modeByte) {
    lines_ = lines;
    modeByte_ = modeByte;
    int r = config_.version == ITV_VERSION_2 ? startV2(lines) : startV1(lines, modeByte);
    if (r == ITV_OK) {
        LogMessage("started.");
        polling_ = true;
        waitMs_ = kPollAfterCallMs;
        errors_ = 0;
        recovering_ = false;
    }
    return r;
}

int InteractiveCore::startV2(uint8_t lines) {
    LogMessage("start calls processing, lines mask: %02X", lines);
    int r = packet(CMD_START, 0, nullptr, false);
    if (r) return r;
    uint8_t modes[8];
    const uint8_t on = LineMode(config_.useCID, config_.cidType);
    for (int i = 0; i < 8; ++i) modes[i] = (lines >> i & 1) ? on : 0;
    LogMessage("packet: %02X %02X %02X %02X %02X %02X %02X %02X", modes[0], modes[1], modes[2], modes[3], modes[4],
               modes[5], modes[6], modes[7]);
    return packet(CMD_LINE_MODES, 8, modes, false);
}

int InteractiveCore::startV1(uint8_t lines, uint8_t modeByte) {
    int r = serial_.Command('i');
    if (r) return r;
    serial_.port().Sleep(200);
    auto each = [&](char letter, uint8_t mask) {
        for (int line = 0; line < 8; ++line) {
            if (!(mask >> line & 1)) continue;
            int result = ITV_OK;
            for (int attempt = 0; attempt < kStartAttempts; ++attempt)
                if ((result = serial_.Command(letter, line)) == ITV_OK) break;
            if (result) return result;
        }
        return int(ITV_OK);
    };
    r = each('m', modeByte);
    return r ? r : each('a', lines);
}

int InteractiveCore::OnTimeout() {
    if (!polling_) return -1;
    const int r = Poll();
    if (r == ITV_OK) {
        errors_ = 0;
        return -1;
    }
    LogMessage("CInteractive::Error %d at %d", r, errors_);
    if (++errors_ >= kMaxPollErrors) {
        polling_ = false;
        waitMs_ = kWaitForever;
        return r;
    }
    return -1;
}

int InteractiveCore::Poll() {
    int r = config_.version == ITV_VERSION_2 ? pollV2() : pollV1();
    if (r == ITV_OK && errors_ > 0 && config_.version == ITV_VERSION_2) {
        // An adapter that restarted has forgotten its line modes: give them again, or it would
        // stop answering calls without a word.
        LogMessage("polling recovered, starting the lines again");
        r = startV2(lines_);
        if (r == ITV_OK) waitMs_ = kPollAfterCallMs;
    }
    return r;
}

int InteractiveCore::pollV2() {
    LogMessage("polling call buffer");
    int r = packet(CMD_POLL, 0, nullptr, false);
    if (r) return r;
    const size_t length = reply_[2];
    if (length == 0) {
        waitMs_ = kPollIdleMs;
        return ITV_OK;
    }
    LogMessage("new data available: %d bytes", int(length));
    CallRecord record;
    const uint8_t lines = reply_[3];
    for (int i = 0; i < 8; ++i)
        if (lines >> i & 1) {
            record.line = uint8_t(i);
            break;
        }
    if (config_.useCID) {
        size_t n = 0;
        for (size_t i = 1; i < length && n < sizeof record.number - 1 && reply_[3 + i]; ++i)
            record.number[n++] = char(reply_[3 + i]);
        record.hasNumber = n > 0;
    }
    sink_.OnCall(record);
    r = packet(CMD_RELEASE, 0, nullptr, false);
    waitMs_ = kPollAfterCallMs;
    return r;
}

int InteractiveCore::pollV1() {
    AdapterStatus s;
    int r = serial_.Status(s);
    if (r) return r;
    if ((s.mode & 0x7F) != (modeByte_ & 0x7F) || s.active != lines_) {
        errors_ = kMaxPollErrors - 1;  // the adapter lost its set-up: stop polling at once
        return ITV_NO_REPLY;
    }
    if (s.pending == 0) {
        waitMs_ = kPollIdleMs;
        return ITV_OK;
    }
    LogMessage("CInteractive: Status: %02X %02X %02X %02X", s.mode, s.active, s.other, s.pending);
    uint8_t table[kCallTableSize];
    r = serial_.ReadCalls(table);
    if (r) return r;
    const int digits = config_.cidDigits < 1 ? 1 : config_.cidDigits > 7 ? 7 : config_.cidDigits;
    for (int line = 0; line < 8; ++line) {
        if (!((s.pending & lines_) >> line & 1)) continue;
        const uint8_t* block = table + 2 + kCallBlock * size_t(line);  // its last two bytes are unused
        CallRecord record;
        record.line = uint8_t(line);
        if (config_.useCID) {
            record.cidByte = block[0];
            bool any = false, valid = true;
            for (int d = 8 - digits; d < 8; ++d) {
                any |= block[d] != 0;
                valid &= block[d] <= 9;
            }
            if (any && valid) {
                for (int d = 8 - digits, n = 0; d < 8; ++d) record.number[n++] = char('0' + block[d]);
                record.hasNumber = 1;
            }
        }
        sink_.OnCall(record);
    }
    waitMs_ = kPollAfterCallMs;
    return ITV_OK;
}

int InteractiveCore::writeV2(uint8_t mask, const uint8_t* data, size_t length) {
    LogMessage("write voice message, mask: %02X, size: %04X", mask, unsigned(length));
    if (length > kMaxSamplesV2) return ITV_COMM_ERROR;  // would run into the length's address
    int r = linesOff();
    if (r) return r;
    LogMessage("erase blocks: %02X", mask);
    r = packet(CMD_ERASE, 1, &mask, true);
    if (r) return r;
    const uint32_t eraseTick = serial_.clock().ticks();
    for (;;) {
        r = packet(CMD_ERASE_STATUS, 0, nullptr, true);
        if (r) return r;
        LogMessage("erase status: %02X", reply_[4]);
        if (reply_[4] == 0) break;
        if (platform::TicksSince(eraseTick, serial_.clock().ticks()) >= kEraseGiveUpMs) return ITV_FLASH;
        serial_.port().Sleep(100);
    }
    if (IsClearVoiceMessage(data, length)) return ITV_OK;
    LogMessage("write start");
    const uint32_t t0 = serial_.clock().ticks();
    size_t lineBytes = 0;
    uint8_t piece[3 + kVoicePiece];
    piece[0] = mask;
    for (size_t at = 0; at < length;) {
        const size_t n = std::min(kVoicePiece, length - at);
        piece[1] = uint8_t(at & 0xFF);
        piece[2] = uint8_t(at >> 8);
        std::memcpy(piece + 3, data + at, n);
        r = packet(CMD_WRITE_VOICE, uint8_t(3 + n), piece, true);
        if (r) return r;
        at += n;
        lineBytes += n + 12;
        if (!sink_.OnProgress(at)) return ITV_ABORTED;
    }
    const uint8_t tail[5] = {mask, 0xFE, 0xFF, uint8_t(length & 0xFF), uint8_t(length >> 8)};
    r = packet(CMD_WRITE_VOICE, 5, tail, true);
    if (r) return r;
    LogMessage("write done: %d bytes at %d sec", int(lineBytes),
               int(platform::TicksSince(t0, serial_.clock().ticks()) / 1000));
    return ITV_OK;
}

int InteractiveCore::writeV1(int line, const uint8_t* data, size_t length) {
    if (length > kMaxSamplesV1 || line < 0 || line > 7) return ITV_COMM_ERROR;
    int r = serial_.Command('i');
    if (r == ITV_OK) {
        serial_.port().Sleep(200);
        r = serial_.SelectLine(line);
    }
    if (r == ITV_OK) r = serial_.Upload(data, length, [&](size_t bytes) { return sink_.OnProgress(bytes); });
    serial_.port().SetDtr(false);
    return r;
}

int InteractiveCore::readV2(uint8_t mask, uint8_t* buffer) {
    LogMessage("read voice message, mask: %02X", mask);
    buffer[0] = buffer[1] = 0;
    int r = linesOff();
    if (r) return r;
    const uint8_t ask[4] = {mask, 0xFE, 0xFF, 2};
    r = packet(CMD_READ_VOICE, 4, ask, true);
    if (r) return r;
    if (reply_[2] != 3) return ITV_COMM_ERROR;
    size_t n = size_t(reply_[4] | reply_[5] << 8);
    LogMessage("data size: %d bytes", int(n));
    if (n >= kLengthAddress) n = 0;  // erased memory
    const uint32_t t0 = serial_.clock().ticks();
    size_t lineBytes = 0;
    for (size_t at = 0; at < n;) {
        const uint8_t count = uint8_t(std::min(kVoicePiece, n - at));
        const uint8_t piece[4] = {mask, uint8_t(at & 0xFF), uint8_t(at >> 8), count};
        r = packet(CMD_READ_VOICE, 4, piece, true);
        if (r) return r;
        if (reply_[2] != count + 1) return ITV_COMM_ERROR;  // status plus the bytes asked for
        std::memcpy(buffer + 2 + at, reply_ + 4, count);
        at += count;
        lineBytes += count + 13u;
        if (!sink_.OnProgress(at)) return ITV_ABORTED;
    }
    buffer[0] = uint8_t(n & 0xFF);
    buffer[1] = uint8_t(n >> 8);
    LogMessage("read done: %d bytes at %d sec", int(lineBytes),
               int(platform::TicksSince(t0, serial_.clock().ticks()) / 1000));
    return ITV_OK;
}

void InteractiveCore::quit() {
    LogMessage("done with ITV");
    if (config_.version == ITV_VERSION_1) serial_.Command('i');
    else linesOff();
    polling_ = false;
    running_ = false;
}

}  // namespace interactive
