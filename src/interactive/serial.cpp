#include "interactive/serial.h"

#include <cstring>

#include "app/log/event_log.h"
#include "interactive/itv_result.h"

namespace interactive {

uint8_t Sum8(const uint8_t* bytes, size_t size) {
    uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum = uint8_t(sum + bytes[i]);
    return sum;
}

uint8_t PacketChecksum(const uint8_t* bytes, size_t size) { return uint8_t(-Sum8(bytes, size)); }

int CSerial::readReply(uint8_t* reply, uint32_t since) {
    std::memset(reply, 0, kReplyBufferSize);
    size_t stored = 0;
    auto inWindow = [&] { return platform::TicksSince(since, clock_.ticks()) <= kReplyWindowMs; };
    while (stored < 4) {
        uint8_t b = 0;
        if (port_.Read(&b, 1) != 1) {
            if (!inWindow()) return ITV_NO_REPLY;
            continue;
        }
        if (stored == 0 && b != kPacketSync) continue;  // noise before the sync byte
        reply[stored++] = b;
    }
    const size_t total = size_t(reply[2]) + 4;
    while (stored < total) {
        size_t n = port_.Read(reply + stored, total - stored);
        stored += n;
        if (n == 0 && !inWindow()) return ITV_NO_REPLY;
    }
    return Sum8(reply, total) == 0 ? ITV_OK : ITV_COMM_ERROR;
}

int CSerial::SendRecvPacket(uint8_t code, uint8_t length, const uint8_t* data, uint8_t* reply, bool flash) {
    uint8_t packet[kReplyBufferSize];
    packet[0] = kPacketSync;
    packet[1] = code;
    packet[2] = length;
    if (length) std::memcpy(packet + 3, data, length);
    packet[3 + length] = PacketChecksum(packet, 3 + size_t(length));
    const size_t size = size_t(length) + 4;
    for (int attempt = 0;;) {
        if (!port_.Write(packet, size)) return ITV_NO_REPLY;
        const int r = readReply(reply, clock_.ticks());
        if (r == ITV_NO_REPLY) {
            LogMessage("CSerial::SendRecvPacket() - no reply, retries: %d", attempt);
            if (++attempt >= kPacketAttempts) return ITV_NO_REPLY;
            continue;
        }
        if (r == ITV_COMM_ERROR) {
            LogMessage("CSerial::SendRecvPacket() - bad CRC, retries: %d", attempt);
            if (++attempt >= kPacketAttempts) return ITV_COMM_ERROR;
            continue;
        }
        if (!(reply[1] & 0x80)) return ITV_NO_REPLY;
        if (flash && reply[3] != 0) {
            LogMessage("CSerial::SendRecvPacket() - flash failure, flags: %02X", reply[3]);
            return ITV_FLASH;
        }
        return ITV_OK;
    }
}

namespace {

// Reads exactly n bytes; false on a time-out.
bool ReadExactly(AdapterPort& port, uint8_t* out, size_t n) {
    std::memset(out, 0, n);
    size_t got = 0;
    while (got < n) {
        size_t r = port.Read(out + got, n - got);
        if (r == 0) return false;
        got += r;
    }
    return true;
}

}  // namespace

int CSerial::Exchange(const uint8_t* bytes, size_t count, uint8_t* reply, size_t replyLength, bool compareEcho,
                      bool keepDtr) {
    port_.Purge();
    port_.SetDtr(true);
    int r = ITV_OK;
    if (!port_.Write(bytes, count)) r = ITV_NO_REPLY;
    else if (replyLength && !ReadExactly(port_, reply, replyLength)) r = ITV_NO_REPLY;
    if (!keepDtr) port_.SetDtr(false);
    if (r == ITV_OK && compareEcho && std::memcmp(reply, bytes, std::min(count, replyLength)) != 0) r = ITV_COMM_ERROR;
    return r;
}

int CSerial::Command(char letter, int line) {
    uint8_t bytes[2] = {uint8_t(letter), uint8_t('1' + line)};
    uint8_t reply[2];
    const size_t n = line < 0 ? 1 : 2;
    return Exchange(bytes, n, reply, n, true, false);
}

int CSerial::Status(AdapterStatus& status) {
    const uint8_t s = 's';
    uint8_t reply[6];
    int r = Exchange(&s, 1, reply, sizeof reply, false, false);
    if (r) return r;
    if (Sum8(reply, 5) != reply[5]) return ITV_COMM_ERROR;
    status = {reply[1], reply[2], reply[3], reply[4]};
    return ITV_OK;
}

int CSerial::ReadCalls(uint8_t table[kCallTableSize]) {
    port_.Purge();
    port_.SetDtr(true);
    const uint8_t r = 'r';
    uint8_t reply[82];
    int result = ITV_OK;
    if (!port_.Write(&r, 1) || !ReadExactly(port_, reply, sizeof reply)) result = ITV_NO_REPLY;
    else if (Sum8(reply, 81) != reply[81]) result = ITV_COMM_ERROR;
    if (result == ITV_OK) {
        std::memcpy(table, reply + 1, kCallTableSize);
        result = Command('n');
    }
    port_.SetDtr(false);
    return result;
}

int CSerial::SelectLine(int line) {
    uint8_t bytes[2] = {'c', uint8_t('1' + line)};
    uint8_t reply[2];
    return Exchange(bytes, 2, reply, 2, true, true);
}

int CSerial::Upload(const uint8_t* message, size_t length, const std::function<bool(size_t)>& progress) {
    uint8_t head[4] = {'l', 0x0C, uint8_t(length & 0xFF), uint8_t(length >> 8 & 0xFF)};
    uint8_t reply[4];
    int r = Exchange(head, 4, reply, 4, true, true);
    uint8_t sum = Sum8(head, 4);
    for (size_t at = 0; r == ITV_OK && at < length;) {
        const size_t n = std::min(kUploadPiece, length - at);
        if (!port_.Write(message + at, n)) {
            r = ITV_NO_REPLY;
            break;
        }
        sum = uint8_t(sum + Sum8(message + at, n));
        at += n;
        if (progress && !progress(at)) r = ITV_ABORTED;
    }
    if (r == ITV_OK) {
        uint8_t answer = 0;
        if (!port_.Write(&sum, 1) || !ReadExactly(port_, &answer, 1)) r = ITV_NO_REPLY;
        else if (answer != 0) r = ITV_COMM_ERROR;
    }
    port_.SetDtr(false);
    return r;
}

}  // namespace interactive
