// The GSM default alphabet of short messages and its extension table, as Unicode.
#pragma once

#include <cstdint>

namespace sms {

constexpr uint8_t kGsmEscape = 0x1B;

// The character of a septet of the default alphabet (the escape 0x1B answers 0x1B).
char32_t GsmToUnicode(uint8_t septet);
// The character of the extension table that the escape followed by this septet stands for, or
// 0 for an escape the table does not define.
char32_t GsmExtensionToUnicode(uint8_t septet);

}  // namespace sms
