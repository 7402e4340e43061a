// The USB adapter's per-port state machine under any sequence of the library's events and any
// results of its calls: no crash, at most one vote per call, a number always zero-terminated, and
// no port off-hook once a hang-up succeeded and its "done" came. The first byte picks caller ID,
// AOH and the bound lines; then each 4 bytes are an event (event, port, value) and the next
// results of the calls (a bit each: OffHook, Pause, PlayFile, Hangup, GetPortState).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>

#include "interactive/usb_ports.h"

namespace {

using namespace interactive;

struct FuzzCalls final : UsbCalls {
    uint8_t results = 0;
    const uint8_t* numberBytes = nullptr;
    std::map<int, bool> offHook;  // the library's side: a line answered and not yet hung up
    int fail(int bit) const { return results >> bit & 1; }
    int GetNumber(int, char (&number)[32]) override {
        if (fail(4)) return 1;
        for (size_t i = 0; i < 31; ++i) number[i] = char('0' + (numberBytes[i % 4] + i) % 10);
        number[31] = 0;
        return 0;
    }
    int OffHook(int port) override {
        if (fail(0)) return 1;
        offHook[port] = true;
        return 0;
    }
    int Pause(int, int) override { return fail(1); }
    int PlayFile(int, const std::string&) override { return fail(2); }
    int Hangup(int port) override {
        if (fail(3)) return 1;
        offHook[port] = false;
        return 0;
    }
};

struct CountSink final : UsbSink {
    int calls = 0;
    void OnCall(const CallRecord& r) override {
        ++calls;
        if (std::memchr(r.number, 0, sizeof r.number) == nullptr || r.line >= kUsbLines) std::abort();
        if ((r.number[0] != 0) != (r.hasNumber != 0)) std::abort();
    }
    void OnStatus(const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FuzzCalls calls;
    CountSink sink;
    UsbPortTable table(calls, sink);
    UsbLineConfig config;
    config.useCID = data[0] & 1;
    config.aoh = data[0] & 2;
    config.assigned = uint8_t(0x0F | (data[0] & 0xF0));
    config.soundFiles[0] = (data[0] & 4) ? "" : "line1.wav";
    config.soundFiles[1] = "line2.wav";
    table.Start(config);
    std::map<int, int> callVotes;  // votes since the port's call began (line status 3 while listening)
    for (size_t i = 1; i + 4 <= size; i += 4) {
        int event = data[i] % 6;
        int port = 100 + data[i + 1] % 12;  // lines -1 .. 10
        int value = data[i + 2] % 5;
        calls.results = data[i + 3];
        calls.numberBytes = data + i;
        const UsbPort* before = table.Find(port);
        if (event == 1 && value == 3 && before && before->state == USB_LISTENING) callVotes[port] = 0;
        int votesBefore = sink.calls;
        int stateBefore = before ? before->state : -1;
        table.OnNotify(uintptr_t(event), intptr_t(port) * 65536 + value);
        const UsbPort* p = table.Find(port);
        if (p && (p->state < USB_NOT_READY || p->state > USB_HANGING_UP)) std::abort();
        if (p && std::memchr(p->number, 0, sizeof p->number) == nullptr) std::abort();
        // One event gives at most one vote, and only for a port that was answering.
        if (sink.calls > votesBefore + 1) std::abort();
        if (sink.calls > votesBefore && ++callVotes[port] > 1) std::abort();
        if (sink.calls > votesBefore && !(p && p->voted)) std::abort();
        // A port the hang-up finished on is not off-hook.
        if (stateBefore == USB_HANGING_UP && event == 4 && p && p->state == USB_LISTENING && calls.offHook[port])
            std::abort();
        if (!table.Assigned(port) && sink.calls != votesBefore) std::abort();
    }
    table.Stop();
    if (table.OnNotify(0, 101 * 65536)) std::abort();
    return 0;
}
