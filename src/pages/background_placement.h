// Where a picture goes when it becomes a page's background, and the picture the page editor
// shows behind a page for reference. The page's size comes from the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "pages/bitmap32.h"

namespace pages {

// The positions of the "Import picture" dialog, in the order of its radio buttons (columns left,
// centre, right; top to bottom in each), then "Manual".
enum BackgroundAnchor : int {
    ANCHOR_TL = 0,
    ANCHOR_CL = 1,
    ANCHOR_BL = 2,
    ANCHOR_TC = 3,
    ANCHOR_C = 4,
    ANCHOR_BC = 5,
    ANCHOR_TR = 6,
    ANCHOR_CR = 7,
    ANCHOR_BR = 8,
    ANCHOR_MANUAL = 9,
};

// The operator's choice: an anchor, or Manual with the picture's top-left corner on the page.
struct BackgroundPosition {
    int anchor = ANCHOR_C;
    int32_t x = 0;
    int32_t y = 0;
};

// The largest Manual position: the picture keeps at least two columns and two rows on the page.
inline int32_t ManualMaxX(int32_t pageWidth) { return pageWidth - 2; }
inline int32_t ManualMaxY(int32_t pageHeight) { return pageHeight - 2; }

// The picture region that lands on the page.
struct BackgroundPlacement {
    int32_t x = 0, y = 0;              // top-left corner on the page
    int32_t sourceX = 0, sourceY = 0;  // first picture pixel copied
    int32_t width = 0, height = 0;     // copied size, inside both the picture and the page

    Rect rect() const { return {x, y, x + width, y + height}; }
    bool operator==(const BackgroundPlacement&) const = default;
};

// Anchors: horizontally, left puts the picture at 0; centre at (page - w) / 2, or, for a picture
// wider than the page, shows its middle; right puts its right edge on the page's, or shows its
// right end. Vertically the same. Manual puts the picture's corner at (x, y), kept within
// 0..ManualMax, from the picture's corner. The copied size never runs past the page.
BackgroundPlacement PlaceBackground(int32_t pictureWidth, int32_t pictureHeight, const BackgroundPosition& position,
                                    int32_t pageWidth, int32_t pageHeight);

// A picture of exactly the page's size goes to (0, 0) without asking.
inline bool IsPageSized(const CBitmap32& picture, int32_t pageWidth, int32_t pageHeight) {
    return picture.width() == pageWidth && picture.height() == pageHeight;
}

// Asks the operator where a picture of w × h goes ("Import picture" dialog); false = cancelled.
using AskBackgroundPosition = std::function<bool(int32_t width, int32_t height, BackgroundPosition& position)>;

// "Import page background picture": reads the picture with its pair (messages shown), asks for a
// position unless it is page-sized, and dithers when asked. The page then takes the placed
// region (CPageDoc::SetBackgroundPicture(picture, at.x, at.y, at.sourceX, at.sourceY)), which
// fills the background with its colour and copies the region. False, with picture and at left
// as they were, when reading failed or the question was cancelled.
bool ImportBackgroundPicture(const std::string& path, bool dither, int32_t pageWidth, int32_t pageHeight,
                             const AskBackgroundPosition& ask, CBitmap32& picture, BackgroundPlacement& at);

// Repeats a picture over the whole of out from its top-left corner (plain copies).
void TilePicture(const CBitmap32& tile, CBitmap32& out);

// The page editor's reference background ("View background"): the picture at path tiled over
// pageWidth × pageHeight, or opaque black when show is off or the picture cannot be read (3030 /
// 3031 shown when report is set). True when the picture is shown; when show was on and this is
// false, the caller switches the setting off.
bool MakeReferenceBackground(bool show, const std::string& path, bool report, int32_t pageWidth, int32_t pageHeight,
                             CBitmap32& out);

}  // namespace pages
