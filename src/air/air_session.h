// The air frame without a window: an EventLoop carries its timer and the engine's notifications,
// the program's command engine carries its commands, and it has a page document, a compiled page
// and a sequence of its own. Headless playout (tools, tests) starts here.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "air/air_frame.h"
#include "air/device_commands.h"
#include "air/seq_doc.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/clock.h"
#include "platform/event_loop.h"

namespace app {
class CZentrixApp;
}
namespace device {
class CEngine;
}
namespace pages {
class CFontManager;
}

namespace air {

// A clock that runs `scale` times faster than the system's from its creation: the air frame in
// step with a virtual Device whose fields run faster by the same factor.
class ScaledClock final : public platform::Clock {
public:
    explicit ScaledClock(double scale);
    // The same with the wall clock starting at a time of its own (ms since the epoch; shown in
    // the zone of TZ): a headless schedule run at another time of day.
    ScaledClock(double scale, int64_t startLocalMs);
    uint32_t ticks() const override;
    platform::LocalTime localTime() const override;

private:
    double scale_;
    uint32_t startTicks_;
    int64_t startLocalMs_;  // the wall clock moves as fast (a clock on air keeps the pace)
    std::chrono::steady_clock::time_point start_;
};

class CAirSession {
public:
    // engine: open (StartHardware has run); loop: runs on this thread, with the clock the frame
    // goes by; objects: the other content (clock, banner, players...), where there is any.
    CAirSession(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts, platform::EventLoop& loop,
                AirObjects objects = {});
    ~CAirSession();
    CAirSession(const CAirSession&) = delete;
    CAirSession& operator=(const CAirSession&) = delete;

    CAirFrame& frame() { return *frame_; }
    CSeqDoc& sequence() { return sequence_; }
    pages::CPageDoc& page() { return page_; }
    pages::CPageImage& image() { return image_; }

    // Chooses what to play: a sequence (".zxs", as a page list), a page (".zxg", alone with the
    // default show parameters), a clock (".zck", loaded into the clock object for air) or a
    // banner (".zxa", opened in the banner player, with its own loop flag). A file
    // result code (5: a sequence with missing pages, cued all the same); nothing is cued on the
    // other errors.
    int Cue(const std::string& path);
    // Video that plays with what Cue chooses next (set it first): an MPEG file on board 1
    // (looped or not), or the air playlist (AirObjects::playlist, already filled). Cue of a
    // ".mpg", ".vid" or ".zxp" plays the video alone.
    void SetVideo(bool playlist, const std::string& file, bool loop);
    // Enters the air mode: the engine starts and, once the Device is reset, what was chosen is
    // cued.
    void Open(bool automation = false);
    // Runs the loop until pred holds; false after timeoutMs of real time.
    bool RunUntil(const std::function<bool()>& pred, uint32_t timeoutMs);
    // Every MSG_AIR the frame sends its view (code, value).
    void setViewObserver(std::function<void(int, intptr_t)> fn) { observer_ = std::move(fn); }
    // Every engine notification (code, value), seen before the frame handles it.
    void setEngineObserver(std::function<void(int, int)> fn) { engineObserver_ = std::move(fn); }

private:
    class View;
    platform::EventLoop& loop_;
    EngineCommands commands_;
    pages::CPageDoc page_;
    pages::CPageImage image_;
    CSeqDoc sequence_;
    AirClock* clock_ = nullptr;
    AirBanner* banner_ = nullptr;
    bool videoPlaylist_ = false, videoLoop_ = false;
    std::string videoFile_;
    std::function<void()> replay_;  // the choice again, once the air mode (and its players) is open
    std::unique_ptr<platform::LoopTarget> receiver_;
    std::unique_ptr<View> view_;
    std::unique_ptr<CAirFrame> frame_;
    std::function<void(int, intptr_t)> observer_;
    std::function<void(int, int)> engineObserver_;
};

}  // namespace air
