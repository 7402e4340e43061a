// CAirFrame: the air controller. It owns the one thing that is on air, drives the Device through
// the command engine one command at a time, keeps the transport actions (Play, Pause, Next,
// Stop, Effect, Previous) in step with what the Device can accept, shows elapsed and remaining
// time, starts MPEG clips at their times and writes the air log. The views only choose content
// and call a start operation; everything after that is decided here.
//
// It runs on one thread (the GUI's, or an EventLoop's): the engine's notifications (MSG_ENGINE)
// and the players' reports reach it through OnMessage, its timer through the TimerService.
// It tells the active view with MSG_AIR (wParam: AIRNOTE_*, lParam: an item or a picture).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "air/air_content.h"
#include "air/air_log.h"
#include "air/device_commands.h"
#include "air/effects.h"
#include "air/hotkeys.h"
#include "air/show_params.h"
#include "pages/preview_page.h"
#include "platform/clock.h"
#include "platform/message_target.h"
#include "platform/timer_service.h"

namespace app {
class CZentrixApp;
}
namespace pages {
class CPageDoc;
class CPageImage;
class CBitmap32;
}  // namespace pages

namespace air {

class CSeqDoc;

// Content kind: which start operation chose what (bits may combine, e.g. a page with a clip).
enum : uint16_t {
    KIND_PAGE = 0x0001,
    KIND_SINGLE = 0x0002,  // with KIND_PAGE: one page, not a list
    KIND_CLOCK = 0x0004,
    KIND_VIDEO = 0x0008,  // one MPEG file on board 0
    KIND_INTERACTIVE = 0x0010,
    KIND_CAPTION = 0x0020,
    KIND_BANNER = 0x0040,
    KIND_VIDEO_PLAYLIST = 0x0080,
    KIND_VIDEO_LOOP = 0x8000,  // with KIND_VIDEO
    KIND_DEVICE = 0x0075,      // content that puts something on the Device
};

// Air states (the numbers appear in the event log).
enum AirState : int32_t {
    AIR_IDLE = 0,
    AIR_PREPARED = 1,
    AIR_COPYING = 2,
    AIR_CUED = 3,
    AIR_WAIT_IN = 5,
    AIR_IN_EFFECT = 7,
    AIR_SCROLL_PENDING = 8,
    AIR_SCROLLING = 10,
    AIR_SCROLL_HOLD = 11,
    AIR_END_SCROLLING = 12,
    AIR_WAIT_OUT = 13,
    AIR_OUT_EFFECT = 14,
    AIR_STOPPING = 16,
    AIR_WAIT_VIDEO_END = 23,
    AIR_CLOCK_RUN = 102,
    AIR_CLOCK_LOADING = 103,
    AIR_CLOCK_FLIPPING = 104,
    AIR_ITV_COPYING = 201,
    AIR_ITV_LOADING = 202,
    AIR_ITV_UPDATING = 203,
    AIR_ITV_FLIPPING = 204,
    AIR_ITV_RUN = 205,
    AIR_BANNER_LOADING = 401,
    AIR_BANNER_SHOWING = 402,
    AIR_BANNER_HOLD = 403,
};

// Enabled actions: one bit per toolbar button and hotkey.
enum : uint16_t {
    ACTION_PLAY = 0x01,
    ACTION_PAUSE = 0x02,
    ACTION_NEXT = 0x04,
    ACTION_STOP = 0x08,
    ACTION_EFFECT = 0x10,
    ACTION_PREVIOUS = 0x20,
};

// Why the playout was cued: by a start, by running to its end, by a stop.
enum : int32_t { END_CUED = 0, END_RAN_OUT = 1, END_STOPPED = 2 };

// Codes of MSG_AIR.
enum : int {
    AIRNOTE_STATE = 1,    // refresh
    AIRNOTE_ITEM = 2,     // the Device asked for item lParam (0..9)
    AIRNOTE_PREVIEW = 3,  // lParam: const pages::CBitmap32* of what is cued, 1 for a caption, 0 none
};

// A video player's report (lParam: 0 playing, 1 stopped; wParam: the player's window).
constexpr uint32_t MSG_PLAYER = 0x004A;

// Timer periods (ms).
enum : uint32_t {
    PERIOD_BANNER = 20,
    PERIOD_CLOCK = 25,
    PERIOD_PLAYLIST = 50,
    PERIOD_INTERACTIVE = 500,
    PERIOD_PAGE = 100,
    PERIOD_LINK_WAIT = 5000,
    END_SWITCHER_WAIT = 500,  // after handing the switcher back
    PHASE_UNLIMITED = 360000000,
};

// The shared objects the frame plays; any may be missing (that kind of content then cannot be
// cued). The page document and image are the application's: pages of a list are loaded into
// them, and a single page is played from what they hold.
struct AirObjects {
    pages::CPageDoc* page = nullptr;
    pages::CPageImage* pageImage = nullptr;
    CSeqDoc* sequence = nullptr;
    AirClock* clock = nullptr;
    AirBanner* banner = nullptr;
    AirVideo* video = nullptr;
    AirRemote* remote = nullptr;
    AirPlaylist* playlist = nullptr;
};

class CAirFrame {
public:
    // Reads "DefEffect" ([Air]), the emulation switch and the hotkeys, and resets.
    CAirFrame(app::CZentrixApp& app, DeviceCommands& engine, platform::TimerService& timers,
              const platform::Clock& clock, AirObjects objects);
    // Stops the engine and the players and writes "DefEffect" back.
    ~CAirFrame();
    CAirFrame(const CAirFrame&) = delete;
    CAirFrame& operator=(const CAirFrame&) = delete;

