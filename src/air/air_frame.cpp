// The air frame's core: pages and page lists, and the steps every content goes through (reset,
// start, cue, prepare, copy, ready, in-effect, the timer, next, stop, pause, the end), the engine's
// notifications and the Device's requests. Each other content adds its own steps in a file of its
// own (air_frame_clock.cpp, _interactive, _banner, _caption, _video).
#include "air/air_frame.h"

#include <algorithm>
#include <cstdio>

#include "air/air_frame_private.h"
#include "air/seq_doc.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"

namespace air {

CAirFrame::CAirFrame(app::CZentrixApp& app, DeviceCommands& engine, platform::TimerService& timers,
                     const platform::Clock& clock, AirObjects objects)
    : app_(app),
      engine_(engine),
      timers_(timers),
      clock_(clock),
      obj_(objects),
      played_(objects.sequence),
      airLog_(app.settings(), app.folders(), clock) {
    hotkeys_ = LoadHotkeys(app.profile());
    defaultShowParams_ = LoadShowParams(app.profile(), "Air", "DefEffect");
    emulate_ = app.settings().emulate != 0;
    Reset();
}

CAirFrame::~CAirFrame() {
    killTimer();
    cancelOnce(bannerRun_.waitId);
    cancelOnce(videoRun_.endWaitId);
    engine_.Done();
    linkUp_ = false;
    setIndicator(0, 0);
    if (obj_.video) {
        obj_.video->StopAll();
        obj_.video->CloseAll();
        obj_.video->SetOwner(nullptr);  // the receiver goes with the frame
    }
    airLog_.closeClips();
    SaveShowParams(app_.profile(), "Air", "DefEffect", defaultShowParams_);
}

void CAirFrame::setWindow(AirFrameWindow* window) {
    window_ = window ? window : &defaultWindow_;
    window_->EnableActions(actions_);
    window_->ShowTimes(times_[0], times_[1]);
    for (int i = 0; i < 3; ++i) window_->SetIndicator(i, indicators_[i]);
}

void CAirFrame::setHotkeys(const HotkeyTable& table) {
    hotkeys_ = table;
    window_->RebuildHotkeys(hotkeys_);
}

AirFrameState CAirFrame::State() const {
    AirFrameState s;
    s.kind = kind_;
    s.state = state_;
    s.current = current_;
    s.startTick = startTick_;
    s.phaseStart = phaseStart_;
    s.phaseLength = phaseLength_;
    s.total = total_;
    s.timerPeriod = timerPeriod_;
    s.timerRunning = timerId_ != 0;
    s.elapsedText = times_[0];
    s.remainingText = times_[1];
    s.actions = actions_;
    s.delayedAction = delayedAction_;
    s.delayedRequest = delayedRequest_;
    s.endReason = endReason_;
    s.linkUp = linkUp_;
    s.paused = paused_;
    s.automation = automation_;
    s.videoBoards = videoBoards_;
    s.emulate = emulate_;
    s.onAir = onAir_;
    s.scrolls = scrolls_;
    s.fillPage = fillPage_;
    s.pageBanner = bannerRun_.onPage;
    s.captionStop = captionRun_.stop;
    s.pageName = pageName_;
    s.scrollWord = scrollWord_;
    s.scrollRect = scrollRect_;
    s.clockCount = clockRun_.count;
    s.clockSecond = clockRun_.second;
    s.clockShown = clockRun_.shown;
    for (int i = 0; i < 3; ++i) s.indicators[i] = indicators_[i];
    s.command = command_;
    return s;
}

// ---- Helpers ------------------------------------------------------------------------------

std::string CAirFrame::FormatElapsed(int64_t ms) {
    if (ms < 0) ms = 0;
    char s[48];
    std::snprintf(s, sizeof s, "%d:%02d.%d  ", int(ms / 60000), int(ms / 1000 % 60), int(ms / 100 % 10));
    return s;
}

std::string CAirFrame::FormatTimeOfDay(int secondOfDay) {
    char s[48];
    std::snprintf(s, sizeof s, "%d:%02d:%02d  ", secondOfDay / 3600 % 24, secondOfDay / 60 % 60, secondOfDay % 60);
    return s;
}

void CAirFrame::setTimer(uint32_t period) {
    killTimer();
    timerPeriod_ = period;
    timerId_ = timers_.setTimer(period, [this] { TimerTick(); });
}

void CAirFrame::killTimer() {
    if (timerId_) timers_.killTimer(timerId_);
    timerId_ = 0;
}

void CAirFrame::armOnce(int& id, uint32_t ms, void (CAirFrame::*step)()) {
    cancelOnce(id);
    int* slot = &id;
    id = timers_.setTimer(std::max<uint32_t>(ms, 1), [this, slot, step] {
        cancelOnce(*slot);
        (this->*step)();
    });
}

void CAirFrame::cancelOnce(int& id) {
    if (id) timers_.killTimer(id);
    id = 0;
}

void CAirFrame::notifyView(int code, intptr_t value) {
    if (view_) view_->send(platform::MSG_AIR, uintptr_t(code), value);
}

void CAirFrame::showTimes(int64_t elapsed, int64_t remaining) {
    times_[0] = FormatElapsed(elapsed);
    times_[1] = FormatElapsed(remaining);
    window_->ShowTimes(times_[0], times_[1]);
}

void CAirFrame::clearTimes() {
    times_[0].clear();
    times_[1].clear();
    window_->ShowTimes({}, {});
}

void CAirFrame::ShowTimeOfDay() {
    const platform::LocalTime lt = clock_.localTime();
    times_[0] = FormatTimeOfDay(lt.hour * 3600 + lt.minute * 60 + lt.second);
    times_[1].clear();
    window_->ShowTimes(times_[0], times_[1]);
}

void CAirFrame::setIndicator(int pane, int state) {
    indicators_[pane] = state;
    window_->SetIndicator(pane, state);
}

const pages::CBitmap32* CAirFrame::pagePreview() const {
    const pages::CPageImage* img = pageImage();
    return img && !img->thumbnail.empty() ? &img->thumbnail : nullptr;
}

int CAirFrame::pageShowTime() const {
    const pages::CPageImage* img = pageImage();
    return img ? ShowTimeOf(showParams_, img->summary) : ShowTimeOf(showParams_);
}

bool CAirFrame::PhaseOver(uint32_t t) const {
    return phaseEnded_ || platform::TicksSince(phaseStart_, t) >= phaseLength_;
}

bool CAirFrame::Sent(uint16_t command, const char* what) {
    if (command == 0) {
        CommandRefused(what);
        return false;
    }
    command_ = command;
    return true;
}

void CAirFrame::CommandRefused(const char* what) {
    if (!engine_.Running()) {
        LogMessage("CAirFrame::%s : the engine is not running", what);
    } else {
        LogMessage("CAirFrame::%s : the Device data does not fit the command", what);
        if (kind_ & KIND_PAGE) app::ShowFileResult(pages::FILE_FORMAT_ERROR, pageName_);
    }
    Abort(0);
}

// ---- Start operations ---------------------------------------------------------------------

void CAirFrame::PlayPage(const ShowParams* params, bool videoPlaylist, const std::string& videoFile, bool loop) {
    handed_ = {};
    kind_ = KIND_PAGE | KIND_SINGLE;
    paramsAreDefault_ = params == nullptr;
    showParams_ = params ? *params : defaultShowParams_;
    applyVideo(videoPlaylist, videoFile, loop);
    Start();
}

void CAirFrame::PlayHandedPage(const pages::PreviewPage& page, const ShowParams* params) {
    if (!page.image) return;
    LogMessage("CAirFrame::PlayHandedPage %s", page.pathName.c_str());
    kind_ = KIND_PAGE | KIND_SINGLE;
    handed_ = page;
    paramsAreDefault_ = params == nullptr;
    showParams_ = params ? *params : defaultShowParams_;
    Start();
}

void CAirFrame::PlayPageList(CSeqDoc& sequence, bool videoPlaylist, const std::string& videoFile, bool loop) {
    played_ = &sequence;
    startList(videoPlaylist, videoFile, loop);
}

void CAirFrame::PlayPageList(bool videoPlaylist, const std::string& videoFile, bool loop) {
    played_ = obj_.sequence;
    startList(videoPlaylist, videoFile, loop);
}

void CAirFrame::ForgetSequence(const CSeqDoc* sequence) {
    if (played_ != sequence) return;
    if (isList()) ClearAir();
    played_ = obj_.sequence;
}

void CAirFrame::startList(bool videoPlaylist, const std::string& videoFile, bool loop) {
    handed_ = {};
    kind_ = KIND_PAGE;
    paramsAreDefault_ = false;
    applyVideo(videoPlaylist, videoFile, loop);
    Start();
}

void CAirFrame::PlayVideo(bool videoPlaylist, const std::string& videoFile, bool loop) {
    kind_ = 0;
    applyVideo(videoPlaylist, videoFile, loop);
    Start();
}

void CAirFrame::PlayClock(bool videoPlaylist, const std::string& videoFile, bool loop) {
    kind_ = KIND_CLOCK;
    applyVideo(videoPlaylist, videoFile, loop);
    Start();
}

void CAirFrame::PlayInteractive(AirInteractive* interactive) {
    kind_ = KIND_INTERACTIVE;
    interactiveRun_.picture = interactive;
    Start();
}

void CAirFrame::PlayCaption(AirCaption* caption) {
    kind_ = KIND_CAPTION;
    captionRun_.caption = caption;
    captionRun_.stop = false;
    // The caption on air goes first; the new one is cued (and, being a caption, played) when the
    // stop has ended.
    if (IsOnAir()) OnStop();
    else Start();
}

void CAirFrame::StopAfterCaption() {
    captionRun_.stop = true;
    OnStop();
}

void CAirFrame::PlayBanner() {
    kind_ = KIND_BANNER;
    Start();
}

void CAirFrame::ClearAir() {
    kind_ = 0;
    playOnCue_ = false;
    Reset();
    notifyView(AIRNOTE_PREVIEW, 0);
}

std::string AirStateText(const AirFrameState& s) {
    std::string name = s.pageName;
    if (const size_t slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
    if (name.empty()) {
        if (s.kind & KIND_CLOCK) name = "clock";
        else if (s.kind & KIND_INTERACTIVE) name = "interactive picture";
        else if (s.kind & KIND_CAPTION) name = "caption";
        else if (s.kind & KIND_BANNER) name = "banner";
        else if (s.kind & (KIND_VIDEO | KIND_VIDEO_PLAYLIST)) name = "video";
    }
    const char* what = nullptr;
    switch (s.state) {
        case AIR_IDLE: return "Ready...";
        case AIR_PREPARED:
        case AIR_COPYING:
        case AIR_ITV_COPYING:
        case AIR_ITV_LOADING: what = "Cueing"; break;
        case AIR_CUED: what = "Cued"; break;
        case AIR_IN_EFFECT: what = "In effect"; break;
        case AIR_SCROLL_PENDING:
        case AIR_SCROLLING:
        case AIR_SCROLL_HOLD: what = "Scrolling"; break;
        case AIR_END_SCROLLING: what = "Ending the scroll"; break;
        case AIR_OUT_EFFECT: what = "Out effect"; break;
        case AIR_STOPPING: what = "Stopping"; break;
        default: what = "On air"; break;  // a page's time, the next page waiting, clock, banner, video
    }
    // Paused freezes whatever was running.
    if (s.paused && s.state != AIR_CUED && s.state != AIR_STOPPING) what = "Paused";
    return name.empty() ? std::string(what) : std::string(what) + ": " + name;
}

bool CAirFrame::CanStart() const { return linkUp_ && (state_ == AIR_IDLE || state_ == AIR_CUED); }

bool CAirFrame::IsOnAir() const { return linkUp_ && startTick_ != 0; }

bool CAirFrame::CanLeave() {
    if (emulate_ || (startTick_ == 0 && (state_ == AIR_IDLE || state_ == AIR_CUED))) return true;
    window_->Beep();
    return false;
}

void CAirFrame::SetLoop(bool loop) {
    if (isList()) {
        if (played_) played_->loop = loop ? 1 : 0;
    } else if ((kind_ & KIND_BANNER) && obj_.banner) {
        obj_.banner->SetLoop(loop);
    }
}

void CAirFrame::OpenAir(bool automation) {
    automation_ = automation;
    linkUp_ = false;
    videoBoards_ = (app_.hardwareState() & app::HW_MPEG) != 0;
    engine_.Init(receiver_);
    if (videoBoards_) {
        const app::Settings& s = app_.settings();
        const int boards = std::clamp(s.mpeg, 1, 2);
        if (obj_.video) obj_.video->SetOwner(receiver_);
        if (!obj_.video || !obj_.video->CreateProcess(boards)) {
            if (!emulate_) {
                app::MessageBoxId(IDS_MPEG_INIT_FAILED, app::MB_OK | app::MB_ICONERROR);
                videoBoards_ = false;
            }
        } else if (s.volumeSet == 1) {
            for (int b = 0; b < boards; ++b) obj_.video->Send(b, VIDEO_VOLUME, std::to_string(s.audioVolume));
        }
    }
    window_->RebuildHotkeys(hotkeys_);
}

// ---- Reset, start, abort, cue -------------------------------------------------------------

void CAirFrame::Reset() {
    // A timer left running would keep cueing; the design leaves killing it to the callers, and
    // not every caller did.
    killTimer();
    cancelOnce(bannerRun_.waitId);
    cancelOnce(videoRun_.endWaitId);
    EnableActions(0);
    delayedAction_ = 0;
    clearTimes();
    paused_ = false;
    current_ = 0;
    state_ = AIR_IDLE;
    startTick_ = 0;
    phaseStart_ = 0;
    phaseEnded_ = false;
    clockRun_.busy = false;
    pageName_.clear();
    airLog_.clearPage();
    airLog_.clearClips();
    bannerRun_.onPage = false;
    if (obj_.remote) obj_.remote->RearmError();
}

void CAirFrame::Start() {
    endReason_ = END_CUED;
    Reset();
    if (linkUp_) {
        Cue();
    } else {
        // Cue anyway when the link has not come up by then: the engine reports why.
        setTimer(PERIOD_LINK_WAIT);
    }
}

void CAirFrame::Abort(int error) {
    LogMessage("CAirFrame::Abort(%d) state %d", error, state_);
    killTimer();
    if (obj_.video) obj_.video->StopAll();
    airLog_.closeClips();
    playOnCue_ = false;
    Reset();
    notifyView(AIRNOTE_STATE);
    if (error != 0) app::MessageBoxId(IDS_LINK_ERROR_BASE + error, app::MB_OK | app::MB_ICONERROR);
}

void CAirFrame::Cue() {
    Reset();
    if ((kind_ & KIND_CAPTION) && captionRun_.stop) kind_ = 0;
    if (kind_ == 0) {
        playOnCue_ = false;
        notifyView(AIRNOTE_STATE);
        notifyView(AIRNOTE_PREVIEW, 0);
        return;
    }
    if (Prepare()) CopyPage();
    else playOnCue_ = false;  // nothing cued: a later start must not play by itself
    notifyView(AIRNOTE_STATE);
}

int CAirFrame::NextChecked(int index, int step) const {
    const CSeqDoc* seq = played_;
    if (!seq) return -1;
    const int n = seq->count();
    // Each item is looked at once at most: a looping list without a checked item ends too.
    for (int visits = 0; visits < n; ++visits) {
        if (seq->loop) {
            if (index < 0) index = n - 1;
            else if (index >= n) index %= n;
        }
        if (index < 0 || index >= n) return -1;
        if (seq->items[size_t(index)].checked) return index;
        index += step;
    }
    return -1;
}

bool CAirFrame::Prepare() {
    if (isList()) {
        if (!obj_.page || !obj_.pageImage) return false;
        for (;;) {
            const int i = NextChecked(current_, 1);
            if (i < 0) return false;
            current_ = i;
            SeqItem& item = played_->items[size_t(i)];
            const std::string path = played_->FullPath(item);
            const int code = obj_.page->Load(pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL | pages::LOAD_DEVICE |
                                                 pages::LOAD_NO_PICTURES | pages::LOAD_VERIFY,
                                             path, *obj_.pageImage);
            if (code == pages::FILE_FORMAT_ERROR) {
                // A damaged page is skipped as a missing one is: unchecked, with a warning, and the
                // rest of the list plays (sent as it is, the Device would refuse it and the link
                // would drop).
                LogMessage("CAirFrame::Prepare : %s is damaged, skipped", path.c_str());
                app::ShowFileResult(code & 0xFF, path);
                item.loaded = false;
                item.SetChecked(false);
                continue;
            }
            if (code != 0) {
                app::ShowFileResult(code, path);
                Abort(0);
                return false;
            }
            showParams_ = item.showParams;
            break;
        }
    }
    bool ok = true;
    if (kind_ & KIND_PAGE) {
        const pages::CPageImage* img = pageImage();
        if (!img || (!handed_.image && !obj_.page)) return false;
        fillPage_ = (img->device.flags & pages::DEVICE_UNIFORM) != 0;
        scrolls_ = (img->device.flags & pages::DEVICE_HAS_STRIP) != 0;
        // The banner link: the handed page carries its own, else the shared document's.
        pages::PreviewPage link;
        if (handed_.image) {
            link = handed_;
        } else if (obj_.page->HasBanner()) {
            if (const pages::CPageFrame* frame = obj_.page->frame(std::max(obj_.page->BannerFrameIndex(), 0))) {
                link.hasBanner = true;
                link.bannerPath = frame->bannerPath;
                link.bannerRect = frame->rect;
            }
        }
        OpenPageBanner(link);
    } else if (kind_ & KIND_CLOCK) {
        ok = PrepareClock();
    } else if (kind_ & KIND_INTERACTIVE) {
        ok = PrepareInteractive();
    } else if (kind_ & KIND_BANNER) {
        ok = PrepareBanner();
    } else if (kind_ & KIND_CAPTION) {
        ok = PrepareCaption();
    }
    if (!ok) return false;
    state_ = AIR_PREPARED;
    return true;
}

void CAirFrame::CopyPage() {
    LogMessage("CAirFrame::CopyPage");
    pageName_.clear();
    if (kind_ & KIND_PAGE) {
        state_ = AIR_COPYING;
        // The frame keeps what it sends alive until the Device has it, whatever the document does
        // (a handed page is already the frame's own copy).
        if (handed_.image) {
            pageName_ = handed_.pathName;
            onAirData_ = std::shared_ptr<const std::vector<uint8_t>>(handed_.image, &handed_.image->data);
        } else {
            pageName_ = obj_.page->pathName;
            onAirData_ = std::make_shared<const std::vector<uint8_t>>(obj_.pageImage->data);
        }
        device::DataRef data = device::DataRef::Share(onAirData_);
        Sent(fillPage_ ? engine_.FillRect(kWholeFrame, data, 0) : engine_.LoadRect(kWholeFrame, data, 0), "CopyPage");
        return;
    }
    if (kind_ & KIND_CLOCK) {
        CopyClock();
        return;
    }
    if (kind_ & KIND_INTERACTIVE) {
        CopyInteractive();
        return;
    }
    if (kind_ & KIND_BANNER) {
        CopyBanner();
        return;
    }
    if (kind_ & KIND_CAPTION) {
        CopyCaption();
        return;
    }
    CopyPageDone();  // video alone: nothing goes to the Device
}

void CAirFrame::CopyPageDone() {
    LogMessage("CAirFrame::CopyPageDone()");
    Ready();
}

void CAirFrame::Ready() {
    LogMessage("CAirFrame::Ready");
    if (startTick_ != 0) {
        // A later page of a running list: its in-effect waits for the current page's time.
        state_ = AIR_WAIT_IN;
        return;
    }
    total_ = 0;
    if (kind_ & KIND_SINGLE) {
        total_ = int64_t(pageShowTime()) * 1000;
    } else if (kind_ & KIND_PAGE) {
        played_->ComputeTotal(current_);
        total_ = int64_t(played_->totalTime) * 1000;
    } else if (kind_ & KIND_BANNER) {
        total_ = obj_.banner->TotalMs();
    } else if (kind_ & (KIND_VIDEO | KIND_VIDEO_PLAYLIST)) {
        total_ = VideoTotal();
    } else if (kind_ & KIND_CAPTION) {
        total_ = ReadyCaption();
    }
    if (total_ != 0) showTimes(0, total_);

    CueVideo();

    intptr_t preview = 0;
    if (kind_ & KIND_PAGE) preview = intptr_t(pagePreview());
    else if (kind_ & KIND_CLOCK) preview = intptr_t(obj_.clock->Preview());
    else if (kind_ & KIND_CAPTION) preview = 1;
    else if (kind_ & KIND_BANNER) preview = intptr_t(obj_.banner->Preview());
    notifyView(AIRNOTE_PREVIEW, preview);

    uint16_t a = ACTION_PLAY;
    if (kind_ & KIND_SINGLE) a |= ACTION_EFFECT;
    if (isList()) {
        if (NextChecked(current_ + 1, 1) >= 0) a |= ACTION_NEXT;
        if (NextChecked(current_ - 1, -1) >= 0) a |= ACTION_PREVIOUS;
    }
    EnableActions(a);
    state_ = AIR_CUED;
    static const uint16_t replies[3][2] = {{8, 8}, {9, 9}, {3, 4}};
    const int r = std::clamp(endReason_, 0, 2);
    Reply(replies[r][0], replies[r][1]);
    if (kind_ & KIND_CAPTION) {
        OnPlay();
    } else if (playOnCue_ && endReason_ == END_CUED) {
        // Started from an editor: on air at once.
        playOnCue_ = false;
        delayedAction_ = 0;
        notifyView(AIRNOTE_STATE);
        OnPlay();
    } else {
        notifyView(AIRNOTE_STATE);
        RunDelayedAction();
    }
}

// ---- Playing --------------------------------------------------------------------------------

void CAirFrame::OnPlay() {
    if (!(actions_ & ACTION_PLAY)) {
        if (!automation_) delayedAction_ = ACTION_PLAY;
        return;
    }
    LogMessage("CAirFrame::OnPlay()");
    paused_ = false;
    Reply(1, (kind_ & KIND_VIDEO) ? 5 : 4);
    if ((kind_ & KIND_VIDEO_PLAYLIST) && !SeizeSwitcher()) return;
    InEffect();
    notifyView(AIRNOTE_STATE);
}

void CAirFrame::InEffect() {
    LogMessage("CAirFrame::InEffect()");
    EnableActions(ACTION_PAUSE | ACTION_STOP);
    if (isList()) notifyView(AIRNOTE_PREVIEW, intptr_t(pagePreview()));
    airLog_.closePage();
    airLog_.setPageOnAir({});

    phaseStart_ = now();
    phaseEnded_ = false;
    if (!timerId_) {
        uint32_t period = PERIOD_PAGE;
        if (bannerRun_.onPage) period = PERIOD_BANNER;
        else if (kind_ & KIND_CLOCK) period = PERIOD_CLOCK;
        else if (kind_ & KIND_VIDEO_PLAYLIST) period = PERIOD_PLAYLIST;
        else if (kind_ & KIND_INTERACTIVE) period = PERIOD_INTERACTIVE;
        setTimer(period);
    }
    phaseLength_ = PHASE_UNLIMITED;
    bool sent = true;
    if (kind_ & KIND_PAGE) {
        const uint16_t word = EffectWord(showParams_, true) | EFFECT_IN | (startTick_ != 0 ? EFFECT_REPLACE : 0);
        airLog_.setPageOnAir(pageName_);
        phaseLength_ = uint32_t(pageShowTime()) * 1000;
        state_ = AIR_IN_EFFECT;
        sent = Sent(engine_.InEffect(word, EffectParam(showParams_, true), kWholeFrame), "InEffect");
    } else if (kind_ & KIND_CLOCK) {
        state_ = AIR_CLOCK_RUN;  // the clock sends its own effect with its first image
    } else if (kind_ & KIND_INTERACTIVE) {
        InEffectInteractive();
    } else if (kind_ & KIND_BANNER) {
        InEffectBanner();
    } else if (kind_ & KIND_CAPTION) {
        InEffectCaption();
    } else {
        state_ = AIR_WAIT_IN;  // video alone
    }
    if (!sent || state_ == AIR_IDLE) return;  // the engine did not take the effect
    if (startTick_ == 0) {
        startTick_ = phaseStart_ ? phaseStart_ : 1;  // 0 means "not started"
        if (!(kind_ & KIND_CLOCK)) StartVideo();
    }
    airLog_.openPage(onAir_);
    RunDelayedAction();
}

void CAirFrame::InEffectDone() {
    if (kind_ & KIND_PAGE) {
        EnableActions(ACTION_PAUSE | ACTION_NEXT | ACTION_STOP);
        if (scrolls_ || bannerRun_.onPage) state_ = AIR_SCROLL_PENDING;
        else NextPage();
    } else if (kind_ & KIND_INTERACTIVE) {
        state_ = AIR_ITV_RUN;
    } else if (kind_ & KIND_CAPTION) {
        EnableActions(ACTION_PAUSE | ACTION_NEXT | ACTION_STOP);
        state_ = AIR_WAIT_OUT;
    }
    RunDelayedAction();
}

void CAirFrame::TimerTick() {
    if (state_ == AIR_IDLE) {
        killTimer();
        Cue();
        return;
    }
    const uint32_t t = now();
    if (!(kind_ & (KIND_CLOCK | KIND_INTERACTIVE))) {
        const int64_t elapsed = platform::TicksSince(startTick_, t);
        showTimes(elapsed, total_ - elapsed);
    }
    if (kind_ & KIND_VIDEO_PLAYLIST) {
        ProcessPlaylist(platform::TicksSince(startTick_, t));
        if (!timerId_) return;  // the playlist ended or stopped the playout
    }
    if (kind_ & KIND_CLOCK) {
        if (state_ == AIR_CLOCK_RUN && !clockRun_.busy) ClockTick();
        return;
    }
    if (kind_ & KIND_INTERACTIVE) {
        if (state_ == AIR_ITV_RUN) InteractiveTick();
        return;
    }
    if (state_ == AIR_SCROLL_PENDING) StartScroll();
    if (!PhaseOver(t)) return;
    switch (state_) {
        case AIR_WAIT_IN: InEffect(); break;
        case AIR_SCROLL_HOLD: EndScroll(); break;
        case AIR_WAIT_OUT: OutEffect(); break;
        case AIR_BANNER_HOLD: BannerCheckStop(); break;
        default: break;
    }
}

void CAirFrame::NextPage() {
    LogMessage("CAirFrame::NextPage()");
    if (isList()) {
        const int i = NextChecked(current_ + 1, 1);
        if (i >= 0) {
            // Copied into the hidden buffer while the current page stays on air.
            current_ = i;
            if (Prepare()) CopyPage();
            else if (state_ != AIR_IDLE) state_ = AIR_WAIT_OUT;  // only damaged pages were left
            return;
        }
    }
    state_ = AIR_WAIT_OUT;
}

void CAirFrame::StartScroll() {
    const pages::PageSummary& s = pageImage()->summary;
    const bool behind = (s.flags & pages::SUMMARY_BACKGROUND_FRAME) != 0;
    if (scrolls_) {
        // Damaged values must not spill into the neighbouring bits of the scroll word.
        const int border = std::min<int>(s.border, kMaxEffectBorder);
        const int speed = std::clamp(showParams_.scrollSpeed, 0, kMaxScrollSpeed);
        scrollWord_ = uint16_t(border * 16 | (speed + 1));
        if (s.flags & pages::SUMMARY_NOT_SCROLLER) scrollWord_ |= 0x8000;
        if (behind) scrollWord_ |= 0x4000;
        if (showParams_.stopScrolling) scrollWord_ |= 0x2000;
        scrollRect_ = {s.moving.left, s.moving.top, s.moving.right, s.moving.bottom};
    } else if (bannerRun_.onPage) {
        StartPageBannerScroll(behind);
    }
    Scroll();
}

void CAirFrame::Scroll() {
    LogMessage("CAirFrame::Scroll()");
    state_ = AIR_SCROLLING;
    const pages::CPageImage& img = *pageImage();
    device::DataRef strip;
    uint32_t length = 0;
    if (scrolls_ && onAirData_ && onAirData_->size() > img.device.stillSize) {
        strip = device::DataRef::Share(onAirData_, onAirData_->data() + img.device.stillSize,
                                       onAirData_->size() - img.device.stillSize);
        length = img.device.stripLength;
    }
    Sent(engine_.Scroll(scrollRect_, scrollWord_, length, strip), "Scroll");
}

void CAirFrame::ScrollDone() {
    LogMessage("CAirFrame::ScrollDone()");
    if (scrolls_) {
        state_ = AIR_SCROLL_HOLD;  // the Device scrolls on until the phase ends
    } else if (bannerRun_.onPage) {
        state_ = AIR_BANNER_SHOWING;
        BannerLoad();
    }
}

void CAirFrame::EndScroll() {
    LogMessage("CAirFrame::EndScroll()");
    state_ = AIR_END_SCROLLING;
    Sent(engine_.EndScroll(), "EndScroll");
}

void CAirFrame::EndScrollDone() {
    LogMessage("CAirFrame::EndScrollDone()");
    NextPage();
}

void CAirFrame::OutEffect() {
    EnableActions(ACTION_PAUSE | ACTION_STOP);
    state_ = AIR_OUT_EFFECT;
    if (kind_ & KIND_PAGE) {
        Sent(engine_.InEffect(EffectWord(showParams_, false) | EFFECT_REPLACE, EffectParam(showParams_, false),
                              kWholeFrame),
             "OutEffect");
    } else if (kind_ & KIND_CAPTION) {
        OutEffectCaption();
    }
}

void CAirFrame::OutDone() {
    if (kind_ & KIND_VIDEO_PLAYLIST) {
        state_ = AIR_WAIT_VIDEO_END;  // the playlist ends the playout
        return;
    }
    endReason_ = END_RAN_OUT;
    End();
}

void CAirFrame::End() {
    if (videoRun_.endWaitId) return;  // already waiting for the switcher
    LogMessage("CAirFrame::End");
    killTimer();
    if (RestoreSwitcher()) return;
    EndFinish();
}

void CAirFrame::EndFinish() {
    EndVideo();
    airLog_.closePage();
    airLog_.closeClips();
    Cue();  // the same content from its beginning
}

void CAirFrame::OnStop() {
    if (!(actions_ & ACTION_STOP)) {
        if (!automation_) delayedAction_ = ACTION_STOP;
        return;
    }
    LogMessage("CAirFrame::OnStop()");
    killTimer();
    cancelOnce(bannerRun_.waitId);
    endReason_ = END_STOPPED;
    if (!(kind_ & KIND_DEVICE)) {
        End();
        return;
    }
    state_ = AIR_STOPPING;
    Sent(engine_.Cut(), "OnStop");
}

void CAirFrame::OnPause() {
    if (!(actions_ & ACTION_PAUSE)) {
        if (!automation_) delayedAction_ = ACTION_PAUSE;
        return;
    }
    LogMessage("CAirFrame::OnPause()");
    const uint32_t t = now();
    if (timerId_) {
        killTimer();
        pauseTick_ = t;
        pausedActions_ = actions_;
        EnableActions(ACTION_PAUSE | ACTION_STOP);
    } else {
        setTimer(timerPeriod_);
        // Phases keep their full lengths: the paused time is added to their starts.
        const uint32_t d = platform::TicksSince(pauseTick_, t);
        startTick_ += d;
        phaseStart_ += d;
        EnableActions(pausedActions_);
    }
    paused_ = !paused_;
    PauseVideo();
    if (!paused_ && ((kind_ & KIND_BANNER) || bannerRun_.onPage)) BannerShow();
    if (paused_) cancelOnce(bannerRun_.waitId);
    if (state_ == AIR_IN_EFFECT || state_ == AIR_SCROLLING || state_ == AIR_OUT_EFFECT) {
        // The pause goes beside the running command, whose finish the frame still waits for.
        if (!engine_.Pause()) LogMessage("CAirFrame::OnPause() : the engine did not take the pause");
    }
    Reply(paused_ ? 2 : 1, 0);
}

void CAirFrame::OnNext() {
    if (!(actions_ & ACTION_NEXT)) {
        if (!automation_) delayedAction_ = ACTION_NEXT;
        return;
    }
    LogMessage("CAirFrame::OnNext()");
    if (state_ == AIR_CUED) {
        MoveCue(1);
        return;
    }
    // The phase ends at the next tick; the remaining time loses what was left of it (never
    // more, so that it cannot grow when the phase was already over).
    const uint32_t elapsed = platform::TicksSince(phaseStart_, now());
    if (!phaseEnded_ && elapsed < phaseLength_) total_ -= int64_t(phaseLength_ - elapsed);
    phaseEnded_ = true;
    if (state_ == AIR_SCROLL_PENDING || state_ == AIR_SCROLLING) ScrollDone();
}

void CAirFrame::Previous() {
    if (!(actions_ & ACTION_PREVIOUS)) {
        if (!automation_) delayedAction_ = ACTION_PREVIOUS;
        return;
    }
    if (state_ == AIR_CUED) MoveCue(-1);
}

void CAirFrame::MoveCue(int direction) {
    if (direction != 0 && isList()) {
        const int i = NextChecked(current_ + direction, direction);
        if (i >= 0) {
            current_ = i;
            EnableActions(0);
            if (Prepare()) CopyPage();
            notifyView(AIRNOTE_STATE);
            return;
        }
        // The list changed under the cue: only the buttons are brought up to date.
    }
    if (state_ != AIR_CUED || !isList()) return;
    uint16_t a = ACTION_PLAY;
    if (NextChecked(current_ + 1, 1) >= 0) a |= ACTION_NEXT;
    if (NextChecked(current_ - 1, -1) >= 0) a |= ACTION_PREVIOUS;
    EnableActions(a);
}

void CAirFrame::Effect() {
    if (!(actions_ & ACTION_EFFECT) || !pageImage()) return;
    ShowParams copy = showParams_;
    const PageMotion page = PageMotionOf(pageImage()->summary);
    if (!window_->EditEffect(copy, &page, true, page.hasMovingFrame())) return;
    showParams_ = copy;
    if (paramsAreDefault_) defaultShowParams_ = copy;
    total_ = int64_t(pageShowTime()) * 1000;
    showTimes(0, total_);
    notifyView(AIRNOTE_STATE);
}

void CAirFrame::RunDelayedAction() {
    const uint16_t a = delayedAction_;
    if (a == 0 || !(actions_ & a)) return;  // still disabled: stays remembered
    delayedAction_ = 0;
    switch (a) {
        case ACTION_PLAY: OnPlay(); break;
        case ACTION_PAUSE: OnPause(); break;
        case ACTION_NEXT: OnNext(); break;
        case ACTION_STOP: OnStop(); break;
        case ACTION_PREVIOUS: Previous(); break;
        default: break;
    }
}

void CAirFrame::EnableActions(uint16_t a) {
    actions_ = a;
    window_->EnableActions(a);
    if (automation_ && delayedRequest_ != 0 && (a & (ACTION_PLAY | ACTION_PAUSE))) {
        // Taken off first: the request may change the actions again (and remember itself anew).
        const uint16_t r = delayedRequest_;
        delayedRequest_ = 0;
        DeviceRequest(r);
        LogMessage("Delayed request processed: %02X", r);
    }
}

bool CAirFrame::OnCommand(int command) {
    switch (command) {
        case CMD_PLAY: OnPlay(); return true;
        case CMD_PAUSE: OnPause(); return true;
        case CMD_NEXT: OnNext(); return true;
        case CMD_STOP: OnStop(); return true;
        case CMD_EFFECT: Effect(); return true;
        case CMD_PREVIOUS: Previous(); return true;
        default: return false;
    }
}

// ---- Engine notifications, Device requests and replies ------------------------------------

intptr_t CAirFrame::OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg == platform::MSG_ENGINE) OnEngine(device::NoteCode(wParam), int(lParam), device::NoteCommand(wParam));
    else if (msg == MSG_PLAYER) OnPlayerMessage(wParam, int(lParam));
    return 0;
}

