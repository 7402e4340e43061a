// A loop target that goes while messages for it are still queued: they are dropped, never
// delivered to what it referred to.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "platform/event_loop.h"

using namespace platform;

TEST(LoopTarget, MessagesQueuedForATargetThatHasGoneAreDropped) {
    ManualClock clock;
    EventLoop loop(clock);
    auto seen = std::make_unique<int>(0);
    int* counter = seen.get();
    auto target = std::make_unique<LoopTarget>(loop, [counter](uint32_t, uintptr_t, intptr_t) -> intptr_t {
        ++*counter;
        return 0;
    });
    target->post(MSG_ENGINE, 1, 0);
    // A worker thread posts too, as the engine does.
    std::thread worker([&] { target->post(MSG_ENGINE, 2, 0); });
    worker.join();
    loop.processPending();
    EXPECT_EQ(*counter, 2);

    target->post(MSG_ENGINE, 3, 0);
    target->post(MSG_ENGINE, 4, 0);
    target.reset();
    seen.reset();  // what the handler wrote to is gone as well
    // The two tasks still run (they are the loop's), but deliver nothing: ASan would see a write.
    loop.processPending();
}

TEST(LoopTarget, SendRunsAtOnceOnTheLoopThread) {
    ManualClock clock;
    EventLoop loop(clock);
    LoopTarget target(loop, [](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t { return intptr_t(msg + w) + l; });
    EXPECT_EQ(target.send(10, 20, 30), 60);
}
