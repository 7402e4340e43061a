// Automation mode without its window: the block bindings (content the Device's item keys cue)
// and the scheduled events (content cued a few seconds before a time of day and played at it, or
// a stop), both kept in their files in the data root and saved after every change.
//
// Times are local civil times: a date and a second of the day, counted on one line of civil
// seconds (days since 1970 × 86400 + second of the day), so a DST change or a clock set by hand
// shows as a jump of that line. A one-second tick, a few ms after each wall-clock second, cues a
// play event 5 s to 0 s before its time and presses Play at the first tick at or after it; a stop
// event runs on a tick up to 5 s after its time. Each occurrence (date and time) is handled at
// most once; the windows that a forward jump of up to 3 hours passed over are caught up at once
// (its stops, and its last play event), older ones are missed, and a missed event is never played
// late.
//
// Runs on the air frame's thread. Dialogs edit copies that are applied on OK, so the timer and
// the Device's requests go on while one is open; the message boxes a tick raises are shown after
// the tick has returned.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "air/air_frame.h"
#include "air/auto_event.h"
#include "air/seq_doc.h"
#include "platform/clock.h"
#include "platform/message_target.h"
#include "platform/timer_service.h"

namespace app {
class CZentrixApp;
class FolderTable;
}  // namespace app

namespace air {

enum : int {
    IDS_STOP_PLAYBACK = 22183,   // "Stop playback"
    IDS_SEQUENCE_EMPTY = 16024,  // "Sequence is empty!"
};

// The schedule's windows and its tick (seconds, ms).
enum : int {
    CUE_AHEAD_S = 5,        // a play event is cued up to this long before its time
    STOP_WINDOW_S = 5,      // a stop runs up to this long after its time
    PLAY_HOLD_OFF = 10,     // ticks a cued event rests
    STOP_HOLD_OFF = 5,      // ticks a stop event rests
    CATCH_UP_S = 3 * 3600,  // a forward jump of local time up to this long is caught up
    TICK_PERIOD_MS = 1000,
    TICK_AFTER_SECOND_MS = 20,  // where in each second the tick falls
};

// Why the dialog refuses OK.
enum class EventRefusal { NONE, NO_FILE, NO_WEEKDAY };
EventRefusal RefuseEvent(const AutoEvent& e);

// Local civil time as one line of seconds, and back.
int64_t CivilSeconds(const platform::LocalTime& t);
int64_t CivilSeconds(int year, int month, int day, int secondOfDay);
platform::LocalTime CivilTime(int64_t civil);
// "YYYY-MM-DD HH:MM:SS".
std::string CivilText(int64_t civil);

// The texts of the two lists.
std::string BindingText(const AutoEvent& b);      // "File(s) to play"
std::string EventTimeText(const AutoEvent& e);    // "Time": "12:00:00  [31.12.2025]" or "  [12345--]"
std::string EventActionText(const AutoEvent& e);  // "Action": the names, or "Stop playback"

// One coming occurrence of an event.
struct Occurrence {
    int index = -1;
    int64_t civil = 0;  // its time
    bool play = false;  // else a stop
};
// The coming occurrences of a list from a time on, in time order (daily events for the next
// 8 days); count < 0: all.
std::vector<Occurrence> UpcomingOccurrences(const std::vector<AutoEvent>& events, int64_t from, int count);

// The names as a record stores them: below the data root and the video folder where they are,
// else whole; and back to the paths.
void StoreEventNames(const app::FolderTable& folders, AutoEvent& e, const std::string& file, const std::string& video);
std::string EventFilePath(const app::FolderTable& folders, const AutoEvent& e);
std::string EventVideoPath(const app::FolderTable& folders, const AutoEvent& e);

// What a run did (the headless run's summary, the soak).
struct ScheduleCounters {
    int cued = 0;     // play events cued by the timer
    int played = 0;   // Play pressed at the start time
    int stopped = 0;  // stop events run
    int missed = 0;
    int late = 0;     // played after the second of their time (caught up after a jump)
    int items = 0;    // item requests answered with a cue
    int refused = 0;  // item requests answered (9, 0)
};

class CBlockSchedule {
public:
    // objects: the clock, the video playlist, the players and the remote control the frame has
    // (any may be missing: content that needs one is then not cued). The sequences the schedule
    // plays go into a sequence of its own.
    CBlockSchedule(app::CZentrixApp& app, CAirFrame& frame, platform::TimerService& timers,
                   const platform::Clock& clock, AirObjects objects);
    // Destroy: the timer stops, the frame forgets the schedule's sequence.
    ~CBlockSchedule();
    CBlockSchedule(const CBlockSchedule&) = delete;
    CBlockSchedule& operator=(const CBlockSchedule&) = delete;

    // Reads both files (a damaged one shows 259 or 260 and is kept aside as ".bad"). Answers the
    // first failure, 0 when both read.
    int Load();
    // Starts and stops the tick.
    void Start();
    void Stop();
    bool running() const { return timerId_ != 0; }

