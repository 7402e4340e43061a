#include "sms/embedded_modem.h"

#include <mutex>

namespace sms {

namespace {
std::mutex& Mutex() {
    static std::mutex m;
    return m;
}
EmbeddedModem& Registered() {
    static EmbeddedModem modem;
    return modem;
}
}  // namespace

void SetEmbeddedModem(EmbeddedModem modem) {
    std::lock_guard l(Mutex());
    Registered() = std::move(modem);
}

EmbeddedModem GetEmbeddedModem() {
    std::lock_guard l(Mutex());
    return Registered();
}

}  // namespace sms
