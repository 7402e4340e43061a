// The hands of one second: angles, the area they and their shadows cover in the 540 x 576 work
// area, six layers sampled bilinearly from the hand pictures, and the Device block of the area.
//
// Every pixel a layer covers goes through exactly the arithmetic of the written rule (the tests
// hold it to a plain implementation byte for byte); what makes it quick is only that each row
// of each layer visits the pixels near the hand and not the whole area.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "pages/device_picture.h"
#include "wizards/clock_image.h"

namespace wizards {

namespace {

constexpr double kRadiansPerTenth = 0.001745329252;
constexpr double kQuarterTurn = 1.570796326795;
constexpr double kStretch = 1.0666666666666667;  // 16/15, the pixel aspect of the picture
constexpr double kShrink = 0.9375;               // 15/16

pages::Rect Union(const pages::Rect& a, const pages::Rect& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// The box of a hand rectangle's four corners turned by θ (vertically stretched, truncated).
pages::Rect TurnedBox(const pages::Rect& q, double c, double s) {
    const int32_t xs[4] = {q.left, q.right, q.left, q.right};
    const int32_t ys[4] = {q.top, q.top, q.bottom, q.bottom};
    pages::Rect b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int k = 0; k < 4; ++k) {
        const double x = xs[k], y = ys[k];
        const int32_t tx = int32_t(x * c - y * s);
        const int32_t ty = int32_t((y * c + x * s) * kStretch);
        b.left = std::min(b.left, tx);
        b.right = std::max(b.right, tx);
        b.top = std::min(b.top, ty);
        b.bottom = std::max(b.bottom, ty);
    }
    return b;
}

// The X (pixel x - 270 + shadow x) of a row where lo <= a X + b <= hi may hold, widened by two
// pixels beyond what rounding could ever move; the exact test decides inside.
bool Span(double a, double b, double lo, double hi, double& from, double& to) {
    if (std::fabs(a) < 1e-9) {
        if (b < lo - 1e-3 || b > hi + 1e-3) return false;
        return true;  // every X
    }
    double x1 = (lo - b) / a, x2 = (hi - b) / a;
    if (x1 > x2) std::swap(x1, x2);
    from = std::max(from, x1 - 2);
    to = std::min(to, x2 + 2);
    return from <= to;
}

}  // namespace

HandAngles ClockAngles(const ClockHeader& h, int hours, int minutes, int seconds) {
    HandAngles a;
    const int s1 = kClockSteps[std::min<int>(h.steps[HAND_MINUTE], kClockStepChoices - 1)];
    const int s2 = kClockSteps[std::min<int>(h.steps[HAND_HOUR], kClockStepChoices - 1)];
    a.a[HAND_SECOND] = 60 * seconds;
    a.a[HAND_MINUTE] = (seconds + 60 * minutes) / s1 * s1;
    a.a[HAND_HOUR] = (minutes + 60 * hours) / s2 * s2 * 5;
    return a;
}

void CClockImage::Render(int hours, int minutes, int seconds, bool checksum) {
    if (!loaded_) return;
    allocate();
    const ClockHeader& h = header_;
    const HandAngles angles = ClockAngles(h, hours, minutes, seconds);
    double cs[HAND_COUNT], sn[HAND_COUNT];
    for (int i = 0; i < HAND_COUNT; ++i) {
        const double theta = angles.a[i] * kRadiansPerTenth - kQuarterTurn;
        cs[i] = std::cos(theta);
        sn[i] = std::sin(theta);
    }

    // The box of the three hands and their shadows, in the work area.
    pages::Rect box;
    for (int i = 0; i < HAND_COUNT; ++i) {
        if (h.hands[i].empty()) continue;
        pages::Rect b = TurnedBox(h.hands[i], cs[i], sn[i]);
        if (h.shadows) {
            // The shadow falls away from the light: a negative offset moves it right (down).
            if (h.shadowX[i] < 0) b.right -= h.shadowX[i];
            else b.left -= h.shadowX[i];
            if (h.shadowY[i] < 0) b.bottom -= h.shadowY[i];
            else b.top -= h.shadowY[i];
        }
        box = Union(box, b);
    }
    const int32_t x0 = h.centreX, y0 = h.centreY;
    if (!box.empty()) {
        box.left += CLOCK_AREA_CX;
        box.right += CLOCK_AREA_CX;
        box.top += CLOCK_AREA_CY;
        box.bottom += CLOCK_AREA_CY;
        // Pixel pairs start on even screen columns.
        if ((box.left - x0) & 1) --box.left;
        if ((box.right - box.left) & 1) ++box.right;
        // Nothing outside the 720 × 576 picture is ever shown, and a block reaching past it would
        // land in the other half (or bank) of the store: cut it there, keeping the pairs.
        box.left = std::max({box.left, CLOCK_AREA_CX - x0, x0 & 1});
        box.right = std::min({box.right, CLOCK_AREA_CX + 720 - x0, CLOCK_AREA_WIDTH - (x0 & 1)});
        box.top = std::max({box.top, CLOCK_AREA_CY - y0, 0});
        box.bottom = std::min({box.bottom, CLOCK_AREA_CY + 576 - y0, CLOCK_AREA_HEIGHT});
        if (box.empty()) box = {};
    }
    Buffer& buf = buffers_[size_t(current_)];
    const pages::Rect area = Union(box, buf.last);
    buf.last = box;
    box_ = box;
    area_ = area;

    const int32_t w = area.width(), ht = area.height();
    uint8_t* out = buf.data->data();
    buf.target = {area.left + CLOCK_HALF_OFFSET * current_ + x0 - CLOCK_AREA_CX, area.top + y0 - CLOCK_AREA_CY,
                  area.right + CLOCK_HALF_OFFSET * current_ + x0 - CLOCK_AREA_CX, area.bottom + y0 - CLOCK_AREA_CY};
    if (area.empty()) {
        const uint16_t sum = checksum ? pages::DeviceChecksum(nullptr, 0) : 0;
        out[0] = uint8_t(sum);
        out[1] = uint8_t(sum >> 8);
        buf.size = 2;
        buf.target = {};
        return;
    }

    // Every pixel starts transparent black, uncovered.
    const pages::BitmapView view = layer_.view();
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint8_t* p = view.pixel(area.left, y);
        for (int32_t x = 0; x < w; ++x, p += 4) {
            p[0] = p[1] = p[2] = 0;
            p[3] = 255;
        }
        std::memset(&covered_[size_t(y) * CLOCK_AREA_WIDTH + size_t(area.left)], 0, size_t(w));
    }