    // What the frame tells its view (MSG_AIR): code 2 is an item request.
    void OnAirNote(int code, intptr_t value);
    // The target to hand the frame as its view when no window stands between (headless runs);
    // the observer sees every note first.
    platform::MessageTarget& viewTarget() { return target_; }
    void setAirObserver(std::function<void(int, intptr_t)> fn) { airObserver_ = std::move(fn); }

    // Device item request n (0..9).
    void OnItemRequest(int item);
    // One tick (the timer calls it; tests may too).
    void OnTimer();
    // Cues a record; true when something was cued or a macro waits for the start.
    bool Cue(const AutoEvent& e);

    // ---- The lists ----
    const std::vector<AutoEvent>& events() const { return events_; }
    // Every binding record of the file; the first bindingCount() are the model's keys.
    const std::vector<AutoEvent>& bindings() const { return bindings_; }
    int bindingCount() const { return bindingCount_; }
    std::string schedulePath() const;
    std::string bindsPath() const;

    // Each change saves its list; the answer is the file result code of the save (shown).
    int AddEvent(const AutoEvent& e);
    int ReplaceEvent(int index, const AutoEvent& e);
    int RemoveEvent(int index);
    // The binding becomes bound with the names, loop and restore-preview of b.
    int SetBinding(int index, const AutoEvent& b);
    int ClearBinding(int index);

    void StoreNames(AutoEvent& e, const std::string& file, const std::string& video) const;
    std::string FilePath(const AutoEvent& e) const;
    std::string VideoPath(const AutoEvent& e) const;

    // ---- View state ----
    bool editing = false;  // a dialog of the view is open (the schedule goes on)
    bool waitingStart() const { return waitingStart_; }
    int64_t startTime() const { return startTime_; }
    bool runMacro() const { return runMacro_; }
    const std::string& macroPath() const { return macroPath_; }
    bool playOnStart() const { return playOnStart_; }
    int selectedBinding() const { return selBinding_; }
    int selectedEvent() const { return selEvent_; }
    void Select(int binding, int event);
    // An event that was missed since the list was loaded (marked in the view).
    bool missed(int index) const;
    int lastMissed() const { return lastMissed_; }
    int64_t lastMissedTime() const { return lastMissedTime_; }
    const ScheduleCounters& counters() const { return counters_; }

    std::vector<Occurrence> Upcoming(int64_t from, int count) const {
        return UpcomingOccurrences(events_, from, count);
    }

    // The lists, the selection or a mark changed (the view redraws).
    void setChanged(std::function<void()> fn) { changed_ = std::move(fn); }
    // Every cue, play, stop, miss and reply, as a line (the headless run prints them).
    void setReporter(std::function<void(const std::string&)> fn) { report_ = std::move(fn); }

private:
    class Target final : public platform::MessageTarget {
    public:
        explicit Target(CBlockSchedule& s) : s_(s) {}
        void post(uint32_t msg, uintptr_t w, intptr_t l) override { send(msg, w, l); }
        intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override;

    private:
        CBlockSchedule& s_;
    };
    // Per event, what the runs did with its occurrences.
    struct EventRun {
        int64_t handled = INT64_MIN;  // the last occurrence cued, run or missed
        int64_t before = INT64_MIN;   // handled before the cue that waits (a set-back drops it)
        bool missed = false;
    };

    // The occurrences of an event around now (at most three, kept off the heap: every tick asks
    // for every event's).
    struct Occurrences {
        int64_t at[3] = {0, 0, 0};
        int n = 0;
        std::span<const int64_t> list() const { return {at, size_t(n)}; }
    };
    Occurrences occurrences(const AutoEvent& e, int64_t now) const;
    void tick();
    void fireStop(size_t i, int64_t at);
    void miss(size_t i, int64_t at);
    void arm();
    int saveEvents();
    int saveBindings();
    // A message box: at once, or after the tick when one runs.
    void message(std::function<void()> show);
    void report(const std::string& line);
    void notify();

    app::CZentrixApp& app_;
    CAirFrame& frame_;
    platform::TimerService& timers_;
    const platform::Clock& clock_;
    AirObjects obj_;
    CSeqDoc sequence_;
    Target target_{*this};
    std::function<void(int, intptr_t)> airObserver_;
    std::function<void()> changed_;
    std::function<void(const std::string&)> report_;

    std::vector<AutoEvent> events_;
    std::vector<EventRun> runs_;
    std::vector<AutoEvent> bindings_;
    int bindingCount_ = 0;

    int timerId_ = 0;
    bool inTick_ = false;
    std::vector<std::function<void()>> deferred_;
    bool started_ = false;
    int64_t prev_ = 0;  // the civil time of the last tick

    bool waitingStart_ = false;
    int64_t startTime_ = 0;
    int waitIndex_ = -1;
    bool runMacro_ = false;
    std::string macroPath_;
    bool playOnStart_ = false;
    int selBinding_ = -1;
    int selEvent_ = -1;
    int lastMissed_ = -1;
    int64_t lastMissedTime_ = 0;
    ScheduleCounters counters_;
};

}  // namespace air
