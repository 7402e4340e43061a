// The engine's worker against a scripted Device: notifications and their priority, requests and
// replies, link errors and reconnection, retries, deadlines, pause, the mailbox, stopping a stuck
// worker.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>

#include "device/engine.h"
#include "log_capture.h"
#include "scripted_link.h"

using namespace device;
using zxtest::NoteRecorder;
using zxtest::ScriptedLink;
using zxtest::Write;
using Note = NoteRecorder::Note;

namespace {

constexpr uint32_t kWipeDown = 0x01000A02;  // border 1, vertical step 4, bottom edge 0 -> 575

bool Contains(const std::vector<Write>& w, Write x) { return std::find(w.begin(), w.end(), x) != w.end(); }

// Whether `part` occurs in `all` in this order (not necessarily next to each other).
bool InOrder(const std::vector<Write>& all, const std::vector<Write>& part) {
    size_t i = 0;
    for (const Write& w : all)
        if (i < part.size() && w == part[i]) ++i;
    return i == part.size();
}

std::shared_ptr<std::vector<uint8_t>> Block(size_t n) {
    return std::make_shared<std::vector<uint8_t>>(n, uint8_t(0x5A));
}

struct Rig {
    explicit Rig(ScriptedLink::Flavour f = ScriptedLink::LPT, int statusClass = 1, int stopWaitMs = kStopWaitMs)
        : link(std::make_shared<ScriptedLink>(f, statusClass)), engine(CEngine::Options{&clock, stopWaitMs, false}) {
        engine.OpenWith(link, statusClass);
    }
    ~Rig() { engine.Close(); }
    void start() {
        engine.Init(&notes);
        ASSERT_TRUE(notes.waitFor(NOTE_LINK_UP));
    }
    bool finished(int n) { return notes.waitFor(NOTE_FINISHED, n); }

    platform::ManualClock clock;
    std::shared_ptr<ScriptedLink> link;
    NoteRecorder notes;
    CEngine engine;
};

}  // namespace

TEST(Engine, LinkUpFirstThenEachCommandFinishes) {
    Rig r;
    r.start();
    EXPECT_EQ(r.notes.notes().front(), Note(NOTE_LINK_UP, 0));

    r.engine.ResetDevice();
    ASSERT_TRUE(r.finished(1));
    ASSERT_TRUE(r.engine.LoadRect({10, 20, 110, 70}, DataRef::Share(Block(10002)), 0));
    ASSERT_TRUE(r.finished(2));
    r.engine.InEffect(0x0001, kWipeDown);
    ASSERT_TRUE(r.finished(3));

    auto w = r.link->writes();
    EXPECT_EQ(w.front(), (Write{0x80, 4}));
    EXPECT_TRUE(InOrder(w, {{0x60, 20}, {0x61, 10}, {0x62, 69}, {0x63, 109}, {0x80, 0}}));
    EXPECT_EQ(r.link->blocks(), std::vector<size_t>{10002});
    EXPECT_EQ(w.size(), 1u + 5u + 40u);  // on the parallel port every register step is one packet
    EXPECT_EQ(w.back(), (Write{0x40, 0x1401}));
    EXPECT_FALSE(r.link->badChecks());
    EXPECT_EQ(r.notes.count(NOTE_COMMAND_ERROR) + r.notes.count(NOTE_LINK_ERROR), 0);
}

TEST(Engine, EthernetSendsRunsOfWritesAsOneMessage) {
    Rig r(ScriptedLink::NET);
    r.start();
    ASSERT_TRUE(r.engine.LoadRect({10, 20, 110, 70}, DataRef::Share(Block(10002)), 0));
    ASSERT_TRUE(r.finished(1));
    r.engine.InEffect(0x0001, kWipeDown);
    ASSERT_TRUE(r.finished(2));
    auto m = r.link->messages();
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(m[0], (std::vector<Write>{{0x60, 20}, {0x61, 10}, {0x62, 69}, {0x63, 109}, {0x80, 0}}));
    EXPECT_EQ(m[1].size(), 25u);  // effect steps 0-24
    EXPECT_EQ(m[2].size(), 14u);  // steps 25-38, ending with the start
    EXPECT_EQ(m[2].back(), (Write{0x80, 0x0100}));
    EXPECT_EQ(m[3], (std::vector<Write>{{0x40, 0x1401}}));
}

