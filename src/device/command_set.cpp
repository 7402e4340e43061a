#include "device/command_set.h"

#include <cstdio>
#include <cstdlib>

#include "app/log/event_log.h"

namespace device {

const std::array<uint8_t, 6> kFillBlock = {0x60, 0xA5, 0x08, 0x04, 0x08, 0x04};

DataRef DataRef::Borrow(const void* bytes, size_t size) {
    DataRef r;
    r.bytes_ = static_cast<const uint8_t*>(bytes);
    r.size_ = bytes ? size : 0;
    return r;
}

DataRef DataRef::Share(std::shared_ptr<const std::vector<uint8_t>> block) {
    DataRef r;
    if (!block) return r;
    r.bytes_ = block->data();
    r.size_ = block->size();
    r.owner_ = std::move(block);
    return r;
}

DataRef DataRef::Share(std::shared_ptr<const void> owner, const void* bytes, size_t size) {
    DataRef r = Borrow(bytes, size);
    r.owner_ = std::move(owner);
    return r;
}

int StepCount(uint16_t code) {
    switch (code) {
        case CMD_RESET_DEVICE: return 1;
        case CMD_FILL_RECT: return 7;
        case CMD_LOAD_RECT: return 6;
        case CMD_IN_EFFECT: return 40;
        case CMD_SCROLL: return 23;
        case CMD_END_SCROLL: return 1;
        case CMD_CUT: return 2;
        case CMD_SET_MODE: return 1;
        case CMD_LOAD_RECT_DATA: return 13;
        default: return 0;
    }
}

namespace {

constexpr int kChunk = 256;        // lines or pixels loaded per scroll chunk
constexpr int kStoreLines = 1280;  // the frame store wraps here
constexpr int kStorePixels = 1536;

Step Write(int reg, int value, bool batch = false) {
    Step s;
    s.reg = uint8_t(reg);
    s.value = uint16_t(value);
    s.batch = batch;
    return s;
}

Step Batched(int reg, int value) { return Write(reg, value, true); }

Step Prepare() {  // 0x80 = 0: latch the transfer window, then S0 bit 0
    Step s = Write(0x80, 0x0000);
    s.waitS0 = 1;
    return s;
}

Step Fill() {  // 0x80 = 0x8000: fill the window, then S0 bit 1
    Step s = Write(0x80, 0x8000);
    s.waitS0 = 2;
    return s;
}

Step Data(const uint8_t* data, size_t length) {
    Step s;
    s.kind = Step::DATA;
    s.data = data;
    s.length = length;
    return s;
}

struct ScrollShape {
    bool roll;
    int across, along;  // W, H
    long long end;      // E
};

ScrollShape ShapeOf(const CmdRecord& c) {
    ScrollShape s;
    s.roll = (c.param1 & 0x8000) != 0;
    const int w = c.x1 - c.x0, h = c.y1 - c.y0;
    s.across = s.roll ? w : h;
    s.along = s.roll ? h : w;
    s.end = (long long)c.param2 - ((c.param1 & 0x2000) ? s.along : 0);
    // A strip shorter than its frame, told to stop with its end at the edge, has nowhere to go; a
    // negative distance would read on the Device as a very long one.
    if (s.end < 0) s.end = 0;
    return s;
}

long long ChunkSize(long long total, int n) {
    long long left = total - (long long)kChunk * n;
    return left <= kChunk ? left : kChunk;
}

size_t ChunkOffset(int across, int n) { return size_t(n) * (size_t(2 * kChunk) * size_t(across) + 2); }

}  // namespace

bool DataFits(const CmdRecord& c, size_t& need) {
    need = 0;
    switch (c.code) {
        case CMD_FILL_RECT: need = kFillBlock.size(); break;
        case CMD_LOAD_RECT:
        case CMD_LOAD_RECT_DATA: {
            const int w = c.x1 - c.x0, h = c.y1 - c.y0;
            if (w < 0 || h < 0) return false;
            need = RectBlockSize(w, h);
            break;
        }
        case CMD_SCROLL: {
            if (c.param2 == 0) return true;
            ScrollShape s = ShapeOf(c);
            if (s.across < 0 || s.along < 0) return false;
            // Chunks are loaded until the end is granted: at least one.
            long long chunks = s.end <= kChunk ? 1 : (s.end + kChunk - 1) / kChunk;
            int last = int(chunks - 1);
            need = ChunkOffset(s.across, last) + RectBlockSize(s.across, int(ChunkSize(c.param2, last)));
            break;
        }
        default: return true;
    }
    return c.param3.data() && c.param3.size() >= need;
}

void CommandSet::resetSession() {
    bank_ = 0;
    control_ = 0;
    motion_ = {};
}

bool CommandSet::begin(const CmdRecord& cmd) {
    if (StepCount(cmd.code) == 0) return false;
    cmd_ = cmd;
    if (cmd.code == CMD_IN_EFFECT) beginEffect();
    if (cmd.code == CMD_SCROLL) beginScroll();
    return true;
}

void CommandSet::beginEffect() {
    const unsigned F = cmd_.param1;
    const uint32_t P = cmd_.param2;
    int y0 = 0, x0 = 0, y1 = 575, x1 = 719;
    if (F & 0x4000) {
        y0 = cmd_.y0;
        x0 = cmd_.x0;
        y1 = cmd_.y1;
        x1 = cmd_.x1;
    }
    EffectValues v;
    const int w = v.w = int(P >> 28) + 1;
    v.gv = uint16_t(((P >> 22) & 0x3F) * 0x101);
    v.gh = uint16_t(((P >> 16) & 0x3F) * 0x101);

    auto edge = [](uint32_t code, int n, int f, int d) {
        switch (code & 3) {
            case 0: return n;
            case 1: return n + (f - n) / 2 + d;
            case 2: return f;
            default: return 0;
        }
    };
    v.t0 = edge(P >> 6, y0, y1, w);
    v.l0 = edge(P >> 4, x0, x1, w);
    v.b0 = edge(P >> 2, y0, y1, -w);
    v.r0 = edge(P, x0, x1, -w);
    v.t1 = edge(P >> 14, y0, y1, w);
    v.l1 = edge(P >> 12, x0, x1, w);
    v.b1 = edge(P >> 10, y0, y1, -w);
    v.r1 = edge(P >> 8, x0, x1, -w);

    auto move = [](int a, int z, uint16_t g) -> uint16_t {
        const uint16_t ua = uint16_t(a), uz = uint16_t(z);
        if (ua == uz) return 0;
        return ua < uz ? g : uint16_t(g | 0x8080);
    };
    Motion m;
    m.mt = move(v.t0, v.t1, v.gv);
    m.ml = move(v.l0, v.l1, v.gh);
    m.mb = move(v.b0, v.b1, v.gv);
    m.mr = move(v.r0, v.r1, v.gh);

    const bool adjust = F & 0x100;
    v.t0a = adjust && m.mt ? v.t0 + w : v.t0;
    v.l0a = adjust && m.ml ? v.l0 + w : v.l0;
    v.b0a = adjust && m.mb ? v.b0 - w : v.b0;
    v.r0a = adjust && m.mr ? v.r0 - w : v.r0;

    m.dv = uint16_t(v.t1) == uint16_t(v.t0) ? uint16_t(v.gv | 0x8080) : v.gv;
    m.dh = uint16_t(v.l1) == uint16_t(v.l0) ? uint16_t(v.gh | 0x8080) : v.gh;

    if ((F & 1) && (F & 0x10)) {
        v.ov2 = y1 - y0 - w;
        v.ov1 = (m.dv & 0x8080) ? v.ov2 : kStoreLines - v.ov2;
    }
    if ((F & 1) && (F & 0x20)) {
        v.oh2 = x1 - x0 - w;
        v.oh1 = (m.dh & 0x8080) ? v.oh2 : kStorePixels - v.oh2;
    }
    if ((F & 2) && (F & 0x40)) {
        v.sv = 0;
        v.nv = y1 - y0 + 1;
    }
    if ((F & 2) && (F & 0x80)) {
        v.sh = 0;
        v.nh = x1 - x0 + 1;
    }
    if ((F & 2) && (F & 0x100)) {
        m.dv ^= 0x8080;
        m.dh ^= 0x8080;
    }

    const int b = bank_, s = bank_;
    const bool newPage = F & 1, oldPage = F & 2;
    const bool upperSwap = (b == 0 && !(F & 0x1000)) || (b == 1 && (F & 0x1000));

    // The effect control word, written while the windows travel.
    unsigned e;
    if (F & 0x800) {
        e = newPage ? (unsigned(w) | unsigned(w) << 4 | 0x1E00u | (upperSwap ? 0x100u : 0u)) : 0u;
    } else {
        if (b == 0) e = newPage ? unsigned(w) : unsigned(w) << 4;
        else e = newPage ? (unsigned(w) << 4 | 0x100u) : (unsigned(w) | 0x100u);
        e |= adjust ? 0x800u << s : 0x1000u >> s;
        if (newPage) e |= 0x400u >> s;
        if (oldPage) e |= 0x200u << s;
        if (F & 0x200) e |= 0x1800u;
        if (F & 0x400) {
            if (newPage) e |= 0x4000u >> s;
            if (oldPage) {
                e |= 0x2000u << s;
                e &= ~(0x200u << s);
            }
        }
    }
    v.e = uint16_t(e);

    // The start mask: which motion units go.
    unsigned start = 0;
    if (newPage) {
        if (F & 0x10) start |= 0x4000u >> (2 * b);
        if (F & 0x20) start |= 0x2000u >> (2 * b);
    }
    if (oldPage) {
        if (F & 0x40) start |= 0x1000u << (2 * b);
        if (F & 0x80) start |= 0x800u << (2 * b);
    }
    const bool moves[4] = {uint16_t(v.t0a) != uint16_t(v.t1), uint16_t(v.l0a) != uint16_t(v.l1),
                           uint16_t(v.b0a) != uint16_t(v.b1), uint16_t(v.r0a) != uint16_t(v.r1)};
    for (unsigned i = 0; i < 4; ++i) {
        if (!moves[i]) continue;
        if (newPage) start |= (0x400u >> i) >> (4 * b);
        if (oldPage) start |= (0x40u >> i) << (4 * b);
    }
    v.start = uint16_t(start);

    // The control word once the effect has run: the new page alone on air (or both, overlaid).
    unsigned c = 0;
    if (newPage) {
        c = (0x400u >> s) | (b == 1 ? unsigned(w) << 4 : unsigned(w)) | (adjust ? 0x800u << s : 0x1000u >> s);
        if (F & 0x800) {
            c |= 0x200u << s;
            c |= b == 1 ? unsigned(w) : unsigned(w) << 4;
            c |= adjust ? 0x1000u >> s : 0x800u << s;
            if (upperSwap) c |= 0x100u;
        }
    }
    v.c = uint16_t(c);

    fx_ = v;
    motion_ = m;
}

void CommandSet::beginScroll() {
    const unsigned F = cmd_.param1;
    ScrollShape s = ShapeOf(cmd_);
    roll_ = s.roll;
    sw_ = int((F >> 4) & 0xF) + 1;
    sg_ = uint16_t((F & 0xF) * 0x101);
    across_ = s.across;
    along_ = s.along;
    end_ = s.end;
    loaded_ = 0;
    chunk_ = 0;
    motion_.dv = roll_ ? sg_ : 0;
    motion_.dh = roll_ ? 0 : sg_;
}

Step CommandSet::build(int index) {
    const CmdRecord& c = cmd_;
    switch (c.code) {
        case CMD_RESET_DEVICE: {
            bank_ = 0;
            Step s = Write(0x80, 0x0004);
            s.forgetState = true;
            return s;
        }
        case CMD_FILL_RECT:
        case CMD_LOAD_RECT:
        case CMD_LOAD_RECT_DATA: return buildLoad(index, c.code);
        case CMD_IN_EFFECT: return buildEffect(index);
        case CMD_SCROLL: return buildScroll(index);
        case CMD_END_SCROLL: return Write(0x40, control_);
        case CMD_CUT:
            if (index == 0) {
                LogMessage("CEngine::Cut");
                bank_ = 0;
                Step s = Write(0x40, 0);
                s.forgetState = true;
                return s;
            }
            return Write(0x80, 0x0004);
        case CMD_SET_MODE: return Write(2 * bank_ + 1, c.param1);
        default: return Write(0x80, 0x0004);  // never built: begin() refuses other codes
    }
}

Step CommandSet::buildLoad(int index, int program) const {
    const CmdRecord& c = cmd_;
    const int b = bank_;
    if (index <= 4) {
        int top = c.y0;
        if (program == CMD_LOAD_RECT_DATA) {
            if (b == 1) top |= 0x800;
        } else if ((c.param1 & 1) != b) {
            top |= 0x800;
        }
        switch (index) {
            case 0: return Batched(0x60, top);
            case 1: return Batched(0x61, c.x0);
            case 2: return Batched(0x62, c.y1 - 1);
            case 3: return Batched(0x63, c.x1 - 1);
            default: return Prepare();
        }
    }
    if (program == CMD_FILL_RECT) return index == 5 ? Data(c.param3.data(), kFillBlock.size()) : Fill();
    if (index == 5) return Data(c.param3.data(), RectBlockSize(c.x1 - c.x0, c.y1 - c.y0));
    // LoadRectData: clear the whole other bank.
    switch (index) {
        case 6: return Batched(0x60, b == 0 ? 0x800 : 0);
        case 7: return Batched(0x61, 0);
        case 8: return Batched(0x62, 575);
        case 9: return Batched(0x63, kStorePixels - 1);
        case 10: return Prepare();
        case 11: return Data(kFillBlock.data(), kFillBlock.size());
        default: return Fill();
    }
}

Step CommandSet::buildEffect(int index) const {
    const EffectValues& v = fx_;
    const Motion& m = motion_;
    const int b = bank_;
    auto dist = [](int a, int z) { return std::abs(a - z); };
    switch (index) {
        case 0: return Batched(2 * b, v.ov1);
        case 1: return Batched(2 * b + 1, v.oh1);
        case 2: return Batched(2 - 2 * b, v.sv);
        case 3: return Batched(3 - 2 * b, v.sh);
        case 4: return Batched(2 * b + 4, v.ov2);
        case 5: return Batched(2 * b + 5, v.oh2);
        case 6: return Batched(6 - 2 * b, v.nv);
        case 7: return Batched(7 - 2 * b, v.nh);
        case 8: return Batched(2 * b + 24, m.dv);
        case 9: return Batched(2 * b + 25, m.dh);
        case 10: return Batched(26 - 2 * b, m.dv);
        case 11: return Batched(27 - 2 * b, m.dh);
        case 12: return Batched(4 * b + 8, v.t0a);
        case 13: return Batched(4 * b + 9, v.l0a);
        case 14: return Batched(4 * b + 10, v.b0a);
        case 15: return Batched(4 * b + 11, v.r0a);
        case 16: return Batched(4 * b + 16, dist(v.t1, v.t0a));
        case 17: return Batched(4 * b + 17, dist(v.l1, v.l0a));
        case 18: return Batched(4 * b + 18, dist(v.b1, v.b0a));
        case 19: return Batched(4 * b + 19, dist(v.r1, v.r0a));
        case 20: return Batched(4 * b + 28, m.mt);
        case 21: return Batched(4 * b + 29, m.ml);
        case 22: return Batched(4 * b + 30, m.mb);
        case 23: return Batched(4 * b + 31, m.mr);
        case 24: return Prepare();
        case 25: return Batched(12 - 4 * b, v.t0);
        case 26: return Batched(13 - 4 * b, v.l0);
        case 27: return Batched(14 - 4 * b, v.b0);
        case 28: return Batched(15 - 4 * b, v.r0);
        case 29: return Batched(0x40, v.e);
        case 30: return Batched(20 - 4 * b, dist(v.t1, v.t0));
        case 31: return Batched(21 - 4 * b, dist(v.l1, v.l0));
        case 32: return Batched(22 - 4 * b, dist(v.b1, v.b0));
        case 33: return Batched(23 - 4 * b, dist(v.r1, v.r0));
        case 34: return Batched(32 - 4 * b, m.mt);
        case 35: return Batched(33 - 4 * b, m.ml);
        case 36: return Batched(34 - 4 * b, m.mb);
        case 37: return Batched(35 - 4 * b, m.mr);
        case 38: {
            Step s = Write(0x80, v.start);
            s.waitFinish = true;
            const unsigned F = cmd_.param1;
            s.minMs = (F & 0x400) ? 1000 : (F & 0x200) ? 100 : 0;
            return s;
        }
        default: return Write(0x40, v.c);
    }
}

int CommandSet::scrollChunk() const { return int(ChunkSize(cmd_.param2, chunk_)); }

Step CommandSet::buildScroll(int index) const {
    const CmdRecord& c = cmd_;
    const unsigned F = c.param1;
    const int b = bank_;
    const int bankBit = b == 1 ? 0x800 : 0;
    const int wrap = roll_ ? kStoreLines : kStorePixels;
    const int n = chunk_;
    switch (index) {
        // Clear the hidden bank's corner the strip is loaded through.
        case 0: return Batched(0x60, bankBit);
        case 1: return Batched(0x61, 0);
        case 2: return Batched(0x62, c.y1 - c.y0 - 1);
        case 3: return Batched(0x63, c.x1 - c.x0 - 1);
        case 4: return Prepare();
        case 5: return Data(kFillBlock.data(), kFillBlock.size());
        case 6: return Fill();
        // The frame's window, its display offset and its motion.
        case 7: return Batched(4 * b + 8, c.y0 + sw_);
        case 8: return Batched(4 * b + 9, c.x0 + sw_);
        case 9: return Batched(4 * b + 10, c.y1 - sw_ - 1);
        case 10: return Batched(4 * b + 11, c.x1 - sw_ - 1);
        case 11: return Batched(2 * b, kStoreLines - c.y0);
        case 12: return Batched(2 * b + 1, kStorePixels - c.x0);
        case 13: return Batched(roll_ ? 2 * b + 24 : 2 * b + 25, sg_);
        case 14: {
            unsigned word = control_ | (0x1400u >> b);
            if (b == 0) word |= unsigned(sw_) | (((F >> 14) & 1u) << 8);
            else word |= (unsigned(sw_) << 4) | (((~F >> 14) & 1u) << 8);
            return Write(0x40, int(word));
        }
        // One chunk of the strip, just beyond what is loaded.
        case 15: return Batched(0x60, bankBit | (roll_ ? (kChunk * n + along_) % kStoreLines : 0));
        case 16: return Batched(0x61, roll_ ? 0 : (along_ + kChunk * n) % kStorePixels);
        case 17: return Batched(roll_ ? 0x63 : 0x62, across_ - 1);
        case 18: return Batched(roll_ ? 0x62 : 0x63, (along_ + kChunk * n + scrollChunk() - 1) % wrap);
        case 19: return Prepare();
        case 20: {
            const size_t offset = ChunkOffset(across_, n);
            return Data(c.param3.data() + offset, RectBlockSize(across_, scrollChunk()));
        }
        // Grant the distance the loaded material allows.
        case 21: {
            const long long reach = (long long)kChunk * (n + 1);
            int value;
            if (reach < end_) value = n == 0 ? 0 : 0x8100;
            else value = int(end_ - loaded_);
            return Write(roll_ ? 2 * b + 4 : 2 * b + 5, value);
        }
        default: {
            Step s = Write(0x80, roll_ ? 0x4000 >> (2 * b) : 0x2000 >> (2 * b));
            s.waitFinish = true;
            return s;
        }
    }
}

int CommandSet::complete(int index) {
    switch (cmd_.code) {
        case CMD_IN_EFFECT:
            if (index == 39) {
                control_ = fx_.c;
                if (!(cmd_.param1 & 0x2000)) bank_ ^= 1;
            }
            break;
        case CMD_SCROLL:
            if (index == 14 && cmd_.param2 == 0) return stepCount();
            if (index == 21) {
                const long long reach = (long long)kChunk * (chunk_ + 1);
                const bool first = chunk_ == 0;
                ++chunk_;
                if (reach < end_) {
                    if (first) return 15;  // the next chunk goes in before the scroll starts
                    loaded_ += kChunk;
                } else {
                    loaded_ = end_;
                }
            }
            if (index == 22 && loaded_ < end_) return 15;
            break;
        default: break;
    }
    return index + 1;
}

Step CommandSet::pauseStep(int index, bool paused) const {
    const int b = bank_;
    const Motion& m = motion_;
    auto v = [paused](uint16_t value) { return paused ? 0 : int(value); };
    switch (index) {
        case 0: return Prepare();
        case 1: return Write(32 - 4 * b, v(m.mt));
        case 2: return Write(33 - 4 * b, v(m.ml));
        case 3: return Write(34 - 4 * b, v(m.mb));
        case 4: return Write(35 - 4 * b, v(m.mr));
        case 5: return Write(4 * b + 28, v(m.mt));
        case 6: return Write(4 * b + 29, v(m.ml));
        case 7: return Write(4 * b + 30, v(m.mb));
        case 8: return Write(4 * b + 31, v(m.mr));
        case 9: return Write(26 - 2 * b, v(m.dv));
        case 10: return Write(27 - 2 * b, v(m.dh));
        case 11: return Write(2 * b + 24, v(m.dv));
        default: return Write(2 * b + 25, v(m.dh));
    }
}

std::vector<Step> ProgramSteps(CommandSet& set, const CmdRecord& cmd, size_t maxSteps) {
    std::vector<Step> steps;
    if (!set.begin(cmd)) return steps;
    for (int i = 0; i < set.stepCount() && steps.size() < maxSteps;) {
        steps.push_back(set.build(i));
        i = set.complete(i);
    }
    return steps;
}

std::string DescribeStep(const Step& s) {
    char line[96];
    if (s.kind == Step::DATA) {
        std::snprintf(line, sizeof line, "data %zu bytes", s.length);
        return line;
    }
    std::snprintf(line, sizeof line, "%s0x%02X = 0x%04X", s.batch ? "+ " : "", s.reg, s.value);
    std::string text = line;
    if (s.waitS0) text += s.waitS0 == 1 ? " wait S0.0" : " wait S0.1";
    if (s.waitFinish) text += " wait finish";
    if (s.minMs) text += " min " + std::to_string(s.minMs) + " ms";
    return text;
}

}  // namespace device
