#include "pages/glyph_blend.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pages {

namespace {

// One pixel at a time. A fully transparent pixel is skipped where the rule provably gives the
// target back, and an opaque colour pixel is copied, which is what the rule gives too.
template <BlendMode Mode>
void plainRow(const uint8_t* s, uint8_t* d, int n, const uint8_t* colour) {
    constexpr int sb = (Mode == BLEND_COLOUR || Mode == BLEND_COLOUR_INVERTED) ? 4 : 2;
    const unsigned c0 = colour[0], c1 = colour[1], c2 = colour[2];
    for (int i = 0; i < n; ++i, s += sb, d += 4) {
        if constexpr (Mode == BLEND_COLOUR) {
            const unsigned t = s[3];
            if (t == 255) continue;
            if (t == 0) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 0;
                continue;
            }
            const unsigned o = 255 - t;
            d[0] = uint8_t((s[0] * o + t * d[0]) / 255);
            d[1] = uint8_t((s[1] * o + t * d[1]) / 255);
            d[2] = uint8_t((s[2] * o + t * d[2]) / 255);
            if (t < d[3]) d[3] = uint8_t(t);
        } else if constexpr (Mode == BLEND_COLOUR_INVERTED) {
            const unsigned t = s[3];
            const unsigned o = 255 - t, grey = t * 127;
            d[0] = uint8_t(((255 - s[0]) * o + grey) / 255);
            d[1] = uint8_t(((255 - s[1]) * o + grey) / 255);
            d[2] = uint8_t(((255 - s[2]) * o + grey) / 255);
            if (t < d[3]) d[3] = uint8_t(t);
        } else if constexpr (Mode == BLEND_MONO) {
            const unsigned t = s[1];
            if (t == 255) continue;
            const unsigned p = (255 - t) * s[0];
            d[0] = uint8_t((p * c0 / 255 + t * d[0]) / 255);
            d[1] = uint8_t((p * c1 / 255 + t * d[1]) / 255);
            d[2] = uint8_t((p * c2 / 255 + t * d[2]) / 255);
            if (t < d[3]) d[3] = uint8_t(t);
        } else if constexpr (Mode == BLEND_MONO_INVERTED) {
            const unsigned t = s[1];
            const unsigned p = (255 - t) * s[0], grey = t * 127;
            d[0] = uint8_t(((255 - c0) * p / 255 + grey) / 255);
            d[1] = uint8_t(((255 - c1) * p / 255 + grey) / 255);
            d[2] = uint8_t(((255 - c2) * p / 255 + grey) / 255);
            if (t < d[3]) d[3] = uint8_t(t);
        } else {  // BLEND_MONO_SHADOW: grey, no tint
            const unsigned t = s[1];
            if (t == 255) continue;
            const unsigned p = (255 - t) * s[0];
            d[0] = uint8_t((p + t * d[0]) / 255);
            d[1] = uint8_t((p + t * d[1]) / 255);
            d[2] = uint8_t((p + t * d[2]) / 255);
            if (t < d[3]) d[3] = uint8_t(t);
        }
    }
}

#if defined(__SSE2__)

// x / 255, truncated, for 0 <= x <= 65534 in each 16-bit lane: ((x + 1) × 257) >> 16.
// Every numerator of the rules is at most 255 × 255 = 65025.
inline __m128i div255(__m128i x) { return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_set1_epi16(257)); }

