#include "programs.h"

#include <algorithm>
#include <cstdlib>

#include "ktgsim/check_code.h"

namespace ktgtest {

using ktgsim::Device;

std::vector<uint8_t> Block(int w, int h, const std::function<uint16_t(int, int)>& word, bool checksum) {
    std::vector<uint8_t> b(2 + size_t(w) * h * 2);
    size_t i = 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint16_t v = word(x, y);
            b[i++] = uint8_t(v >> 8);
            b[i++] = uint8_t(v);
        }
    uint16_t c = checksum ? ktgsim::DataChecksum(b.data() + 2, b.size() - 2) : 0;
    b[0] = uint8_t(c);
    b[1] = uint8_t(c >> 8);
    return b;
}

std::vector<uint8_t> FillBlock() { return {0x60, 0xA5, 0x08, 0x04, 0x08, 0x04}; }

std::vector<uint8_t> PictureBlock(int w, int h, const std::function<uint32_t(int, int)>& colour) {
    std::vector<uint16_t> words(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x + 1 < w; x += 2) {
            const uint32_t c[2] = {colour(x, y), colour(x + 1, y)};
            int Y[2], red[2], blue[2], T[2];
            for (int i = 0; i < 2; ++i) {
                red[i] = int(c[i] & 0xFF);
                int g = int((c[i] >> 8) & 0xFF);
                blue[i] = int((c[i] >> 16) & 0xFF);
                T[i] = int(c[i] >> 24);
                Y[i] = (7472 * blue[i] + 38469 * g + 19595 * red[i]) >> 16;
            }
            int cb = 128 + (blue[0] + blue[1] - Y[0] - Y[1]) * 65536 / 227069;
            int cr = 128 + (red[0] + red[1] - Y[0] - Y[1]) * 65536 / 179660;
            cb = std::clamp(cb, 16, 240);
            cr = std::clamp(cr, 16, 240);
            for (int i = 0; i < 2; ++i) Y[i] = std::clamp(Y[i], 16, 235);
            words[size_t(y) * w + x] = uint16_t((15 - (T[0] >> 4)) << 12 | (cb >> 2) << 6 | (Y[0] >> 2));
            words[size_t(y) * w + x + 1] = uint16_t((15 - (T[1] >> 4)) << 12 | (cr >> 2) << 6 | (Y[1] >> 2));
        }
    return Block(w, h, [&](int x, int y) { return words[size_t(y) * w + x]; });
}

void Programs::write(uint8_t reg, uint16_t value) {
    if (lpt_) {
        uint8_t p[5];
        ktgsim::BuildPacket(reg, value, p);
        d_.packet(p);
    } else {
        const uint8_t w[3] = {reg, uint8_t(value >> 8), uint8_t(value)};
        d_.commandWrites(w, 1);
    }
}

void Programs::reset() {
    bank_ = 0;
    write(0x80, 0x0004);
}

void Programs::fillRect(Rect r, const std::vector<uint8_t>& block, int flags) {
    write(0x60, uint16_t(r.top + ((flags & 1) != bank_ ? 0x800 : 0)));
    write(0x61, uint16_t(r.left));
    write(0x62, uint16_t(r.bottom - 1));
    write(0x63, uint16_t(r.right - 1));
    write(0x80, 0x0000);
    data(block);
    write(0x80, 0x8000);
}

void Programs::loadRect(Rect r, const std::vector<uint8_t>& block, int flags) {
    write(0x60, uint16_t(r.top + ((flags & 1) != bank_ ? 0x800 : 0)));
    write(0x61, uint16_t(r.left));
    write(0x62, uint16_t(r.bottom - 1));
    write(0x63, uint16_t(r.right - 1));
    write(0x80, 0x0000);
    data(block);
}

void Programs::loadRectData(Rect r, const std::vector<uint8_t>& block) {
    loadRect(r, block, bank_);
    write(0x60, bank_ == 0 ? 0x800 : 0);
    write(0x61, 0);
    write(0x62, 575);
    write(0x63, 1535);
    write(0x80, 0x0000);
    data(FillBlock());
    write(0x80, 0x8000);
}