void CAirFrame::OnEngine(int code, int value, uint16_t command) {
    LogMessage("CAirFrame::OnEngine(%d, %d) state %d", code, value, state_);
    if ((code == device::NOTE_FINISHED || code == device::NOTE_COMMAND_ERROR) && command != command_) {
        // A command replaced before it finished (the scroll that Next ended, say): what it reports
        // belongs to no step of ours, and taken for the newer command's it would cut that short.
        LogMessage("CAirFrame::OnEngine : command %d is not %d, ignored", int(command), int(command_));
        return;
    }
    switch (code) {
        case device::NOTE_LINK_UP:
            killTimer();
            linkUp_ = true;
            state_ = AIR_IDLE;
            setIndicator(0, 1);
            setIndicator(1, 0);
            setIndicator(2, 0);
            Sent(engine_.ResetDevice(), "ResetDevice");
            break;
        case device::NOTE_LINK_ERROR:
            if (emulate_) {
                setIndicator(0, 1);
            } else {
                linkUp_ = false;
                setIndicator(0, 2);
            }
            Abort(value);
            break;
        case device::NOTE_COMMAND_ERROR: Abort(value); break;
        case device::NOTE_STATE:
            setIndicator(0, 1);
            setIndicator(1, value & 1);
            setIndicator(2, (value >> 1) & 1);
            onAir_ = (value & 2) != 0;
            if (onAir_) airLog_.openPage(true);
            else airLog_.closePage();
            break;
        case device::NOTE_REQUEST: DeviceRequest(value); break;
        case device::NOTE_FINISHED: OnFinished(); break;
        default: break;
    }
}

