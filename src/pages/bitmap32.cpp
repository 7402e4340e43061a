#include "pages/bitmap32.h"

#include <cstring>

#include "pages/device_picture.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pages {

namespace {

// A rectangle cut to 0..width × 0..height; empty when nothing is left.
struct Span {
    int32_t x0, y0, x1, y1;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

Span cut(int64_t x, int64_t y, int64_t w, int64_t h, int32_t width, int32_t height) {
    Span s;
    s.x0 = int32_t(std::clamp<int64_t>(x, 0, width));
    s.y0 = int32_t(std::clamp<int64_t>(y, 0, height));
    s.x1 = int32_t(std::clamp<int64_t>(x + w, 0, width));
    s.y1 = int32_t(std::clamp<int64_t>(y + h, 0, height));
    return s;
}

// --- Blended fill ------------------------------------------------------------------------------

void fillBlendPlain(uint8_t* d, int n, const uint8_t px[4]) {
    const unsigned t = px[3], o = 255 - t;
    const unsigned k0 = px[0] * o, k1 = px[1] * o, k2 = px[2] * o;
    for (int i = 0; i < n; ++i, d += 4) {
        const unsigned m = std::min(t, 255u - d[3]);
        d[0] = uint8_t((m * d[0] + k0) / 255);
        d[1] = uint8_t((m * d[1] + k1) / 255);
        d[2] = uint8_t((m * d[2] + k2) / 255);
        if (t < d[3]) d[3] = uint8_t(t);
    }
}

// --- Blended blit ------------------------------------------------------------------------------

void blitBlendPlain(uint8_t* d, const uint8_t* s, int n) {
    for (int i = 0; i < n; ++i, d += 4, s += 4) {
        const unsigned ts = s[3];
        if (ts >= 240) continue;
        const unsigned o = 255 - ts, m = std::min(ts, 255u - d[3]);
        d[0] = uint8_t((s[0] * o + m * d[0]) / 255);
        d[1] = uint8_t((s[1] * o + m * d[1]) / 255);
        d[2] = uint8_t((s[2] * o + m * d[2]) / 255);
        if (ts < d[3]) d[3] = uint8_t(ts);
    }
}

#if defined(__SSE2__)

// x / 255, truncated, for 0 <= x <= 65534 in each 16-bit lane. Both blends keep their
// numerators at most 255 × 255: min(T, 255 - Td) + (255 - T) <= 255.
inline __m128i div255(__m128i x) { return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_set1_epi16(257)); }

inline __m128i transOf(__m128i px16) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(px16, 0xFF), 0xFF); }

// Two pixels at a time, every byte in a 16-bit lane.
void fillBlendRow(uint8_t* d, int n, const uint8_t px[4]) {
    const __m128i zero = _mm_setzero_si128(), k255 = _mm_set1_epi16(255);
    const short t = px[3], o = short(255 - t);
    const __m128i tv = _mm_set1_epi16(t);
    const __m128i k = _mm_set_epi16(0, short(px[2] * o), short(px[1] * o), short(px[0] * o), 0, short(px[2] * o),
                                    short(px[1] * o), short(px[0] * o));
    const __m128i transLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    auto blend = [&](__m128i dv) {
        const __m128i td = transOf(dv);
        const __m128i m = _mm_min_epi16(tv, _mm_sub_epi16(k255, td));
        const __m128i res = div255(_mm_add_epi16(_mm_mullo_epi16(m, dv), k));
        return _mm_or_si128(_mm_andnot_si128(transLanes, res), _mm_and_si128(transLanes, _mm_min_epi16(tv, td)));
    };
    int i = 0;
    for (; i + 4 <= n; i += 4, d += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        const __m128i lo = blend(_mm_unpacklo_epi8(v, zero)), hi = blend(_mm_unpackhi_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(lo, hi));
    }
    if (i < n) fillBlendPlain(d, n - i, px);
}

