#include "pages/device_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/bytes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZX_X86 1
#endif

namespace pages {

namespace {

// --- Tables ------------------------------------------------------------------------------------

// W(|d|) for |d| = 0..255, as 32-bit values so that the vector code can gather them.
struct WeightTable {
    alignas(64) std::array<int32_t, 256> w{};
    WeightTable() {
        for (int d = 0; d < 256; ++d) w[size_t(d)] = int32_t(std::floor(21846.0 * std::sqrt(double(d) / 255.0)));
    }
};
const WeightTable& weights() {
    static const WeightTable table;
    return table;
}

// The checksum register is the remainder of the fed bit string modulo
// P(x) = x^16 + x^14 + x + 1 (the register shifts left and folds bit 15 back as 0x4003).
// X[k][b] = b × x^(8k) mod P lets 16 bytes be folded at once: their remainders add up.
uint16_t timesX(uint16_t r) { return uint16_t((r << 1) ^ ((r & 0x8000) ? 0x4003 : 0)); }

struct ChecksumTables {
    std::array<std::array<uint16_t, 256>, 18> x{};
    ChecksumTables() {
        for (int b = 0; b < 256; ++b) {
            uint16_t r = uint16_t(b);
            for (int k = 0; k < 18; ++k) {
                x[size_t(k)][size_t(b)] = r;
                for (int i = 0; i < 8; ++i) r = timesX(r);
            }
        }
    }
};
const ChecksumTables& checksumTables() {
    static const ChecksumTables tables;
    return tables;
}

// Multipliers for the chroma divisions: (a × M) >> 24 == a × 65536 / D for every a = 0..510
// (checked over the whole range by the tests through the vector code).
constexpr uint32_t kCbMul = 4842192;  // D = 227069
constexpr uint32_t kCrMul = 6119958;  // D = 179660

// --- Conversion --------------------------------------------------------------------------------

inline int lumaOf(const uint8_t* p) { return (7472 * p[0] + 38469 * p[1] + 19595 * p[2]) >> 16; }

inline uint32_t wordsOfPair(const uint8_t* l, const uint8_t* r) {
    const int yl = lumaOf(l), yr = lumaOf(r);
    const int cb = std::clamp(128 + (l[0] + r[0] - yl - yr) * 65536 / 227069, 16, 240);
    const int cr = std::clamp(128 + (l[2] + r[2] - yl - yr) * 65536 / 179660, 16, 240);
    const unsigned wl =
        unsigned(15 - (l[3] >> 4)) << 12 | unsigned(cb >> 2) << 6 | unsigned(std::clamp(yl, 16, 235) >> 2);
    const unsigned wr =
        unsigned(15 - (r[3] >> 4)) << 12 | unsigned(cr >> 2) << 6 | unsigned(std::clamp(yr, 16, 235) >> 2);
    // Memory order: high byte of L, low byte of L, high byte of R, low byte of R.
    return (wl >> 8) | (wl & 0xFF) << 8 | (wr >> 8) << 16 | (wr & 0xFF) << 24;
}

// Pages are mostly flat: a pair equal to the one before gives the same words.
void convertScalar(const uint8_t* src, size_t pairs, uint8_t* out) {
    uint64_t prev = 0;
    uint32_t prevWords = 0;
    bool have = false;
    for (size_t i = 0; i < pairs; ++i, src += 8, out += 4) {
        uint64_t pair;
        std::memcpy(&pair, src, 8);
        if (!have || pair != prev) {
            prevWords = wordsOfPair(src, src + 4);
            prev = pair;
            have = true;
        }
        std::memcpy(out, &prevWords, 4);
    }
}

// --- Checksum ----------------------------------------------------------------------------------

inline uint16_t feedByte(const ChecksumTables& t, uint16_t r, uint8_t b) {
    return uint16_t((r << 8) ^ b ^ t.x[2][r >> 8]);
}

uint16_t feedScalar(const uint8_t* data, size_t n) {
    const ChecksumTables& t = checksumTables();
    uint16_t r = 0;
    size_t i = n;
    // The odd bytes at the top end go first, then 16 bytes at a time downwards.
    for (; i % 16; --i) r = feedByte(t, r, data[i - 1]);
    for (; i; i -= 16) {
        const uint8_t* p = data + i - 16;
        uint32_t acc = t.x[17][r >> 8] ^ t.x[16][r & 0xFF] ^ uint32_t(p[0]) ^ uint32_t(p[1]) << 8;
        for (int m = 2; m < 16; ++m) acc ^= t.x[size_t(m)][p[m]];
        r = uint16_t(acc);
    }
    return r;
}

// --- Filter ------------------------------------------------------------------------------------

// Each difference between two neighbouring rows weighs on both: as the row below for the upper
// one and as the row above for the lower one. So every row's weights towards the row below are
// kept (wDown) and serve as the next row's weights upwards (wUp).
inline void filterByte(const int32_t* w, uint8_t a, uint8_t& g, uint8_t b, int32_t wa, int32_t& wb) {
    const int gv = g, da = a - gv, db = b - gv;
    wb = w[db < 0 ? -db : db];
    if (da | db) g = uint8_t(gv + ((da * wa + db * wb) >> 16));
}

void filterRowScalar(const uint8_t* above, uint8_t* row, const uint8_t* below, size_t n, const int32_t* wUp,
                     int32_t* wDown) {
    const int32_t* w = weights().w.data();
    size_t i = 0;
    // Flat stretches (the same bytes above, here and below) stay as they are: W(0) = 0.
    for (; i + 8 <= n; i += 8) {
        uint64_t a, g, b;
        std::memcpy(&a, above + i, 8);
        std::memcpy(&g, row + i, 8);
        std::memcpy(&b, below + i, 8);
        if (a == g && b == g) {
            std::fill(wDown + i, wDown + i + 8, 0);
            continue;
        }
        for (size_t k = i; k < i + 8; ++k) filterByte(w, above[k], row[k], below[k], wUp[k], wDown[k]);
    }
    for (; i < n; ++i) filterByte(w, above[i], row[i], below[i], wUp[i], wDown[i]);
}

#if ZX_X86

__attribute__((target("avx2"))) void convertAvx2(const uint8_t* src, size_t pairs, uint8_t* out) {
    const __m256i lowBytes = _mm256_set1_epi32(0xFF);
    const __m256i byteLanes = _mm256_set1_epi32(0x00FF00FF);
    const __m256i weightBR = _mm256_set1_epi32(19595 << 16 | 7472);  // blue in the low half, red in the high
    // 38469 does not fit a signed 16-bit weight: take G × (38469 - 65536) and add G << 16.
    const __m256i weightG = _mm256_set1_epi32(int32_t(uint16_t(int16_t(38469 - 65536))));
    const __m256i greenHigh = _mm256_set1_epi32(0x00FF0000);
    const __m256i mul = _mm256_setr_epi32(kCbMul, kCbMul, kCrMul, kCrMul, kCbMul, kCbMul, kCrMul, kCrMul);
    const __m256i k16 = _mm256_set1_epi32(16), k235 = _mm256_set1_epi32(235), k240 = _mm256_set1_epi32(240);
    const __m256i k128 = _mm256_set1_epi32(128), ones = _mm256_set1_epi32(-1);
    // Each word's two bytes, high first, packed into the low 8 bytes of each 128-bit lane.
    const __m256i order = _mm256_setr_epi8(1, 0, 5, 4, 9, 8, 13, 12, -1, -1, -1, -1, -1, -1, -1, -1, 1, 0, 5, 4, 9, 8,
                                           13, 12, -1, -1, -1, -1, -1, -1, -1, -1);
    size_t i = 0;
    for (; i + 4 <= pairs; i += 4) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 8 * i));  // 8 pixels
        __m256i s = _mm256_add_epi32(_mm256_madd_epi16(_mm256_and_si256(v, byteLanes), weightBR),
                                     _mm256_madd_epi16(_mm256_and_si256(_mm256_srli_epi32(v, 8), byteLanes), weightG));
        s = _mm256_add_epi32(s, _mm256_and_si256(_mm256_slli_epi32(v, 8), greenHigh));
        const __m256i y = _mm256_srli_epi32(s, 16);
        const __m256i db = _mm256_sub_epi32(_mm256_and_si256(v, lowBytes), y);
        const __m256i dr = _mm256_sub_epi32(_mm256_and_si256(_mm256_srli_epi32(v, 16), lowBytes), y);
        // Per 128-bit lane: pair sums Cb of pairs 0 and 1, then Cr of pairs 0 and 1.
        const __m256i d = _mm256_hadd_epi32(db, dr);
        __m256i q = _mm256_srli_epi32(_mm256_mullo_epi32(_mm256_abs_epi32(d), mul), 24);
        q = _mm256_sign_epi32(q, d);  // truncation toward zero
        __m256i c = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(q, k128), k16), k240);
        c = _mm256_shuffle_epi32(c, _MM_SHUFFLE(3, 1, 2, 0));  // Cb0 Cr0 Cb1 Cr1: left, right, left, right
        const __m256i chroma = _mm256_slli_epi32(_mm256_srli_epi32(c, 2), 6);
        const __m256i luma = _mm256_srli_epi32(_mm256_min_epi32(_mm256_max_epi32(y, k16), k235), 2);
        // 15 - (T >> 4) == (255 - T) >> 4.
        const __m256i opacity = _mm256_slli_epi32(_mm256_srli_epi32(_mm256_xor_si256(v, ones), 28), 12);
        __m256i words = _mm256_or_si256(opacity, _mm256_or_si256(chroma, luma));
        words = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(words, order), 0x08);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), _mm256_castsi256_si128(words));
    }
    if (i < pairs) convertScalar(src + 8 * i, pairs - i, out + 4 * i);
}