TEST(Engine, OneNotificationPerPassInPriorityOrder) {
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    ASSERT_TRUE(r.notes.waitFor(NOTE_STATE));  // the state as first seen
    EXPECT_EQ(r.notes.notes()[1], Note(NOTE_STATE, 0));

    // A request and a state change in the same record: the request goes first.
    r.link->set([](ScriptedLink& l) {
        l.request = 6;
        l.state = 2;
    });
    ASSERT_TRUE(r.notes.waitFor(NOTE_STATE, 2));
    auto n = r.notes.notes();
    ASSERT_EQ(n.size(), 4u);
    EXPECT_EQ(n[2], Note(NOTE_REQUEST, 6));
    EXPECT_EQ(n[3], Note(NOTE_STATE, 2));

    // A reset forgets the state: finished first, the state again after it.
    r.engine.ResetDevice();
    ASSERT_TRUE(r.notes.waitFor(NOTE_STATE, 3));
    n = r.notes.notes();
    EXPECT_EQ(n[n.size() - 2], Note(NOTE_FINISHED, 0));
    EXPECT_EQ(n.back(), Note(NOTE_STATE, 2));
}

TEST(Engine, RequestFourIsAnsweredWithoutTheAirController) {
    zxtest::LogCapture log;
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    r.link->set([](ScriptedLink& l) { l.request = 4; });
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return Contains(l.writesNow(), {0xC0, 4}); }));

    // A reply command sets a new auto-reply value; its own code goes out first.
    r.engine.Reply(0x22, 7);
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return Contains(l.writesNow(), {0xC0, 0x22}); }));
    r.link->set([](ScriptedLink& l) { l.request = 4; });
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return Contains(l.writesNow(), {0xC0, 7}); }));
    EXPECT_EQ(r.notes.count(NOTE_REQUEST), 0);
    EXPECT_TRUE(log.has("CEngine::Req 04"));
    EXPECT_TRUE(log.has("CEngine::Autoreply: 04"));
    EXPECT_TRUE(log.has("CEngine::Autoreply: 07"));
    EXPECT_TRUE(log.has("CEngine::Reply 22"));
}

TEST(Engine, TheSameKeyPressedAgainAfterItsReplyIsANewRequest) {
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    r.link->set([](ScriptedLink& l) { l.request = 5; });
    ASSERT_TRUE(r.notes.waitFor(NOTE_REQUEST));
    r.engine.Reply(1, 0);
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return Contains(l.writesNow(), {0xC0, 1}); }));
    const int reads = r.link->reads();  // the Device shows no request for a while
    ASSERT_TRUE(r.link->waitFor([&](ScriptedLink& l) { return l.readsNow() >= reads + 2; }));
    r.link->set([](ScriptedLink& l) { l.request = 5; });
    ASSERT_TRUE(r.notes.waitFor(NOTE_REQUEST, 2));
    EXPECT_EQ(r.notes.count(NOTE_REQUEST), 2);
}

