// The adapter stand-in's parsers: control lines and the program's bytes of both versions. Every
// control line gets one reply line starting with OK or ERR (or none for the simulator's own
// commands), and no input breaks the adapter's state: calls waiting stay within the lines.
#include <cstdint>
#include <string>
#include <string_view>

#include "phonesim/adapter.h"
#include "phonesim/control.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    phonesim::AdapterOptions o;
    o.version = (data[0] & 1) ? 2 : 1;
    o.lines = 1 + (data[0] >> 1) % 8;
    phonesim::Adapter a(o);
    uint64_t now = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string_view::npos) nl = text.size();
        bool handled = true;
        const std::string reply = phonesim::HandleControl(a, text.substr(start, nl - start), now, handled);
        if (handled && reply.compare(0, 2, "OK") != 0 && reply.compare(0, 3, "ERR") != 0) __builtin_trap();
        if (!handled && !reply.empty()) __builtin_trap();
        if (reply.find('\n') != std::string::npos) __builtin_trap();
        now += 700;
        start = nl + 1;
    }
    const uint32_t baud = a.expectedBaud();
    a.receive(data + 1, size - 1, true, baud, now);
    if (a.waitingCalls() > 1000000) __builtin_trap();
    return 0;
}
