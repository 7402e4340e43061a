// Joins a letter and a following combining mark into one precomposed letter, as the original
// platform's composite check does before a UCS2 text goes into an 8-bit code page.
#pragma once

namespace sms {

// The precomposed letter, or 0 when the pair has none.
char32_t Compose(char32_t base, char32_t mark);

// Whether a code point is a combining diacritical mark (U+0300-U+036F).
inline bool IsCombiningMark(char32_t c) { return c >= 0x300 && c < 0x370; }

}  // namespace sms
