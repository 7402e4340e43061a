// The adapter's replies as the interactive engine reads them, both versions: any stream of bytes
// from the adapter gives result codes of the table, call records whose number is zero-terminated
// within its 32 bytes (and present exactly when not empty), and a read-back length that fits the
// voice buffer. The first byte picks the version and caller ID; the rest is what the adapter
// sends, taken in order by every exchange of a start, a few polls and a read.
#include <cstdint>
#include <cstring>
#include <vector>

#include "interactive/interactive_core.h"
#include "interactive/itv_result.h"
#include "interactive/voice_message.h"
#include "platform/clock.h"

namespace {

class FeedPort final : public interactive::AdapterPort {
public:
    FeedPort(const uint8_t* data, size_t size, platform::ManualClock& clock)
        : p_(data), end_(data + size), clock_(clock) {}
    bool Write(const uint8_t*, size_t) override { return true; }
    size_t Read(uint8_t* buffer, size_t size) override {
        size_t n = std::min(size, size_t(end_ - p_));
        if (n == 0) {
            clock_.advance(1000);
            return 0;
        }
        std::memcpy(buffer, p_, n);
        p_ += n;
        return n;
    }
    void Purge() override {}
    void SetDtr(bool) override {}
    void SetRts(bool) override {}
    void Sleep(uint32_t ms) override { clock_.advance(ms); }

private:
    const uint8_t* p_;
    const uint8_t* end_;
    platform::ManualClock& clock_;
};

class CheckSink final : public interactive::CoreSink {
public:
    void OnCall(const interactive::CallRecord& r) override {
        if (r.line > 7 || r.number[31] != 0) __builtin_trap();
        if ((r.hasNumber != 0) != (r.number[0] != 0)) __builtin_trap();
    }
    bool OnProgress(size_t bytes) override { return bytes <= interactive::kVoiceBufferSize; }
};

bool Valid(int r) { return r >= 0 && r <= 5; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    platform::ManualClock clock;
    FeedPort port(data + 1, size - 1, clock);
    interactive::CSerial serial(port, clock);
    CheckSink sink;
    interactive::CoreConfig config;
    config.version = data[0] & 1;
    config.useCID = (data[0] & 2) != 0;
    config.cidDigits = 5 + (data[0] >> 2) % 3;
    config.cidType = (data[0] >> 4) % 4;
    interactive::InteractiveCore core(serial, sink, config);
    if (!Valid(core.Run({0, interactive::ITV_CMD_START, 0, 0xFF, 0x03, nullptr}))) __builtin_trap();
    for (int i = 0; i < 4; ++i)
        if (!Valid(core.Poll())) __builtin_trap();
    std::vector<uint8_t> buffer(interactive::kVoiceBufferSize);
    if (!Valid(core.Run({0, interactive::ITV_CMD_READ, 0, 0x01, 0, buffer.data()}))) __builtin_trap();
    if (size_t(buffer[0] | buffer[1] << 8) > interactive::kMaxSamplesV2 - 1) __builtin_trap();
    return 0;
}
