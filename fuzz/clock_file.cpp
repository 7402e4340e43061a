// The clock file's reader, whole and thumbnail only: any bytes give a code, never a crash. An
// accepted header holds only values the maker makes, and a clock that loads renders every hand
// inside its pictures. Inputs shorter than a clock file are also tried as the start of one (the
// rest zero), so that fuzzed headers reach the render.
#include <cstdint>
#include <cstring>
#include <vector>

#include "pages/bitmap32.h"
#include "pages/file_result.h"
#include "wizards/clock_image.h"

namespace {

bool Known(int rc) { return rc == pages::FILE_OK || rc == pages::FILE_FORMAT_ERROR || rc == pages::FILE_VERSION_ERROR; }

void Check(const uint8_t* data, size_t size) {
    wizards::CClockImage clock;
    const int full = clock.LoadFromMemory(data, size);
    pages::CBitmap32 thumb;
    const int head = wizards::CClockImage::ThumbnailFromMemory(data, size, thumb);
    if (!Known(full) || !Known(head)) __builtin_trap();
    if (full == pages::FILE_OK) {
        if (head != pages::FILE_OK || !wizards::ClockHeaderValid(clock.header())) __builtin_trap();
        if (!clock.Prepare()) __builtin_trap();
        const int times[][3] = {{0, 0, 0}, {3, 0, 37}, {7, 22, 45}, {10, 51, 16}};
        for (const auto& t : times) {
            clock.Render(t[0], t[1], t[2], true);
            const pages::Rect& a = clock.lastRendered();
            if (!a.empty() && (a.left < 0 || a.top < 0 || a.right > wizards::CLOCK_AREA_WIDTH ||
                               a.bottom > wizards::CLOCK_AREA_HEIGHT || (a.width() & 1)))
                __builtin_trap();
            if (clock.blockSize(clock.currentBuffer()) > wizards::CLOCK_BUFFER_BYTES) __builtin_trap();
            clock.SwitchBuffer();
        }
    }
    if (head == pages::FILE_OK && (thumb.width() != 360 || thumb.height() != 288)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Check(data, size);
    if (size >= wizards::CLOCK_HEADER_SIZE && size < wizards::CLOCK_FILE_SIZE) {
        static std::vector<uint8_t> file(wizards::CLOCK_FILE_SIZE);
        std::memset(file.data(), 0, file.size());
        std::memcpy(file.data(), data, size);
        Check(file.data(), file.size());
    }
    return 0;
}