void Programs::cut() {
    bank_ = 0;
    write(0x40, 0);
    write(0x80, 0x0004);
}

void Programs::setMode(uint16_t value) { write(uint8_t(2 * bank_ + 1), value); }

void Programs::endScroll() { write(0x40, control_); }

namespace {
int Edge(int e, int n, int f, int d) {
    switch (e) {
        case 0: return n;
        case 1: return n + (f - n) / 2 + d;
        case 2: return f;
        default: return 0;
    }
}
uint16_t Move(int a, int z, uint16_t g) {
    if (a == z) return 0;
    return uint16_t(a) < uint16_t(z) ? g : uint16_t(g | 0x8080);
}
}  // namespace

void Programs::startEffect(uint16_t F, uint32_t P, Rect r) {
    int y0 = 0, x0 = 0, y1 = 575, x1 = 719;
    if (F & 0x4000) y0 = r.top, x0 = r.left, y1 = r.bottom, x1 = r.right;
    const int w = int(P >> 28) + 1;
    const uint16_t Gv = uint16_t(((P >> 22) & 63) * 0x101);
    const uint16_t Gh = uint16_t(((P >> 16) & 63) * 0x101);
    const int T0 = Edge((P >> 6) & 3, y0, y1, w), L0 = Edge((P >> 4) & 3, x0, x1, w);
    const int B0 = Edge((P >> 2) & 3, y0, y1, -w), R0 = Edge(P & 3, x0, x1, -w);
    const int T1 = Edge((P >> 14) & 3, y0, y1, w), L1 = Edge((P >> 12) & 3, x0, x1, w);
    const int B1 = Edge((P >> 10) & 3, y0, y1, -w), R1 = Edge((P >> 8) & 3, x0, x1, -w);
    const uint16_t Mt = Move(T0, T1, Gv), Ml = Move(L0, L1, Gh), Mb = Move(B0, B1, Gv), Mr = Move(R0, R1, Gh);
    int T0a = T0, L0a = L0, B0a = B0, R0a = R0;
    if (F & 0x100) {
        if (Mt) T0a = T0 + w;
        if (Ml) L0a = L0 + w;
        if (Mb) B0a = B0 - w;
        if (Mr) R0a = R0 - w;
    }
    uint16_t Dv = T1 == T0 ? uint16_t(Gv | 0x8080) : Gv;
    uint16_t Dh = L1 == L0 ? uint16_t(Gh | 0x8080) : Gh;
    int Ov1 = 0, Ov2 = 0, Oh1 = 0, Oh2 = 0, Sv = 0, Sh = 0, Nv = 0, Nh = 0;
    if ((F & 1) && (F & 0x10)) {
        Ov2 = y1 - y0 - w;
        Ov1 = (Dv & 0x8080) ? Ov2 : 1280 - Ov2;
    }
    if ((F & 1) && (F & 0x20)) {
        Oh2 = x1 - x0 - w;
        Oh1 = (Dh & 0x8080) ? Oh2 : 1536 - Oh2;
    }
    if ((F & 2) && (F & 0x40)) Sv = 0, Nv = y1 - y0 + 1;
    if ((F & 2) && (F & 0x80)) Sh = 0, Nh = x1 - x0 + 1;
    if ((F & 2) && (F & 0x100)) Dv ^= 0x8080, Dh ^= 0x8080;

    const int b = bank_, s = bank_;
    auto W = [&](int reg, int v) { write(uint8_t(reg), uint16_t(v)); };
    W(2 * b, Ov1);
    W(2 * b + 1, Oh1);
    W(2 - 2 * b, Sv);
    W(3 - 2 * b, Sh);
    W(2 * b + 4, Ov2);
    W(2 * b + 5, Oh2);
    W(6 - 2 * b, Nv);
    W(7 - 2 * b, Nh);
    W(2 * b + 24, Dv);
    W(2 * b + 25, Dh);
    W(26 - 2 * b, Dv);
    W(27 - 2 * b, Dh);
    W(4 * b + 8, T0a);
    W(4 * b + 9, L0a);
    W(4 * b + 10, B0a);
    W(4 * b + 11, R0a);
    W(4 * b + 16, std::abs(T1 - T0a));
    W(4 * b + 17, std::abs(L1 - L0a));
    W(4 * b + 18, std::abs(B1 - B0a));
    W(4 * b + 19, std::abs(R1 - R0a));
    W(4 * b + 28, Mt);
    W(4 * b + 29, Ml);
    W(4 * b + 30, Mb);
    W(4 * b + 31, Mr);
    W(0x80, 0);
    W(12 - 4 * b, T0);
    W(13 - 4 * b, L0);
    W(14 - 4 * b, B0);
    W(15 - 4 * b, R0);

    uint16_t E = 0;
    if (F & 0x800) {
        if (F & 1) {
            E = uint16_t(w | w << 4 | 0x1E00);
            if ((b == 0 && !(F & 0x1000)) || (b == 1 && (F & 0x1000))) E |= 0x100;
        }
    } else {
        if (b == 0) E = uint16_t((F & 1) ? w : w << 4);
        else E = uint16_t((F & 1) ? (w << 4) | 0x100 : w | 0x100);
        E |= (F & 0x100) ? uint16_t(0x800 << s) : uint16_t(0x1000 >> s);
        if (F & 1) E |= uint16_t(0x400 >> s);
        if (F & 2) E |= uint16_t(0x200 << s);
        if (F & 0x200) E |= 0x1800;
        if (F & 0x400) {
            if (F & 1) E |= uint16_t(0x4000 >> s);
            if (F & 2) {
                E |= uint16_t(0x2000 << s);
                E &= uint16_t(~(0x200 << s));
            }
        }
    }
    W(0x40, E);
    W(20 - 4 * b, std::abs(T1 - T0));
    W(21 - 4 * b, std::abs(L1 - L0));
    W(22 - 4 * b, std::abs(B1 - B0));
    W(23 - 4 * b, std::abs(R1 - R0));
    W(32 - 4 * b, Mt);
    W(33 - 4 * b, Ml);
    W(34 - 4 * b, Mb);
    W(35 - 4 * b, Mr);

    uint16_t S = 0;
    if (F & 1) {
        if (F & 0x10) S |= uint16_t(0x4000 >> (2 * b));
        if (F & 0x20) S |= uint16_t(0x2000 >> (2 * b));
    }
    if (F & 2) {
        if (F & 0x40) S |= uint16_t(0x1000 << (2 * b));
        if (F & 0x80) S |= uint16_t(0x800 << (2 * b));
    }
    const bool differs[4] = {T0a != T1, L0a != L1, B0a != B1, R0a != R1};
    for (int i = 0; i < 4; ++i) {
        if (!differs[i]) continue;
        if (F & 1) S |= uint16_t((0x400 >> i) >> (4 * b));
        if (F & 2) S |= uint16_t((0x40 >> i) << (4 * b));
    }
    W(0x80, S);
    pendingFlags_ = F;
    pendingBorder_ = w;
}

