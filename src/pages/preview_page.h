// The page an editor hands to the on-air preview ("Play page!"): a copy of what playout reads of
// the compiled page (Device data, summary, thumbnail) and of the page document (its path and its
// banner frame), made just before the editor calls OpenPreviewPage. The air frame takes it and
// plays it in place of the shared page document; it owns its copy, so the operator can go on
// editing while the Device still reads from it.
#pragma once

#include <memory>
#include <string>

#include "pages/bitmap32.h"
#include "pages/page_image.h"

namespace pages {

class CPageDoc;

struct PreviewPage {
    std::shared_ptr<const CPageImage> image;  // Device data, summary and thumbnail of the compiled page
    std::string pathName;                     // the page document's path (air log, titles)
    // The first banner-linked frame, when the page has one.
    bool hasBanner = false;
    std::string bannerPath;
    Rect bannerRect;
};

// Makes the hand-off from a page and its current compiled image.
PreviewPage MakePreviewPage(const CPageDoc& page, const CPageImage& image);

// The page waiting for the preview; empty image when none has been handed over.
void SetPreviewPage(PreviewPage page);
PreviewPage CurrentPreviewPage();
void ClearPreviewPage();

}  // namespace pages
