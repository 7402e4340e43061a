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

// An air state in words ("cued", "in-effect", "on-air" ...), for logs, file names and the remote
// control; "state-N" for a number that is not one.
std::string AirStateName(int32_t state);

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

// What the frame is doing, for the views and the tests: a copy taken at one moment.
struct AirFrameState {
    uint16_t kind = 0;
    int32_t state = AIR_IDLE;
    int current = 0;  // item of a page list
    // Times (ticks in ms) and the two time fields.
    uint32_t startTick = 0;  // 0 = not started
    uint32_t phaseStart = 0;
    uint32_t phaseLength = PHASE_UNLIMITED;
    int64_t total = 0;
    uint32_t timerPeriod = PERIOD_PAGE;
    bool timerRunning = false;
    std::string elapsedText, remainingText;
    // Actions.
    uint16_t actions = 0;
    uint16_t delayedAction = 0;
    uint16_t delayedRequest = 0;
    int32_t endReason = END_CUED;
    // Flags.
    bool linkUp = false;
    bool paused = false;
    bool automation = false;
    bool videoBoards = false;
    bool emulate = false;
    bool onAir = false;
    bool scrolls = false;
    bool fillPage = false;
    bool pageBanner = false;
    bool captionStop = false;
    // What is being played.
    std::string pageName;
    uint16_t scrollWord = 0;
    device::Rect scrollRect;
    int clockCount = 0;
    int clockSecond = 0;
    int clockShown = -1;  // second of the day of the image the last flip put on air
    int indicators[3] = {0, 0, 0};
    uint16_t command = 0;  // the number of the engine command whose finish the frame waits for
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
    AirVideoPlaylist* videoPlaylist = nullptr;  // Live mode's video playlists
};

// The air state in the operator's words with the name of what plays ("On air: news.zxg"), for
// the frame's status bar; "Ready..." when nothing is cued.
std::string AirStateText(const AirFrameState& s);

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
    platform::MessageTarget* view() const { return view_; }

    // ---- Start operations ----
    void PlayPage(const ShowParams* params, bool videoPlaylist = false, const std::string& videoFile = {},
                  bool loop = false);
    // Plays the shared sequence, or a sequence of the caller's (a view that must not disturb the
    // editor's document); the frame reads it until another list is started, so it must outlive
    // the playout.
    void PlayPageList(bool videoPlaylist = false, const std::string& videoFile = {}, bool loop = false);
    void PlayPageList(CSeqDoc& sequence, bool videoPlaylist = false, const std::string& videoFile = {},
                      bool loop = false);
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
    // The next start plays as soon as its content is cued, without waiting for Play ("Play
    // page!" and the sequence editor's Play). A start that cues nothing forgets it.
    void PlayWhenCued() { playOnCue_ = true; }
    bool playsWhenCued() const { return playOnCue_; }

    // ---- Queries ----
    bool CanStart() const;
    bool IsOnAir() const;
    // May the application leave the mode; beeps when not.
    bool CanLeave();
    void SetAutomation(bool automation) { automation_ = automation; }
    void SetLoop(bool loop);
    AirFrameState State() const;

    // Entering an air mode: starts the engine with the receiver, the players, the hotkeys.
    void OpenAir(bool automation);

    // ---- Messages and commands ----
    intptr_t OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam);
    // An engine notification; a finish or error carries the number of its command.
    void OnEngine(int code, int value, uint16_t command = 0);
    void OnPlayerMessage(uintptr_t window, int report);
    // A transport command or hotkey (CMD_PLAY ...); false for commands the frame does not know.
    bool OnCommand(int command);
    void OnPlay();
    void OnPause();
    void OnNext();
    void OnStop();
    void Previous();
    void Effect();
    // Answers a request of the Device (automation mode only): the automation view's (9, 0) for an
    // item it cannot play.
    void Reply(uint16_t code, uint16_t value);
    // Enables Play, Next and Previous by the checked items around the cue.
    void UpdateListButtons() { MoveCue(0); }

    // ---- What the views use ----
    const ShowParams& showParams() const { return showParams_; }
    ShowParams& defaultShowParams() { return defaultShowParams_; }
    const HotkeyTable& hotkeys() const { return hotkeys_; }
    void setHotkeys(const HotkeyTable& table);
    CAirLog& airLog() { return airLog_; }
    // The sequence the last page list played (the shared one until another was handed over).
    CSeqDoc* playedSequence() const { return played_; }
    // The owner of a handed sequence is going away: a list of it that is cued is cleared, and
    // the frame goes back to the shared sequence.
    void ForgetSequence(const CSeqDoc* sequence);

    // "%d:%02d.%d  " (minutes, seconds, tenths; negative as 0) and "%d:%02d:%02d  ".
    static std::string FormatElapsed(int64_t ms);
    static std::string FormatTimeOfDay(int secondOfDay);

