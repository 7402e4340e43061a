#include "sms/status_text.h"

#include <cstdio>
#include <cstring>

#include "app/strings.h"

namespace sms {

std::string StatusText(const SMSStatus& s) {
    switch (s.status) {
        case SMS_PORT_FAILED:
        case SMS_NO_ANSWER:
        case SMS_NOT_SUPPORTED: return app::LoadString(18535 + s.status);
        case SMS_READY: break;
        default: return {};
    }
    std::string text = "OK: ";
    if (std::strstr(s.model, s.manufacturer)) text += s.model;
    else text += std::string(s.manufacturer) + " " + s.model;
    char part[32];
    if (s.batterySupported && s.batteryCharge != 0) {
        std::snprintf(part, sizeof part, ", BAT: %d%%", s.batteryCharge - 1);
        text += part;
    }
    if (s.signalSupported && s.signalQuality != 0) {
        std::snprintf(part, sizeof part, ", SQ: %d%%", s.signalQuality - 1);
        text += part;
    }
    return text;
}

}  // namespace sms
