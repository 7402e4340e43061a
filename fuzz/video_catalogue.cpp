// The clip catalogue (video.dat) as it comes from disk: any text reads into entries that fit
// the catalogue's records, and what was read is written back to the same entries.
#include <cstdint>
#include <string_view>

#include "video/video_library.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto entries = video::CVideoLibrary::Parse({reinterpret_cast<const char*>(data), size});
    for (const video::LibraryEntry& e : entries) {
        if (e.name.empty() || e.name.size() > video::kMaxClipName || e.description.size() > video::kMaxDescription)
            __builtin_trap();
        if (e.name.find('\n') != std::string::npos || e.description.find('\n') != std::string::npos) __builtin_trap();
    }
    // A '\r' inside a line is the one thing the text cannot carry back.
    bool plain = true;
    for (const auto& e : entries)
        plain = plain && e.name.find('\r') == std::string::npos && e.description.find('\r') == std::string::npos;
    if (plain && video::CVideoLibrary::Parse(video::CVideoLibrary::Format(entries)) != entries) __builtin_trap();
    return 0;
}
