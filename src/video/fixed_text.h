// Names in the fixed fields of the playlist records: NUL-terminated within the field, zero
// after. A field without its NUL is damage, not a longer name.
#pragma once

#include <cstring>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace video {

inline bool ReadFixedText(platform::ByteReader& r, size_t width, std::string& out) {
    std::string field(width, '\0');
    if (!r.bytes(field.data(), width)) return false;
    const size_t end = field.find('\0');
    if (end == std::string::npos) return false;
    field.resize(end);
    out = std::move(field);
    return true;
}

// The text is cut to fit (callers refuse what must not be cut before they get here).
inline void WriteFixedText(platform::ByteWriter& w, std::string_view text, size_t width) {
    const size_t n = std::min(text.size(), width - 1);
    w.bytes(text.data(), n);
    w.zeros(width - n);
}

}  // namespace video
