#include "device/session_packet.h"

#include <algorithm>

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
    return {type, uint8_t((length >> 16) & 1), uint8_t(length >> 8), uint8_t(length)};
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
    uint8_t t = h[0];
    bool known = t == SESSION_MESSAGE || (t >= SESSION_REQUEST && t <= SESSION_KEEP_ALIVE);
    if (!known || (h[1] & 0xFE) != 0) {
        failed_ = true;
        return false;
    }
    size_t length = (size_t(h[1] & 1) << 16) | (size_t(h[2]) << 8) | h[3];
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
