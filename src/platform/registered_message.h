// Process-wide message numbers by name, as RegisterWindowMessage gives them: the same name always
// gets the same number, numbers start at 0xC000. Safe from any thread.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

constexpr uint32_t kFirstRegisteredMessage = 0xC000;
constexpr uint32_t kLastRegisteredMessage = 0xFFFF;

// 0 when the name is empty or every number is taken.
uint32_t RegisterMessage(std::string_view name);

}  // namespace platform