// Eight bytes as 32-bit lanes, filtered; their weights towards the row below go to wDown.
__attribute__((target("avx2"))) inline __m256i filter8(const int32_t* w, const uint8_t* a8, const uint8_t* g8,
                                                       const uint8_t* b8, const int32_t* wUp, int32_t* wDown) {
    const __m256i g = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(g8)));
    const __m256i da = _mm256_sub_epi32(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a8))), g);
    const __m256i db = _mm256_sub_epi32(_mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(b8))), g);
    const __m256i wa = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(wUp));
    const __m256i wb = _mm256_i32gather_epi32(w, _mm256_abs_epi32(db), 4);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(wDown), wb);
    const __m256i x = _mm256_add_epi32(_mm256_mullo_epi32(da, wa), _mm256_mullo_epi32(db, wb));
    return _mm256_add_epi32(g, _mm256_srai_epi32(x, 16));
}

__attribute__((target("avx2"))) void filterRowAvx2(const uint8_t* above, uint8_t* row, const uint8_t* below, size_t n,
                                                   const int32_t* wUp, int32_t* wDown) {
    const int32_t* w = weights().w.data();
    const __m256i zero = _mm256_setzero_si256();
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i));
        const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(below + i));
        const __m128i diff = _mm_or_si128(_mm_xor_si128(a, g), _mm_xor_si128(b, g));
        if (_mm_testz_si128(diff, diff)) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(wDown + i), zero);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(wDown + i + 8), zero);
            continue;
        }
        const __m256i r0 = filter8(w, above + i, row + i, below + i, wUp + i, wDown + i);
        const __m256i r1 = filter8(w, above + i + 8, row + i + 8, below + i + 8, wUp + i + 8, wDown + i + 8);
        // Lanes come back interleaved by 128-bit halves; put the 16 words in order first.
        const __m256i words = _mm256_permute4x64_epi64(_mm256_packus_epi32(r0, r1), _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i bytes = _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), bytes);
    }
    if (i < n) filterRowScalar(above + i, row + i, below + i, n - i, wUp + i, wDown + i);
}