void blitBlendRow(uint8_t* d, const uint8_t* s, int n) {
    const __m128i zero = _mm_setzero_si128(), k255 = _mm_set1_epi16(255), k239 = _mm_set1_epi16(239);
    const __m128i transLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    int i = 0;
    for (; i + 2 <= n; i += 2, d += 8, s += 8) {
        const __m128i sv = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)), zero);
        const __m128i ts = transOf(sv);
        const __m128i skip = _mm_cmpgt_epi16(ts, k239);
        if (_mm_movemask_epi8(skip) == 0xFFFF) continue;
        const __m128i dv = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d)), zero);
        const __m128i td = transOf(dv);
        const __m128i m = _mm_min_epi16(ts, _mm_sub_epi16(k255, td));
        __m128i res = div255(_mm_add_epi16(_mm_mullo_epi16(sv, _mm_sub_epi16(k255, ts)), _mm_mullo_epi16(m, dv)));
        res = _mm_or_si128(_mm_andnot_si128(transLanes, res), _mm_and_si128(transLanes, _mm_min_epi16(ts, td)));
        // Pixels with Ts >= 240 keep the target as it was.
        res = _mm_or_si128(_mm_and_si128(skip, dv), _mm_andnot_si128(skip, res));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(res, res));
    }
    if (i < n) blitBlendPlain(d, s, n - i);
}

// Flatten onto black (back 0) or white (back 255): byte = (T × back + byte × (255 - T)) / 255.
void flattenRow(uint8_t* d, size_t n, unsigned back) {
    const __m128i zero = _mm_setzero_si128(), k255 = _mm_set1_epi16(255);
    const __m128i colourLanes = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    const __m128i backV = _mm_set1_epi16(short(back));
    size_t i = 0;
    for (; i + 4 <= n; i += 4, d += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        __m128i out[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i px = h ? _mm_unpackhi_epi8(v, zero) : _mm_unpacklo_epi8(v, zero);
            const __m128i t = transOf(px);
            const __m128i res =
                div255(_mm_add_epi16(_mm_mullo_epi16(t, backV), _mm_mullo_epi16(px, _mm_sub_epi16(k255, t))));
            out[h] = _mm_and_si128(res, colourLanes);  // transparency 0
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(out[0], out[1]));
    }
    for (; i < n; ++i, d += 4) {
        const unsigned t = d[3], o = 255 - t;
        d[0] = uint8_t((t * back + d[0] * o) / 255);
        d[1] = uint8_t((t * back + d[1] * o) / 255);
        d[2] = uint8_t((t * back + d[2] * o) / 255);
        d[3] = 0;
    }
}

#else

void flattenRow(uint8_t* d, size_t n, unsigned back) {
    for (size_t i = 0; i < n; ++i, d += 4) {
        const unsigned t = d[3], o = 255 - t;
        d[0] = uint8_t((t * back + d[0] * o) / 255);
        d[1] = uint8_t((t * back + d[1] * o) / 255);
        d[2] = uint8_t((t * back + d[2] * o) / 255);
        d[3] = 0;
    }
}

void fillBlendRow(uint8_t* d, int n, const uint8_t px[4]) { fillBlendPlain(d, n, px); }
void blitBlendRow(uint8_t* d, const uint8_t* s, int n) { blitBlendPlain(d, s, n); }

#endif

}  // namespace

void Fill(const BitmapView& dst, uint32_t colour, int32_t x, int32_t y, int32_t w, int32_t h, bool blend) {
    if (dst.empty() || w < 0 || h < 0) return;
    if (w == 0) w = dst.width;
    if (h == 0) h = dst.height;
    const Span s = cut(x, y, w, h, dst.width, dst.height);
    if (s.empty()) return;
    const uint8_t px[4] = {BlueOf(colour), GreenOf(colour), RedOf(colour), TransparencyOf(colour)};
    const int n = s.x1 - s.x0;
    if (blend) {
        for (int32_t r = s.y0; r < s.y1; ++r) fillBlendRow(dst.pixel(s.x0, r), n, px);
        return;
    }
    // The first row by pixels, the others as copies of it.
    uint8_t* first = dst.pixel(s.x0, s.y0);
    for (int i = 0; i < n; ++i) std::memcpy(first + 4 * i, px, 4);
    for (int32_t r = s.y0 + 1; r < s.y1; ++r) std::memcpy(dst.pixel(s.x0, r), first, size_t(n) * 4);
}