void CAirFrame::OnFinished() {
    switch (state_) {
        case AIR_IDLE:
            if (automation_) kind_ = 0;
            Cue();
            break;
        case AIR_COPYING: CopyPageDone(); break;
        case AIR_IN_EFFECT: InEffectDone(); break;
        case AIR_SCROLLING: ScrollDone(); break;
        case AIR_END_SCROLLING: EndScrollDone(); break;
        case AIR_OUT_EFFECT: OutDone(); break;
        case AIR_STOPPING: End(); break;
        case AIR_CLOCK_LOADING:
        case AIR_CLOCK_FLIPPING: ClockFinished(); break;
        case AIR_ITV_COPYING:
        case AIR_ITV_LOADING:
        case AIR_ITV_UPDATING:
        case AIR_ITV_FLIPPING: InteractiveDone(); break;
        case AIR_BANNER_LOADING:
            if (!BannerCheckStop()) BannerShow();
            break;
        case AIR_BANNER_SHOWING:
            if (!BannerCheckStop()) BannerLoad();
            break;
        default: break;
    }
}

void CAirFrame::DeviceRequest(int code) {
    LogMessage("CAirFrame::CmdRequest(): %02X", code);
    switch (code) {
        case 1:
            if (!automation_) break;
            if (actions_ & ACTION_PLAY) OnPlay();
            else if (actions_ & ACTION_PAUSE) OnPause();  // continue
            else Reply(1, 9);
            break;
        case 2:
            if (!automation_) break;
            if (actions_ & ACTION_PAUSE) OnPause();
            else delayedRequest_ = 2;
            break;
        case 3:
            if (!automation_) break;
            if (startTick_ != 0) OnStop();
            else Reply(3, 0);
            break;
        default:
            if (code >= 6 && code <= 15) {
                const int item = code <= 7 ? code + 2 : code - 8;
                Reset();
                kind_ = 0;
                notifyView(AIRNOTE_ITEM, item);
            }
            break;
    }
}

