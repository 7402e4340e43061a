// The session-packet reader of the Ethernet link: any byte stream, cut anywhere, gives the same
// packets as in one piece, never a packet longer than the protocol allows, and a reader that
// stops at damage instead of reading past it. The first byte chooses the cut.
#include <cstdint>
#include <utility>
#include <vector>

#include "device/session_packet.h"

using Packets = std::vector<std::pair<uint8_t, std::vector<uint8_t>>>;

static Packets ReadAll(const uint8_t* data, size_t size, size_t step, size_t& consumed, bool& failed) {
    device::SessionPacketReader r;
    Packets out;
    consumed = 0;
    uint8_t type = 0;
    std::vector<uint8_t> payload;
    for (size_t i = 0; i < size; i += step) {
        r.feed(data + i, step < size - i ? step : size - i);
        while (r.next(type, payload)) {
            if (payload.size() > device::kMaxSessionPayload) __builtin_trap();
            bool known = type == device::SESSION_MESSAGE ||
                         (type >= device::SESSION_REQUEST && type <= device::SESSION_KEEP_ALIVE);
            if (!known) __builtin_trap();
            consumed += device::kSessionHeaderSize + payload.size();
            out.emplace_back(type, payload);
        }
    }
    failed = r.failed();
    if (!failed && consumed + r.buffered() != size) __builtin_trap();
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t step = 1 + data[0] % 97;
    size_t usedA = 0, usedB = 0;
    bool failedA = false, failedB = false;
    Packets a = ReadAll(data + 1, size - 1, step, usedA, failedA);
    Packets b = ReadAll(data + 1, size - 1, size, usedB, failedB);
    if (a != b || usedA != usedB || failedA != failedB) __builtin_trap();
    return 0;
}