void Blit(const BitmapView& dst, const BitmapView& src, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx,
          int32_t sy, BlitMode mode) {
    if (dst.empty() || src.empty() || w <= 0 || h <= 0) return;
    // Cut the region to the source and the target alike, moving both corners together.
    int64_t dx = x, dy = y, ox = sx, oy = sy, cw = w, ch = h;
    const int64_t shiftX = std::max<int64_t>({0, -dx, -ox}), shiftY = std::max<int64_t>({0, -dy, -oy});
    dx += shiftX, ox += shiftX, cw -= shiftX;
    dy += shiftY, oy += shiftY, ch -= shiftY;
    cw = std::min({cw, int64_t(dst.width) - dx, int64_t(src.width) - ox});
    ch = std::min({ch, int64_t(dst.height) - dy, int64_t(src.height) - oy});
    if (cw <= 0 || ch <= 0) return;
    for (int64_t r = 0; r < ch; ++r) {
        uint8_t* d = dst.pixel(int32_t(dx), int32_t(dy + r));
        const uint8_t* s = src.pixel(int32_t(ox), int32_t(oy + r));
        if (mode == BLIT_COPY) std::memmove(d, s, size_t(cw) * 4);
        else blitBlendRow(d, s, int(cw));
    }
}

void InvertRow(const BitmapView& dst, int32_t y) {
    if (dst.empty() || y < 0 || y >= dst.height) return;
    uint8_t* p = dst.pixel(0, y);
    for (int32_t x = 0; x < dst.width; ++x, p += 4) p[0] ^= 0xFF, p[1] ^= 0xFF, p[2] ^= 0xFF;
}

void InvertColumn(const BitmapView& dst, int32_t x) {
    if (dst.empty() || x < 0 || x >= dst.width) return;
    for (int32_t y = 0; y < dst.height; ++y) {
        uint8_t* p = dst.pixel(x, y);
        p[0] ^= 0xFF, p[1] ^= 0xFF, p[2] ^= 0xFF;
    }
}

void CBitmap32::copyRegion(const CBitmap32& source, int32_t x, int32_t y, int32_t w, int32_t h) {
    const Span s = cut(x, y, std::max(w, 0), std::max(h, 0), source.width(), source.height());
    if (&source == this) {
        CBitmap32 copy;
        copy.copyRegion(source, x, y, w, h);
        *this = std::move(copy);
        return;
    }
    create(s.x1 - s.x0, s.y1 - s.y0);
    for (int32_t r = 0; r < height_; ++r) std::memcpy(pixel(0, r), source.pixel(s.x0, s.y0 + r), size_t(width_) * 4);
}

void CBitmap32::reduce(const CBitmap32& source) {
    const int32_t w = std::min(width_, source.width() / 2), h = std::min(height_, source.height() / 2);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* d = pixel(0, y);
        const uint8_t* s = source.pixel(0, 2 * y);
        for (int32_t x = 0; x < w; ++x, d += 4, s += 8) std::memcpy(d, s, 4);
    }
}

void CBitmap32::flatten(bool white) { flattenRow(bits_.data(), bits_.size() / 4, white ? 255 : 0); }

void CBitmap32::checkerboard() {
    for (int32_t y = 0; y < height_; ++y) {
        uint8_t* p = pixel(0, y);
        for (int32_t x = 0; x < width_; ++x, p += 4) {
            const uint8_t v = ((x / 8) & 1) == ((y / 8) & 1) ? 0xFF : 0xA0;
            p[0] = p[1] = p[2] = v;
            p[3] = 0;
        }
    }
}

void CBitmap32::verticalFilter(int32_t x, int32_t y, int32_t w, int32_t h) { VerticalFilter(view(), x, y, w, h); }

bool CBitmap32::toDevice(uint8_t* buffer, int32_t x, int32_t y, int32_t w, int32_t h, bool checksum) const {
    return ToDevice(view(), x, y, w, h, buffer, checksum);
}

}  // namespace pages