bool hasAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

bool hasClmul() {
    static const bool yes = __builtin_cpu_supports("pclmul");
    return yes;
}

// x^m mod P.
uint64_t powerOfX(int m) {
    uint16_t r = 1;
    for (int i = 0; i < m; ++i) r = timesX(r);
    return r;
}

// A 128-bit polynomial A = hi·x^64 + lo times x^n, as hi·(x^(n+64) mod P) + lo·(x^n mod P): the
// constants take 16 bits, so the result stays within 128 bits and congruent modulo P.
__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i a, __m128i k) {
    return _mm_xor_si128(_mm_clmulepi64_si128(a, k, 0x00), _mm_clmulepi64_si128(a, k, 0x11));
}

// The bytes go in from the last to the first, most significant bit first: loaded little-endian,
// 16 bytes are exactly the 128-bit polynomial of the bits they feed (the last byte's top bit
// highest). Four accumulators fold 64 bytes a step; the lowest bytes left over go last.
__attribute__((target("pclmul,sse4.1"))) uint16_t feedClmul(const uint8_t* data, size_t n) {
    if (n < 128) return feedScalar(data, n);
    static const __m128i k512 = _mm_set_epi64x(int64_t(powerOfX(576)), int64_t(powerOfX(512)));
    static const __m128i k128 = _mm_set_epi64x(int64_t(powerOfX(192)), int64_t(powerOfX(128)));
    auto load = [](const uint8_t* q) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)); };
    const uint8_t* p = data + n - 64;
    __m128i a0 = load(p + 48), a1 = load(p + 32), a2 = load(p + 16), a3 = load(p);
    while (size_t(p - data) >= 64) {
        p -= 64;
        a0 = _mm_xor_si128(fold(a0, k512), load(p + 48));
        a1 = _mm_xor_si128(fold(a1, k512), load(p + 32));
        a2 = _mm_xor_si128(fold(a2, k512), load(p + 16));
        a3 = _mm_xor_si128(fold(a3, k512), load(p));
    }
    a1 = _mm_xor_si128(a1, fold(a0, k128));
    a2 = _mm_xor_si128(a2, fold(a1, k128));
    a3 = _mm_xor_si128(a3, fold(a2, k128));
    uint8_t bytes[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), a3);
    const ChecksumTables& t = checksumTables();
    uint16_t r = 0;
    for (int i = 15; i >= 0; --i) r = feedByte(t, r, bytes[i]);
    for (size_t i = size_t(p - data); i > 0; --i) r = feedByte(t, r, data[i - 1]);
    return r;
}

