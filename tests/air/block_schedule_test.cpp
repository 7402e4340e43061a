// The automation schedule on the air frame in simulated local time, with the engine's commands
// recorded and finished at once: the windows of play and stop events, the clock set back and
// forward, DST nights, what each kind of record cues, and the Device's item keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "air/block_schedule.h"
#include "air_frame_fixture.h"
#include "app/file_types.h"
#include "titr_test_util.h"

namespace {

using air::AutoEvent;

// Local time of the process's zone as the wall clock's seconds.
time_t Local(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

time_t timegm_(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    return timegm(&tm);
}

// The process's zone for one test.
struct Zone {
    explicit Zone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    ~Zone() {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

AutoEvent Daily(int h, int m, int s, const std::string& file = {}) {
    AutoEvent e;
    e.hour = uint16_t(h);
    e.minute = uint8_t(m);
    e.second = uint8_t(s);
    e.weekdays = 127;
    e.active = file.empty() ? 0 : 1;
    e.fileName = file;
    return e;
}

AutoEvent Once(int y, int mo, int d, int h, int m, int s, const std::string& file = {}) {
    AutoEvent e = Daily(h, m, s, file);
    e.onceOnly = 1;
    e.year = uint16_t(y);
    e.month = uint8_t(mo);
    e.day = uint8_t(d);
    return e;
}

struct ScheduleTest : airtest::AirFrameFixture {
    airtest::FakeVideoPlaylist videoPlaylist;
    std::unique_ptr<air::CBlockSchedule> sched;
    std::vector<std::string> lines;
    uint16_t finished = 0;
    bool withClock = true, withVideo = true, withRemote = true;

    std::string settings() const override { return "[Hardware]\nModel=" + std::to_string(model()) + extra(); }
    virtual int model() const { return 1; }  // KTG210E: eight item keys
    virtual std::string extra() const { return "\n"; }

    // A sequence of one five-second page below the data root.
    std::string sequence(const std::string& name, int pages = 1) {
        air::CSeqDoc doc(app.folders(), clock);
        for (int i = 0; i < pages; ++i) {
            const std::string page = name + std::to_string(i) + ".zxg";
            EXPECT_TRUE(airtest::WritePage(fonts, dir.file("Pages/" + page)));
            doc.AppendPage(dir.file("Pages/" + page), fiveSeconds());
        }
        platform::MakeDirectories(dir.file("Sequences"));
        EXPECT_EQ(doc.SaveSequence(dir.file("Sequences/" + name + ".zxs")), 0);
        return "Sequences/" + name + ".zxs";
    }
    void writeEvents(const std::vector<AutoEvent>& events) {
        ASSERT_EQ(air::SaveEventFile(dir.file("schedule.dat"), events), 0);
    }
    void writeBindings(const std::vector<AutoEvent>& bindings) {
        ASSERT_EQ(air::SaveEventFile(dir.file("binds.dat"), bindings), 0);
    }
    // The frame in Automation mode with the link up, and the schedule as its view, at a local
    // time (on a whole second).
    void start(time_t local, bool tick = true) {
        clock.setLocal(local, 0);
        open(true);
        air::AirObjects o = objects();
        if (!withClock) o.clock = nullptr;
        if (!withVideo) o.video = nullptr;
        if (!withRemote) o.remote = nullptr;
        o.videoPlaylist = withVideo ? &videoPlaylist : nullptr;
        sched = std::make_unique<air::CBlockSchedule>(app, *frame, loop, clock, o);
        frame->setView(&sched->viewTarget());
        sched->setReporter([this](const std::string& l) { lines.push_back(l); });
        sched->Load();
        if (tick) sched->Start();
    }
    void TearDown() override {
        sched.reset();
        AirFrameFixture::TearDown();
    }
    // Finishes every command the engine was given, as a quick Device would.
    void pump() {
        for (int guard = 0; guard < 100; ++guard) {
            const uint16_t s = engine.lastSeq();
            if (s == 0 || s == finished) return;
            finished = s;
            frame->OnEngine(device::NOTE_FINISHED, 0, s);
        }
    }
    void run(uint32_t ms, uint32_t step = 50) {
        pump();
        for (uint32_t t = 0; t < ms; t += step) {
            advance(step);
            pump();
        }
    }
    // The reported lines that start with a word.
    std::vector<std::string> reported(const std::string& word) const {
        std::vector<std::string> out;
        for (const std::string& l : lines)
            if (l.rfind(word, 0) == 0) out.push_back(l);
        return out;
    }
    const air::ScheduleCounters& counts() const { return sched->counters(); }
};

// ---- Windows -------------------------------------------------------------------------------

TEST_F(ScheduleTest, APlayEventIsCuedInItsFiveSecondsAndPlayedOnTheFirstTickAtItsTime) {
    writeEvents({Daily(12, 0, 0, sequence("noon"))});
    start(Local(2025, 6, 2, 11, 59, 50));
    run(4500);  // 11:59:54.5
    EXPECT_EQ(counts().cued, 0);
    run(1000);
    ASSERT_EQ(counts().cued, 1);
    EXPECT_EQ(reported("cue"), std::vector<std::string>{"cue [1] 2025-06-02 12:00:00"});
    EXPECT_TRUE(logged("CBlockView::OnTimer(): load event [0]"));
    EXPECT_EQ(state(), air::AIR_CUED);
    EXPECT_TRUE(sched->waitingStart());
    run(4400);  // 11:59:59.9: not yet
    EXPECT_EQ(counts().played, 0);
    run(200);
    EXPECT_EQ(reported("play"), std::vector<std::string>{"play [1] 2025-06-02 12:00:00 at 2025-06-02 12:00:00"});
    EXPECT_TRUE(logged("CBlockView::OnTimer(): start playback"));
    EXPECT_TRUE(frame->IsOnAir());
    // Ran to its end and cued again by the frame; the schedule does not cue it a second time.
    run(20000);
    EXPECT_EQ(counts().cued, 1);
    EXPECT_EQ(counts().played, 1);
    EXPECT_EQ(counts().missed, 0);
}

TEST_F(ScheduleTest, StopsRunInTheirWindowAndBeforeAPlayListedFirst) {
    const std::string a = sequence("a", 3), b = sequence("b");
    // The play at 12:00:05 is listed before the stop at 12:00:00 that must end what plays.
    writeEvents({Daily(11, 59, 50, a), Daily(12, 0, 5, b), Daily(12, 0, 0)});
    start(Local(2025, 6, 2, 11, 59, 40));
    run(11000);  // 11:59:51: a is on air (15 s long)
    ASSERT_TRUE(frame->IsOnAir());
    run(9100);  // 12:00:00.02 the stop
    EXPECT_EQ(counts().stopped, 1);
    EXPECT_TRUE(logged("CBlockView::OnTimer(): cancel playback [2]"));
    EXPECT_FALSE(frame->IsOnAir());
    run(6000);
    EXPECT_EQ(reported("play").size(), 2u);
    EXPECT_EQ(reported("play").back(), "play [2] 2025-06-02 12:00:05 at 2025-06-02 12:00:05");
    EXPECT_EQ(counts().missed, 0);
    EXPECT_EQ(counts().stopped, 1) << "a stop rests after it ran";
}

TEST_F(ScheduleTest, AStopIsRunWhenTheModeOpensWithinItsWindowAndAPlayIsNot) {
    writeEvents({Daily(12, 0, 0, sequence("late")), Daily(12, 0, 0)});
    start(Local(2025, 6, 2, 12, 0, 3));
    run(2000);
    EXPECT_EQ(counts().stopped, 1);
    EXPECT_EQ(counts().cued, 0);
    EXPECT_EQ(counts().missed, 0) << "windows before the mode opened are not looked back on";
}

TEST_F(ScheduleTest, ModeOpenedThirtySecondsLateDoesNotPlayTheEvent) {
    writeEvents({Daily(12, 0, 0, sequence("late"))});
    start(Local(2025, 6, 2, 12, 0, 30));
    run(10000);
    EXPECT_EQ(counts().cued, 0);
    EXPECT_EQ(counts().played, 0);
}

TEST_F(ScheduleTest, APlayEventDueWhileSomethingIsOnAirIsMissedAndNeverPlayedLate) {
    writeEvents({Daily(12, 0, 0, sequence("long", 3)), Daily(12, 0, 8, sequence("short"))});
    start(Local(2025, 6, 2, 11, 59, 50));
    run(20000);  // 12:00:10: the long one is still on air
    EXPECT_EQ(counts().played, 1);
    EXPECT_EQ(counts().missed, 1);
    EXPECT_TRUE(logged("CBlockView::OnTimer(): missed event [1]"));
    EXPECT_TRUE(sched->missed(1));
    EXPECT_EQ(sched->lastMissed(), 1);
    run(30000);
    EXPECT_EQ(counts().played, 1) << "a missed event stays missed";
}

TEST_F(ScheduleTest, ADailyEventJustAfterMidnightIsCuedTheEveningBefore) {
    AutoEvent e = Daily(0, 0, 2, sequence("midnight"));
    e.weekdays = 1 << 1;  // Tuesdays only: 2025-06-03
    AutoEvent stop = Daily(23, 59, 58);
    stop.weekdays = 1 << 0;  // Monday's, run after midnight
    writeEvents({e, stop});
    start(Local(2025, 6, 2, 23, 59, 50));
    run(7500);  // 23:59:57.5
    EXPECT_EQ(reported("cue"), std::vector<std::string>{"cue [1] 2025-06-03 00:00:02"});
    run(5000);
    EXPECT_EQ(counts().stopped, 1);
    EXPECT_EQ(reported("play").size(), 1u);
}

TEST_F(ScheduleTest, NoWeekdayOrAnImpossibleDateNeverFires) {
    AutoEvent none = Daily(12, 0, 0, sequence("x"));
    none.weekdays = 0;
    writeEvents({none, Once(2025, 2, 30, 12, 0, 0, "Sequences/x.zxs")});
    start(Local(2025, 6, 2, 11, 59, 50));
    run(20000);
    EXPECT_EQ(counts().cued, 0);
    EXPECT_EQ(sched->events().size(), 2u) << "kept";
    EXPECT_EQ(air::RefuseEvent(none), air::EventRefusal::NO_WEEKDAY);
}

// ---- The clock set by hand -----------------------------------------------------------------

TEST_F(ScheduleTest, SetBackWhileWaitingDropsTheWaitAndTheEventIsCuedAgainInItsWindow) {
    for (int back : {60, 7200}) {
        SCOPED_TRACE(back);
        lines.clear();
        sched.reset();
        frame.reset();
        writeEvents({Daily(12, 0, 0, sequence("noon"))});
        start(Local(2025, 6, 2, 11, 59, 55));
        run(2000);  // cued at 11:59:55, waiting
        ASSERT_TRUE(sched->waitingStart());
        clock.setLocal(Local(2025, 6, 2, 12, 0, 0) - 3 - back, 0);
        run(1000);
        EXPECT_FALSE(sched->waitingStart());
        run(uint32_t(back) * 1000 + 5000, 200);
        EXPECT_EQ(counts().cued, 2);
        EXPECT_EQ(counts().played, 1);
        EXPECT_EQ(reported("play"), std::vector<std::string>{"play [1] 2025-06-02 12:00:00 at 2025-06-02 12:00:00"});
    }
}

TEST_F(ScheduleTest, SetBackAfterThePlayNeverPlaysTheOccurrenceTwice) {
    writeEvents({Daily(12, 0, 0, sequence("noon"))});
    start(Local(2025, 6, 2, 11, 59, 55));
    run(7000);
    ASSERT_EQ(counts().played, 1);
    clock.setLocal(Local(2025, 6, 2, 11, 59, 0), 0);
    run(90000, 200);
    EXPECT_EQ(counts().played, 1);
    EXPECT_EQ(counts().cued, 1);
}

TEST_F(ScheduleTest, AForwardJumpCatchesUpItsLastPlayAndItsStopsUpToThreeHours) {
    const std::string a = sequence("a"), b = sequence("b");
    writeEvents({Daily(12, 0, 0, a), Daily(12, 0, 10, b), Daily(12, 0, 5)});
    start(Local(2025, 6, 2, 11, 59, 40));
    run(1100);
    clock.setLocal(Local(2025, 6, 2, 12, 0, 20), 0);  // 30 s ahead of time
    run(1000);
    EXPECT_EQ(counts().stopped, 1) << "the stop it passed over";
    EXPECT_EQ(counts().missed, 1) << "the older play";
    EXPECT_TRUE(sched->missed(0));
    ASSERT_EQ(reported("play").size(), 1u);
    EXPECT_EQ(reported("play")[0], "play [2] 2025-06-02 12:00:10 at 2025-06-02 12:00:20");
    run(1000);
    EXPECT_TRUE(frame->IsOnAir());
}

TEST_F(ScheduleTest, AForwardJumpOfFiveHoursMissesWhatItPassedOver) {
    writeEvents({Daily(12, 0, 0, sequence("a")), Daily(12, 0, 5)});
    start(Local(2025, 6, 2, 11, 59, 40));
    run(1100);
    clock.setLocal(Local(2025, 6, 2, 16, 59, 41), 0);
    run(3000);
    EXPECT_EQ(counts().played, 0);
    EXPECT_EQ(counts().stopped, 0);
    EXPECT_EQ(counts().missed, 2);
}

TEST_F(ScheduleTest, ADailyHalfPastTwoOverBothBerlinDstNightsOf2025) {
    Zone berlin("Europe/Berlin");
    // March 30: 02:00 CET becomes 03:00 CEST; there is no 02:30, so it plays at 03:00:00.
    writeEvents({Daily(2, 30, 0, sequence("night"))});
    start(timegm_(2025, 3, 30, 0, 59, 50));  // 01:59:50 CET
    run(12000);
    ASSERT_EQ(reported("play"), std::vector<std::string>{"play [1] 2025-03-30 02:30:00 at 2025-03-30 03:00:00"});
    EXPECT_EQ(counts().missed, 0);

    // October 26: 03:00 CEST becomes 02:00 CET; 02:30 comes twice and plays once.
    lines.clear();
    sched.reset();
    frame.reset();
    start(timegm_(2025, 10, 26, 0, 29, 50));  // 02:29:50 CEST; 02:30 CET is an hour later
    run(3700 * 1000, 500);
    EXPECT_EQ(reported("play"), std::vector<std::string>{"play [1] 2025-10-26 02:30:00 at 2025-10-26 02:30:00"});
    EXPECT_EQ(counts().cued, 1);
}

// ---- Dialogs and message boxes -------------------------------------------------------------

TEST_F(ScheduleTest, AnOpenDialogDoesNotStopTheSchedule) {
    writeEvents({Daily(12, 0, 0, sequence("noon"))});
    start(Local(2025, 6, 2, 11, 59, 50));
    sched->editing = true;
    // The dialog edits a copy; the event plays meanwhile.
    AutoEvent copy = sched->events()[0];
    copy.minute = 30;
    run(11000);
    EXPECT_EQ(counts().played, 1);
    sched->editing = false;
    ASSERT_EQ(sched->ReplaceEvent(0, copy), 0);
    EXPECT_EQ(air::EventTimeText(sched->events()[0]), "12:30:00  [1234567]");
}

// A message box whose own loop runs on for a while, as a modal box does.
struct LoopingBoxes final : app::MessageBoxes {
    std::function<void()> whileOpen;
    std::vector<std::string> texts;
    int depth = 0;
    int show(const std::string& text, unsigned) override {
        texts.push_back(text);
        ++depth;
        if (whileOpen && depth == 1) whileOpen();
        --depth;
        return app::IDOK;
    }
};

TEST_F(ScheduleTest, AMessageBoxOfATickShowsAfterItAndTheScheduleRunsOnUnderIt) {
    writeEvents({Daily(12, 0, 0, "Sequences/missing.zxs"), Daily(11, 59, 57)});
    LoopingBoxes boxes2;
    int stopsWhileOpen = -1;
    boxes2.whileOpen = [&] {
        run(4000);
        stopsWhileOpen = counts().stopped;
    };
    start(Local(2025, 6, 2, 11, 59, 54));
    app::SetMessageBoxes(&boxes2);
    run(1100);  // 11:59:55: the cue fails, its box opens after the tick
    ASSERT_EQ(boxes2.texts.size(), 1u);
    EXPECT_NE(boxes2.texts[0].find("missing.zxs"), std::string::npos);
    EXPECT_EQ(stopsWhileOpen, 1) << "the stop at 11:59:57 ran while the box was open";
    run(4000);
    EXPECT_EQ(counts().stopped, 1);
    app::SetMessageBoxes(&boxes);
}

// ---- Cue a record --------------------------------------------------------------------------

struct CueTest : ScheduleTest {
    std::string extra() const override { return "\nMPEG=1\n"; }
    void SetUp() override {
        ScheduleTest::SetUp();
        platform::MakeDirectories(dir.file("Video"));
        platform::MakeDirectories(dir.file("Clock"));
    }
};

TEST_F(CueTest, EachKindOfRecord) {
    start(Local(2025, 6, 2, 10, 0, 0), false);
    // A sequence.
    AutoEvent e = Daily(0, 0, 0, sequence("s"));
    EXPECT_TRUE(sched->Cue(e));
    EXPECT_TRUE(sched->playOnStart());
    EXPECT_EQ(frame->State().kind, air::KIND_PAGE);
    EXPECT_NE(frame->playedSequence(), seq.get()) << "never the editor's sequence";
    // A sequence with no page that loads: "Sequence is empty!".
    air::CSeqDoc empty(app.folders(), clock);
    empty.AppendPage(dir.file("Pages/gone.zxg"), fiveSeconds());
    ASSERT_EQ(empty.SaveSequence(dir.file("Sequences/empty.zxs")), 0);
    e.fileName = "Sequences/empty.zxs";
    EXPECT_FALSE(sched->Cue(e));
    EXPECT_EQ(boxes.lastText(), "Sequence is empty!");
    // A clock, into the clock object.
    ASSERT_TRUE(zxtest::WriteText(dir.file("Clock/Studio.zck"), "x"));
    e.fileName = "Clock/Studio.zck";
    EXPECT_TRUE(sched->Cue(e));
    ASSERT_EQ(clockObject.loads.size(), 1u);
    EXPECT_EQ(clockObject.loads[0], dir.file("Clock/Studio.zck"));
    clockObject.loadResult = 0x103;
    EXPECT_FALSE(sched->Cue(e));
    EXPECT_NE(boxes.lastText().find("invalid file format"), std::string::npos);
    // A video alone: PlayVideo; one that is not there: "Error opening file".
    ASSERT_TRUE(zxtest::WriteText(dir.file("Video/clip.mpg"), "x"));
    AutoEvent v;
    v.active = 1;
    v.videoName = "clip.mpg";
    v.videoLoop = 1;
    EXPECT_TRUE(sched->Cue(v));
    EXPECT_EQ(frame->State().kind & ~air::KIND_VIDEO_LOOP, air::KIND_VIDEO);
    v.videoName = "gone.mpg";
    EXPECT_FALSE(sched->Cue(v));
    EXPECT_NE(boxes.lastText().find("Error opening file"), std::string::npos);
    // A video playlist with the preview input handed back.
    v.videoName = "show.vid";
    v.restorePreview = 1;
    EXPECT_TRUE(sched->Cue(v));
    EXPECT_EQ(videoPlaylist.loads.back(), dir.file("Video/show.vid"));
    EXPECT_EQ(videoPlaylist.restore, -2);
    EXPECT_EQ(videoPlaylist.converts, 1);
    EXPECT_TRUE(frame->State().kind & air::KIND_VIDEO_PLAYLIST);
    videoPlaylist.loadResult = 0x101;
    EXPECT_FALSE(sched->Cue(v));
    // A macro (type 16 or 3): it waits for the start.
    ASSERT_TRUE(zxtest::WriteText(dir.file("Sequences/Logo on.txt"), "x"));
    AutoEvent m;
    m.active = 1;
    m.fileName = "Sequences/Logo on.txt";
    EXPECT_TRUE(sched->Cue(m));
    EXPECT_TRUE(sched->runMacro());
    EXPECT_FALSE(sched->playOnStart());
    EXPECT_EQ(sched->macroPath(), dir.file("Sequences/Logo on.txt"));
    m.fileName = "Sequences/none.txt";
    EXPECT_FALSE(sched->Cue(m));
}

TEST_F(CueTest, AKindWhoseObjectIsMissingIsNotCued) {
    withClock = withVideo = withRemote = false;
    start(Local(2025, 6, 2, 10, 0, 0), false);
    ASSERT_TRUE(zxtest::WriteText(dir.file("Clock/Studio.zck"), "x"));
    ASSERT_TRUE(zxtest::WriteText(dir.file("Video/clip.mpg"), "x"));
    ASSERT_TRUE(zxtest::WriteText(dir.file("Sequences/m.txt"), "x"));
    AutoEvent e;
    e.active = 1;
    e.fileName = "Clock/Studio.zck";
    EXPECT_FALSE(sched->Cue(e));
    e.fileName.clear();
    e.videoName = "clip.mpg";
    EXPECT_FALSE(sched->Cue(e));
    e.videoName = "show.vid";
    EXPECT_FALSE(sched->Cue(e));
    e.videoName.clear();
    e.fileName = "Sequences/m.txt";
    EXPECT_FALSE(sched->Cue(e));
    EXPECT_TRUE(logged("CBlockView::Cue(): no clock object for " + dir.file("Clock/Studio.zck")));
}

TEST_F(CueTest, AMacroRunsAtTheStartTimeNotAtTheCue) {
    ASSERT_TRUE(zxtest::WriteText(dir.file("Sequences/Logo on.txt"), "x"));
    writeEvents({Daily(12, 0, 0, "Sequences/Logo on.txt")});
    start(Local(2025, 6, 2, 11, 59, 50));
    run(6000);
    EXPECT_EQ(counts().cued, 1);
    EXPECT_TRUE(remote.scripts.empty());
    run(4100);
    ASSERT_EQ(remote.scripts.size(), 1u);
    EXPECT_EQ(remote.scripts[0], dir.file("Sequences/Logo on.txt"));
    EXPECT_EQ(reported("macro").size(), 1u);
}

// ---- The Device's item keys ----------------------------------------------------------------

struct ItemTest : ScheduleTest {
    int model() const override { return 4; }  // KTG330E: ten keys
};

TEST_F(ItemTest, ItemRequestsCueTheBoundBlockOrAnswerNothingToPlay) {
    std::vector<AutoEvent> b(10);
    b[0].active = 1;
    b[0].fileName = sequence("one");
    b[9].active = 1;
    b[9].fileName = sequence("ten");
    b[5].active = 1;
    b[5].fileName = "Sequences/gone.zxs";
    writeBindings(b);
    start(Local(2025, 6, 2, 10, 0, 0));
    ASSERT_EQ(sched->bindingCount(), 10);
    // Codes 8..15 ask for items 0..7, 6 and 7 for items 8 and 9.
    struct Case {
        int code;
        bool cued;
    } cases[] = {{8, true}, {9, false}, {13, false}, {15, false}, {6, false}, {7, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        engine.replies.clear();
        frame->OnEngine(device::NOTE_REQUEST, c.code);
        pump();
        ASSERT_FALSE(engine.replies.empty());
        EXPECT_EQ(engine.replies.back(), (c.cued ? std::pair<int, int>{8, 8} : std::pair<int, int>{9, 0}));
    }
    EXPECT_EQ(sched->selectedBinding(), 9);
    EXPECT_EQ(sched->selectedEvent(), -1);
    // The Device then plays it.
    engine.replies.clear();
    frame->OnEngine(device::NOTE_REQUEST, 1);
    ASSERT_FALSE(engine.replies.empty());
    EXPECT_EQ(engine.replies.front(), (std::pair<int, int>{1, 4}));
    EXPECT_TRUE(frame->IsOnAir());
    EXPECT_EQ(sched->counters().items, 2);

    // A request that comes before the lists are read finds empty keys.
    frame->OnStop();
    pump();
    air::CBlockSchedule unread(app, *frame, loop, clock, objects());
    unread.OnItemRequest(3);
    EXPECT_EQ(engine.replies.back(), (std::pair<int, int>{9, 0}));
}

struct ModelBindings : ScheduleTest {
    int m = 0;
    int model() const override { return m; }
};

TEST_F(ModelBindings, TheListHasTheModelsKeysAndTheFileKeepsTheRest) {
    std::vector<AutoEvent> twelve(12);
    for (int i = 0; i < 12; ++i) {
        twelve[size_t(i)].active = 1;
        twelve[size_t(i)].fileName = "Sequences/b" + std::to_string(i) + ".zxs";
    }
    writeBindings(twelve);
    start(Local(2025, 6, 2, 10, 0, 0), false);  // KTG210
    EXPECT_EQ(sched->bindingCount(), 8);
    ASSERT_EQ(sched->SetBinding(2, Daily(0, 0, 0, "Sequences/new.zxs")), 0);
    ASSERT_EQ(sched->ClearBinding(3), 0);
    std::vector<AutoEvent> back;
    ASSERT_EQ(air::LoadEventFile(dir.file("binds.dat"), back), 0);
    ASSERT_EQ(back.size(), 12u);
    EXPECT_EQ(back[2].fileName, "Sequences/new.zxs");
    EXPECT_EQ(back[3].active, 0);
    EXPECT_EQ(back[11].fileName, "Sequences/b11.zxs");
    EXPECT_EQ(air::BindingText(back[2]), "Sequences/new.zxs");
    // Items past the model's keys are not cued.
    sched->Start();
    frame->OnEngine(device::NOTE_REQUEST, 6);  // item 8
    EXPECT_EQ(engine.replies.back(), (std::pair<int, int>{9, 0}));
}

TEST_F(ScheduleTest, ADamagedScheduleFileIsReportedKeptAsideAndTheListStartsEmpty) {
    ASSERT_TRUE(zxtest::WriteText(dir.file("schedule.dat"), "ZXEF\x02"));
    start(Local(2025, 6, 2, 10, 0, 0), false);
    EXPECT_NE(boxes.lastText().find("invalid file format"), std::string::npos);
    EXPECT_TRUE(sched->events().empty());
    EXPECT_TRUE(platform::FileExists(dir.file("schedule.dat.bad")));
    ASSERT_EQ(sched->AddEvent(Daily(9, 0, 0)), 0);
    EXPECT_EQ(zxtest::ReadText(dir.file("schedule.dat.bad")), std::string("ZXEF\x02"));
    EXPECT_EQ(sched->selectedEvent(), 0);
}

TEST(ScheduleTexts, ListColumnsAndNamesStoredRelative) {
    AutoEvent e = Once(2025, 12, 31, 23, 59, 58);
    EXPECT_EQ(air::EventTimeText(e), "23:59:58  [31.12.2025]");
    EXPECT_EQ(air::EventActionText(e), "Stop playback");
    e = Daily(7, 5, 0, "Sequences/a.zxs");
    e.weekdays = 0x1F;
    e.videoName = "b.mpg";
    EXPECT_EQ(air::EventTimeText(e), "07:05:00  [12345--]");
    EXPECT_EQ(air::EventActionText(e), "Sequences/a.zxs + b.mpg");
    e.fileName.clear();
    EXPECT_EQ(air::BindingText(e), "b.mpg");
    EXPECT_EQ(air::CivilText(air::CivilSeconds(2024, 2, 29, 86399)), "2024-02-29 23:59:59");
    EXPECT_EQ(air::CivilText(air::CivilSeconds(1969, 12, 31, 0)), "1969-12-31 00:00:00");
    EXPECT_EQ(air::CivilTime(air::CivilSeconds(2025, 6, 2, 0)).dayOfWeek, 1);  // a Monday
}

TEST_F(ScheduleTest, UpcomingOccurrencesInTimeOrder) {
    writeEvents({Daily(12, 0, 0, "Sequences/a.zxs"), Once(2025, 6, 3, 8, 0, 0), Once(2025, 1, 1, 8, 0, 0)});
    start(Local(2025, 6, 2, 10, 0, 0), false);
    const auto next = sched->Upcoming(air::CivilSeconds(2025, 6, 2, 10 * 3600), 3);
    ASSERT_EQ(next.size(), 3u);
    EXPECT_EQ(air::CivilText(next[0].civil), "2025-06-02 12:00:00");
    EXPECT_EQ(next[1].index, 1);
    EXPECT_FALSE(next[1].play);
    EXPECT_EQ(air::CivilText(next[2].civil), "2025-06-03 12:00:00");
    // Names are kept below the data root and the video folder.
    AutoEvent r;
    sched->StoreNames(r, dir.file("Sequences/a.zxs"), "/elsewhere/v.mpg");
    EXPECT_EQ(r.fileName, "Sequences/a.zxs");
    EXPECT_EQ(r.filePathKind, 0);
    EXPECT_EQ(r.videoPathKind, 1);
    EXPECT_EQ(sched->FilePath(r), dir.file("Sequences/a.zxs"));
}

}  // namespace