void Programs::finishEffect() {
    const uint16_t F = pendingFlags_;
    const int w = pendingBorder_, b = bank_, s = bank_;
    uint16_t C = 0;
    if (F & 1) {
        C = uint16_t((0x400 >> s) | (b == 1 ? w << 4 : w) | ((F & 0x100) ? 0x800 << s : 0x1000 >> s));
        if (F & 0x800) {
            C |= uint16_t(0x200 << s);
            C |= uint16_t(b == 1 ? w : w << 4);
            C |= uint16_t((F & 0x100) ? 0x1000 >> s : 0x800 << s);
            if ((b == 0 && !(F & 0x1000)) || (b == 1 && (F & 0x1000))) C |= 0x100;
        }
    }
    control_ = C;
    if (!(F & 0x2000)) bank_ ^= 1;
    write(0x40, C);
}

int Programs::inEffect(uint16_t flags, uint32_t param, Rect r, int maxFields) {
    startEffect(flags, param, r);
    int fields = 0;
    while (!d_.finished()) {
        if (fields == maxFields) return -1;
        d_.advanceFields(1);
        ++fields;
    }
    finishEffect();
    return fields;
}

// Steps 15-21 for one chunk; true when the next chunk follows before the motion starts.
static bool ChunkSteps(Programs& p, Programs::Scroll& s, int bank) {
    const bool roll = (s.flags & 0x8000) != 0;
    const int K = std::min(256, s.length - 256 * s.n);
    const int bankBit = bank ? 0x800 : 0;
    p.write(0x60, uint16_t(bankBit | (roll ? (256 * s.n + s.along) % 1280 : 0)));
    p.write(0x61, uint16_t(roll ? 0 : (s.along + 256 * s.n) % 1536));
    const int last = (s.along + 256 * s.n + K - 1) % (roll ? 1280 : 1536);
    p.write(roll ? 0x63 : 0x62, uint16_t(s.across - 1));
    p.write(roll ? 0x62 : 0x63, uint16_t(last));
    p.write(0x80, 0);
    const size_t offset = size_t(s.n) * (512 * size_t(s.across) + 2);
    std::vector<uint8_t> chunk(s.data.begin() + long(offset),
                               s.data.begin() + long(offset + 2 * size_t(s.across) * K + 2));
    p.data(chunk);
    const bool first = s.n == 0;
    s.n += 1;
    const uint8_t distReg = uint8_t(roll ? 2 * bank + 4 : 2 * bank + 5);
    if (first) {
        if (256 * s.n < s.end) {
            p.write(distReg, 0);
            return true;
        }
        p.write(distReg, uint16_t(s.end - s.loaded));
        s.loaded = s.end;
    } else if (256 * s.n < s.end) {
        p.write(distReg, 0x8100);
        s.loaded += 256;
    } else {
        p.write(distReg, uint16_t(s.end - s.loaded));
        s.loaded = s.end;
    }
    return false;
}