TEST(Engine, RequestsWhileACommandRuns) {
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    // A load waiting for its transfer: requests 5 and 1 wait, 3 goes through.
    r.link->set([](ScriptedLink& l) {
        l.prepareAnswers = false;
        l.request = 5;
    });
    ASSERT_TRUE(r.engine.LoadRect({0, 0, 10, 10}, DataRef::Share(Block(202)), 0));
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return Contains(l.writesNow(), {0x80, 0}); }));
    int reads = r.link->reads();
    ASSERT_TRUE(r.link->waitFor([&](ScriptedLink& l) { return l.readsNow() > reads + 3; }));
    r.link->set([](ScriptedLink& l) { l.request = 1; });
    reads = r.link->reads();
    ASSERT_TRUE(r.link->waitFor([&](ScriptedLink& l) { return l.readsNow() > reads + 3; }));
    EXPECT_EQ(r.notes.count(NOTE_REQUEST), 0);
    r.link->set([](ScriptedLink& l) { l.request = 3; });
    ASSERT_TRUE(r.notes.waitFor(NOTE_REQUEST));
    EXPECT_EQ(r.notes.notes().back(), Note(NOTE_REQUEST, 3));

    // During a transition, request 2 is reported.
    r.link->set([](ScriptedLink& l) {
        l.prepareAnswers = true;
        l.motionReads = -1;
        l.request = 0;
    });
    r.engine.InEffect(0x0001, kWipeDown);
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return Contains(l.writesNow(), {0x80, 0x0100}); }));
    r.link->set([](ScriptedLink& l) { l.request = 2; });
    ASSERT_TRUE(r.notes.waitFor(NOTE_REQUEST, 2));
    EXPECT_EQ(r.notes.notes().back(), Note(NOTE_REQUEST, 2));
}

TEST(Engine, AReplyWhileAStepWaitsNeverSendsThatStepTwice) {
    Rig r;
    r.start();
    r.link->set([](ScriptedLink& l) { l.motionReads = -1; });
    r.engine.InEffect(0x0001, kWipeDown);
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return Contains(l.writesNow(), {0x80, 0x0100}); }));
    // The reply is taken between a record that still shows motion and the one that shows none.
    r.link->set([](ScriptedLink& l) { l.blockReads = true; });
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return l.blockedNow(); }));
    r.engine.Reply(0x33, 0);
    r.link->releaseWithMotion(1);
    ASSERT_TRUE(r.finished(1));
    EXPECT_EQ(r.link->count(0xC0, 0x33), 1);
    EXPECT_EQ(r.link->count(0x80, 0x0100), 1);
    EXPECT_EQ(r.link->writes().back(), (Write{0x40, 0x1401}));
}

TEST(Engine, ReadErrorsBeforeTheLinkIsUpAreNotNotified) {
    zxtest::LogCapture log;
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.link->set([](ScriptedLink& l) { l.failReads = 1000000; });
    r.engine.Init(&r.notes);
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return l.connectsNow() >= 3; }));
    EXPECT_TRUE(r.notes.notes().empty());
    EXPECT_TRUE(log.has("CEngine::Error : 7"));
    r.link->set([](ScriptedLink& l) { l.failReads = 0; });
    ASSERT_TRUE(r.notes.waitFor(NOTE_LINK_UP));
    EXPECT_EQ(r.notes.codes().front(), NOTE_LINK_UP);
}

TEST(Engine, DeviceSwitchedOffWhileIdleThenOnAgain) {
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    r.link->set([](ScriptedLink& l) { l.powered = false; });
    const int before = r.link->connects();
    ASSERT_TRUE(r.link->waitFor([&](ScriptedLink& l) { return l.connectsNow() >= before + 5; }, 10000));
    // The failed read and then the failed calls, each once however often they repeat.
    std::vector<Note> errors;
    for (const Note& n : r.notes.notes())
        if (n.first == NOTE_LINK_ERROR) errors.push_back(n);
    EXPECT_EQ(errors, (std::vector<Note>{{NOTE_LINK_ERROR, LINK_READ_ERROR}, {NOTE_LINK_ERROR, LINK_NOT_RESPONDING}}));
    r.link->set([](ScriptedLink& l) { l.powered = true; });
    ASSERT_TRUE(r.notes.waitFor(NOTE_LINK_UP, 2));
    EXPECT_EQ(r.notes.count(NOTE_COMMAND_ERROR), 0);
}

