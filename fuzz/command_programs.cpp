// The command programs for any command record (the rectangles, flags, effect parameters and
// scroll lengths come from page and show-time files) and the status decoder for any bytes: a
// program always ends, and every data step of a command whose block was accepted lies inside
// that block or is the built-in fill block.
//   bytes 0-17: code, bank, control word (2), rectangle (4 x 2), parameter 1 (2), parameter 2 (4)
//   bytes 18-20: block size; the rest: status bytes.
#include <cstdint>
#include <cstring>
#include <vector>

#include "device/command_set.h"
#include "device/engine_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 21) return 0;
    auto u16 = [&](size_t at) { return uint16_t(data[at] | data[at + 1] << 8); };
    device::CmdRecord c;
    c.code = uint16_t(1 + data[0] % 9);
    c.y0 = int16_t(u16(4));
    c.x0 = int16_t(u16(6));
    c.y1 = int16_t(u16(8));
    c.x1 = int16_t(u16(10));
    c.param1 = u16(12);
    c.param2 = uint32_t(u16(14)) | uint32_t(u16(16)) << 16;
    const size_t blockSize = size_t(data[18] | data[19] << 8 | data[20] << 16) % (4u << 20);
    std::vector<uint8_t> block(blockSize);
    c.param3 = device::DataRef::Borrow(block.data(), block.size());

    size_t need = 0;
    if (device::DataFits(c, need)) {
        device::CommandSet set;
        set.restore(data[1] & 1, u16(2));
        // A program ends within what its record asks for: its own steps, repeated at most once per
        // chunk of 256 lines or pixels that a scroll loads (and twice more for the ends).
        const size_t chunks = c.code == device::CMD_SCROLL ? (size_t(c.param2) + 255) / 256 : 0;
        const size_t bound = size_t(device::StepCount(c.code)) * (chunks + 2);
        // The engine runs a program a step at a time; only this harness keeps them all, so a strip
        // of millions of chunks (a zero-wide one needs two bytes a chunk) is left to the unit tests.
        std::vector<device::Step> steps;
        if (bound <= (1u << 20)) steps = device::ProgramSteps(set, c, bound + 1);
        if (steps.size() > bound) __builtin_trap();  // a program that never ends
        for (const device::Step& s : steps) {
            if (s.kind != device::Step::DATA) continue;
            const uint8_t* fill = device::kFillBlock.data();
            bool inFill = s.data == fill && s.length == device::kFillBlock.size();
            bool inBlock = s.data >= block.data() && s.length <= block.size() &&
                           size_t(s.data - block.data()) <= block.size() - s.length;
            if (!inFill && !inBlock) __builtin_trap();
        }
        if (set.bank() != 0 && set.bank() != 1) __builtin_trap();
    }

    const uint8_t* status = data + 21;
    const size_t n = size - 21;
    for (size_t at = 0; at + 6 <= n; at += 6)
        for (bool hamming : {true, false}) {
            device::Status st = device::DecodeStatus(status + at, 6, hamming);
            for (uint8_t v : st.s)
                if (v > 0xF) __builtin_trap();
        }
    return 0;
}
