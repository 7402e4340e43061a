// The program's side of the conversation, for driving the virtual Device in tests: the command
// programs (register writes, data blocks, waits) as the program sends them, written straight into
// a Device, plus picture blocks and the effect parameters of the effect catalogue.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "ktgsim/device.h"

namespace ktgtest {

// A Windows-style rectangle: right and bottom exclusive.
struct Rect {
    int left, top, right, bottom;
};

// A block of w x h picture words with its checksum; word(x, y) gives each word.
std::vector<uint8_t> Block(int w, int h, const std::function<uint16_t(int, int)>& word, bool checksum = true);
// The built-in fill block: one fully transparent black pair.
std::vector<uint8_t> FillBlock();
// A w x h block of a picture given as colours 0xTTBBGGRR (transparency in the top byte),
// converted as the program converts pages.
std::vector<uint8_t> PictureBlock(int w, int h, const std::function<uint32_t(int, int)>& colour);

// Opaque picture words: white and pure red (left and right word of a pair).
constexpr uint16_t kWhite = 0xF83A;
constexpr uint16_t kRedLeft = 0xF553;
constexpr uint16_t kRedRight = 0xFF13;
constexpr uint16_t kClear = 0x0804;

class Programs {
public:
    // lpt: register writes go as checked 5-byte packets; otherwise as Ethernet writes.
    explicit Programs(ktgsim::Device& device, bool lpt = true) : d_(device), lpt_(lpt) {}

    int bank() const { return bank_; }
    uint16_t controlWord() const { return control_; }

    void write(uint8_t reg, uint16_t value);
    void data(const std::vector<uint8_t>& block) { d_.block(block.data(), block.size()); }

    void reset();
    void fillRect(Rect r, const std::vector<uint8_t>& block, int flags = 0);
    void loadRect(Rect r, const std::vector<uint8_t>& block, int flags = 0);
    void loadRectData(Rect r, const std::vector<uint8_t>& block);
    void cut();
    void setMode(uint16_t value);
    void endScroll();

    // Steps 0-38 of an in-effect (up to its start); then finishEffect() writes step 39.
    void startEffect(uint16_t flags, uint32_t param, Rect r = {0, 0, 720, 576});
    void finishEffect();
    // The whole in-effect, advancing fields until the Device reports it finished. Returns the
    // fields it took (-1 when it never finished within maxFields).
    int inEffect(uint16_t flags, uint32_t param, Rect r = {0, 0, 720, 576}, int maxFields = 5000);

    // A crawl or roll: start() sends everything up to the first start of motion; service()
    // (call it after every field) loads the next chunk when the Device has run what it was
    // granted. done() once every chunk is loaded and granted.
    struct Scroll {
        Rect rect;
        uint16_t flags;
        int length;
        std::vector<uint8_t> data;  // chunks one after the other
        int n = 0, loaded = 0, end = 0, across = 0, along = 0;
        bool started = false, granted = false;
    };
    void startScroll(Scroll& s);
    void serviceScroll(Scroll& s);
    bool scrollDone(const Scroll& s) const { return s.granted && s.loaded >= s.end; }

private:
    ktgsim::Device& d_;
    bool lpt_;
    int bank_ = 0;
    uint16_t control_ = 0;
    uint16_t pendingFlags_ = 0;  // the effect started last, for its step 39
    int pendingBorder_ = 1;
};

}  // namespace ktgtest