    // The layers bottom up: shadow of hand 2, hand 2, shadow of hand 1, hand 1, shadow of hand 0,
    // hand 0. Each pixel meets them in that order, as in the rule.
    for (int i = HAND_COUNT - 1; i >= 0; --i) {
        const pages::Rect& q = h.hands[i];
        if (q.empty()) continue;
        const uint8_t* img = hands_[size_t(i)].bits();
        const double c = cs[i], s = sn[i];
        for (int pass = h.shadows ? 0 : 1; pass < 2; ++pass) {
            const bool shadow = pass == 0;
            const int32_t dx = shadow ? h.shadowX[i] : 0, dy = shadow ? h.shadowY[i] : 0;
            const int32_t xFirst = area.left - CLOCK_AREA_CX + dx, xLast = area.right - 1 - CLOCK_AREA_CX + dx;
            for (int32_t py = area.top; py < area.bottom; ++py) {
                const int32_t Y = py - CLOCK_AREA_CY + dy;
                const double k1 = kShrink * double(Y) * s;
                const double k2 = kShrink * double(Y) * c;
                double from = xFirst, to = xLast;
                if (!Span(c, k1, q.left, q.right, from, to) || !Span(-s, k2, q.top, q.bottom, from, to)) continue;
                const int32_t X0 = std::max(xFirst, int32_t(std::floor(from)));
                const int32_t X1 = std::min(xLast, int32_t(std::ceil(to)));
                uint8_t* row = view.pixel(0, py);
                uint8_t* cov = &covered_[size_t(py) * CLOCK_AREA_WIDTH];
                for (int32_t X = X0; X <= X1; ++X) {
                    const double u = 384.0 + double(X) * c + k1;
                    const double v = 384.0 - double(X) * s + k2;
                    const double du = u - 384.0, dv = v - 384.0;
                    if (du < q.left || du > q.right || dv < q.top || dv > q.bottom) continue;
                    const int32_t px = X + CLOCK_AREA_CX - dx;
                    cov[px] = 1;
                    // Inside the rectangle u and v are above 129, so truncation is the floor.
                    const int iu = int(u), iv = int(v);
                    const double fx = u - iu, fy = v - iv;
                    const double w00 = (1.0 - fx) * (1.0 - fy), w10 = fx * (1.0 - fy);
                    const double w01 = (1.0 - fx) * fy, w11 = fx * fy;
                    const uint8_t* p00 = img + (size_t(iv) * CLOCK_CANVAS + size_t(iu)) * 4;
                    const uint8_t* p10 = p00 + 4;
                    const uint8_t* p01 = p00 + size_t(CLOCK_CANVAS) * 4;
                    const uint8_t* p11 = p01 + 4;
                    auto lerp = [&](int k) { return int(p00[k] * w00 + p10[k] * w10 + p01[k] * w01 + p11[k] * w11); };
                    const int t = lerp(3);
                    const int e = shadow ? 128 + (t >> 1) : t;
                    if (e == 255) continue;
                    uint8_t* d = row + size_t(px) * 4;
                    const int td = d[3];
                    const int keep = std::min(e, 255 - td), give = 255 - e;
                    if (shadow) {
                        for (int k = 0; k < 3; ++k) d[k] = uint8_t((keep * d[k]) >> 8);
                    } else {
                        for (int k = 0; k < 3; ++k) d[k] = uint8_t((keep * d[k] + give * lerp(k)) >> 8);
                    }
                    d[3] = uint8_t(std::min(td, e));
                }
            }
        }
    }

    // A pair whose right pixel nothing covers is sent as two transparent words.
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const uint8_t* cov = &covered_[size_t(y) * CLOCK_AREA_WIDTH];
        for (int32_t x = area.left; x < area.right; x += 2)
            if (!cov[x + 1]) {
                uint8_t* p = view.pixel(x, y);
                std::memset(p, 0, 8);
                p[3] = p[7] = 255;
            }
    }
    pages::ToDevice(view, area.left, area.top, w, ht, out, checksum);
    buf.size = pages::DeviceBlockSize(w, ht);
}

}  // namespace wizards
