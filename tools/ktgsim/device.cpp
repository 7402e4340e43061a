#include "ktgsim/device.h"

#include <algorithm>
#include <memory>

#include "ktgsim/check_code.h"
#include "platform/bytes.h"

namespace ktgsim {

namespace {

// One motion unit: the register holding its position, the one holding the distance still to
// travel, the one holding its step word, the bit of the start mask that sets it going, and the
// size it wraps at (0 for window edges, which do not wrap).
struct Unit {
    uint8_t pos, dist, step;
    uint16_t startBit;
    int wrap;
};
constexpr Unit kUnits[12] = {
    {0, 4, 24, 0x4000, kStoreLines}, {1, 5, 25, 0x2000, kStorePixels}, {8, 16, 28, 0x0400, 0},
    {9, 17, 29, 0x0200, 0},          {10, 18, 30, 0x0100, 0},          {11, 19, 31, 0x0080, 0},
    {2, 6, 26, 0x1000, kStoreLines}, {3, 7, 27, 0x0800, kStorePixels}, {12, 20, 32, 0x0040, 0},
    {13, 21, 33, 0x0020, 0},         {14, 22, 34, 0x0010, 0},          {15, 23, 35, 0x0008, 0},
};
constexpr bool IsEdge(int u) { return (u % 6) >= 2; }

int UnitOfDistanceRegister(int reg) {
    for (int u = 0; u < 12; ++u)
        if (kUnits[u].dist == reg) return u;
    return -1;
}

// The step of one field: the two bytes of a step word serve alternate fields; bit 7 of a byte
// runs the motion backwards, bits 0-6 are the pixels per field.
int StepOf(uint16_t word, uint64_t field, bool& backwards) {
    uint8_t b = (field & 1) ? uint8_t(word >> 8) : uint8_t(word);
    backwards = (b & 0x80) != 0;
    return b & 0x7F;
}

// Colour of every (luma, Cb, Cr) triple of 6 bits each, built once.
const uint32_t* ColourTable() {
    static const std::unique_ptr<uint32_t[]> table = [] {
        std::unique_ptr<uint32_t[]> t(new uint32_t[1u << 18]);
        for (unsigned y = 0; y < 64; ++y)
            for (unsigned cb = 0; cb < 64; ++cb)
                for (unsigned cr = 0; cr < 64; ++cr) {
                    Rgb c = YuvToRgb(y, cb, cr);
                    t[(y << 12) | (cb << 6) | cr] = uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16;
                }
        return t;
    }();
    return table.get();
}

}  // namespace

Device::Device(const DeviceOptions& options) : options_(options) {
    if (options_.statusClass < 0 || options_.statusClass > 2) options_.statusClass = 1;
    resetRegisters();
}

// ---------------------------------------------------------------------------------------------
// The link side

void Device::packet(const uint8_t* bytes) {
    std::lock_guard lock(m_);
    if (!powered_) return;
    ++stats_.packets;
    if (!PacketValid(bytes) || refusePacketLocked()) {
        accepted_ = false;
        ++stats_.rejects;
        return;
    }
    accepted_ = true;
    platform::ByteReader r(bytes, 5);
    r.skip(2);  // the check code
    const uint8_t reg = r.u8();
    applyWrite(reg, r.u16be());
}

void Device::commandWrites(const uint8_t* writes, size_t count) {
    std::lock_guard lock(m_);
    if (!powered_) return;
    stats_.packets += count;
    if (refusePacketLocked()) {
        accepted_ = false;
        ++stats_.rejects;
        return;
    }
    accepted_ = true;
    platform::ByteReader r(writes, 3 * count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t reg = r.u8();
        applyWrite(reg, r.u16be());
    }
}

bool Device::refusePacketLocked() {
    if (faults_.rejectPackets <= 0) return false;
    --faults_.rejectPackets;
    return true;
}

void Device::block(const uint8_t* data, size_t size) {
    std::lock_guard lock(m_);
    if (!powered_) return;
    ++stats_.blocks;
    stats_.bytes += size;
    bool refuse = size < 2;
    if (!refuse && faults_.rejectBlocks > 0) {
        --faults_.rejectBlocks;
        refuse = true;
    }
    platform::ByteReader r(data, size);
    const uint16_t stored = r.u16();
    if (!refuse && options_.checkData) refuse = DataChecksum(data + 2, size - 2) != stored;
    if (refuse) {
        accepted_ = false;
        ++stats_.rejects;
        return;
    }
    accepted_ = true;
    // The first pixel pair (words high byte first) is what a following fill repeats.
    if (size >= 6) {
        fillLeft_ = r.u16be();
        fillRight_ = r.u16be();
    }
    store_.load(transfer_, data + 2, size - 2);
    prepared_ = false;
    markChangedLocked();
}

bool Device::status(Link link, uint8_t* out, size_t& length) {
    std::lock_guard lock(m_);
    if (!powered_) return false;
    if (faults_.silence > 0) {
        --faults_.silence;
        return false;
    }
    ++stats_.statusReads;
    uint8_t v[6] = {};
    v[0] = uint8_t((accepted_ ? 8 : 0) | (filled_ ? 2 : 0) | (prepared_ ? 1 : 0));
    if (finishedLocked()) {
        v[1] = v[2] = v[3] = 0xF;
    } else {
        // While moving, S1-S3 count the fields still to go (never all 0xF).
        int n = std::min(motionFieldsLocked(), 0xFFE);
        v[1] = uint8_t(n >> 8);
        v[2] = uint8_t((n >> 4) & 15);
        v[3] = uint8_t(n & 15);
    }
    length = statusLength();
    if (options_.statusClass == 0) {
        v[4] = uint8_t(stateLocked());
    } else {
        v[4] = options_.statusClass == 1 ? uint8_t(request_) : 0;
        v[5] = uint8_t(stateLocked());
    }
    for (size_t i = 0; i < length; ++i)
        out[i] = link == Link::Lpt ? kHammingCodewords[v[i] & 15] : uint8_t((v[i] & 15) << 4);
    if (faults_.statusFlips > 0) {
        --faults_.statusFlips;
        // A different byte and bit each time, so that repeated damage covers the record.
        int k = damaged_++;
        size_t at = size_t(k) % length;
        if (link == Link::Lpt) {
            out[at] ^= uint8_t(1u << (k % 8));
            if (faults_.flipBits >= 2) out[at] ^= uint8_t(1u << ((k + 3) % 8));
        } else {
            // Without a check code only the value nibble carries anything worth damaging.
            out[at] ^= uint8_t(0x10u << (k % 4));
            if (faults_.flipBits >= 2) out[at] ^= uint8_t(0x10u << ((k + 1) % 4));
        }
    }
    return true;
}

bool Device::powered() const {
    std::lock_guard lock(m_);
    return powered_;
}

uint64_t Device::powerEpoch() const {
    std::lock_guard lock(m_);
    return powerEpoch_;
}

// ---------------------------------------------------------------------------------------------
// Registers

void Device::applyWrite(uint8_t reg, uint16_t value) {
    markChangedLocked();
    switch (reg) {
        case REG_TRIGGER:
            regs_[reg] = value;
            trigger(value);
            return;
        case REG_CONTROL: setControl(value); return;
        case REG_REPLY:
            regs_[reg] = value;
            request_ = 0;
            display_ = value;
            return;
        default: break;
    }
    regs_[reg] = value;
    for (int p = 0; p < 12; ++p)
        if (kUnits[p].pos == reg) placed_[size_t(p)] = true;
    int u = UnitOfDistanceRegister(reg);
    if (u >= 0) {
        // Bit 15 adds to the distance still to go and says more will follow (a scroll granted
        // segment by segment); otherwise the value is the distance.
        if (value & 0x8000) {
            dist_[size_t(u)] = std::min(dist_[size_t(u)] + (value & 0x7FFF), 0xFFFF);
            more_[size_t(u)] = true;
        } else {
            dist_[size_t(u)] = value;
            more_[size_t(u)] = false;
        }
    }
}

void Device::trigger(uint16_t value) {
    if (value == 0) {
        transfer_ = StoreWindow::FromRegisters(regs_[REG_FIRST_LINE], regs_[REG_FIRST_PIXEL], regs_[REG_LAST_LINE],
                                               regs_[REG_LAST_PIXEL]);
        prepared_ = true;
        filled_ = false;
        return;
    }
    prepared_ = false;
    filled_ = false;
    if (value & 0x8000) {
        transfer_ = StoreWindow::FromRegisters(regs_[REG_FIRST_LINE], regs_[REG_FIRST_PIXEL], regs_[REG_LAST_LINE],
                                               regs_[REG_LAST_PIXEL]);
        store_.fill(transfer_, fillLeft_, fillRight_);
        filled_ = true;
        return;
    }
    if (value & 0x0004) {
        // Reset and cut: nothing on air, nothing moving; the frame store keeps its pictures.
        resetRegisters();
        return;
    }
    bool edges = false;
    bool offsets = false;
    bool placed = false;
    int bank = 0;
    for (int u = 0; u < 12; ++u) {
        if (!(value & kUnits[u].startBit)) continue;
        (IsEdge(u) ? edges : offsets) = true;
        if (placed_[size_t(u)]) placed = true;
        placed_[size_t(u)] = false;
        if (dist_[size_t(u)] > 0) active_[size_t(u)] = true;
        bank = u / 6;
    }
    // A start that moves display offsets only, from a freshly set position, begins a crawl or
    // roll; the starts of its later segments find the position untouched. The bank carries the
    // moving frame until it goes off air.
    if (offsets && !edges && placed) {
        ++stats_.scrolls;
        scrolling_[size_t(bank)] = true;
    }
    noteMotionLocked();
}

void Device::noteMotionLocked() {
    const bool moving = !finishedLocked();
    if (moving && !moving_) motionSince_ = fields_;
    if (!moving && moving_) stats_.lastMotionFields = fields_ - motionSince_;
    moving_ = moving;
}

void Device::setControl(uint16_t value) {
    regs_[REG_CONTROL] = value;
    for (int k = 0; k < kBanks; ++k) {
        const bool onAir = (value & CtrlOnAir(k)) != 0;
        const int target = onAir ? kFullLevel : 0;
        if (value & CtrlFade(k)) {
            // The bank fades from where it is to its on-air bit, alongside the motion.
            if (level_[size_t(k)] != target) {
                fading_[size_t(k)] = true;
                fadeTarget_[size_t(k)] = target;
                fadeElapsed_[size_t(k)] = 0;
            }
        } else {
            level_[size_t(k)] = target;
            fading_[size_t(k)] = false;
        }
        // Taking a scrolling bank off air ends its scroll.
        if (!onAir && !(value & CtrlFade(k))) {
            for (int u = k * 6; u < k * 6 + 2; ++u) {
                active_[size_t(u)] = false;
                more_[size_t(u)] = false;
            }
            scrolling_[size_t(k)] = false;
        }
    }
    noteMotionLocked();
}

void Device::resetRegisters() {
    for (int r = 0; r < 36; ++r) regs_[size_t(r)] = 0;
    // Windows cover the picture.
    for (int k = 0; k < kBanks; ++k) {
        regs_[size_t(4 * k + 10)] = kFrameHeight - 1;
        regs_[size_t(4 * k + 11)] = kFrameWidth - 1;
    }
    regs_[REG_CONTROL] = 0;
    dist_.fill(0);
    active_.fill(false);
    more_.fill(false);
    placed_.fill(false);
    level_.fill(0);
    fading_.fill(false);
    scrolling_.fill(false);
    prepared_ = false;
    filled_ = false;
    transition_ = false;
    moving_ = false;
}

void Device::powerUp() {
    regs_.fill(0);
    resetRegisters();
    store_.clear();
    transfer_ = StoreWindow{};
    fillLeft_ = fillRight_ = kClearWord;
    accepted_ = true;
    request_ = 0;
    display_ = 0;
    ++powerEpoch_;
}

// ---------------------------------------------------------------------------------------------
// Fields

void Device::advanceFields(int count) {
    std::lock_guard lock(m_);
    if (!powered_) return;
    for (int i = 0; i < count; ++i) advanceField();
}

void Device::advanceField() {
    ++fields_;
    bool moved = false;
    bool edgeMoved = false;
    for (int u = 0; u < 12; ++u) {
        if (!active_[size_t(u)]) continue;
        const Unit& unit = kUnits[u];
        bool back = false;
        int g = StepOf(regs_[unit.step], fields_, back);
        if (g == 0) continue;  // a zero step holds the motion (pause)
        int mv = std::min(g, dist_[size_t(u)]);
        int pos = unit.wrap ? int(regs_[unit.pos]) : int(int16_t(regs_[unit.pos]));
        pos += back ? -mv : mv;
        if (unit.wrap) pos = FrameStore::Wrap(pos, unit.wrap);
        regs_[unit.pos] = uint16_t(pos);
        dist_[size_t(u)] -= mv;
        regs_[unit.dist] = uint16_t(dist_[size_t(u)]);
        if (dist_[size_t(u)] == 0) active_[size_t(u)] = false;
        moved = true;
        if (IsEdge(u)) edgeMoved = true;
    }
    bool faded = false;
    const int motion = unitFieldsLocked();
    for (int k = 0; k < kBanks; ++k) {
        if (!fading_[size_t(k)]) continue;
        // Fields left including this one: at least a second in all, and no fewer than the
        // motion still needs, so that a fade and a wipe end together.
        int left = std::max(kFadeFields - fadeElapsed_[size_t(k)], motion + 1);
        int& lv = level_[size_t(k)];
        if (left <= 1) {
            lv = fadeTarget_[size_t(k)];
            fading_[size_t(k)] = false;
        } else {
            lv += (fadeTarget_[size_t(k)] - lv) / left;
        }
        ++fadeElapsed_[size_t(k)];
        faded = true;
    }
    const bool transition = edgeMoved || faded;
    if (transition && !transition_) ++stats_.effects;
    transition_ = transition;
    if (moved || faded) markChangedLocked();
    noteMotionLocked();
}

int Device::unitFieldsLocked() const {
    int most = 0;
    for (int u = 0; u < 12; ++u) {
        if (!active_[size_t(u)]) continue;
        uint16_t w = regs_[kUnits[u].step];
        int g = std::max(w & 0x7F, (w >> 8) & 0x7F);
        if (g == 0) return 0xFFFF;  // held: no end in sight
        most = std::max(most, (dist_[size_t(u)] + g - 1) / g);
    }
    return most;
}

int Device::motionFieldsLocked() const {
    int most = unitFieldsLocked();
    for (int k = 0; k < kBanks; ++k)
        if (fading_[size_t(k)]) most = std::max(most, kFadeFields - fadeElapsed_[size_t(k)]);
    return most;
}

bool Device::finishedLocked() const {
    for (bool a : active_)
        if (a) return false;
    return !fading_[0] && !fading_[1];
}

int Device::stateLocked() const {
    if (stateOverride_ >= 0) return stateOverride_;
    int v = 0;
    if (level_[0] > 0 || level_[1] > 0) v |= 2;
    bool waiting = false;
    for (int u = 0; u < 12; ++u)
        if (more_[size_t(u)] && (regs_[REG_CONTROL] & CtrlOnAir(u / 6))) waiting = true;
    if (!finishedLocked() || waiting) v |= 1;
    return v;
}

uint64_t Device::fieldCount() const {
    std::lock_guard lock(m_);
    return fields_;
}

// ---------------------------------------------------------------------------------------------
// Control

bool Device::press(int code, std::string& error) {
    std::lock_guard lock(m_);
    if (code < 1 || code > 15) {
        error = "request codes are 1 to 15";
        return false;
    }
    if (options_.statusClass != 1) {
        error = "only a status class 1 Device shows requests";
        return false;
    }
    if (!powered_) {
        error = "the Device is switched off";
        return false;
    }
    request_ = code;
    return true;
}

void Device::setStateOverride(int value) {
    std::lock_guard lock(m_);
    stateOverride_ = value < 0 ? -1 : (value & 15);
}

void Device::setPower(bool on) {
    std::lock_guard lock(m_);
    if (on == powered_) return;
    powered_ = on;
    if (on) powerUp();
    markChangedLocked();
}

Faults Device::faults() const {
    std::lock_guard lock(m_);
    return faults_;
}

void Device::setFaults(const Faults& f) {
    std::lock_guard lock(m_);
    faults_ = f;
}

DeviceStats Device::stats() const {
    std::lock_guard lock(m_);
    return stats_;
}

int Device::request() const {
    std::lock_guard lock(m_);
    return request_;
}

uint16_t Device::display() const {
    std::lock_guard lock(m_);
    return display_;
}

uint64_t Device::changeCount() const {
    std::lock_guard lock(m_);
    return changes_;
}

bool Device::takeDirty() {
    std::lock_guard lock(m_);
    bool d = dirty_;
    dirty_ = false;
    return d;
}

uint16_t Device::reg(int number) const {
    std::lock_guard lock(m_);
    return regs_[size_t(number & 0xFF)];
}

uint16_t Device::storeWord(int bank, int line, int pixel) const {
    std::lock_guard lock(m_);
    return store_.word(bank, line, pixel);
}

int Device::stateValue() const {
    std::lock_guard lock(m_);
    return stateLocked();
}

bool Device::finished() const {
    std::lock_guard lock(m_);
    return finishedLocked();
}

int Device::remainingFields() const {
    std::lock_guard lock(m_);
    return finishedLocked() ? 0 : motionFieldsLocked();
}

int Device::level(int bank) const {
    std::lock_guard lock(m_);
    return level_[size_t(bank & 1)];
}

// ---------------------------------------------------------------------------------------------
// The program output

void Device::render(Picture& out, const Background& background) const {
    background.paint(out);
    std::lock_guard lock(m_);
    if (!powered_) return;
    const uint32_t* colours = ColourTable();
    const uint16_t ctrl = regs_[REG_CONTROL];

    struct Layer {
        int bank, ov, oh, top, left, bottom, right, border, level;
        bool inside;
    };
    Layer layers[2];
    int n = 0;
    // Lower layer first: bit 8 of the control word puts bank 1 on top.
    const int order[2] = {(ctrl & CTRL_BANK1_ON_TOP) ? 0 : 1, (ctrl & CTRL_BANK1_ON_TOP) ? 1 : 0};
    for (int k : order) {
        if (level_[size_t(k)] <= 0) continue;
        Layer& l = layers[n++];
        l.bank = k;
        l.ov = regs_[size_t(2 * k)] % kStoreLines;
        l.oh = regs_[size_t(2 * k + 1)] % kStorePixels;
        l.top = int16_t(regs_[size_t(4 * k + 8)]);
        l.left = int16_t(regs_[size_t(4 * k + 9)]);
        l.bottom = int16_t(regs_[size_t(4 * k + 10)]);
        l.right = int16_t(regs_[size_t(4 * k + 11)]);
        l.border = k == 0 ? (ctrl & 15) : ((ctrl >> 4) & 15);
        l.inside = (ctrl & CtrlInside(k)) != 0;
        l.level = level_[size_t(k)];
    }
    // A crawl or roll under the page is a background frame: it runs inside the page's picture
    // (see README.md), so it is mixed into the layer above instead of being keyed on its own.
    const bool backgroundFrame = n == 2 && scrolling_[size_t(layers[0].bank)];

    // Colour (r, g, b) and weight 0..255 of the background frame at a screen pixel. The layer loop
    // below repeats these steps inline on purpose: called from there, the hottest loop of the
    // picture, it measured a fifth slower.
    struct Sample {
        unsigned r = 0, g = 0, b = 0, alpha = 0;
    };
    auto sample = [&](const Layer& l, const uint16_t* line, int x, int dy, int col) {
        Sample s;
        const uint16_t word = line[col];
        const unsigned opacity = word >> 12;
        if (opacity == 0) return s;
        // Window key: 256 inside, a linear soft edge of `border` pixels outside.
        const int d = std::max({l.left - x, x - l.right, dy, 0});
        int key = d == 0 ? 256 : (d < l.border ? (l.border - d) * 256 / l.border : 0);
        if (!l.inside) key = 256 - key;
        if (key == 0) return s;
        s.alpha = (opacity * 17u * unsigned(key) >> 8) * unsigned(l.level) / kFullLevel;
        if (s.alpha == 0) return s;
        // Chroma pairs sit on even store pixels: Cb in the left word, Cr in the right.
        unsigned cb, cr;
        if ((col & 1) == 0) {
            cb = (word >> 6) & 63;
            cr = (line[col + 1] >> 6) & 63;
        } else {
            cr = (word >> 6) & 63;
            cb = (line[col - 1] >> 6) & 63;
        }
        const uint32_t c = colours[((word & 63u) << 12) | (cb << 6) | cr];
        s.r = c & 0xFF, s.g = (c >> 8) & 0xFF, s.b = (c >> 16) & 0xFF;
        return s;
    };

    const Layer& under = layers[0];
    for (int i = backgroundFrame ? 1 : 0; i < n; ++i) {
        const Layer& l = layers[i];
        for (int y = 0; y < kFrameHeight; ++y) {
            const uint16_t* line = store_.line(l.bank, y + l.ov);
            const int dy = std::max({l.top - y, y - l.bottom, 0});
            const int underDy = std::max({under.top - y, y - under.bottom, 0});
            // Only rows the background frame's key reaches need it.
            const uint16_t* underLine = backgroundFrame && underDy < std::max(under.border, 1)
                                            ? store_.line(under.bank, y + under.ov)
                                            : nullptr;
            uint8_t* dst = out.pixel(0, y);
            int col = l.oh;
            for (int x = 0; x < kFrameWidth; ++x, dst += 4, col = col + 1 == kStorePixels ? 0 : col + 1) {
                const uint16_t word = line[col];
                const unsigned opacity = word >> 12;
                if (opacity == 0) continue;
                // Window key: 256 inside, a linear soft edge of `border` pixels outside.
                const int d = std::max({l.left - x, x - l.right, dy, 0});
                int key = d == 0 ? 256 : (d < l.border ? (l.border - d) * 256 / l.border : 0);
                if (!l.inside) key = 256 - key;
                if (key == 0) continue;
                const unsigned alpha = (opacity * 17u * unsigned(key) >> 8) * unsigned(l.level) / kFullLevel;
                if (alpha == 0) continue;
                // Chroma pairs sit on even store pixels: Cb in the left word, Cr in the right.
                unsigned cb, cr;
                if ((col & 1) == 0) {
                    cb = (word >> 6) & 63;
                    cr = (line[col + 1] >> 6) & 63;
                } else {
                    cr = (word >> 6) & 63;
                    cb = (line[col - 1] >> 6) & 63;
                }
                const uint32_t c = colours[((word & 63u) << 12) | (cb << 6) | cr];
                unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
                if (underLine) {
                    // The moving material covers the page's colours by its own weight; the
                    // page's weight keys the result.
                    const Sample m = sample(under, underLine, x, underDy, (under.oh + x) % kStorePixels);
                    if (m.alpha != 0) {
                        r = (m.r * m.alpha + r * (255 - m.alpha)) / 255;
                        g = (m.g * m.alpha + g * (255 - m.alpha)) / 255;
                        b = (m.b * m.alpha + b * (255 - m.alpha)) / 255;
                    }
                }
                dst[0] = uint8_t((r * alpha + dst[0] * (255 - alpha)) / 255);
                dst[1] = uint8_t((g * alpha + dst[1] * (255 - alpha)) / 255);
                dst[2] = uint8_t((b * alpha + dst[2] * (255 - alpha)) / 255);
                dst[3] = uint8_t(alpha + dst[3] * (255 - alpha) / 255);
            }
        }
    }
    if (background.kind == Background::None) {
        // Over nothing the colours were weighted by their coverage; give them back straight.
        for (size_t i = 0; i < out.rgba.size(); i += 4) {
            unsigned a = out.rgba[i + 3];
            if (a == 0 || a == 255) continue;
            for (int c = 0; c < 3; ++c)
                out.rgba[i + size_t(c)] = uint8_t(std::min(255u, out.rgba[i + size_t(c)] * 255u / a));
        }
    }
}

}  // namespace ktgsim
