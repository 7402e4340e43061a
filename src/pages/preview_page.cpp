#include "pages/preview_page.h"

#include <mutex>

#include "pages/page_doc.h"

namespace pages {

namespace {
std::mutex g_mutex;
PreviewPage g_page;
}  // namespace

PreviewPage MakePreviewPage(const CPageDoc& page, const CPageImage& image) {
    PreviewPage p;
    // Playout reads the Device data, the summary and the thumbnail; the full-size picture and
    // the strip bitmap stay with the editor (they would double the copy's cost).
    auto copy = std::make_shared<CPageImage>();
    copy->thumbnail = image.thumbnail;
    copy->summary = image.summary;
    copy->device = image.device;
    copy->data = image.data;
    p.image = std::move(copy);
    p.pathName = page.pathName;
    const int banner = page.BannerFrameIndex();
    if (const CPageFrame* f = page.frame(banner)) {
        p.hasBanner = true;
        p.bannerPath = f->bannerPath;
        p.bannerRect = f->rect;
    }
    return p;
}

void SetPreviewPage(PreviewPage page) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_page = std::move(page);
}

PreviewPage CurrentPreviewPage() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_page;
}

void ClearPreviewPage() { SetPreviewPage({}); }

}  // namespace pages
