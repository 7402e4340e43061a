#include "air/device_commands.h"

#include "device/engine.h"

namespace air {

void EngineCommands::Init(platform::MessageTarget* receiver) { engine_.Init(receiver); }
void EngineCommands::Done() { engine_.Done(); }
void EngineCommands::ResetDevice() { engine_.ResetDevice(); }
bool EngineCommands::FillRect(const device::Rect& rect, device::DataRef block, int flags) {
    return engine_.FillRect(rect, std::move(block), flags);
}
bool EngineCommands::LoadRect(const device::Rect& rect, device::DataRef pixels, int flags) {
    return engine_.LoadRect(rect, std::move(pixels), flags);
}
void EngineCommands::InEffect(uint16_t effectFlags, uint32_t effectParams, const device::Rect& rect) {
    engine_.InEffect(effectFlags, effectParams, rect);
}
bool EngineCommands::Scroll(const device::Rect& rect, uint16_t scrollFlags, uint32_t length, device::DataRef data) {
    return engine_.Scroll(rect, scrollFlags, length, std::move(data));
}
void EngineCommands::EndScroll() { engine_.EndScroll(); }
void EngineCommands::Cut() { engine_.Cut(); }
void EngineCommands::SetMode(uint16_t value) { engine_.SetMode(value); }
bool EngineCommands::LoadRectData(const device::Rect& rect, device::DataRef pixels) {
    return engine_.LoadRectData(rect, std::move(pixels));
}
void EngineCommands::Reply(uint16_t code, uint16_t autoReply) { engine_.Reply(code, autoReply); }
void EngineCommands::Pause() { engine_.Pause(); }

}  // namespace air
