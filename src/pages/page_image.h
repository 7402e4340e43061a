// A compiled page: what the renderer makes of a page and the page file caches, so that playout
// only reads and sends. The page picture and the strip of a moving frame are converted into
// Device pictures: the still first, then the strip in chunks of 256 pixels along the motion.
#pragma once

#include <cstdint>
#include <vector>

#include "pages/bitmap32.h"
#include "pages/page_format.h"

namespace pages {

class CPageDoc;

// Whether a still block (2 checksum bytes, low first, then its words) carries the checksum of its
// words. A block compiled without checksums (both bytes 0) has none to check and passes.
bool StillChecksumOk(const uint8_t* block, size_t size);

enum : int {
    COMPILE_DEVICE = 0x0001,       // build the Device data
    COMPILE_FILTER = 0x0002,       // pass the page picture and the strip through the vertical filter
    COMPILE_THUMBNAIL = 0x0004,    // build the thumbnail
    COMPILE_NO_CHECKSUM = 0x1000,  // zero instead of the checksums
};

// The compile's progress (a progress bar): a range, then one step per stage.
class CompileProgress {
public:
    virtual ~CompileProgress() = default;
    virtual void SetRange(int steps) = 0;
    virtual void Step() = 0;
};

class CPageImage {
public:
    CBitmap32 picture;    // 720 × 576
    CBitmap32 strip;      // the moving frame's text; empty without one
    CBitmap32 thumbnail;  // 360 × 288
    PageSummary summary;
    DeviceHeader device;
    std::vector<uint8_t> data;  // still, then the strip chunks

    // Summary and Device header zeroed, bitmaps and data freed.
    void Clear();

    // Renders a page with the options above (the page editor uses 7 with its "Filter"
    // preference, 5 without). Lays every frame out first.
    void Compile(CPageDoc& page, int options, CompileProgress* progress = nullptr);

    bool uniform() const { return (device.flags & DEVICE_UNIFORM) != 0; }
    bool hasStrip() const { return (device.flags & DEVICE_HAS_STRIP) != 0; }
    // The still block and strip chunk k inside data (nullptr when absent).
    const uint8_t* still() const;
    const uint8_t* chunk(uint32_t k, size_t* size = nullptr) const;
};

}  // namespace pages
