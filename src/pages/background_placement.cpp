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

Rect PutBackgroundPicture(const CBitmap32& picture, const BackgroundPlacement& at, uint32_t colour,
                          int32_t pageWidth, int32_t pageHeight, CBitmap32& backgroundImage) {
    CBitmap32 image(pageWidth, pageHeight);
    image.fillAll(colour);
    // Cut to both bitmaps again: a placement made for another picture or page cannot overrun.
    const int32_t x = std::max(0, at.x), y = std::max(0, at.y);
    const int32_t sx = std::max(0, at.sourceX), sy = std::max(0, at.sourceY);
    const int32_t w = std::min({at.width, image.width() - x, picture.width() - sx});
    const int32_t h = std::min({at.height, image.height() - y, picture.height() - sy});
    Rect rect;
    if (w > 0 && h > 0) {
        for (int32_t row = 0; row < h; ++row)
            std::memcpy(image.pixel(x, y + row), picture.pixel(sx, sy + row), size_t(w) * 4);
        rect = {x, y, x + w, y + h};
    }
    backgroundImage = std::move(image);
    return rect;
}

bool ImportBackgroundPicture(const std::string& path, bool dither, uint32_t colour, int32_t pageWidth,
                             int32_t pageHeight, const AskBackgroundPosition& ask, CBitmap32& backgroundImage,
                             Rect& backgroundRect) {
    CBitmap32 picture;
    if (!ReadPictureWithPair(path, true, picture)) return false;
    BackgroundPosition position;
    position.anchor = ANCHOR_TL;  // a page-sized picture: (0, 0)
    if (!IsPageSized(picture, pageWidth, pageHeight)) {
        position.anchor = ANCHOR_C;
        if (!ask || !ask(picture.width(), picture.height(), position)) return false;
    }
    if (dither) Dither(picture);
    const BackgroundPlacement at = PlaceBackground(picture.width(), picture.height(), position, pageWidth, pageHeight);
    backgroundRect = PutBackgroundPicture(picture, at, colour, pageWidth, pageHeight, backgroundImage);
    LogMessage("ImportBackgroundPicture: %s %dx%d at %d,%d", path.c_str(), picture.width(), picture.height(), at.x,
               at.y);
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

bool MakeReferenceBackground(bool show, const std::string& path, bool report, int32_t pageWidth,
                             int32_t pageHeight, CBitmap32& out) {
    out.create(pageWidth, pageHeight);  // opaque black
    if (!show) return false;
    CBitmap32 picture;
    if (path.empty() || !ReadPicture(path, report, picture)) return false;
    TilePicture(picture, out);
    return true;
}

}  // namespace pages