TEST(Engine, SecondPutCmdWaitsForTheFirstToBeTakenAndReplacesIt) {
    zxtest::LogCapture log;
    Rig r;
    r.start();
    // The first command can never finish: its transfer is never ready.
    r.link->set([](ScriptedLink& l) {
        l.prepareAnswers = false;
        l.blockReads = true;
    });
    r.engine.ResetDevice();  // taken at once; the worker then hangs in its status read
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return l.blockedNow(); }));
    ASSERT_TRUE(r.engine.LoadRect({0, 0, 10, 10}, DataRef::Share(Block(202)), 0));  // waits in the mailbox
    auto second = std::async(std::launch::async, [&] { r.engine.Cut(); });
    EXPECT_EQ(second.wait_for(std::chrono::milliseconds(150)), std::future_status::timeout);
    r.link->release();
    second.get();
    ASSERT_TRUE(r.finished(2));  // the reset, then the cut
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(r.notes.count(NOTE_FINISHED), 2);
    EXPECT_EQ(r.notes.count(NOTE_COMMAND_ERROR), 0);
    auto w = r.link->writes();
    ASSERT_GE(w.size(), 2u);
    EXPECT_EQ(w[w.size() - 2], (Write{0x40, 0}));
    EXPECT_EQ(w.back(), (Write{0x80, 4}));
    EXPECT_TRUE(log.has("PutCmd::Sleep()"));
}

TEST(Engine, WritesHeldForAReplacedCommandNeverLeadTheNextOne) {
    Rig r(ScriptedLink::NET);
    r.start();
    r.link->set([](ScriptedLink& l) { l.blockOnBatch = true; });
    ASSERT_TRUE(r.engine.LoadRect({0, 0, 10, 10}, DataRef::Share(Block(202)), 0));
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return l.blockedNow(); }));
    r.engine.Cut();
    r.link->release();
    ASSERT_TRUE(r.finished(1));
    auto m = r.link->messages();
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m.front(), (std::vector<Write>{{0x40, 0}}));
}

TEST(Engine, HammingErrorsCorrectedRetriedThenFatal) {
    zxtest::LogCapture log;
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    r.link->set([](ScriptedLink& l) {
        l.damageReads = 1;
        l.damageBits = 1;
    });
    r.engine.ResetDevice();
    ASSERT_TRUE(r.finished(1));
    EXPECT_FALSE(log.has("Hamming error"));

    r.link->set([](ScriptedLink& l) {
        l.damageReads = 2;
        l.damageBits = 2;
    });
    r.engine.ResetDevice();
    ASSERT_TRUE(r.finished(2));
    EXPECT_EQ(r.notes.count(NOTE_COMMAND_ERROR) + r.notes.count(NOTE_LINK_ERROR), 0);

    r.link->set([](ScriptedLink& l) { l.damageReads = 3; });
    r.engine.ResetDevice();
    ASSERT_TRUE(r.notes.waitFor(NOTE_COMMAND_ERROR));
    EXPECT_EQ(r.notes.notes().back(), Note(NOTE_COMMAND_ERROR, LINK_TOO_MANY_READ_ERRORS));
    ASSERT_TRUE(r.notes.waitFor(NOTE_LINK_UP, 2));  // reconnected by itself
}

TEST(Engine, RefusedPacketsAreSentAgainUpToThreeTimes) {
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    r.link->set([](ScriptedLink& l) { l.rejectPackets = 2; });
    r.engine.ResetDevice();
    ASSERT_TRUE(r.finished(1));
    EXPECT_EQ(r.link->count(0x80, 4), 3);

    r.link->set([](ScriptedLink& l) { l.rejectPackets = 3; });
    r.engine.Cut();
    ASSERT_TRUE(r.notes.waitFor(NOTE_COMMAND_ERROR));
    EXPECT_EQ(r.notes.notes().back(), Note(NOTE_COMMAND_ERROR, LINK_TOO_MANY_CMD_ERRORS));
}

