// The engine's line parser with the modem's replies in every state: the first four bytes choose
// the state, the reply counter, the slot being read and the announced length; then each chunk is
// a length byte and that many bytes, appended as the reader appends them (never past the
// buffer's 16,384 bytes), each followed by a data pass, now and then by a time-out pass. The
// buffer never overflows, and a full buffer is always emptied by the pass that finds it full.
#include <cstdint>
#include <string>

#include "platform/code_page.h"
#include "sms/engine_core.h"

namespace {

class NullPort final : public sms::ModemPort {
public:
    bool Open(uint32_t, long& handle) override {
        handle = 3;
        return true;
    }
    void Close() override {}
    void Write(std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const platform::CodePage cp(1251);
    if (size < 4) return 0;
    NullPort port;
    sms::ReceiveBuffer rx;
    sms::EngineConfig config;
    config.preferPhoneMemory = data[1] & 0x80;
    sms::EngineCore core(port, rx, cp, config);
    const sms::EngineState states[] = {sms::EngineState::Idle, sms::EngineState::Init, sms::EngineState::Status,
                                       sms::EngineState::List, sms::EngineState::Read};
    core.Seed(states[data[0] % 5], data[1] % 14, data[2] % 4, int(int8_t(data[3])) * 3);
    uint32_t tick = 5000;
    size_t pos = 4;
    // Long chunks are made of repeats, so that short inputs can fill the buffer.
    while (pos < size) {
        size_t n = data[pos++];
        std::string chunk;
        if (n == 0xFF && pos < size) {
            chunk.assign(size_t(data[pos++]) * 256, 'A');
        } else {
            for (size_t i = 0; i < n && pos < size; ++i) chunk.push_back(char(data[pos++]));
        }
        rx.append(chunk.data(), chunk.size());
        if (rx.fill() > sms::kReceiveBufferSize) __builtin_trap();
        core.Pass(tick, sms::Wake::Data);
        if (rx.fill() >= sms::kReceiveBufferSize) __builtin_trap();  // stuck: the reader could add nothing
        if (n & 1) {
            tick += 1500 * (n & 0x0F);
            core.Pass(tick, sms::Wake::Timeout);
        }
    }
    core.Pass(tick, sms::Wake::Stop);
    if (core.portOpen()) __builtin_trap();
    return 0;
}