uint16_t feedAvx2Set(const uint8_t* data, size_t n) { return hasClmul() ? feedClmul(data, n) : feedScalar(data, n); }

#endif

const PictureKernels kScalar{convertScalar, feedScalar, filterRowScalar};
#if ZX_X86
const PictureKernels kAvx2{convertAvx2, feedAvx2Set, filterRowAvx2};
#endif

PictureIsa bestIsa() {
#if ZX_X86
    if (hasAvx2()) return PictureIsa::Avx2;
#endif
    return PictureIsa::Scalar;
}

PictureIsa g_isa = bestIsa();

const PictureKernels& active() { return PictureKernelsFor(g_isa); }

}  // namespace

bool PictureIsaAvailable(PictureIsa isa) {
    if (isa == PictureIsa::Scalar) return true;
#if ZX_X86
    if (isa == PictureIsa::Avx2) return hasAvx2();
#endif
    return false;
}

const PictureKernels& PictureKernelsFor(PictureIsa isa) {
#if ZX_X86
    if (isa == PictureIsa::Avx2 && hasAvx2()) return kAvx2;
#endif
    (void)isa;
    return kScalar;
}

PictureIsa ActivePictureIsa() { return g_isa; }

bool UsePictureIsa(PictureIsa isa) {
    if (!PictureIsaAvailable(isa)) return false;
    g_isa = isa;
    return true;
}

int FilterWeight(int d) {
    if (d < -255 || d > 255) return 0;
    return weights().w[size_t(d < 0 ? -d : d)];
}

