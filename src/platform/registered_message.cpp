#include "platform/registered_message.h"

#include <map>
#include <mutex>
#include <string>

namespace platform {

uint32_t RegisterMessage(std::string_view name) {
    static std::mutex m;
    static std::map<std::string, uint32_t, std::less<>> numbers;
    if (name.empty()) return 0;
    std::lock_guard lock(m);
    if (auto it = numbers.find(name); it != numbers.end()) return it->second;
    uint32_t next = kFirstRegisteredMessage + uint32_t(numbers.size());
    if (next > kLastRegisteredMessage) return 0;
    numbers.emplace(std::string(name), next);
    return next;
}

}  // namespace platform