void CAirFrame::Reply(uint16_t code, uint16_t value) {
    if (!automation_) return;
    LogMessage("CAirFrame::CmdReply(): %02X [%02X]", code, value);
    delayedRequest_ = 0;
    // A reply goes beside the running command and finishes nothing.
    if (!engine_.Reply(code, value)) LogMessage("CAirFrame::CmdReply() : the engine did not take the reply");
}

std::string AirStateName(int32_t state) {
    switch (state) {
        case AIR_IDLE: return "idle";
        case AIR_PREPARED: return "prepared";
        case AIR_COPYING: return "loading";
        case AIR_CUED: return "cued";
        case AIR_WAIT_IN: return "wait-in";
        case AIR_IN_EFFECT: return "in-effect";
        case AIR_SCROLL_PENDING: return "scroll-pending";
        case AIR_SCROLLING: return "scrolling";
        case AIR_SCROLL_HOLD: return "scroll-hold";
        case AIR_END_SCROLLING: return "end-scrolling";
        case AIR_WAIT_OUT: return "on-air";
        case AIR_OUT_EFFECT: return "out-effect";
        case AIR_STOPPING: return "stopping";
        case AIR_WAIT_VIDEO_END: return "video-end";
        case AIR_CLOCK_RUN: return "clock";
        case AIR_CLOCK_LOADING: return "clock-loading";
        case AIR_CLOCK_FLIPPING: return "clock-flipping";
        case AIR_ITV_COPYING: return "itv-copying";
        case AIR_ITV_LOADING: return "itv-loading";
        case AIR_ITV_UPDATING: return "itv-updating";
        case AIR_ITV_FLIPPING: return "itv-flipping";
        case AIR_ITV_RUN: return "itv";
        case AIR_BANNER_LOADING: return "banner-loading";
        case AIR_BANNER_SHOWING: return "banner";
        case AIR_BANNER_HOLD: return "banner-hold";
        default: return "state-" + std::to_string(state);
    }
}

}  // namespace air
