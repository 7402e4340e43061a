// Blocks posted with a message: alive while the handler runs, freed afterwards or when the message
// is dropped, and not delivered once their sender has made them stale.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/event_loop.h"

namespace {

using namespace platform;

struct Block final : PostedBlock {
    Block(int v, std::shared_ptr<std::atomic<bool>> closed, std::atomic<int>& alive)
        : value(v), closed(std::move(closed)), alive(alive) {
        ++alive;
    }
    ~Block() override { --alive; }
    const void* data() const override { return &value; }
    bool stale() const override { return closed->load(); }
    int value;
    std::shared_ptr<std::atomic<bool>> closed;
    std::atomic<int>& alive;
};

TEST(PostedBlock, LivesUntilTheHandlerHasRunAndStaleOnesAreDropped) {
    EventLoop loop;
    std::atomic<int> alive{0};
    std::vector<int> seen;
    LoopTarget target(loop, [&](uint32_t msg, uintptr_t code, intptr_t l) {
        EXPECT_EQ(msg, MSG_SMS);
        EXPECT_GE(alive.load(), 1) << code;
        seen.push_back(*reinterpret_cast<const int*>(l));
        return intptr_t(0);
    });
    auto open = std::make_shared<std::atomic<bool>>(false);
    auto closed = std::make_shared<std::atomic<bool>>(true);
    target.postBlock(MSG_SMS, 1, std::make_shared<Block>(41, open, alive));
    target.postBlock(MSG_SMS, 2, std::make_shared<Block>(42, open, alive));
    target.postBlock(MSG_SMS, 3, std::make_shared<Block>(43, closed, alive));
    EXPECT_EQ(alive.load(), 3) << "posting copies nothing and waits for nothing";
    loop.processPending();
    EXPECT_EQ(seen, std::vector<int>({41, 42}));
    EXPECT_EQ(alive.load(), 0);
    // Messages dropped unhandled free their blocks too.
    {
        EventLoop other;
        LoopTarget t(other, [](uint32_t, uintptr_t, intptr_t) { return intptr_t(0); });
        t.postBlock(MSG_SMS, 1, std::make_shared<Block>(1, open, alive));
        EXPECT_EQ(alive.load(), 1);
    }
    EXPECT_EQ(alive.load(), 0);
}

}  // namespace
