// The head of an animated banner file (".zxa"): the 64-byte header and the preview picture of
// its first frame. What a page needs to link a banner and show where it goes; the frames
// themselves are read by the banner player while it plays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pages/bitmap32.h"

namespace pages {

constexpr uint32_t BANNER_VERSION = 0x00010001;
constexpr size_t BANNER_HEADER_SIZE = 64;
// The largest frame a banner has.
constexpr int32_t BANNER_MAX_WIDTH = 1424, BANNER_MAX_HEIGHT = 1136, BANNER_MAX_PIXELS = 404416;

enum : uint8_t {
    BANNER_HAS_PREVIEW = 0x01,
    BANNER_LOOP = 0x02,
};

struct BannerHeader {
    uint32_t frames = 0;
    uint32_t rate100 = 0;  // frames per second × 100
    int32_t width = 0, height = 0;
    int32_t x = 0, y = 0;
    uint8_t flags = 0;
    uint8_t border = 0;
};

// The frame rates a banner may have (× 100) and the largest frame border.
constexpr uint32_t BANNER_MIN_RATE100 = 100, BANNER_MAX_RATE100 = 3000;
constexpr uint8_t BANNER_MAX_BORDER = 14;

// Bytes of the preview, of one frame's Device block, where the frames begin and the whole file.
uint64_t BannerPreviewSize(const BannerHeader& h);
uint64_t BannerBlockSize(const BannerHeader& h);
uint64_t BannerFramesOffset(const BannerHeader& h);
uint64_t BannerFileSize(const BannerHeader& h);

// Decodes the header from the start of a file (at least BANNER_HEADER_SIZE bytes). A file
// result code: 259 without the magic "ZAVI" or with values no banner can be played with (a
// frame size beyond the limits, an odd width or x, a frame off the 720 × 576 picture, no frames,
// a frame rate outside 1..30 per second, a border above 14), 260 for another version.
int ParseBannerHeader(const uint8_t* data, size_t size, BannerHeader& header);
// The same, and 259 when a file of fileSize bytes is shorter than its preview and frames.
int CheckBannerFile(const uint8_t* data, size_t size, uint64_t fileSize, BannerHeader& header);

// Reads the header and the preview (all zero when the file has none), checking the file as
// CheckBannerFile does. A file result code: 257 when the file cannot be opened, 259 when it is
// not a banner file or too short for its frames, 260 for another version.
int ReadBannerHead(const std::string& path, BannerHeader& header, CBitmap32& preview);

// The 64-byte header and preview as a writer lays them out (tests, tools).
std::vector<uint8_t> BannerHeadBytes(const BannerHeader& header, const CBitmap32* preview);

}  // namespace pages
