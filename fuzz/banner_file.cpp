// The banner player on any file: open gives 0, 259 or 260, never a crash; a banner that opens
// delivers every frame whole or ends, and never reads past what its checks admitted.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "pages/banner_file.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "wizards/banner_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        char name[] = "/tmp/zx-fuzz-banner-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd >= 0) ::close(fd);
        return std::string(name);
    }();
    if (!platform::WriteFileAtomic(path, data, size)) return 0;
    wizards::CBannerPlayer player;
    const int rc = player.open(path);
    if (rc != pages::FILE_OK) {
        if (rc != pages::FILE_FORMAT_ERROR && rc != pages::FILE_VERSION_ERROR) __builtin_trap();
        return 0;
    }
    const pages::BannerHeader& h = player.header();
    if (pages::BannerFileSize(h) > size || h.rate100 < 100 || h.rate100 > 3000 || h.frames == 0 || (h.width & 1) ||
        h.x + h.width > 720 || h.y + h.height > 576)
        __builtin_trap();
    player.Rewind();
    const bool loop = (h.flags & pages::BANNER_LOOP) != 0;
    // Twice through: a looping banner starts again, one that does not ends after its last frame.
    uint32_t n = 0;
    for (; n < 2 * h.frames + 1 && !player.NextFrame(); ++n)
        if (player.FrameBlock().size() != player.blockSize()) __builtin_trap();
    if (loop ? n != 2 * h.frames + 1 : n != h.frames) __builtin_trap();
    return 0;
}
