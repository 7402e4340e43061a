#include "clock_reference.h"

#include <algorithm>
#include <cmath>

namespace clockref {

namespace {

using wizards::ClockHeader;

pages::Rect UnionOf(const pages::Rect& a, const pages::Rect& b) {
    if (a.right <= a.left || a.bottom <= a.top) return b;
    if (b.right <= b.left || b.bottom <= b.top) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

struct Px {
    int b = 0, g = 0, r = 0, t = 255;
};

// The Device's conversion of one pixel pair into its two words.
void Convert(const Px& L, const Px& R, uint16_t& wl, uint16_t& wr) {
    int yl = (7472 * L.b + 38469 * L.g + 19595 * L.r) >> 16;
    int yr = (7472 * R.b + 38469 * R.g + 19595 * R.r) >> 16;
    int cb = 128 + (L.b + R.b - yl - yr) * 65536 / 227069;
    int cr = 128 + (L.r + R.r - yl - yr) * 65536 / 179660;
    yl = std::clamp(yl, 16, 235);
    yr = std::clamp(yr, 16, 235);
    cb = std::clamp(cb, 16, 240);
    cr = std::clamp(cr, 16, 240);
    wl = uint16_t(((15 - (L.t >> 4)) << 12) | ((cb >> 2) << 6) | (yl >> 2));
    wr = uint16_t(((15 - (R.t >> 4)) << 12) | ((cr >> 2) << 6) | (yr >> 2));
}

uint16_t Checksum(const std::vector<uint8_t>& block) {
    uint16_t reg = 0;
    auto feed = [&](uint8_t byte) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool msb = (reg & 0x8000) != 0;
            reg = uint16_t(((reg << 1) & 0xFFFF) ^ (msb ? 0x4003 : 0) ^ ((byte >> bit) & 1));
        }
    };
    for (size_t i = block.size(); i > 2; --i) feed(block[i - 1]);
    feed(0xFF);
    feed(0xFF);
    return reg;
}

}  // namespace

