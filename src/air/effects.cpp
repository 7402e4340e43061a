#include "air/effects.h"

#include <algorithm>
#include <cstdio>

namespace air {

const EffectInfo kEffectCatalogue[kEffectRows] = {
    {0, 0, 0, 0, 0x0A0A, 0x0200},         // 0 switch (or fade)
    {720, 0, 0x20, 0x80, 0x0A08, 0},      // 1 from the left
    {720, 0, 0x20, 0x80, 0x0A2A, 0},      // 2 from the right
    {0, 576, 0x10, 0x40, 0x0A02, 0},      // 3 from the top
    {0, 576, 0x10, 0x40, 0x0A8A, 0},      // 4 from the bottom
    {360, 0, 0, 0, 0x0A19, 0},            // 5 opens from the vertical centre line
    {360, 0, 0, 0, 0x190A, 0x0100},       // 6 closes onto it
    {0, 288, 0, 0, 0x0A46, 0},            // 7 opens from the horizontal centre line
    {0, 288, 0, 0, 0x460A, 0x0100},       // 8 closes onto it
    {360, 288, 0, 0, 0x0A55, 0},          // 9 box from the centre
    {360, 288, 0, 0, 0x550A, 0x0100},     // 10 box onto the centre
    {720, 576, 0x30, 0, 0x0A00, 0},       // 11 from the top-left corner
    {720, 576, 0x30, 0, 0x0A88, 0},       // 12 from the bottom-left corner
    {720, 576, 0x30, 0, 0x0A22, 0},       // 13 from the top-right corner
    {720, 576, 0x30, 0, 0x0AAA, 0},       // 14 from the bottom-right corner
    {720, 576, 0, 0xC0, 0x000A, 0x0100},  // 15 away to the top-left corner
    {720, 576, 0, 0xC0, 0x880A, 0x0100},  // 16 away to the bottom-left corner
    {720, 576, 0, 0xC0, 0x220A, 0x0100},  // 17 away to the top-right corner
    {720, 576, 0, 0xC0, 0xAA0A, 0x0100},  // 18 away to the bottom-right corner
    {0, 0, 0, 0, 0, 0},                   // 19 empty row
};

const EffectInfo& EffectOf(int type) {
    if (type < 0 || type >= kEffectRows) type = 0;
    return kEffectCatalogue[type];
}

namespace {

int clampSpeed(int s) { return std::clamp(s, 0, kMaxEffectSpeed); }

int64_t durationMs(int type, int speed, bool fade) {
    const EffectInfo& e = EffectOf(type);
    int64_t ms = int64_t(std::max(e.dx, e.dy)) * 20 / (clampSpeed(speed) + 1);
    if (fade && ms <= 1000) ms = 1000;
    return ms;
}

// Steps of the minor axis per 20 ms, in whole twentieths of a pixel, so that both axes arrive
// together: q = minor × 20 / (major / k), rounded and kept inside the 5-bit field.
uint32_t minorStep(int major, int minor, int k) {
    int c = major / k;
    int q = c > 0 ? minor * 20 / c : 0;
    q = (q % 20 <= 10 ? q : q + 20) / 20;
    return uint32_t(std::clamp(q, 1, 31));
}

// Steps 1-3 of the show-time rule: what the in-effect and the scroll take, at least 2 s.
int64_t neededMs(const ShowParams& p, const PageMotion& page) {
    int64_t a = durationMs(p.inType, p.inSpeed, p.inFade != 0);
    if (page.hasMovingFrame()) {
        int64_t e = page.stripLength;
        if (!p.stopScrolling) e += page.isRoll() ? int64_t(page.bottom) - page.top : int64_t(page.right) - page.left;
        int step = std::clamp(int(p.scrollSpeed), 0, kMaxScrollSpeed) + 1;
        a += e * 20 / step + int64_t(p.plusTime) * 1000;
    }
    return std::max<int64_t>(a, 2000);
}

int toInt(int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

int EffectDuration(int type, int speed, bool fade) { return toInt(durationMs(type, speed, fade)); }

uint16_t EffectWord(const ShowParams& p, bool in) {
    if (in) {
        const EffectInfo& e = EffectOf(p.inType);
        uint16_t w = e.base;
        if (p.inNewMoves) w |= e.newMoves;
        if (p.inOldMoves) w |= e.oldMoves;
        if (p.inFade) w |= EFFECT_FADE;
        return w;
    }
    const EffectInfo& e = EffectOf(p.outType);
    uint16_t w = e.base;
    if (p.outMoves) w |= e.oldMoves;
    if (p.outFade) w |= EFFECT_FADE;
    return w;
}

uint32_t EffectParam(int type, int speed, int border) {
    const EffectInfo& e = EffectOf(type);
    uint32_t v = e.param;
    v |= uint32_t(std::clamp(border, 0, 15)) << 28;
    uint32_t k = uint32_t(clampSpeed(speed) + 1);
    if (e.dx >= e.dy && e.dx > 0) {
        v |= k << 16;
        v |= minorStep(e.dx, e.dy, int(k)) << 22;
    } else if (e.dx < e.dy) {
        v |= k << 22;
        v |= minorStep(e.dy, e.dx, int(k)) << 16;
    }
    return v;
}

uint32_t EffectParam(const ShowParams& p, bool in) {
    return in ? EffectParam(p.inType, p.inSpeed, p.inBorder) : EffectParam(p.outType, p.outSpeed, p.outBorder);
}

int ShowTimeOf(const ShowParams& p, const PageMotion& page) {
    int64_t a = neededMs(p, page);
    if ((page.movingType == 0 || p.timeMode != 0) && int64_t(p.showTime) * 1000 > a) return p.showTime;
    return RoundedSeconds(a);
}

int ComputedShowTime(const ShowParams& p, const PageMotion& page) { return RoundedSeconds(neededMs(p, page)); }

int RoundedSeconds(int64_t ms) { return toInt((ms % 1000 < 200 ? ms : ms + 1000) / 1000); }

std::string SecondsAndTenths(int ms) {
    if (ms < 0) ms = 0;
    char buf[32];
    snprintf(buf, sizeof buf, "%d.%d", ms / 1000, ms % 1000 / 100);
    return buf;
}

}  // namespace air
