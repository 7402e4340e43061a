#include "pages/background_placement.h"

#include <algorithm>
#include <cstring>

#include "app/log/event_log.h"
#include "pages/picture_import.h"

namespace pages {

namespace {

// One axis of an anchor: side 0 = left/top, 1 = centre, 2 = right/bottom.
void placeAxis(int side, int32_t size, int32_t page, int32_t& at, int32_t& source) {
    switch (side) {
        case 0:
            at = 0;
            source = 0;
            break;
        case 1:
            at = std::max(0, (page - size) / 2);
            source = std::max(0, (size - page) / 2);
            break;
        default:
            at = size <= page ? page - size : 0;
            source = std::max(0, size - page);
            break;
    }
}

}  // namespace

BackgroundPlacement PlaceBackground(int32_t pictureWidth, int32_t pictureHeight, const BackgroundPosition& position,
                                    int32_t pageWidth, int32_t pageHeight) {
    BackgroundPlacement p;
    if (pictureWidth <= 0 || pictureHeight <= 0 || pageWidth <= 0 || pageHeight <= 0) return p;
    if (position.anchor == ANCHOR_MANUAL) {
        p.x = std::clamp(position.x, 0, std::max(0, ManualMaxX(pageWidth)));
        p.y = std::clamp(position.y, 0, std::max(0, ManualMaxY(pageHeight)));
    } else {
        const int anchor = std::clamp(position.anchor, int(ANCHOR_TL), int(ANCHOR_BR));
        placeAxis(anchor / 3, pictureWidth, pageWidth, p.x, p.sourceX);
        placeAxis(anchor % 3, pictureHeight, pageHeight, p.y, p.sourceY);
    }
    // A picture moved right or down by hand is cut at the page's edge, so the background
    // rectangle never reaches outside the page's image.
    p.width = std::min(pictureWidth - p.sourceX, pageWidth - p.x);
    p.height = std::min(pictureHeight - p.sourceY, pageHeight - p.y);
    return p;
}

bool ImportBackgroundPicture(const std::string& path, bool dither, int32_t pageWidth, int32_t pageHeight,
                             const AskBackgroundPosition& ask, CBitmap32& picture, BackgroundPlacement& at) {
    CBitmap32 read;
    if (!ReadPictureWithPair(path, true, read)) return false;
    BackgroundPosition position;
    position.anchor = ANCHOR_TL;  // a page-sized picture: (0, 0)
    if (!IsPageSized(read, pageWidth, pageHeight)) {
        position.anchor = ANCHOR_C;
        if (!ask || !ask(read.width(), read.height(), position)) return false;
    }
    if (dither) Dither(read);
    at = PlaceBackground(read.width(), read.height(), position, pageWidth, pageHeight);
    LogMessage("ImportBackgroundPicture: %s %dx%d at %d,%d", path.c_str(), read.width(), read.height(), at.x, at.y);
    picture = std::move(read);
    return true;
}

void TilePicture(const CBitmap32& tile, CBitmap32& out) {
    if (tile.empty() || out.empty()) return;
    const int32_t tw = tile.width(), th = tile.height();
    for (int32_t y = 0; y < out.height(); ++y) {
        const uint8_t* src = tile.pixel(0, y % th);
        uint8_t* dst = out.pixel(0, y);
        for (int32_t x = 0; x < out.width(); x += tw)
            std::memcpy(dst + size_t(x) * 4, src, size_t(std::min(tw, out.width() - x)) * 4);
    }
}

bool MakeReferenceBackground(bool show, const std::string& path, bool report, int32_t pageWidth, int32_t pageHeight,
                             CBitmap32& out) {
    out.create(pageWidth, pageHeight);  // opaque black
    if (!show) return false;
    CBitmap32 picture;
    if (path.empty() || !ReadPicture(path, report, picture)) return false;
    TilePicture(picture, out);
    return true;
}

}  // namespace pages