Result Render(const wizards::CClockImage& clock, const pages::Rect& last, int buffer, int hours, int minutes,
              int seconds, bool checksum) {
    const ClockHeader& h = clock.header();
    Result res;
    // 1. Angles in tenths of a degree.
    const int s1 = wizards::kClockSteps[h.steps[1]];
    const int s2 = wizards::kClockSteps[h.steps[2]];
    const int A[3] = {60 * seconds, (seconds + 60 * minutes) / s1 * s1, (minutes + 60 * hours) / s2 * s2 * 5};
    // 2. θ.
    double cs[3], sn[3];
    for (int i = 0; i < 3; ++i) {
        const double theta = A[i] * 0.001745329252 - 1.570796326795;
        cs[i] = std::cos(theta);
        sn[i] = std::sin(theta);
    }
    auto empty = [](const pages::Rect& q) { return q.right <= q.left || q.bottom <= q.top; };
    // 3. The box.
    pages::Rect box;
    for (int i = 0; i < 3; ++i) {
        const pages::Rect& q = h.hands[i];
        if (empty(q)) continue;
        const int cx[4] = {q.left, q.right, q.left, q.right};
        const int cy[4] = {q.top, q.top, q.bottom, q.bottom};
        int minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
        for (int k = 0; k < 4; ++k) {
            const int x = int(cx[k] * cs[i] - cy[k] * sn[i]);
            const int y = int((double(cy[k]) * cs[i] + double(cx[k]) * sn[i]) * 1.0666666666666667);
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
        pages::Rect b{minX, minY, maxX, maxY};
        if (h.shadows) {
            const int ox = h.shadowX[i], oy = h.shadowY[i];
            if (ox < 0) b.right += -ox;
            if (ox > 0) b.left -= ox;
            if (oy < 0) b.bottom += -oy;
            if (oy > 0) b.top -= oy;
        }
        box = UnionOf(box, b);
    }
    const int x0 = h.centreX, y0 = h.centreY;
    if (!empty(box)) {
        box = {box.left + 270, box.top + 288, box.right + 270, box.bottom + 288};
        if ((box.left % 2 + 2) % 2 != x0 % 2) box.left -= 1;
        if ((box.right - box.left) % 2 != 0) box.right += 1;
        // Cut to the screen (and the work area), on pair boundaries.
        const int loX = std::max({270 - x0, 0, x0 % 2}), hiX = std::min({990 - x0, 540, 540 - x0 % 2});
        const int loY = std::max(288 - y0, 0), hiY = std::min(864 - y0, 576);
        box = {std::max(box.left, loX), std::max(box.top, loY), std::min(box.right, hiX), std::min(box.bottom, hiY)};
        if (empty(box)) box = {};
    }
    res.box = box;
    const pages::Rect area = UnionOf(box, last);
    res.area = area;
    if (empty(area)) {
        res.block.assign(2, 0);
        if (checksum) {
            const uint16_t c = Checksum(res.block);
            res.block[0] = uint8_t(c), res.block[1] = uint8_t(c >> 8);
        }
        return res;
    }
    res.target = {area.left + 768 * buffer + x0 - 270, area.top + y0 - 288, area.right + 768 * buffer + x0 - 270,
                  area.bottom + y0 - 288};

    // 4. The pixels.
    auto pixel = [&](int px, int py, bool& covered) {
        Px d;
        covered = false;
        for (int i = 2; i >= 0; --i)
            for (int layer = 0; layer < 2; ++layer) {
                const bool shadow = layer == 0;
                if (shadow && !h.shadows) continue;
                const pages::Rect& q = h.hands[i];
                if (empty(q)) continue;
                const int X = px - 270 + (shadow ? h.shadowX[i] : 0);
                const int Y = py - 288 + (shadow ? h.shadowY[i] : 0);
                const double u = 384.0 + double(X) * cs[i] + 0.9375 * double(Y) * sn[i];
                const double v = 384.0 - double(X) * sn[i] + 0.9375 * double(Y) * cs[i];
                if (!(u - 384.0 >= q.left && u - 384.0 <= q.right && v - 384.0 >= q.top && v - 384.0 <= q.bottom))
                    continue;
                covered = true;
                const int iu = int(std::floor(u)), iv = int(std::floor(v));
                const double fx = u - iu, fy = v - iv;
                const pages::CBitmap32& img = clock.hand(i);
                int S[4];
                for (int k = 0; k < 4; ++k)
                    S[k] = int(img.pixel(iu, iv)[k] * ((1.0 - fx) * (1.0 - fy)) +
                               img.pixel(iu + 1, iv)[k] * (fx * (1.0 - fy)) +
                               img.pixel(iu, iv + 1)[k] * ((1.0 - fx) * fy) + img.pixel(iu + 1, iv + 1)[k] * (fx * fy));
                int e = S[3];
                if (shadow) {
                    S[0] = S[1] = S[2] = 0;
                    e = 128 + (S[3] >> 1);
                }
                if (e == 255) continue;
                int* D[3] = {&d.b, &d.g, &d.r};
                for (int k = 0; k < 3; ++k) *D[k] = (std::min(e, 255 - d.t) * *D[k] + (255 - e) * S[k]) >> 8;
                d.t = std::min(d.t, e);
            }
        return d;
    };
    const int w = area.right - area.left, ht = area.bottom - area.top;
    res.block.assign(2 + size_t(w) * ht * 2, 0);
    res.pixels.create(w, ht);
    for (int py = area.bottom - 1; py >= area.top; --py)
        for (int px = area.right - 2; px >= area.left; px -= 2) {
            bool rightCovered = false, leftCovered = false;
            Px R = pixel(px + 1, py, rightCovered), L;
            uint16_t wl = 0x0804, wr = 0x0804;
            if (rightCovered) {
                L = pixel(px, py, leftCovered);
                Convert(L, R, wl, wr);
            } else {
                R = Px{};
            }
            const size_t at = 2 + (size_t(py - area.top) * w + size_t(px - area.left)) * 2;
            res.block[at] = uint8_t(wl >> 8), res.block[at + 1] = uint8_t(wl);
            res.block[at + 2] = uint8_t(wr >> 8), res.block[at + 3] = uint8_t(wr);
            const Px both[2] = {L, R};
            for (int k = 0; k < 2; ++k) {
                uint8_t* p = res.pixels.pixel(px - area.left + k, py - area.top);
                p[0] = uint8_t(both[k].b), p[1] = uint8_t(both[k].g), p[2] = uint8_t(both[k].r);
                p[3] = uint8_t(both[k].t);
            }
        }
    // 5. The checksum.
    if (checksum) {
        const uint16_t c = Checksum(res.block);
        res.block[0] = uint8_t(c), res.block[1] = uint8_t(c >> 8);
    }
    return res;
}

}  // namespace clockref
