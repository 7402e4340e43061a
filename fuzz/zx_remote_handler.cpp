// zx-remote's message handler: any dwData and data block, and any 264-byte command block (any
// action, any name), gives one of the replies the program knows; a macro from any text is refused
// or runs to its end. The first byte chooses dwData.
#include <cstdint>
#include <string>
#include <vector>

#include "video/remote_buttons.h"
#include "zx-remote/macro.h"
#include "zx-remote/remote_program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    platform::ManualClock clock;
    zxremote::RemoteProgram program(clock, zxremote::SwitcherSetup{});
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    program.setReadFile([&rest](const std::string&, std::string& text) {
        text = rest;
        return true;
    });
    const uint32_t dwData = data[0] % 4;
    const std::span<const uint8_t> raw(data + 1, size - 1);
    int64_t reply = program.OnCopyData(dwData, raw);
    if (raw.size() != video::kRemotePayloadBytes && reply != 0) __builtin_trap();
    // The same bytes as a whole block.
    std::vector<uint8_t> block(video::kRemotePayloadBytes, 0);
    std::copy(raw.begin(), raw.begin() + std::min(raw.size(), block.size() - 1), block.begin());
    block.back() = 0;
    reply = program.OnCopyData(dwData, block);
    if (dwData == video::REMOTE_MSG_COMMAND && (reply < 0 || reply > 2)) __builtin_trap();
    if (dwData == video::REMOTE_MSG_SCRIPT && (reply < 0 || reply > int64_t(zxremote::kMacroMaxSteps)))
        __builtin_trap();
    if (dwData != video::REMOTE_MSG_COMMAND && dwData != video::REMOTE_MSG_SCRIPT && reply != 0) __builtin_trap();
    // Whatever was queued runs.
    for (int i = 0; i < 3 && program.switcher().State().macroSteps; ++i) clock.advance(zxremote::kMacroMaxTotalMs);
    if (program.switcher().State().macroSteps != 0) __builtin_trap();
    program.StateJson();
    program.LogJson();
    return 0;
}