TEST(Engine, RefusedDataGoesBackFourStepsOnceThenFails) {
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    r.link->set([](ScriptedLink& l) { l.rejectData = 1; });
    ASSERT_TRUE(r.engine.LoadRect({10, 20, 110, 70}, DataRef::Share(Block(10002)), 0));
    ASSERT_TRUE(r.finished(1));
    std::vector<Write> want = {{0x60, 20}, {0x61, 10}, {0x62, 69},  {0x63, 109}, {0x80, 0},
                               {0x61, 10}, {0x62, 69}, {0x63, 109}, {0x80, 0}};
    EXPECT_EQ(r.link->writes(), want);
    EXPECT_EQ(r.link->blocks().size(), 2u);

    r.link->set([](ScriptedLink& l) { l.rejectData = 2; });
    ASSERT_TRUE(r.engine.LoadRect({10, 20, 110, 70}, DataRef::Share(Block(10002)), 0));
    ASSERT_TRUE(r.notes.waitFor(NOTE_COMMAND_ERROR));
    EXPECT_EQ(r.notes.notes().back(), Note(NOTE_COMMAND_ERROR, LINK_TOO_MANY_DATA_ERRORS));
}

TEST(Engine, ARefusedEthernetMessageIsSentAgainWhole) {
    Rig r(ScriptedLink::NET);
    r.start();
    r.link->set([](ScriptedLink& l) { l.rejectPackets = 1; });
    ASSERT_TRUE(r.engine.LoadRect({10, 20, 110, 70}, DataRef::Share(Block(10002)), 0));
    ASSERT_TRUE(r.finished(1));
    auto m = r.link->messages();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0], m[1]);
    EXPECT_EQ(m[1].size(), 5u);
}

TEST(Engine, APassedDeadlineAbandonsTheCommand) {
    zxtest::LogCapture log;
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    r.link->set([](ScriptedLink& l) { l.prepareAnswers = false; });
    const uint32_t sent = r.clock.ticks();
    ASSERT_TRUE(r.engine.LoadRect({0, 0, 10, 10}, DataRef::Share(Block(202)), 0));
    ASSERT_TRUE(r.notes.waitFor(NOTE_COMMAND_ERROR));
    EXPECT_GE(r.clock.ticks() - sent, kStepDeadlineMs);
    EXPECT_EQ(r.notes.notes().back(), Note(NOTE_COMMAND_ERROR, LINK_DEVICE_TIMEOUT));
    EXPECT_TRUE(log.has("WaitStatus error: 08 0F 0F 0F"));
}

TEST(Engine, PauseTwiceFreezesThenResumesWithoutATimeout) {
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.start();
    r.link->set([](ScriptedLink& l) { l.motionReads = -1; });
    r.engine.InEffect(0x0001, kWipeDown);
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return Contains(l.writesNow(), {0x80, 0x0100}); }));
    const size_t started = r.link->writes().size();

    r.engine.Pause();
    ASSERT_TRUE(r.link->waitFor([&](ScriptedLink& l) { return l.writesNow().size() >= started + 13; }));
    // Frozen for well past the transition deadline.
    const uint32_t frozenAt = r.clock.ticks();
    while (r.clock.ticks() - frozenAt < kFinishDeadlineMs + 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(r.notes.count(NOTE_COMMAND_ERROR), 0);

    r.engine.Pause();
    ASSERT_TRUE(r.link->waitFor([&](ScriptedLink& l) { return l.writesNow().size() >= started + 26; }));
    r.link->finishMotion();
    ASSERT_TRUE(r.finished(1));

    auto w = r.link->writes();
    std::vector<Write> pause(w.begin() + std::ptrdiff_t(started), w.begin() + std::ptrdiff_t(started + 26));
    std::vector<Write> want = {
        {0x80, 0}, {32, 0}, {33, 0},      {34, 0}, {35, 0},      {28, 0},      {29, 0},      {30, 0},      {31, 0},
        {26, 0},   {27, 0}, {24, 0},      {25, 0}, {0x80, 0},    {32, 0},      {33, 0},      {34, 0x0404}, {35, 0},
        {28, 0},   {29, 0}, {30, 0x0404}, {31, 0}, {26, 0x8484}, {27, 0x8080}, {24, 0x8484}, {25, 0x8080},
    };
    EXPECT_EQ(pause, want);
    EXPECT_EQ(w.back(), (Write{0x40, 0x1401}));
}

