#include "pages/page_doc.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/zentrix_app.h"
#include "pages/font_manager.h"
#include "pages/page_image.h"
#include "platform/clock.h"

namespace pages {

CPageDoc::CPageDoc(CFontManager& fonts, const platform::Clock* clock) : fonts_(&fonts), clock_(clock) {
    background.create(PAGE_WIDTH, PAGE_HEIGHT);
    background.fillAll(backgroundColour);
}

CPageDoc::~CPageDoc() = default;

CPageFrame* CPageDoc::frame(int index) const {
    return index >= 0 && index < frameCount() ? frames[size_t(index)].get() : nullptr;
}

std::string CPageDoc::bannersFolder() const {
    if (!bannersFolder_.empty()) return app::WithSlash(bannersFolder_);
    if (auto* theApp = app::CZentrixApp::Instance()) return theApp->GetPath(app::FOLDER_BANNERS);
    return {};
}

void CPageDoc::clearFrames() { frames.clear(); }

void CPageDoc::NewPage() {
    clearFrames();
    SetBackgroundColour(DEFAULT_PAGE_COLOUR);
    NewName();
}

void CPageDoc::NewName() {
    const platform::LocalTime t = (clock_ ? *clock_ : platform::SystemClock::instance()).localTime();
    char name[64];
    std::snprintf(name, sizeof name, "%02d%02d%02d_%02d%02d.zxg", t.year % 100, t.month, t.day, t.hour, t.minute);
    pathName = name;
    modified = false;
}

int CPageDoc::NewFromTemplate(const std::string& path, CPageImage& image) {
    NewPage();
    const int rc = Load(LOAD_FRAMES, path, image);
    NewName();
    hasFile = false;
    return rc;
}

int CPageDoc::AppendFrame(std::unique_ptr<CPageFrame> f) {
    frames.push_back(std::move(f));
    modified = true;
    return frameCount() - 1;
}

void CPageDoc::DeleteFrame(int index) {
    if (!frame(index)) return;
    frames.erase(frames.begin() + index);
    modified = true;
}

void CPageDoc::BringToFront(int index) {
    if (!frame(index)) return;
    std::swap(frames[size_t(index)], frames.back());
    modified = true;
}

void CPageDoc::SendToBack(int index) {
    if (!frame(index)) return;
    std::swap(frames[size_t(index)], frames.front());
    modified = true;
}

int CPageDoc::MovingFrameIndex() const {
    for (int i = 0; i < frameCount(); ++i)
        if (frames[size_t(i)]->format.type != FRAME_FIXED) return i;
    return -1;
}

int32_t CPageDoc::MovingFrameType() const {
    const int i = MovingFrameIndex();
    return i < 0 ? 0 : frames[size_t(i)]->format.type;
}

int CPageDoc::BannerFrameIndex() const {
    for (int i = 0; i < frameCount(); ++i)
        if (frames[size_t(i)]->isBanner()) return i;
    return -1;
}

bool CPageDoc::HasBanner() const { return BannerFrameIndex() >= 0; }

bool CPageDoc::LayoutAll() {
    bool all = true;
    for (auto& f : frames) {
        f->ResetView();
        all = f->Layout(*fonts_) && all;
    }
    return all;
}

PageSummary CPageDoc::BuildSummary() const {
    PageSummary s;
    if (hasBackgroundPicture) s.flags |= SUMMARY_BACKGROUND_PICTURE;
    for (const auto& f : frames) {
        const FrameFormat& ff = f->format;
        if (ff.type != FRAME_FIXED) {
            s.movingType = ff.type;
            s.moving = f->rect;
            s.flags |= SUMMARY_MOVING;
            if (ff.backgroundFrame) s.flags |= SUMMARY_BACKGROUND_FRAME;
            s.border = uint8_t(ff.border);
            int64_t length = 0;
            if (ff.type == FRAME_SCROLLER) {
                for (const TextLine& l : f->lines) length = std::max<int64_t>(length, int64_t(l.x) + l.width);
                length += length & 1;
            } else {
                // The last line's vertical spacing rows are not part of the text.
                if (!f->lines.empty()) {
                    const TextLine& l = f->lines.back();
                    length = int64_t(l.y) + l.ascent + l.descent;
                }
                s.flags |= SUMMARY_NOT_SCROLLER;
            }
            s.textLength = int32_t(std::clamp<int64_t>(length, 2, INT32_MAX));
        } else if (ff.bannerLink && ff.backgroundFrame) {
            s.flags |= SUMMARY_BACKGROUND_FRAME;
        }
    }
    // Everything visible: the whole screen under a visible colour, else the pictures and frames.
    const Rect screen{0, 0, PAGE_WIDTH, PAGE_HEIGHT};
    if (IsVisibleColour(backgroundColour)) {
        s.bounds = screen;
    } else {
        Rect u;
        auto add = [&u](const Rect& r) {
            if (r.empty()) return;
            if (u.empty()) {
                u = r;
                return;
            }
            u = {std::min(u.left, r.left), std::min(u.top, r.top), std::max(u.right, r.right),
                 std::max(u.bottom, r.bottom)};
        };
        if (hasBackgroundPicture) add(backgroundRect);
        for (const auto& f : frames) add(f->rect);
        s.bounds = u.empty() ? screen : u;
    }
    // The words of the page in 63 characters, a space after each run.
    std::string d;
    int available = 63;
    for (const auto& f : frames)
        for (const CParagraph& p : f->paragraphs)
            for (const TextRun& r : p.runs) {
                if (available <= 0) goto done;
                const int n = std::min<int>(available, int(std::min<size_t>(r.text.size(), 63)));
                d.append(r.text, 0, size_t(n));
                if (available - n < 2) goto done;
                d += ' ';
                available -= n + 1;
            }
done:
    std::memcpy(s.description, d.data(), std::min(d.size(), sizeof s.description - 1));
    return s;
}

void CPageDoc::SetFrameRectangle(int index, const Rect& requested) {
    if (CPageFrame* f = frame(index)) {
        f->SetRectangle(requested, *fonts_);
        modified = true;
    }
}

void CPageDoc::SetTextFormat(int index, TextFormatPart part, const TextFormat& tf) {
    if (CPageFrame* f = frame(index)) {
        f->SetTextFormat(part, tf, *fonts_);
        modified = true;
    }
}

void CPageDoc::SetBackgroundColour(uint32_t colour) {
    backgroundColour = colour;
    hasBackgroundPicture = false;
    backgroundRect = {};
    background.create(PAGE_WIDTH, PAGE_HEIGHT);
    background.fillAll(colour);
    modified = true;
}

void CPageDoc::SetBackgroundPicture(const CBitmap32& picture, int32_t x, int32_t y, int32_t sx, int32_t sy) {
    background.create(PAGE_WIDTH, PAGE_HEIGHT);
    background.fillAll(backgroundColour);
    x = std::clamp<int32_t>(x, 0, PAGE_WIDTH);
    y = std::clamp<int32_t>(y, 0, PAGE_HEIGHT);
    sx = std::max<int32_t>(sx, 0);
    sy = std::max<int32_t>(sy, 0);
    const int32_t w = std::clamp<int32_t>(std::min(picture.width() - sx, PAGE_WIDTH - x), 0, PAGE_WIDTH);
    const int32_t h = std::clamp<int32_t>(std::min(picture.height() - sy, PAGE_HEIGHT - y), 0, PAGE_HEIGHT);
    background.blit(picture, x, y, w, h, sx, sy, BLIT_COPY);
    backgroundRect = {x, y, x + w, y + h};
    hasBackgroundPicture = w > 0 && h > 0;
    modified = true;
}

int CPageDoc::CreateFrame(const Rect& rect, const FrameFormat& ff, const ParaFormat& pf, const TextFormat& tf,
                          const std::string& name, bool* demoted) {
    auto f = std::make_unique<CPageFrame>();
    f->name = name;
    f->format = ff;
    f->paragraphs.front().format = pf;
    f->paragraphs.front().runs.front().format = tf;
    const bool demote = ff.type != FRAME_FIXED && (MovingFrameIndex() >= 0 || HasBanner());
    if (demote) f->format.type = FRAME_FIXED;
    if (demoted) *demoted = demote;
    // A Scroller's paragraphs are left-aligned, a Roll's text top-aligned.
    if (f->format.type == FRAME_SCROLLER) f->paragraphs.front().format.align = ALIGN_LEFT;
    if (f->format.type == FRAME_ROLL) f->format.vAlign = VALIGN_TOP;
    // A current size no request can have: the rule treats it as a new rectangle, not a move.
    f->rect = CPageFrame::RectangleRule(Rect{0, 0, INT32_MIN, INT32_MIN}, rect);
    f->Layout(*fonts_);
    return AppendFrame(std::move(f));
}

bool CPageDoc::CanChangeFrameType(int index) const {
    if (!frame(index) || HasBanner()) return false;
    const int moving = MovingFrameIndex();
    return moving < 0 || moving == index;
}

bool CPageDoc::SetFrameType(int index, int32_t type) {
    if (!CanChangeFrameType(index) || type < FRAME_FIXED || type > FRAME_ROLL) return false;
    frames[size_t(index)]->SetType(type, *fonts_);
    modified = true;
    return true;
}

bool CPageDoc::CanLinkBanner(int index) const {
    if (!frame(index)) return false;
    const int banner = BannerFrameIndex();
    if (banner >= 0) return banner == index;
    return MovingFrameIndex() < 0;
}

bool CPageDoc::LinkBanner(int index, const std::string& path, const CBitmap32& preview) {
    if (!CanLinkBanner(index)) return false;
    CPageFrame& f = *frames[size_t(index)];
    f.format.bannerLink = 1;
    f.bannerPath = path;
    f.picture = preview;
    modified = true;
    return true;
}

}  // namespace pages
