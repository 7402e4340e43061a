// The numbers the engine gives its commands: what each operation answers, what a finish or an
// error carries, and a command that is not taken.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "device/engine.h"
#include "log_capture.h"
#include "scripted_link.h"

using namespace device;
using zxtest::NoteRecorder;
using zxtest::ScriptedLink;

namespace {

struct Rig {
    Rig() : link(std::make_shared<ScriptedLink>()), engine(CEngine::Options{&clock, kStopWaitMs, false}) {
        engine.OpenWith(link, 1);
    }
    ~Rig() { engine.Close(); }
    platform::ManualClock clock;
    std::shared_ptr<ScriptedLink> link;
    NoteRecorder notes;
    CEngine engine;
};

// The command number carried by the n-th notification with this code (0 when there is none).
uint16_t CommandOf(NoteRecorder& notes, int code, int n = 1) {
    const auto all = notes.notes();
    const auto numbers = notes.commands();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].first == code && --n == 0) return numbers[i];
    return 0;
}

}  // namespace

TEST(EngineNumbers, FinishesCarryTheNumberTheOperationAnswered) {
    Rig r;
    r.engine.Init(&r.notes);
    ASSERT_TRUE(r.notes.waitFor(NOTE_LINK_UP));
    EXPECT_EQ(r.notes.commands().front(), 0);  // link up belongs to no command

    const uint16_t reset = r.engine.ResetDevice();
    ASSERT_TRUE(r.notes.waitFor(NOTE_FINISHED, 1));
    const uint16_t cut = r.engine.Cut();
    ASSERT_TRUE(r.notes.waitFor(NOTE_FINISHED, 2));
    EXPECT_NE(reset, 0);
    EXPECT_EQ(cut, uint16_t(reset + 1));
    EXPECT_EQ(CommandOf(r.notes, NOTE_FINISHED, 1), reset);
    EXPECT_EQ(CommandOf(r.notes, NOTE_FINISHED, 2), cut);

    // A data block too small for its command is refused: nothing is posted, no number is used.
    EXPECT_EQ(r.engine.LoadRect({0, 0, 100, 50}, DataRef::Share(std::make_shared<std::vector<uint8_t>>(10)), 0), 0);
    EXPECT_EQ(r.engine.EndScroll(), uint16_t(cut + 1));
}

TEST(EngineNumbers, AFinishPostedBeforeTheNextCommandKeepsItsOwnNumber) {
    // The race the air frame must survive: a scroll finishes (its notification already on its way)
    // just as the frame posts the end scroll. The scroll's finish names the scroll.
    Rig r;
    r.engine.Init(&r.notes);
    ASSERT_TRUE(r.notes.waitFor(NOTE_LINK_UP));
    const uint16_t scroll = r.engine.Scroll({0, 500, 720, 540}, 0x0011, 0, {});
    ASSERT_NE(scroll, 0);
    ASSERT_TRUE(r.notes.waitFor(NOTE_FINISHED, 1));
    const uint16_t endScroll = r.engine.EndScroll();
    ASSERT_TRUE(r.notes.waitFor(NOTE_FINISHED, 2));
    EXPECT_EQ(CommandOf(r.notes, NOTE_FINISHED, 1), scroll);
    EXPECT_EQ(CommandOf(r.notes, NOTE_FINISHED, 2), endScroll);
}

TEST(EngineNumbers, AnErrorCarriesTheNumberOfTheCommandItAbandoned) {
    Rig r;
    zxtest::FastClock fast(r.clock);
    r.engine.Init(&r.notes);
    ASSERT_TRUE(r.notes.waitFor(NOTE_LINK_UP));
    r.link->set([](ScriptedLink& l) { l.rejectPackets = 3; });
    const uint16_t cut = r.engine.Cut();
    ASSERT_TRUE(r.notes.waitFor(NOTE_COMMAND_ERROR));
    EXPECT_EQ(CommandOf(r.notes, NOTE_COMMAND_ERROR), cut);
}

TEST(EngineNumbers, ACommandForAnEngineThatDoesNotRunIsDropped) {
    zxtest::LogCapture log;
    Rig r;
    // No worker yet: nothing is taken, and the caller hears so.
    EXPECT_EQ(r.engine.Cut(), 0);
    EXPECT_EQ(r.engine.LoadRect({0, 0, 10, 10}, DataRef::Share(std::make_shared<std::vector<uint8_t>>(202)), 0), 0);
    EXPECT_TRUE(log.has("PutCmd : the engine is not running, command 7 dropped"));

    r.engine.Init(&r.notes);
    ASSERT_TRUE(r.notes.waitFor(NOTE_LINK_UP));
    EXPECT_NE(r.engine.ResetDevice(), 0);
    r.engine.Done();
    EXPECT_FALSE(r.engine.running());
    EXPECT_EQ(r.engine.Cut(), 0);
}
