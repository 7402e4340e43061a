// Titles files as they come from disk: any bytes give a list of captions without a crash or a
// hang; what is read is written back into a file that reads to the same captions, and writing
// that again gives the same bytes.
#include <cstdint>
#include <string_view>

#include "air/captions_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const air::CaptionList list = air::ParseCaptions(text);
    size_t bytes = 0;
    for (const std::string& c : list) {
        if (c.empty()) __builtin_trap();
        bytes += c.size();
    }
    if (bytes > 2 * size) __builtin_trap();  // LF-only lines come back joined by CR LF
    const std::string file = air::FormatCaptions(list);
    const air::CaptionList back = air::ParseCaptions(file);
    if (back != list) __builtin_trap();
    if (air::FormatCaptions(back) != file) __builtin_trap();
    return 0;
}