uint16_t DeviceChecksum(const uint8_t* data, size_t n) {
    const ChecksumTables& t = checksumTables();
    uint16_t r = active().feed(data, n);
    r = feedByte(t, r, 0xFF);
    return feedByte(t, r, 0xFF);
}

bool ToDevice(const BitmapView& src, int32_t x, int32_t y, int32_t w, int32_t h, uint8_t* out, bool checksum) {
    if (x < 0 || y < 0 || w < 0 || h < 0 || (w & 1) || int64_t(x) + w > src.width || int64_t(y) + h > src.height)
        return false;
    if (w > 0 && h > 0 && src.empty()) return false;
    const PictureKernels& k = active();
    uint8_t* data = out + 2;
    const size_t rowBytes = size_t(w) * 2;
    for (int32_t r = 0; r < h; ++r) k.convert(src.pixel(x, y + r), size_t(w) / 2, data + size_t(r) * rowBytes);
    platform::ByteWriter head(out, 2);
    head.u16(checksum ? DeviceChecksum(data, rowBytes * size_t(h)) : 0);
    return true;
}

CBitmap32 FromDevice(const uint8_t* block, size_t size, int32_t w, int32_t h) {
    if (!block || w <= 0 || h <= 0 || (w & 1) || size < DeviceBlockSize(w, h)) return {};
    CBitmap32 b(w, h);
    const uint8_t* d = block + 2;
    auto clamp = [](double v) { return uint8_t(std::clamp(v + 0.5, 0.0, 255.0)); };
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; x += 2, d += 4) {
            const int left = d[0] << 8 | d[1], right = d[2] << 8 | d[3];
            const double cb = ((left >> 6) & 63) * 4 + 2 - 128.0, cr = ((right >> 6) & 63) * 4 + 2 - 128.0;
            for (int k = 0; k < 2; ++k) {
                const int word = k ? right : left;
                const double luma = (word & 63) * 4 + 2;
                // The inverse of the weights above: Cb and Cr scale B - Y and R - Y by 0.577 and 0.730.
                const double red = luma + 1.3697 * cr, blue = luma + 1.7325 * cb;
                uint8_t* p = b.pixel(x + k, y);
                p[PIX_RED] = clamp(red);
                p[PIX_GREEN] = clamp((luma - 0.299 * red - 0.114 * blue) / 0.587);
                p[PIX_BLUE] = clamp(blue);
                p[PIX_TRANS] = uint8_t(255 - (word >> 12) * 17);
            }
        }
    return b;
}

void VerticalFilter(const BitmapView& bmp, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (bmp.empty()) return;
    if (w == 0) w = bmp.width - x;
    if (h == 0) h = bmp.height - y;
    // Cut to the bitmap; the first and last row of what remains stay unchanged.
    const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
    const int64_t x1 = std::min<int64_t>(int64_t(x) + w, bmp.width), y1 = std::min<int64_t>(int64_t(y) + h, bmp.height);
    if (x1 <= x0 || y1 - y0 < 3) return;
    const size_t n = size_t(x1 - x0) * 4;
    const PictureKernels& k = active();
    const int32_t* table = weights().w.data();
    std::vector<uint8_t> prev(bmp.pixel(int32_t(x0), int32_t(y0)), bmp.pixel(int32_t(x0), int32_t(y0)) + n);
    std::vector<uint8_t> cur(n);
    // Weights of the first filtered row towards the row above it.
    std::vector<int32_t> wUp(n), wDown(n);
    const uint8_t* first = bmp.pixel(int32_t(x0), int32_t(y0 + 1));
    for (size_t i = 0; i < n; ++i) wUp[i] = table[std::abs(int(prev[i]) - int(first[i]))];
    for (int64_t r = y0 + 1; r < y1 - 1; ++r) {
        uint8_t* row = bmp.pixel(int32_t(x0), int32_t(r));
        std::memcpy(cur.data(), row, n);
        k.filterRow(prev.data(), row, bmp.pixel(int32_t(x0), int32_t(r + 1)), n, wUp.data(), wDown.data());
        prev.swap(cur);
        wUp.swap(wDown);
    }
}

}  // namespace pages