void Programs::startScroll(Scroll& s) {
    const uint16_t F = s.flags;
    const bool roll = (F & 0x8000) != 0;
    const int w = ((F >> 4) & 15) + 1;
    const uint16_t G = uint16_t((F & 15) * 0x101);
    const Rect& r = s.rect;
    const int b = bank_;
    s.n = 0;
    s.loaded = 0;
    s.across = roll ? r.right - r.left : r.bottom - r.top;
    s.along = roll ? r.bottom - r.top : r.right - r.left;
    s.end = s.length - ((F & 0x2000) ? s.along : 0);
    write(0x60, b ? 0x800 : 0);
    write(0x61, 0);
    write(0x62, uint16_t(r.bottom - r.top - 1));
    write(0x63, uint16_t(r.right - r.left - 1));
    write(0x80, 0);
    data(FillBlock());
    write(0x80, 0x8000);
    write(uint8_t(4 * b + 8), uint16_t(r.top + w));
    write(uint8_t(4 * b + 9), uint16_t(r.left + w));
    write(uint8_t(4 * b + 10), uint16_t(r.bottom - w - 1));
    write(uint8_t(4 * b + 11), uint16_t(r.right - w - 1));
    write(uint8_t(2 * b), uint16_t(1280 - r.top));
    write(uint8_t(2 * b + 1), uint16_t(1536 - r.left));
    write(uint8_t(roll ? 2 * b + 24 : 2 * b + 25), G);
    const uint16_t under = uint16_t((F >> 14) & 1);
    write(0x40, uint16_t(control_ | (0x1400 >> b) | (b == 0 ? (w | under << 8) : ((w << 4) | (under ^ 1) << 8))));
    s.started = true;
    if (s.length == 0) {
        s.granted = true;
        return;
    }
    while (ChunkSteps(*this, s, b)) {}
    write(0x80, uint16_t(roll ? 0x4000 >> (2 * b) : 0x2000 >> (2 * b)));
    s.granted = s.loaded >= s.end;
}

void Programs::serviceScroll(Scroll& s) {
    if (!s.started || s.loaded >= s.end || !d_.finished()) return;
    const bool roll = (s.flags & 0x8000) != 0;
    while (ChunkSteps(*this, s, bank_)) {}
    write(0x80, uint16_t(roll ? 0x4000 >> (2 * bank_) : 0x2000 >> (2 * bank_)));
    s.granted = s.loaded >= s.end;
}

}  // namespace ktgtest