    // Where the engine's notifications go (a target that hands them to OnMessage on this
    // frame's thread); the window parts; the active view (receives MSG_AIR by send).
    void setReceiver(platform::MessageTarget* receiver) { receiver_ = receiver; }
    void setWindow(AirFrameWindow* window);
    void setView(platform::MessageTarget* view) { view_ = view; }

    // ---- Start operations ----
    void PlayPage(const ShowParams* params, bool videoPlaylist = false, const std::string& videoFile = {},
                  bool loop = false);
    void PlayPageList(bool videoPlaylist = false, const std::string& videoFile = {}, bool loop = false);
    // Plays a page an editor handed over ("Play page!") instead of the shared page document: the
    // frame keeps the handed copy (compiled data, name, banner link) until another start, so
    // the editor may go on changing its own page meanwhile. Ignored without a compiled image.
    void PlayHandedPage(const pages::PreviewPage& page, const ShowParams* params = nullptr);
    void PlayVideo(bool videoPlaylist, const std::string& videoFile, bool loop);
    void PlayClock(bool videoPlaylist = false, const std::string& videoFile = {}, bool loop = false);
    void PlayInteractive(AirInteractive* interactive);
    void PlayCaption(AirCaption* caption);
    void StopAfterCaption();
    void PlayBanner();
    void ClearAir();

    // ---- Queries ----
    bool CanStart() const;
    bool IsOnAir() const;
    // May the application leave the mode; beeps when not.
    bool CanLeave();
    void SetAutomation(bool automation) { automation_ = automation; }
    void SetLoop(bool loop);

    // Entering an air mode: starts the engine with the receiver, the players, the hotkeys.
    void OpenAir(bool automation);

    // ---- Messages and commands ----
    intptr_t OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    void OnEngine(int code, int value);
    void OnPlayerMessage(uintptr_t window, int report);
    // A transport command or hotkey (CMD_PLAY ...); false for commands the frame does not know.
    bool OnCommand(int command);
    void OnPlay();
    void OnPause();
    void OnNext();
    void OnStop();
    void Previous();
    void Effect();
    // Enables Play, Next and Previous by the checked items around the cue.
    void UpdateListButtons() { MoveCue(0); }

    // ---- State, for the views and the tests ----
    uint16_t kind() const { return kind_; }
    int32_t state() const { return state_; }
    int current() const { return current_; }
    uint16_t actions() const { return actions_; }
    uint16_t delayedAction() const { return delayedAction_; }
    uint16_t delayedRequest() const { return delayedRequest_; }
    int32_t endReason() const { return endReason_; }
    bool linkUp() const { return linkUp_; }
    bool paused() const { return paused_; }
    bool automation() const { return automation_; }
    bool videoBoards() const { return videoBoards_; }
    bool emulate() const { return emulate_; }
    bool onAir() const { return onAir_; }
    bool scrolls() const { return scrolls_; }
    bool fillPage() const { return fillPage_; }
    bool pageBanner() const { return pageBanner_; }
    bool captionStop() const { return captionStop_; }
    uint32_t startTick() const { return startTick_; }
    uint32_t phaseStart() const { return phaseStart_; }
    uint32_t phaseLength() const { return phaseLength_; }
    int64_t total() const { return total_; }
    uint32_t timerPeriod() const { return timerPeriod_; }
    bool timerRunning() const { return timerId_ != 0; }
    int clockCount() const { return clockCount_; }
    int clockSecond() const { return clockSecond_; }
    uint16_t scrollWord() const { return scrollWord_; }
    const device::Rect& scrollRect() const { return scrollRect_; }
    const std::string& elapsedText() const { return times_[0]; }
    const std::string& remainingText() const { return times_[1]; }
    const ShowParams& showParams() const { return showParams_; }
    ShowParams& defaultShowParams() { return defaultShowParams_; }
    const HotkeyTable& hotkeys() const { return hotkeys_; }
    void setHotkeys(const HotkeyTable& table);
    CAirLog& airLog() { return airLog_; }
    const std::string& currentPageName() const { return pageName_; }
    int indicator(int pane) const { return pane >= 0 && pane < 3 ? indicators_[pane] : 0; }

