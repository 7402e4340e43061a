// The banner file's head: any bytes give a code, and an accepted header has a frame size a banner
// can have and writes back to the same bytes' fields.
#include <cstdint>
#include <vector>

#include "pages/banner_file.h"
#include "pages/file_result.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pages::BannerHeader h;
    const int rc = pages::ParseBannerHeader(data, size, h);
    if (rc != pages::FILE_OK) {
        if (rc != pages::FILE_FORMAT_ERROR && rc != pages::FILE_VERSION_ERROR) __builtin_trap();
        return 0;
    }
    if (h.width < 2 || h.height < 2 || h.width * h.height > pages::BANNER_MAX_PIXELS) __builtin_trap();
    pages::BannerHeader back;
    const std::vector<uint8_t> bytes = pages::BannerHeadBytes(h, nullptr);
    if (pages::ParseBannerHeader(bytes.data(), bytes.size(), back) != pages::FILE_OK || back.frames != h.frames ||
        back.width != h.width || back.height != h.height || back.flags != h.flags || back.border != h.border)
        __builtin_trap();
    return 0;
}
