// The air frame's TV banner, on its own or linked to a frame of a page: one frame at a time into
// the half of the banner's double buffer that is not shown, then the display offset flips to it,
// paced by the banner's frame period.
#include <algorithm>

#include "air/air_frame.h"
#include "air/air_frame_private.h"
#include "app/log/event_log.h"

namespace air {

void CAirFrame::OpenPageBanner(const pages::PreviewPage& link) {
    bannerRun_.onPage = false;
    if (!link.hasBanner) return;
    LogMessage("PageHasBanner!");
    const pages::Rect& at = link.bannerRect;
    AirBanner* banner = obj_.banner;
    if (!banner || !banner->Open(link.bannerPath)) return;
    bannerRun_.onPage = true;
    const int w = banner->Width(), h = banner->Height();
    const int x = std::min(at.left, 720 - w), y = std::min(at.top, 576 - h);
    bannerRun_.rect = {x, y, x + w, y + h};
    banner->SetRect(bannerRun_.rect);
    banner->Rewind();
    banner->NextFrame();
}

bool CAirFrame::PrepareBanner() {
    AirBanner* banner = obj_.banner;
    if (!banner) return false;
    bannerRun_.rect = banner->Rect();
    banner->Rewind();
    banner->NextFrame();
    return true;
}

bool CAirFrame::CopyBanner() {
    state_ = AIR_COPYING;
    const device::Rect r = bannerRun_.rect;
    // Both halves of the banner's double buffer.
    const device::Rect both{r.left, r.top, r.right + obj_.banner->Width(), r.bottom};
    return Sent(engine_.FillRect(both, {}, device::RECT_FILL_BLOCK), "CopyPage");
}

void CAirFrame::InEffectBanner() {
    const uint32_t b = uint32_t(std::min(obj_.banner->Border() + 1, 14));
    bannerRun_.lastStep = 0;
    state_ = AIR_BANNER_SHOWING;
    Sent(engine_.InEffect(WORD_BANNER, (b << 28) | 0x0A0A, EffectWindow(bannerRun_.rect, int(b))), "InEffect");
}

void CAirFrame::StartPageBannerScroll(bool behind) {
    scrollWord_ = uint16_t(std::clamp(obj_.banner->Border() + 1, 0, 14) * 16);
    if (behind) scrollWord_ |= 0x4000;
    scrollRect_ = bannerRun_.rect;
    bannerRun_.lastStep = 0;
}

void CAirFrame::BannerShow() {
    AirBanner* banner = obj_.banner;
    if (paused_ || !banner) return;
    const uint32_t t = now(), period = banner->FramePeriodMs();
    const uint32_t since = platform::TicksSince(bannerRun_.lastStep, t);
    if (since < period) {
        // The frame is not due yet: come back when it is, without holding up the thread.
        bannerRun_.waitState = state_;
        armOnce(bannerRun_.waitId, period - since, &CAirFrame::BannerShowDue);
        return;
    }
    bannerRun_.lastStep = t;
    int x = banner->Half() ? 0 : banner->Width();
    if (bannerRun_.onPage) x = ((x - bannerRun_.rect.left) % 1536 + 1536) % 1536;
    state_ = AIR_BANNER_SHOWING;
    Sent(engine_.SetMode(uint16_t(x)), "BannerShow");
}

void CAirFrame::BannerShowDue() {
    // Whatever happened meanwhile (stop, pause, a link error) wins over the late frame.
    if (state_ == bannerRun_.waitState && !paused_) BannerShow();
}

void CAirFrame::BannerLoad() {
    AirBanner* banner = obj_.banner;
    if (!banner) return;
    if (banner->Finished()) {
        if (bannerRun_.onPage) {
            state_ = AIR_BANNER_HOLD;  // the page's own time decides
        } else {
            state_ = AIR_OUT_EFFECT;
            Sent(engine_.Cut(), "BannerLoad");
        }
        return;
    }
    const device::Rect& at = bannerRun_.rect;
    device::Rect r = at;
    if (banner->Half()) r.left += banner->Width(), r.right += banner->Width();
    if (bannerRun_.onPage) r = {r.left - at.left, r.top - at.top, r.right - at.left, r.bottom - at.top};
    state_ = AIR_BANNER_LOADING;
    if (!Sent(engine_.LoadRect(r, banner->FrameBlock(), 0), "BannerLoad")) return;
    banner->NextFrame();
}

bool CAirFrame::BannerCheckStop() {
    if (!bannerRun_.onPage) return false;
    if (!PhaseOver(now())) return false;
    LogMessage("CAirFrame::BannerCheckStop()");
    EndScroll();
    return true;
}

}  // namespace air
