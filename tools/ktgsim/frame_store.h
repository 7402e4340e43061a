// The Device's frame store: two layer banks of 16-bit picture words, each 1280 lines of 1536
// pixels, addressed with wrap-around in both directions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ktgsim {

constexpr int kStoreLines = 1280;
constexpr int kStorePixels = 1536;
constexpr int kBanks = 2;
constexpr int kFrameWidth = 720;
constexpr int kFrameHeight = 576;
// Fully transparent black: what a bank holds after power-on.
constexpr uint16_t kClearWord = 0x0804;

// A transfer window as the registers 0x60-0x63 give it: first and last line and pixel,
// inclusive. A last value below the first wraps through the end of the store.
struct StoreWindow {
    int bank = 0;
    int firstLine = 0;
    int firstPixel = 0;
    int lastLine = kFrameHeight - 1;
    int lastPixel = kFrameWidth - 1;

    int lines() const { return (lastLine - firstLine + kStoreLines) % kStoreLines + 1; }
    int pixels() const { return (lastPixel - firstPixel + kStorePixels) % kStorePixels + 1; }
    // From the register values: bit 11 of the first-line value selects the bank; positions
    // are taken modulo the store size.
    static StoreWindow FromRegisters(uint16_t r60, uint16_t r61, uint16_t r62, uint16_t r63);
};

class FrameStore {
public:
    FrameStore();

    void clear();
    uint16_t word(int bank, int line, int pixel) const {
        return words_[index(bank, Wrap(line, kStoreLines), Wrap(pixel, kStorePixels))];
    }
    // One store line of a bank (kStorePixels words).
    const uint16_t* line(int bank, int line) const { return &words_[index(bank, Wrap(line, kStoreLines), 0)]; }

    // Lands picture words (each high byte first) row by row into the window; a block shorter
    // than the window fills what it covers, a longer one stops at the window's end. Returns the
    // number of words landed.
    size_t load(const StoreWindow& w, const uint8_t* bytes, size_t size);
    // Repeats a pixel pair over the window, the left word on the window's first pixel.
    void fill(const StoreWindow& w, uint16_t left, uint16_t right);

    static int Wrap(int v, int n) {
        v %= n;
        return v < 0 ? v + n : v;
    }

private:
    static size_t index(int bank, int line, int pixel) {
        return (size_t(bank & 1) * kStoreLines + size_t(line)) * kStorePixels + size_t(pixel);
    }
    std::vector<uint16_t> words_;
};

}  // namespace ktgsim