TEST(Engine, StatusClassZeroReadsFiveBytesWithTheStateLast) {
    Rig r(ScriptedLink::LPT, 0);
    zxtest::FastClock fast(r.clock);
    r.start();
    r.link->set([](ScriptedLink& l) { l.state = 3; });
    ASSERT_TRUE(r.notes.waitFor(NOTE_STATE));
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return !l.writesNow().empty() || l.readsNow() > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto n = r.notes.notes();
    EXPECT_EQ(n.back(), Note(NOTE_STATE, 3));
    EXPECT_EQ(r.notes.count(NOTE_REQUEST), 0);
}

TEST(Engine, DoneReturnsWhenTheWorkerIsStuckInACall) {
    Rig r(ScriptedLink::LPT, 1, 300);
    r.link->set([](ScriptedLink& l) { l.blockReads = true; });
    r.engine.Init(&r.notes);
    ASSERT_TRUE(r.link->waitFor([](ScriptedLink& l) { return l.blockedNow(); }));
    const auto t0 = std::chrono::steady_clock::now();
    r.engine.Done();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
    EXPECT_FALSE(r.engine.running());
    r.engine.ResetDevice();   // dropped, never blocks
    r.engine.Init(&r.notes);  // refused: the old worker still has the link
    EXPECT_FALSE(r.engine.running());

    r.engine.Close();  // the stuck worker still holds the link
    r.link->release();
    for (int i = 0; i < 500 && r.link.use_count() > 1; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(r.link.use_count(), 1);
    EXPECT_TRUE(r.notes.notes().empty());  // nothing reaches the receiver after Done
}

TEST(Engine, RestartedWorkerStartsOnBankZero) {
    Rig r;
    r.start();
    r.engine.InEffect(0x0001, kWipeDown);
    ASSERT_TRUE(r.finished(1));
    r.engine.Done();
    EXPECT_FALSE(r.engine.running());
    r.engine.SetMode(0x300);  // not running: dropped
    r.engine.Init(&r.notes);
    ASSERT_TRUE(r.notes.waitFor(NOTE_LINK_UP, 2));
    r.engine.SetMode(0x300);
    ASSERT_TRUE(r.finished(2));
    EXPECT_EQ(r.link->writes().back(), (Write{1, 0x300}));
}

TEST(Engine, ShortDataBlocksAreRefusedUpFront) {
    zxtest::LogCapture log;
    Rig r;
    r.start();
    EXPECT_FALSE(r.engine.LoadRect({0, 0, 100, 50}, DataRef::Share(Block(10001)), 0));
    EXPECT_FALSE(r.engine.LoadRectData({0, 0, 100, 50}, DataRef()));
    EXPECT_FALSE(r.engine.FillRect({0, 0, 100, 50}, DataRef::Share(Block(5)), 0));
    EXPECT_TRUE(r.engine.FillRect({0, 0, 100, 50}, DataRef(), RECT_FILL_BLOCK));
    ASSERT_TRUE(r.finished(1));
    EXPECT_EQ(r.link->blockBytes().back(), (std::vector<uint8_t>{0x60, 0xA5, 0x08, 0x04, 0x08, 0x04}));
    EXPECT_TRUE(log.has("CEngine::LoadRect : data block of 10001 bytes, 10002 needed"));
}
