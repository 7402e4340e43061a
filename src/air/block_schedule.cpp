#include "air/block_schedule.h"

#include <algorithm>
#include <cstdio>

#include "app/file_types.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "platform/files.h"

namespace air {

namespace {

constexpr int64_t kDay = 86400;

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Bit of a day in the weekday mask (bit 0 Monday ... bit 6 Sunday); 1970-01-01 was a Thursday.
int weekdayBitOfDay(int64_t day) { return int(((day + 3) % 7 + 7) % 7); }

bool isVideoPlaylist(const std::string& path) { return app::FileTypeOf(path) == app::FT_VIDEO_PLAYLIST; }

}  // namespace

EventRefusal RefuseEvent(const AutoEvent& e) {
    if (e.active && !e.hasFile() && !e.hasVideo()) return EventRefusal::NO_FILE;
    if (!e.onceOnly && (e.weekdays & 127) == 0) return EventRefusal::NO_WEEKDAY;
    return EventRefusal::NONE;
}

int64_t CivilSeconds(int year, int month, int day, int secondOfDay) {
    return DayNumber(SeqDate{uint16_t(year), uint8_t(month), uint8_t(day)}) * kDay + secondOfDay;
}

int64_t CivilSeconds(const platform::LocalTime& t) {
    return CivilSeconds(t.year, t.month, t.day, t.hour * 3600 + t.minute * 60 + t.second);
}

platform::LocalTime CivilTime(int64_t civil) {
    // Days to a date, proleptic Gregorian (eras of 400 years).
    const int64_t days = floorDiv(civil, kDay);
    const int64_t sod = civil - days * kDay;
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    platform::LocalTime t;
    t.day = int(doy - (153 * mp + 2) / 5 + 1);
    t.month = int(mp < 10 ? mp + 3 : mp - 9);
    t.year = int(yoe + era * 400 + (t.month <= 2));
    t.dayOfWeek = int(((days + 4) % 7 + 7) % 7);
    t.hour = int(sod / 3600);
    t.minute = int(sod / 60 % 60);
    t.second = int(sod % 60);
    return t;
}

std::string CivilText(int64_t civil) {
    const platform::LocalTime t = CivilTime(civil);
    char s[40];
    std::snprintf(s, sizeof s, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return s;
}

std::string BindingText(const AutoEvent& b) {
    if (b.hasFile() && b.hasVideo()) return b.fileName + " + " + b.videoName;
    return b.hasFile() ? b.fileName : b.videoName;
}

std::string EventTimeText(const AutoEvent& e) {
    char s[64];
    int n = std::snprintf(s, sizeof s, "%02d:%02d:%02d", e.hour, e.minute, e.second);
    if (e.onceOnly) {
        std::snprintf(s + n, sizeof s - size_t(n), "  [%02d.%02d.%04d]", e.day, e.month, e.year);
    } else {
        char days[8];
        for (int i = 0; i < 7; ++i) days[i] = (e.weekdays >> i & 1) ? char('1' + i) : '-';
        days[7] = 0;
        std::snprintf(s + n, sizeof s - size_t(n), "  [%s]", days);
    }
    return s;
}

std::string EventActionText(const AutoEvent& e) {
    return e.active ? BindingText(e) : app::LoadString(IDS_STOP_PLAYBACK);
}

std::vector<Occurrence> UpcomingOccurrences(const std::vector<AutoEvent>& events, int64_t from, int count) {
    std::vector<Occurrence> out;
    const int64_t today = floorDiv(from, kDay);
    for (size_t i = 0; i < events.size(); ++i) {
        const AutoEvent& e = events[i];
        if (!EventTimeValid(e)) continue;
        if (e.onceOnly) {
            const int64_t o = CivilSeconds(e.year, e.month, e.day, e.secondOfDay());
            if (o >= from) out.push_back({int(i), o, e.active != 0});
            continue;
        }
        for (int64_t day = today; day <= today + 8; ++day) {
            const int64_t o = day * kDay + e.secondOfDay();
            if (o >= from && (e.weekdays >> weekdayBitOfDay(day) & 1)) out.push_back({int(i), o, e.active != 0});
        }
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Occurrence& a, const Occurrence& b) { return a.civil < b.civil; });
    if (count >= 0 && out.size() > size_t(count)) out.resize(size_t(count));
    return out;
}

void StoreEventNames(const app::FolderTable& folders, AutoEvent& e, const std::string& file, const std::string& video) {
    e.fileName.clear();
    e.videoName.clear();
    e.filePathKind = e.videoPathKind = 0;
    if (!file.empty()) e.filePathKind = folders.MakeRelative(app::FOLDER_ROOT, file, e.fileName);
    if (!video.empty()) e.videoPathKind = folders.MakeRelative(app::FOLDER_VIDEO, video, e.videoName);
}

std::string EventFilePath(const app::FolderTable& folders, const AutoEvent& e) {
    return folders.MakeAbsolute(app::FOLDER_ROOT, e.fileName, e.filePathKind != 0);
}

std::string EventVideoPath(const app::FolderTable& folders, const AutoEvent& e) {
    return folders.MakeAbsolute(app::FOLDER_VIDEO, e.videoName, e.videoPathKind != 0);
}

// ---- The object ----

intptr_t CBlockSchedule::Target::send(uint32_t msg, uintptr_t w, intptr_t l) {
    if (msg == platform::MSG_AIR) s_.OnAirNote(int(w), l);
    return 0;
}

CBlockSchedule::CBlockSchedule(app::CZentrixApp& app, CAirFrame& frame, platform::TimerService& timers,
                               const platform::Clock& clock, AirObjects objects)
    : app_(app), frame_(frame), timers_(timers), clock_(clock), obj_(objects), sequence_(app.folders(), clock) {
    bindingCount_ = app_.deviceModel().bindings;
    PadBindings(bindings_, bindingCount_);  // the keys are there before the file is read
}

CBlockSchedule::~CBlockSchedule() {
    Stop();
    frame_.ForgetSequence(&sequence_);
    sequence_.items.clear();
}

std::string CBlockSchedule::schedulePath() const {
    return app_.GetPath(app::FOLDER_ROOT, ScheduleFileName(app_.is400M()));
}
std::string CBlockSchedule::bindsPath() const { return app_.GetPath(app::FOLDER_ROOT, BindsFileName(app_.is400M())); }

int CBlockSchedule::Load() {
    int first = 0;
    const int b = LoadEventFile(bindsPath(), bindings_);
    if (b != pages::FILE_OK) {
        app::ShowFileResult(b, bindsPath());
        first = b;
    }
    PadBindings(bindings_, bindingCount_);
    const int s = LoadEventFile(schedulePath(), events_);
    if (s != pages::FILE_OK) {
        app::ShowFileResult(s, schedulePath());
        if (!first) first = s;
    }
    runs_.assign(events_.size(), EventRun{});
    waitingStart_ = false;
    waitIndex_ = -1;
    notify();
    return first;
}

void CBlockSchedule::Start() {
    started_ = false;
    arm();
}

void CBlockSchedule::Stop() {
    timers_.killTimer(timerId_);
    timerId_ = 0;
}

void CBlockSchedule::arm() {
    timers_.killTimer(timerId_);
    // The next tick a little after the next wall-clock second.
    const int ms = clock_.localTime().millisecond;
    const uint32_t delay = uint32_t(TICK_PERIOD_MS - ms + TICK_AFTER_SECOND_MS);
    timerId_ = timers_.setTimer(delay, [this] { OnTimer(); });
}

void CBlockSchedule::message(std::function<void()> show) {
    if (inTick_) deferred_.push_back(std::move(show));
    else show();
}

void CBlockSchedule::report(const std::string& line) {
    if (report_) report_(line);
}

void CBlockSchedule::notify() {
    if (changed_) changed_();
}

void CBlockSchedule::Select(int binding, int event) {
    selBinding_ = binding;
    selEvent_ = event;
    notify();
}

bool CBlockSchedule::missed(int index) const {
    return index >= 0 && size_t(index) < runs_.size() && runs_[size_t(index)].missed;
}

// ---- Cue a record ----

bool CBlockSchedule::Cue(const AutoEvent& e) {
    runMacro_ = playOnStart_ = waitingStart_ = false;
    bool videoList = false;
    std::string video;
    if (e.hasVideo()) {
        video = VideoPath(e);
        if (isVideoPlaylist(video)) {
            if (!obj_.videoPlaylist) {
                LogMessage("CBlockView::Cue(): no video playlist object for %s", video.c_str());
                return false;
            }
            const int code = obj_.videoPlaylist->Load(video);
            if (code & 0x100) {
                message([code, video] { app::ShowFileResult(code, video); });
                return false;
            }
            if (code) message([code, video] { app::ShowFileResult(code, video); });  // clips missing
            if (e.restorePreview) obj_.videoPlaylist->SetRestoreInput(-2);
            obj_.videoPlaylist->ConvertToAir();
            videoList = true;
        } else {
            if (!platform::FileExists(platform::ResolvePath(video))) {
                message([video] { app::ShowFileResult(pages::FILE_OPEN_ERROR, video); });
                return false;
            }
            if (!obj_.video) {
                LogMessage("CBlockView::Cue(): no video player for %s", video.c_str());
                return false;
            }
            video = platform::ResolvePath(video);
        }
    }
    const std::string file = FilePath(e);
    const int type = file.empty() ? -1 : app::FileTypeOf(file);
    if (type == app::FT_MACRO || type == app::FT_TXT) {
        if (!platform::FileExists(platform::ResolvePath(file))) {
            message([file] { app::ShowFileResult(pages::FILE_OPEN_ERROR, file); });
            return false;
        }
        if (!obj_.remote) {
            LogMessage("CBlockView::Cue(): no remote control for %s", file.c_str());
            return false;
        }
        runMacro_ = true;
        macroPath_ = platform::ResolvePath(file);
    }
    if (file.empty() || runMacro_) {
        if (e.hasVideo()) {
            frame_.PlayVideo(videoList, video, e.videoLoop != 0);
            playOnStart_ = true;
        }
    } else if (type == app::FT_SEQUENCE) {
        const int code = sequence_.LoadSequence(file);
        if (code != SEQ_OK && code != SEQ_MISSING_PAGES) {
            message([code, file] { app::ShowFileResult(code, file); });
            return false;
        }
        if (code == SEQ_MISSING_PAGES) message([code, file] { app::ShowFileResult(code, file); });
        sequence_.ComputeTotal(0);
        if (sequence_.checkedCount == 0) {
            message([] { app::MessageBoxId(IDS_SEQUENCE_EMPTY, app::MB_ICONERROR); });
            return false;
        }
        frame_.PlayPageList(sequence_, videoList, video, e.videoLoop != 0);
        playOnStart_ = true;
    } else if (type == app::FT_CLOCK) {
        if (!obj_.clock) {
            LogMessage("CBlockView::Cue(): no clock object for %s", file.c_str());
            return false;
        }
        const int code = obj_.clock->LoadForAir(platform::ResolvePath(file));
        if (code != pages::FILE_OK) {
            message([code, file] { app::ShowFileResult(code, file); });
            return false;
        }
        frame_.PlayClock(videoList, video, e.videoLoop != 0);
        playOnStart_ = true;
    } else {
        // Nothing the schedule can play (a page, a picture...).
        message([file] { app::ShowFileResult(pages::FILE_FORMAT_ERROR, file); });
        return false;
    }
    return playOnStart_ || runMacro_;
}

// ---- The Device's item keys ----

void CBlockSchedule::OnAirNote(int code, intptr_t value) {
    if (airObserver_) airObserver_(code, value);
    if (code == AIRNOTE_ITEM) OnItemRequest(int(value));
    else notify();
}

void CBlockSchedule::OnItemRequest(int item) {
    if (!frame_.CanStart() || frame_.IsOnAir()) return;
    frame_.SetAutomation(true);
    bool cued = false;
    if (item >= 0 && item < bindingCount_ && bindings_[size_t(item)].active) {
        Select(item, -1);
        cued = Cue(bindings_[size_t(item)]);
    }
    char line[64];
    if (cued) {
        ++counters_.items;
        std::snprintf(line, sizeof line, "item %d: cued binding %d", item + 1, item + 1);
    } else {
        ++counters_.refused;
        frame_.Reply(9, 0);
        std::snprintf(line, sizeof line, "item %d: nothing to cue, reply (9, 0)", item + 1);
    }
    report(line);
}

// ---- The timer ----

CBlockSchedule::Occurrences CBlockSchedule::occurrences(const AutoEvent& e, int64_t now) const {
    Occurrences out;
    if (!EventTimeValid(e)) return out;
    if (e.onceOnly) {
        out.at[out.n++] = CivilSeconds(e.year, e.month, e.day, e.secondOfDay());
        return out;
    }
    // Yesterday's (a stop just after midnight), today's and tomorrow's (a play just after it).
    const int64_t today = floorDiv(now, kDay);
    for (int64_t day = today - 1; day <= today + 1; ++day)
        if (e.weekdays >> weekdayBitOfDay(day) & 1) out.at[out.n++] = day * kDay + e.secondOfDay();
    return out;
}

void CBlockSchedule::OnTimer() {
    // A tick never runs inside another (a message box's own loop may deliver the timer).
    if (inTick_) return;
    inTick_ = true;
    tick();
    inTick_ = false;
    arm();
    // What the tick had to say, now that it is over; the schedule runs on under the boxes.
    std::vector<std::function<void()>> boxes;
    boxes.swap(deferred_);
    for (auto& show : boxes) show();
}

void CBlockSchedule::fireStop(size_t i, int64_t at) {
    LogMessage("CBlockView::OnTimer(): cancel playback [%d]", int(i));
    runs_[i].handled = at;
    events_[i].holdOff = STOP_HOLD_OFF;
    ++counters_.stopped;
    Select(-1, int(i));
    report("stop [" + std::to_string(i + 1) + "] " + CivilText(at));
    frame_.OnStop();
}

void CBlockSchedule::miss(size_t i, int64_t at) {
    LogMessage("CBlockView::OnTimer(): missed event [%d]", int(i));
    runs_[i].handled = at;
    runs_[i].missed = true;
    lastMissed_ = int(i);
    lastMissedTime_ = at;
    ++counters_.missed;
    report("missed [" + std::to_string(i + 1) + "] " + CivilText(at));
    notify();
}

void CBlockSchedule::tick() {
    const int64_t now = CivilSeconds(clock_.localTime());
    if (!started_) {
        // The windows that passed before the mode opened are not looked back on.
        prev_ = now;
        started_ = true;
    }
    const int64_t prev = prev_;
    prev_ = now;
    const bool catchUp = now - prev > 0 && now - prev <= CATCH_UP_S;

    // A clock set back far from the start: the wait ends, and the event is cued again in its
    // window.
    if (waitingStart_ && startTime_ - now > CUE_AHEAD_S) {
        LogMessage("CBlockView::OnTimer(): clock set back, cue of [%d] dropped", waitIndex_);
        waitingStart_ = false;
        if (waitIndex_ >= 0 && size_t(waitIndex_) < events_.size()) {
            runs_[size_t(waitIndex_)].handled = runs_[size_t(waitIndex_)].before;
            events_[size_t(waitIndex_)].holdOff = 0;
        }
        waitIndex_ = -1;
    }

    // Every rest counts down first, so list order costs nothing.
    std::vector<bool> held(events_.size());
    for (size_t i = 0; i < events_.size(); ++i)
        if (events_[i].holdOff > 0) {
            --events_[i].holdOff;
            held[i] = true;
        }

    // Due stops before any play.
    for (size_t i = 0; i < events_.size(); ++i) {
        if (events_[i].active || held[i]) continue;
        const Occurrences occ = occurrences(events_[i], now);
        for (int64_t o : occ.list()) {
            if (o <= runs_[i].handled) continue;
            const bool due = o <= now && now - o <= STOP_WINDOW_S;
            const bool passedOver = o > prev && now - o > STOP_WINDOW_S;  // no tick fell in its window
            if (due || (passedOver && catchUp)) {
                fireStop(i, o);
                break;
            }
            if (passedOver) miss(i, o);
        }
    }

    // The play event to cue: the earliest in its window; else, after a forward jump, the last
    // one whose window it passed over. Others whose time passed unhandled are missed.
    int best = -1, skipped = -1;
    int64_t bestAt = 0, skippedAt = 0;
    std::vector<std::pair<size_t, int64_t>> passed;
    for (size_t i = 0; i < events_.size(); ++i) {
        if (!events_[i].active || held[i]) continue;
        const Occurrences occ = occurrences(events_[i], now);
        for (int64_t o : occ.list()) {
            if (o <= runs_[i].handled) continue;
            const int64_t d = o - now;
            if (d >= 0 && d <= CUE_AHEAD_S) {
                if (!waitingStart_ && (best < 0 || o < bestAt)) {
                    best = int(i);
                    bestAt = o;
                }
            } else if (d < 0 && o >= prev) {  // at prev it was still due
                passed.push_back({i, o});
                if (!waitingStart_ && catchUp && o - CUE_AHEAD_S > prev && (skipped < 0 || o > skippedAt)) {
                    skipped = int(i);
                    skippedAt = o;
                }
            }
        }
    }
    int chosen = best >= 0 ? best : skipped;
    const int64_t chosenAt = best >= 0 ? bestAt : skippedAt;
    bool chosenCued = false;
    if (chosen >= 0) {
        const size_t i = size_t(chosen);
        Select(-1, chosen);
        if (frame_.CanStart() && !frame_.IsOnAir()) {
            AutoEvent& e = events_[i];
            e.holdOff = PLAY_HOLD_OFF;
            frame_.SetAutomation(false);
            runs_[i].before = runs_[i].handled;
            runs_[i].handled = chosenAt;
            chosenCued = true;
            ++counters_.cued;
            const bool cued = Cue(e);
            LogMessage("CBlockView::OnTimer(): load event [%d]", chosen);
            report("cue [" + std::to_string(i + 1) + "] " + CivilText(chosenAt) + (cued ? "" : " (nothing cued)"));
            if (cued) {
                waitingStart_ = true;
                startTime_ = chosenAt;
                waitIndex_ = chosen;
            }
        }
    }
    for (auto& [i, o] : passed)
        if (!(chosenCued && int(i) == chosen && o == chosenAt) && o > runs_[i].handled) miss(i, o);

    // The start.
    if (waitingStart_ && now >= startTime_) {
        waitingStart_ = false;
        const int index = waitIndex_;
        waitIndex_ = -1;
        if (runMacro_ && obj_.remote) {
            const int n = obj_.remote->RunScript(macroPath_);
            LogMessage("CBlockView::OnTimer(): run macro %s (%d commands)", macroPath_.c_str(), n);
            report("macro [" + std::to_string(index + 1) + "] " + macroPath_ + ": " + std::to_string(n) + " commands");
        }
        if (playOnStart_) {
            LogMessage("CBlockView::OnTimer(): start playback");
            ++counters_.played;
            if (now > startTime_) ++counters_.late;
            report("play [" + std::to_string(index + 1) + "] " + CivilText(startTime_) + " at " + CivilText(now));
            frame_.OnPlay();
        }
    }
}

// ---- Editing ----

std::string CBlockSchedule::FilePath(const AutoEvent& e) const { return EventFilePath(app_.folders(), e); }

std::string CBlockSchedule::VideoPath(const AutoEvent& e) const { return EventVideoPath(app_.folders(), e); }

void CBlockSchedule::StoreNames(AutoEvent& e, const std::string& file, const std::string& video) const {
    StoreEventNames(app_.folders(), e, file, video);
}

int CBlockSchedule::saveEvents() {
    const int code = SaveEventFile(schedulePath(), events_);
    if (code != pages::FILE_OK) {
        const std::string path = schedulePath();
        message([code, path] { app::ShowFileResult(code, path); });
    }
    notify();
    return code;
}

int CBlockSchedule::saveBindings() {
    const int code = SaveEventFile(bindsPath(), bindings_);
    if (code != pages::FILE_OK) {
        const std::string path = bindsPath();
        message([code, path] { app::ShowFileResult(code, path); });
    }
    notify();
    return code;
}

int CBlockSchedule::AddEvent(const AutoEvent& e) {
    events_.push_back(e);
    events_.back().holdOff = 0;
    runs_.push_back(EventRun{});
    selEvent_ = int(events_.size()) - 1;
    selBinding_ = -1;
    return saveEvents();
}

int CBlockSchedule::ReplaceEvent(int index, const AutoEvent& e) {
    if (index < 0 || size_t(index) >= events_.size()) return 0;
    events_[size_t(index)] = e;
    events_[size_t(index)].holdOff = 0;
    // A changed time is a new occurrence; the one waiting for Play stays cued.
    if (waitIndex_ != index) runs_[size_t(index)] = EventRun{};
    selEvent_ = index;
    return saveEvents();
}

int CBlockSchedule::RemoveEvent(int index) {
    if (index < 0 || size_t(index) >= events_.size()) return 0;
    events_.erase(events_.begin() + index);
    runs_.erase(runs_.begin() + index);
    if (waitIndex_ == index) waitIndex_ = -1;
    else if (waitIndex_ > index) --waitIndex_;
    if (lastMissed_ == index) lastMissed_ = -1;
    else if (lastMissed_ > index) --lastMissed_;
    if (selEvent_ >= int(events_.size())) selEvent_ = int(events_.size()) - 1;
    return saveEvents();
}

int CBlockSchedule::SetBinding(int index, const AutoEvent& b) {
    if (index < 0 || index >= bindingCount_) return 0;
    AutoEvent& r = bindings_[size_t(index)];
    r = AutoEvent{};
    r.active = 1;
    r.filePathKind = b.filePathKind;
    r.fileName = b.fileName;
    r.videoPathKind = b.videoPathKind;
    r.videoName = b.videoName;
    r.videoLoop = b.videoLoop;
    r.restorePreview = b.restorePreview;
    return saveBindings();
}

int CBlockSchedule::ClearBinding(int index) {
    if (index < 0 || index >= bindingCount_) return 0;
    AutoEvent& r = bindings_[size_t(index)];
    r.active = 0;
    r.fileName.clear();
    r.videoName.clear();
    return saveBindings();
}

}  // namespace air
