#include "ktgsim/frame_store.h"

#include <algorithm>

namespace ktgsim {

StoreWindow StoreWindow::FromRegisters(uint16_t r60, uint16_t r61, uint16_t r62, uint16_t r63) {
    StoreWindow w;
    w.bank = (r60 & 0x800) ? 1 : 0;
    w.firstLine = (r60 & 0x7FF) % kStoreLines;
    w.firstPixel = r61 % kStorePixels;
    w.lastLine = (r62 & 0x7FF) % kStoreLines;
    w.lastPixel = r63 % kStorePixels;
    return w;
}

FrameStore::FrameStore() : words_(size_t(kBanks) * kStoreLines * kStorePixels, kClearWord) {}

void FrameStore::clear() { std::fill(words_.begin(), words_.end(), kClearWord); }

size_t FrameStore::load(const StoreWindow& w, const uint8_t* bytes, size_t size) {
    const size_t total = size / 2;
    const int width = w.pixels();
    const int height = w.lines();
    size_t done = 0;
    for (int r = 0; r < height && done < total; ++r) {
        uint16_t* row = &words_[index(w.bank, (w.firstLine + r) % kStoreLines, 0)];
        int x = w.firstPixel;
        int left = width;
        while (left > 0 && done < total) {
            // The part of the row up to the store's right end, then the rest from pixel 0.
            int run = std::min({left, kStorePixels - x, int(std::min<size_t>(total - done, size_t(left)))});
            const uint8_t* src = bytes + done * 2;
            for (int i = 0; i < run; ++i) row[x + i] = uint16_t(src[2 * i] << 8 | src[2 * i + 1]);
            done += size_t(run);
            left -= run;
            x = (x + run) % kStorePixels;
        }
    }
    return done;
}

void FrameStore::fill(const StoreWindow& w, uint16_t left, uint16_t right) {
    const int width = w.pixels();
    const int height = w.lines();
    for (int r = 0; r < height; ++r) {
        uint16_t* row = &words_[index(w.bank, (w.firstLine + r) % kStoreLines, 0)];
        for (int i = 0; i < width; ++i) row[(w.firstPixel + i) % kStorePixels] = (i & 1) ? right : left;
    }
}

}  // namespace ktgsim