    // "%d:%02d.%d  " (minutes, seconds, tenths; negative as 0) and "%d:%02d:%02d  ".
    static std::string FormatElapsed(int64_t ms);
    static std::string FormatTimeOfDay(int secondOfDay);

private:
    // Steps of the state machine (named as in the design).
    void Start();
    void Reset();
    void Abort(int error);
    void Cue();
    bool Prepare();
    int NextChecked(int index, int step) const;
    void CopyPage();
    void CopyPageDone();
    void Ready();
    void InEffect();
    void InEffectDone();
    void TimerTick();
    void NextPage();
    void StartScroll();
    void Scroll();
    void ScrollDone();
    void EndScroll();
    void EndScrollDone();
    void OutEffect();
    void OutDone();
    void End();
    void EndFinish();
    void MoveCue(int direction);
    void RunDelayedAction();
    void EnableActions(uint16_t actions);
    void DeviceRequest(int code);
    void Reply(uint16_t code, uint16_t value);
    void ProcessPlaylist(uint32_t t);
    void RewindPlaylist();
    void StartVideo();
    void ClockTick();
    void PrepareClockImage();
    void LoadInteractiveEntry();
    void InteractiveDone();
    void InteractiveTick();
    void BannerShow();
    void BannerShowDue();
    void BannerLoad();
    bool BannerCheckStop();
    bool PhaseOver(uint32_t now) const;
    // A data command the engine refused (its block is too small): the content is damaged.
    void CommandRefused(const char* what);

    void applyVideo(bool videoPlaylist, const std::string& file, bool loop);
    void setTimer(uint32_t period);
    void killTimer();
    // A timer that fires once (the banner's frame pacing, the switcher's wait).
    void armOnce(int& id, uint32_t ms, void (CAirFrame::*step)());
    void cancelOnce(int& id);
    void notifyView(int code, intptr_t value = 0);
    void showTimes(int64_t elapsed, int64_t remaining);
    void clearTimes();
    void setIndicator(int pane, int state);
    bool isList() const { return (kind_ & KIND_PAGE) && !(kind_ & KIND_SINGLE); }
    const pages::CBitmap32* pagePreview() const;
    // The compiled page being played: the handed page, else the shared one (may be null).
    const pages::CPageImage* pageImage() const { return handed_.image ? handed_.image.get() : obj_.pageImage; }
    int pageShowTime() const;
    uint32_t now() const { return clock_.ticks(); }

    app::CZentrixApp& app_;
    DeviceCommands& engine_;
    platform::TimerService& timers_;
    const platform::Clock& clock_;
    AirObjects obj_;
    AirInteractive* interactive_ = nullptr;
    AirCaption* caption_ = nullptr;
    platform::MessageTarget* receiver_ = nullptr;
    platform::MessageTarget* view_ = nullptr;
    AirFrameWindow defaultWindow_;
    AirFrameWindow* window_ = &defaultWindow_;
    CAirLog airLog_;
    HotkeyTable hotkeys_{};

    uint16_t kind_ = 0;
    int32_t state_ = AIR_IDLE;
    int current_ = 0;
    uint32_t startTick_ = 0;
    uint32_t phaseStart_ = 0;
    uint32_t phaseLength_ = PHASE_UNLIMITED;
    bool phaseEnded_ = false;  // Next ended the phase early
    int64_t total_ = 0;
    int timerId_ = 0;
    uint32_t timerPeriod_ = PERIOD_PAGE;
    bool paused_ = false;
    uint32_t pauseTick_ = 0;
    uint16_t pausedActions_ = 0;
    uint16_t actions_ = 0;
    uint16_t delayedAction_ = 0;
    uint16_t delayedRequest_ = 0;
    bool automation_ = false;
    bool videoBoards_ = false;
    bool linkUp_ = false;
    bool emulate_ = false;
    bool onAir_ = false;
    ShowParams showParams_;
    ShowParams defaultShowParams_;
    bool paramsAreDefault_ = false;
    bool scrolls_ = false;
    bool fillPage_ = false;
    bool pageBanner_ = false;
    bool videoCued_ = false;
    int32_t endReason_ = END_CUED;
    uint16_t scrollWord_ = 0;
    device::Rect scrollRect_;
    device::Rect bannerRect_;
    uint32_t bannerLastStep_ = 0;
    int clockCount_ = 0;
    int clockSecond_ = 0;
    bool clockBusy_ = false;
    bool captionStop_ = false;
    std::string videoFile_;
    std::string pageName_;       // the current page
    pages::PreviewPage handed_;  // the page an editor handed over, while it is the one played
    std::shared_ptr<const std::vector<uint8_t>> onAirData_;  // the Device data of the page being sent
    int indicators_[3] = {0, 0, 0};
    std::string times_[2];
    // The air playlist's progress: next clip per board, its flags, the next button.
    struct PlaylistRun {
        size_t next[2] = {0, 0};
        bool running[2] = {false, false};
        bool free[2] = {true, true};
        size_t nextButton = 0;
    } run_;
    int bannerWaitId_ = 0;
    int32_t bannerWaitState_ = AIR_IDLE;
    int endWaitId_ = 0;
};

}  // namespace air