private:
    // ---- The core (air_frame.cpp): pages and page lists, and the steps every content shares ----
    void startList(bool videoPlaylist, const std::string& videoFile, bool loop);
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
    void OnFinished();
    void DeviceRequest(int code);
    bool PhaseOver(uint32_t now) const;
    // Every command whose finish the frame waits for goes through here: the number the engine
    // gave it is the one whose finish or error counts. False when nothing was sent.
    bool Sent(uint16_t command, const char* what);
    // A command the engine did not take: a data block too small for it (the content is
    // damaged) or an engine that does not run. Ends the playout.
    void CommandRefused(const char* what);
    void ShowTimeOfDay();

    // ---- Clock (air_frame_clock.cpp) ----
    bool PrepareClock();
    bool CopyClock();
    void ClockFinished();
    void ClockTick();
    void PrepareClockImage();

    // ---- Interactive picture (air_frame_interactive.cpp) ----
    bool PrepareInteractive();
    bool CopyInteractive();
    void InEffectInteractive();
    void LoadInteractiveEntry();
    void InteractiveDone();
    void InteractiveTick();

    // ---- Banner, alone or linked to a page (air_frame_banner.cpp) ----
    void OpenPageBanner(const pages::PreviewPage& link);
    bool PrepareBanner();
    bool CopyBanner();
    void InEffectBanner();
    void StartPageBannerScroll(bool behind);
    void BannerShow();
    void BannerShowDue();
    void BannerLoad();
    bool BannerCheckStop();

    // ---- Caption (air_frame_caption.cpp) ----
    bool PrepareCaption();
    bool CopyCaption();
    int64_t ReadyCaption();
    void InEffectCaption();
    void OutEffectCaption();

    // ---- Video and the video playlist (air_frame_video.cpp) ----
    void applyVideo(bool videoPlaylist, const std::string& file, bool loop);
    int64_t VideoTotal() const;
    void CueVideo();
    bool SeizeSwitcher();
    void StartVideo();
    void PauseVideo();
    void ProcessPlaylist(uint32_t t);
    void RewindPlaylist();
    // Hands the switcher back at the end of a video playlist; true when End waits for it.
    bool RestoreSwitcher();
    void EndVideo();

    // ---- Helpers ----
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
    CSeqDoc* played_ = nullptr;  // the page list being played
    platform::MessageTarget* receiver_ = nullptr;
    platform::MessageTarget* view_ = nullptr;
    AirFrameWindow defaultWindow_;
    AirFrameWindow* window_ = &defaultWindow_;
    CAirLog airLog_;
    HotkeyTable hotkeys_{};

    // The state machine.
    uint16_t kind_ = 0;
    int32_t state_ = AIR_IDLE;
    int current_ = 0;
    uint16_t command_ = 0;  // the command whose finish is awaited
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
    bool playOnCue_ = false;
    bool automation_ = false;
    bool videoBoards_ = false;
    bool linkUp_ = false;
    bool emulate_ = false;
    bool onAir_ = false;
    int32_t endReason_ = END_CUED;
    int indicators_[3] = {0, 0, 0};
    std::string times_[2];

    // The page being played.
    ShowParams showParams_;
    ShowParams defaultShowParams_;
    bool paramsAreDefault_ = false;
    bool scrolls_ = false;
    bool fillPage_ = false;
    uint16_t scrollWord_ = 0;
    device::Rect scrollRect_;
    std::string pageName_;
    pages::PreviewPage handed_;  // the page an editor handed over, while it is the one played
    std::shared_ptr<const std::vector<uint8_t>> onAirData_;  // the Device data of the page being sent

    // Each content's own state, kept by its file.
    struct ClockRun {
        int count = 0;      // images prepared so far
        int second = 0;     // second of the day of the image prepared next
        bool busy = false;  // an image is being loaded or the buffers switched
        int shown = -1;     // the second the last flip shows
    } clockRun_;
    struct InteractiveRun {
        AirInteractive* picture = nullptr;
    } interactiveRun_;
    struct BannerRun {
        bool onPage = false;  // the page being played has a linked banner
        device::Rect rect;
        uint32_t lastStep = 0;  // when the last frame was shown
        int waitId = 0;         // the frame is not due yet
        int32_t waitState = AIR_IDLE;
    } bannerRun_;
    struct CaptionRun {
        AirCaption* caption = nullptr;
        bool stop = false;  // the captions view asked to stop after this caption
    } captionRun_;
    struct VideoRun {
        std::string file;
        bool cued = false;  // the first clip was cued at Ready
        // The air playlist's progress: next clip per board, its flags, the next button.
        struct Playlist {
            size_t next[2] = {0, 0};
            bool running[2] = {false, false};
            bool free[2] = {true, true};
            size_t nextButton = 0;
        } playlist;
        int endWaitId = 0;  // waiting for the switcher after handing it back
    } videoRun_;
};

}  // namespace air
