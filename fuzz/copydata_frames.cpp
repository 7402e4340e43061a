// The frames of the window messages between programs, as a window reads requests and a sender
// reads replies: damage is refused and never read past, a frame that is read is exactly what its
// sender encoded, and a frame cut short only ever asks for more. The first byte chooses the
// direction.
#include <cstdint>
#include <vector>

#include "platform/copydata_channel.h"

namespace cd = platform::copydata;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::span<const uint8_t> bytes(data + 1, size - 1);
    size_t used = 0;
    if (data[0] & 1) {
        int64_t value = 0;
        const cd::Parse p = cd::ParseReply(bytes, value, used);
        if (p == cd::Parse::Ok) {
            if (used > bytes.size() ||
                cd::EncodeReply(value) != std::vector<uint8_t>(bytes.begin(), bytes.begin() + used))
                __builtin_trap();
        } else if (used != 0) {
            __builtin_trap();
        }
        return 0;
    }
    cd::Request r;
    const cd::Parse p = cd::ParseRequest(bytes, r, used);
    if (p != cd::Parse::Ok) {
        if (used != 0) __builtin_trap();
        return 0;
    }
    if (used > bytes.size() || r.data.size() > cd::kMaxData) __builtin_trap();
    if (cd::EncodeRequest(r.kind, r.dwData, r.wParam, r.data) !=
        std::vector<uint8_t>(bytes.begin(), bytes.begin() + used))
        __builtin_trap();
    // The same frame cut anywhere is not yet a frame.
    for (size_t n = 0; n < used; n += 1 + n / 8) {
        cd::Request part;
        size_t partUsed = 0;
        if (cd::ParseRequest(bytes.first(n), part, partUsed) == cd::Parse::Ok) __builtin_trap();
    }
    return 0;
}
