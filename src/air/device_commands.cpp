#include "air/device_commands.h"

#include "device/engine.h"

namespace air {

void EngineCommands::Init(platform::MessageTarget* receiver) { engine_.Init(receiver); }
void EngineCommands::Done() { engine_.Done(); }
bool EngineCommands::Running() const { return engine_.running(); }
uint16_t EngineCommands::ResetDevice() { return engine_.ResetDevice(); }
uint16_t EngineCommands::FillRect(const device::Rect& rect, device::DataRef block, int flags) {
    return engine_.FillRect(rect, std::move(block), flags);
}
uint16_t EngineCommands::LoadRect(const device::Rect& rect, device::DataRef pixels, int flags) {
    return engine_.LoadRect(rect, std::move(pixels), flags);
}
uint16_t EngineCommands::InEffect(uint16_t effectFlags, uint32_t effectParams, const device::Rect& rect) {
    return engine_.InEffect(effectFlags, effectParams, rect);
}
uint16_t EngineCommands::Scroll(const device::Rect& rect, uint16_t scrollFlags, uint32_t length, device::DataRef data) {
    return engine_.Scroll(rect, scrollFlags, length, std::move(data));
}
uint16_t EngineCommands::EndScroll() { return engine_.EndScroll(); }
uint16_t EngineCommands::Cut() { return engine_.Cut(); }
uint16_t EngineCommands::SetMode(uint16_t value) { return engine_.SetMode(value); }
uint16_t EngineCommands::LoadRectData(const device::Rect& rect, device::DataRef pixels) {
    return engine_.LoadRectData(rect, std::move(pixels));
}
uint16_t EngineCommands::Reply(uint16_t code, uint16_t autoReply) { return engine_.Reply(code, autoReply); }
uint16_t EngineCommands::Pause() { return engine_.Pause(); }

}  // namespace air
