#include "device/session_packet.h"

#include <algorithm>

#include "platform/bytes.h"

namespace device {

NetName MakeNetName(std::string_view text) {
    NetName n;
    n.fill(' ');
    std::copy_n(text.begin(), std::min(text.size(), n.size()), n.begin());
    return n;
}

std::string EncodeNetName(const NetName& name) {
    std::string s;
    s.reserve(32);
    for (uint8_t b : name) {
        s.push_back(char('A' + (b >> 4)));
        s.push_back(char('A' + (b & 0x0F)));
    }
    return s;
}

bool DecodeNetName(std::string_view encoded, NetName& name) {
    if (encoded.size() != 32) return false;
    for (size_t i = 0; i < 16; ++i) {
        char hi = encoded[2 * i], lo = encoded[2 * i + 1];
        if (hi < 'A' || hi > 'P' || lo < 'A' || lo > 'P') return false;
        name[i] = uint8_t(((hi - 'A') << 4) | (lo - 'A'));
    }
    return true;
}

std::array<uint8_t, kSessionHeaderSize> SessionHeader(uint8_t type, size_t length) {
    std::array<uint8_t, kSessionHeaderSize> head{};
    platform::ByteWriter w(head.data(), head.size());
    w.u8(type);
    w.u8(uint8_t((length >> 16) & 1));  // the 17th bit of the length
    w.u16be(uint16_t(length));
    return head;
}

bool ParseSessionHeader(const uint8_t* head, uint8_t& type, size_t& length) {
    platform::ByteReader r(head, kSessionHeaderSize);
    type = r.u8();
    const uint8_t flags = r.u8();
    length = size_t(flags & 1) << 16 | r.u16be();
    return (flags & 0xFE) == 0;
}

std::vector<uint8_t> SessionRequest(const NetName& called, const NetName& calling) {
    std::vector<uint8_t> p;
    auto name = [&](const NetName& n) {
        p.push_back(32);
        std::string e = EncodeNetName(n);
        p.insert(p.end(), e.begin(), e.end());
        p.push_back(0);
    };
    auto head = SessionHeader(SESSION_REQUEST, 68);
    p.assign(head.begin(), head.end());
    name(called);
    name(calling);
    return p;
}

void SessionPacketReader::feed(const void* data, size_t n) {
    if (failed_ || n == 0) return;
    // Drop what has been taken before the buffer grows.
    if (pos_ > 0 && (pos_ == buf_.size() || pos_ >= 65536)) {
        buf_.erase(buf_.begin(), buf_.begin() + std::ptrdiff_t(pos_));
        pos_ = 0;
    }
    auto p = static_cast<const uint8_t*>(data);
    buf_.insert(buf_.end(), p, p + n);
}

bool SessionPacketReader::next(uint8_t& type, std::vector<uint8_t>& payload) {
    if (failed_ || buffered() < kSessionHeaderSize) return false;
    const uint8_t* h = buf_.data() + pos_;
    uint8_t t = 0;
    size_t length = 0;
    const bool sound = ParseSessionHeader(h, t, length);
    const bool known = t == SESSION_MESSAGE || (t >= SESSION_REQUEST && t <= SESSION_KEEP_ALIVE);
    if (!sound || !known) {
        failed_ = true;
        return false;
    }
    if (buffered() < kSessionHeaderSize + length) return false;
    type = t;
    payload.assign(h + kSessionHeaderSize, h + kSessionHeaderSize + length);
    pos_ += kSessionHeaderSize + length;
    return true;
}

void SessionPacketReader::clear() {
    buf_.clear();
    pos_ = 0;
    failed_ = false;
}

}  // namespace device