// Two pixels at a time, each byte in a 16-bit lane: blue, green, red, transparency of pixel 0,
// then of pixel 1. All products stay below 65536, so the lanes never overflow.
template <BlendMode Mode>
inline __attribute__((always_inline)) void vectorRow(const uint8_t* src, uint8_t* dst, int n, const uint8_t* colour) {
    constexpr bool mono = Mode == BLEND_MONO || Mode == BLEND_MONO_INVERTED || Mode == BLEND_MONO_SHADOW;
    constexpr int sb = mono ? 2 : 4;
    const __m128i zero = _mm_setzero_si128();
    const __m128i k255 = _mm_set1_epi16(255);
    const __m128i grey = _mm_set1_epi16(127);
    const __m128i transLanes = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
    const short c0 = colour[0], c1 = colour[1], c2 = colour[2];
    // The tint (or its inverse) in the colour lanes; 0 in the transparency lanes.
    const __m128i tint = Mode == BLEND_MONO_INVERTED
                             ? _mm_set_epi16(0, short(255 - c2), short(255 - c1), short(255 - c0), 0, short(255 - c2),
                                             short(255 - c1), short(255 - c0))
                             : _mm_set_epi16(0, c2, c1, c0, 0, c2, c1, c0);
    int i = 0;
    for (; i + 2 <= n; i += 2) {
        uint8_t* d8 = dst + 4 * i;
        const __m128i d = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d8)), zero);
        __m128i t, res;
        if constexpr (mono) {
            uint32_t pair;
            std::memcpy(&pair, src + sb * i, 4);
            __m128i s = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(pair)), zero);  // I0 T0 I1 T1
            s = _mm_unpacklo_epi64(s, s);
            const __m128i in = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0x00), 0xAA);
            t = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0x55), 0xFF);
            const __m128i p = _mm_mullo_epi16(_mm_sub_epi16(k255, t), in);
            if constexpr (Mode == BLEND_MONO_SHADOW) {
                res = div255(_mm_add_epi16(p, _mm_mullo_epi16(t, d)));
            } else {
                // P × C / 255 with P up to 65025: split P = 255 × p1 + p0, so that
                // P × C / 255 = p1 × C + p0 × C / 255, each part within 16 bits.
                const __m128i p1 = div255(p);
                const __m128i p0 = _mm_sub_epi16(p, _mm_mullo_epi16(p1, k255));
                const __m128i pc = _mm_add_epi16(_mm_mullo_epi16(p1, tint), div255(_mm_mullo_epi16(p0, tint)));
                const __m128i back = Mode == BLEND_MONO ? _mm_mullo_epi16(t, d) : _mm_mullo_epi16(t, grey);
                res = div255(_mm_add_epi16(pc, back));
            }
        } else {
            const __m128i s = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + sb * i)), zero);
            t = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
            const __m128i o = _mm_sub_epi16(k255, t);
            if constexpr (Mode == BLEND_COLOUR)
                res = div255(_mm_add_epi16(_mm_mullo_epi16(s, o), _mm_mullo_epi16(t, d)));
            else res = div255(_mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(k255, s), o), _mm_mullo_epi16(t, grey)));
        }
        // Transparency: min(T, target transparency).
        res = _mm_or_si128(_mm_andnot_si128(transLanes, res), _mm_and_si128(transLanes, _mm_min_epi16(t, d)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d8), _mm_packus_epi16(res, res));
    }
    if (i < n) plainRow<Mode>(src + sb * i, dst + 4 * i, n - i, colour);
}

#endif

template <BlendMode Mode>
inline __attribute__((always_inline)) void bestRow(const uint8_t* src, uint8_t* dst, int n, const uint8_t* colour) {
#if defined(__SSE2__)
    vectorRow<Mode>(src, dst, n, colour);
#else
    plainRow<Mode>(src, dst, n, colour);
#endif
}

template <BlendMode Mode>
void glyph(const uint8_t* src, size_t srcStride, uint8_t* dst, size_t dstStride, int rows, int c0, int c1,
           const uint8_t* spans, const uint8_t* colour) {
    constexpr size_t sb = (Mode == BLEND_COLOUR || Mode == BLEND_COLOUR_INVERTED) ? 4 : 2;
    for (int r = 0; r < rows; ++r, src += srcStride, dst += dstStride) {
        int a = c0, b = c1;
        if (spans) {
            a = std::max(a, int(spans[2 * r]));
            b = std::min(b, int(spans[2 * r + 1]));
            if (a >= b) continue;
            // The vector code works on pairs: a transparent neighbour inside the glyph gives the
            // target back unchanged, so widening to an even count costs nothing and saves the
            // pixel-at-a-time tail.
            if ((b - a) & 1) {
                if (b < c1) ++b;
                else if (a > c0) --a;
            }
        } else if (a >= b) {
            continue;
        }
        bestRow<Mode>(src + sb * size_t(a), dst + 4 * size_t(a - c0), b - a, colour);
    }
}

}  // namespace

BlendGlyphFn BlendGlyphFor(BlendMode mode) {
    switch (mode) {
        case BLEND_COLOUR: return glyph<BLEND_COLOUR>;
        case BLEND_COLOUR_INVERTED: return glyph<BLEND_COLOUR_INVERTED>;
        case BLEND_MONO: return glyph<BLEND_MONO>;
        case BLEND_MONO_INVERTED: return glyph<BLEND_MONO_INVERTED>;
        default: return glyph<BLEND_MONO_SHADOW>;
    }
}

BlendRowFn PlainBlendRowFor(BlendMode mode) {
    switch (mode) {
        case BLEND_COLOUR: return plainRow<BLEND_COLOUR>;
        case BLEND_COLOUR_INVERTED: return plainRow<BLEND_COLOUR_INVERTED>;
        case BLEND_MONO: return plainRow<BLEND_MONO>;
        case BLEND_MONO_INVERTED: return plainRow<BLEND_MONO_INVERTED>;
        default: return plainRow<BLEND_MONO_SHADOW>;
    }
}

BlendRowFn BlendRowFor(BlendMode mode) {
#if defined(__SSE2__)
    switch (mode) {
        case BLEND_COLOUR: return vectorRow<BLEND_COLOUR>;
        case BLEND_COLOUR_INVERTED: return vectorRow<BLEND_COLOUR_INVERTED>;
        case BLEND_MONO: return vectorRow<BLEND_MONO>;
        case BLEND_MONO_INVERTED: return vectorRow<BLEND_MONO_INVERTED>;
        default: return vectorRow<BLEND_MONO_SHADOW>;
    }
#else
    return PlainBlendRowFor(mode);
#endif
}

}  // namespace pages
