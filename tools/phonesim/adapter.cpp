#include "phonesim/adapter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "interactive/serial.h"

namespace phonesim {

using interactive::PacketChecksum;
using interactive::Sum8;

bool ParseCid(const std::string& word, Cid& out) {
    if (word == "none") out = Cid::None;
    else if (word == "aoh") out = Cid::Aoh;
    else if (word == "dtmf") out = Cid::Dtmf;
    else if (word == "fsk") out = Cid::Fsk;
    else return false;
    return true;
}

Adapter::Adapter(AdapterOptions options) : options_(options) {
    options_.version = options_.version == 1 ? 1 : 2;
    options_.lines = std::clamp(options_.lines, 1, 8);
    lines_.resize(8);
    flash_.resize(8);
    for (auto& f : flash_) {
        if (options_.version == 2) f.assign(65536, 0xFF);
    }
}

size_t Adapter::waitingCalls() const {
    if (options_.version == 2) return buffer_.size();
    return size_t(__builtin_popcount(pending_));
}

bool Adapter::lineBusy(int line, uint64_t nowMs) const {
    const Line& l = lines_[size_t(line)];
    return l.ringing || nowMs < l.busyUntil;
}

std::string Adapter::statsLine() const {
    char s[256];
    std::snprintf(s, sizeof s,
                  "version=%d lines=%d power=%s commands=%llu bad=%llu ignored=%llu calls=%llu answered=%llu "
                  "busy=%llu released=%llu waiting=%zu",
                  options_.version, options_.lines, powered_ ? "on" : "off", (unsigned long long)stats_.commands,
                  (unsigned long long)stats_.badPackets, (unsigned long long)stats_.ignoredBytes,
                  (unsigned long long)stats_.calls, (unsigned long long)stats_.answered,
                  (unsigned long long)stats_.busyRejected, (unsigned long long)stats_.released, waitingCalls());
    return s;
}

bool Adapter::fault(const std::string& kind, int count, std::string& error) {
    if (count < 0) count = 0;
    if (kind == "corrupt") corrupt_ = count;
    else if (kind == "noise") noise_ = count;
    else if (kind == "drop") drop_ = count;
    else if (kind == "nak") nak_ = count;
    else if (kind == "echo") echo_ = count;
    else if (kind == "flash") flashFail_ = count;
    else {
        error = "unknown fault " + kind;
        return false;
    }
    return true;
}

void Adapter::power(bool on) {
    if (on == powered_) return;
    powered_ = on;
    // Modes, the buffer and call processing are lost; the flash keeps its messages.
    for (Line& l : lines_) l = Line{};
    buffer_.clear();
    reported_ = false;
    processing_ = false;
    pending_ = 0;
    std::memset(table_, 0, sizeof table_);
    selected_ = -1;
    uploadLeft_ = 0;
    awaitSum_ = false;
    in_.clear();
    eraseUntil_ = 0;
}

std::vector<uint8_t> Adapter::message(int line) const {
    const auto& f = flash_[size_t(line)];
    if (options_.version == 1) return f;
    size_t n = size_t(f[0xFFFE] | f[0xFFFF] << 8);
    if (n >= 0xFFFE) n = 0;
    std::vector<uint8_t> m(f.begin(), f.begin() + long(n));
    std::reverse(m.begin(), m.end());
    return m;
}

void Adapter::setMessage(int line, const std::vector<uint8_t>& samples) {
    auto& f = flash_[size_t(line)];
    if (options_.version == 1) {
        f = samples;
        if (f.size() > 32000) f.resize(32000);
        return;
    }
    f.assign(65536, 0xFF);
    const size_t n = std::min<size_t>(samples.size(), 65534);
    std::reverse_copy(samples.begin(), samples.begin() + long(n), f.begin());
    f[0xFFFE] = uint8_t(n & 0xFF);
    f[0xFFFF] = uint8_t(n >> 8);
}

uint64_t Adapter::messageMs(int line) const { return uint64_t(message(line).size()) / 8; }

bool Adapter::detects(const Line& l) const {
    if (l.number.empty() || (l.cidGiven && l.cid == Cid::None)) return false;
    if (options_.version == 1) return l.mode != 0;
    Cid wanted = l.mode == 7 ? Cid::Aoh : l.mode == 5 ? Cid::Dtmf : l.mode == 3 ? Cid::Fsk : Cid::None;
    return wanted != Cid::None && (!l.cidGiven || l.cid == wanted);
}

bool Adapter::ring(int line, const std::string& number, Cid cid, bool cidGiven, int rings, uint64_t nowMs,
                   std::string& error) {
    if (line < 0 || line >= options_.lines) {
        error = "no line " + std::to_string(line);
        return false;
    }
    for (char c : number)
        if (c < '0' || c > '9') {
            error = "a number is digits only";
            return false;
        }
    if (number.size() > 31) {
        error = "a number of at most 31 digits";
        return false;
    }
    advance(nowMs);
    ++stats_.calls;
    Line& l = lines_[size_t(line)];
    if (lineBusy(line, nowMs)) {
        ++stats_.busyRejected;
        error = "line " + std::to_string(line) + " is busy";
        return false;
    }
    l.ringing = true;
    l.ringsLeft = std::max(0, rings);
    l.nextRing = nowMs + uint64_t(l.ringsLeft) * options_.ringMs;
    l.number = number;
    l.cid = cid;
    l.cidGiven = cidGiven;
    advance(nowMs);
    return true;
}

bool Adapter::hangup(int line, std::string& error) {
    if (line < 0 || line >= options_.lines) {
        error = "no line " + std::to_string(line);
        return false;
    }
    Line& l = lines_[size_t(line)];
    l.ringing = false;
    l.busyUntil = 0;
    return true;
}

void Adapter::advance(uint64_t nowMs) {
    for (int i = 0; i < options_.lines; ++i) {
        Line& l = lines_[size_t(i)];
        if (l.ringing && nowMs >= l.nextRing) {
            l.ringing = false;
            const bool answering = powered_ && (options_.version == 2 ? processing_ && l.mode != 0 : l.active);
            if (answering) answerCall(i, nowMs);
        }
    }
}

void Adapter::answerCall(int line, uint64_t nowMs) {
    Line& l = lines_[size_t(line)];
    ++stats_.answered;
    const bool withNumber = detects(l);
    if (options_.version == 2) {
        buffer_.push_back({uint8_t(1 << line), withNumber ? l.number : std::string()});
    } else {
        pending_ |= uint8_t(1 << line);
        uint8_t* block = table_ + 2 + 10 * line;
        std::memset(block, 0, 8);
        if (withNumber) {
            block[0] = 1;
            const std::string digits = l.number.size() > 7 ? l.number.substr(l.number.size() - 7) : l.number;
            for (size_t i = 0; i < digits.size(); ++i) block[8 - digits.size() + i] = uint8_t(digits[i] - '0');
        }
    }
    // The caller hears the stored message; the line is busy meanwhile.
    l.busyUntil = nowMs + messageMs(line);
}

std::string Adapter::answer(std::string bytes, bool flashReply, bool isEcho) {
    (void)flashReply;
    if (bytes.empty()) return bytes;
    if (drop_ > 0) {
        --drop_;
        return {};
    }
    if (options_.version == 2 && nak_ > 0) {
        --nak_;
        bytes[1] = char(uint8_t(bytes[1]) & 0x7F);
        bytes.back() = char(PacketChecksum(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() - 1));
    }
    if (isEcho && echo_ > 0) {
        --echo_;
        bytes.back() = char(bytes.back() ^ 0x01);
    }
    if (corrupt_ > 0) {
        --corrupt_;
        bytes.back() = char(bytes.back() ^ 0x5A);
    }
    if (noise_ > 0) {
        --noise_;
        std::string junk;
        for (int i = 0; i < 3; ++i) {
            char c = char(noise_rng_() & 0xFF);
            junk.push_back(c == char(0x47) ? char(0x00) : c);
        }
        bytes = junk + bytes;
    }
    return bytes;
}

std::string Adapter::packet(uint8_t code, const std::vector<uint8_t>& data, bool flashReply) {
    std::string p;
    p.push_back(char(0x47));
    p.push_back(char(code | 0x80));
    p.push_back(char(data.size()));
    for (uint8_t b : data) p.push_back(char(b));
    p.push_back(char(PacketChecksum(reinterpret_cast<const uint8_t*>(p.data()), p.size())));
    return answer(p, flashReply, false);
}

std::string Adapter::receive(const uint8_t* data, size_t size, bool dtr, uint32_t baud, uint64_t nowMs) {
    advance(nowMs);
    if (!powered_ || silent_ || baud != expectedBaud() || (options_.version == 1 && !dtr)) {
        stats_.ignoredBytes += size;
        return {};
    }
    in_.insert(in_.end(), data, data + size);
    return options_.version == 2 ? receiveV2(nowMs) : receiveV1(nowMs);
}

std::string Adapter::receiveV2(uint64_t nowMs) {
    std::string out;
    for (;;) {
        auto sync = std::find(in_.begin(), in_.end(), uint8_t(0x47));
        stats_.ignoredBytes += uint64_t(sync - in_.begin());
        in_.erase(in_.begin(), sync);
        if (in_.size() < 4 || in_.size() < size_t(in_[2]) + 4) break;
        const size_t total = size_t(in_[2]) + 4;
        if (Sum8(in_.data(), total) != 0) {
            ++stats_.badPackets;
            in_.erase(in_.begin());
            continue;
        }
        const uint8_t code = in_[1];
        std::vector<uint8_t> d(in_.begin() + 3, in_.begin() + long(total) - 1);
        in_.erase(in_.begin(), in_.begin() + long(total));
        ++stats_.commands;
        const bool flashCmd = code >= 1 && code <= 4;
        const bool failFlash = flashCmd && flashFail_ > 0;
        if (failFlash) --flashFail_;
        const uint8_t status = failFlash ? 0x01 : 0x00;
        const bool erasing = eraseStuck_ || nowMs < eraseUntil_;
        auto lowest = [](uint8_t mask) {
            for (int i = 0; i < 8; ++i)
                if (mask >> i & 1) return i;
            return 0;
        };
        switch (code) {
            case 1: {
                if (d.size() < 4) break;
                const size_t at = size_t(d[1] | d[2] << 8);
                const size_t count = std::min<size_t>(d[3], 32);
                std::vector<uint8_t> r{status};
                const auto& f = flash_[size_t(lowest(d[0]))];
                for (size_t i = 0; i < count; ++i) r.push_back(f[(at + i) & 0xFFFF]);
                out += packet(code, r, true);
                break;
            }
            case 2: {
                if (d.size() < 3) break;
                const size_t at = size_t(d[1] | d[2] << 8);
                uint8_t st = status;
                if (erasing) st = 0x02;
                if (!st)
                    for (int i = 0; i < options_.lines; ++i)
                        if (d[0] >> i & 1)
                            for (size_t k = 3; k < d.size(); ++k) flash_[size_t(i)][(at + k - 3) & 0xFFFF] = d[k];
                out += packet(code, {st}, true);
                break;
            }
            case 3:
                if (d.empty()) break;
                if (!status) {
                    for (int i = 0; i < options_.lines; ++i)
                        if (d[0] >> i & 1) flash_[size_t(i)].assign(65536, 0xFF);
                    eraseUntil_ = nowMs + options_.eraseMs;
                }
                out += packet(code, {status}, true);
                break;
            case 4: out += packet(code, {status, uint8_t(erasing ? 1 : 0)}, true); break;
            case 5:
                if (buffer_.empty()) {
                    out += packet(code, {}, false);
                } else {
                    std::vector<uint8_t> r{buffer_.front().mask};
                    for (char c : buffer_.front().number) r.push_back(uint8_t(c));
                    reported_ = true;
                    out += packet(code, r, false);
                }
                break;
            case 6:
                // Releases the call the last poll reported; a repeated release frees nothing.
                if (reported_ && !buffer_.empty()) {
                    buffer_.pop_front();
                    ++stats_.released;
                }
                reported_ = false;
                out += packet(code, {}, false);
                break;
            case 7:
                for (size_t i = 0; i < 8; ++i) lines_[i].mode = i < d.size() && int(i) < options_.lines ? d[i] : 0;
                out += packet(code, {}, false);
                break;
            case 8:
                processing_ = true;
                out += packet(code, {}, false);
                break;
            default: out += packet(code, {}, false); break;
        }
    }
    return out;
}

std::string Adapter::receiveV1(uint64_t nowMs) {
    (void)nowMs;
    std::string out;
    auto echo = [&](size_t n) {
        std::string e(in_.begin(), in_.begin() + long(n));
        in_.erase(in_.begin(), in_.begin() + long(n));
        ++stats_.commands;
        out += answer(e, false, true);
    };
    while (!in_.empty()) {
        if (uploadLeft_ > 0) {
            const size_t n = std::min(uploadLeft_, in_.size());
            upload_.insert(upload_.end(), in_.begin(), in_.begin() + long(n));
            in_.erase(in_.begin(), in_.begin() + long(n));
            uploadLeft_ -= n;
            awaitSum_ = uploadLeft_ == 0;
            continue;
        }
        if (awaitSum_) {
            const uint8_t sum = in_.front();
            in_.erase(in_.begin());
            awaitSum_ = false;
            const bool ok = uint8_t(sum_ + Sum8(upload_.data(), upload_.size())) == sum;
            if (ok && selected_ >= 0) setMessage(selected_, upload_);
            out += answer(std::string(1, char(ok ? 0 : 1)), true, false);
            continue;
        }
        const uint8_t c = in_.front();
        auto lineArg = [&](int& line) {
            line = in_[1] - '1';
            return line >= 0 && line < options_.lines;
        };
        int line = 0;
        switch (c) {
            case 'i':
                for (Line& l : lines_) {
                    l.mode = 0;
                    l.active = false;
                }
                pending_ = 0;
                std::memset(table_, 0, sizeof table_);
                echo(1);
                break;
            case 'm':
            case 'a':
            case 'c':
                if (in_.size() < 2) return out;
                if (!lineArg(line)) {
                    in_.erase(in_.begin(), in_.begin() + 2);
                    break;
                }
                if (c == 'm') lines_[size_t(line)].mode = 1;
                else if (c == 'a') lines_[size_t(line)].active = true;
                else selected_ = line;
                echo(2);
                break;
            case 's': {
                in_.erase(in_.begin());
                ++stats_.commands;
                uint8_t mode = 0, active = 0;
                for (int i = 0; i < 8; ++i) {
                    if (lines_[size_t(i)].mode) mode |= uint8_t(1 << i);
                    if (lines_[size_t(i)].active) active |= uint8_t(1 << i);
                }
                std::string s{'s', char(mode), char(active), char(0), char(pending_), 0};
                s[5] = char(Sum8(reinterpret_cast<const uint8_t*>(s.data()), 5));
                out += answer(s, false, false);
                break;
            }
            case 'r': {
                in_.erase(in_.begin());
                ++stats_.commands;
                std::string r(1, 'r');
                r.append(reinterpret_cast<const char*>(table_), sizeof table_);
                r.push_back(char(Sum8(reinterpret_cast<const uint8_t*>(r.data()), r.size())));
                out += answer(r, false, false);
                break;
            }
            case 'n':
                stats_.released += uint64_t(__builtin_popcount(pending_));
                pending_ = 0;
                std::memset(table_, 0, sizeof table_);
                echo(1);
                break;
            case 'l':
                if (in_.size() < 4) return out;
                uploadLeft_ = size_t(in_[2] | in_[3] << 8);
                sum_ = Sum8(in_.data(), 4);
                upload_.clear();
                awaitSum_ = uploadLeft_ == 0;
                echo(4);
                break;
            default:
                ++stats_.ignoredBytes;
                in_.erase(in_.begin());
                break;
        }
    }
    return out;
}

}  // namespace phonesim
