// The program feed between the thread that renders the output and the one that shows it: whole
// pictures only, never one twice, the newest last. Run under ThreadSanitizer by scripts/test --tsan.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "device/program_feed.h"

namespace {

// Picture k: 2 + k % 5 pixels wide, 3 rows, every byte k % 251.
std::vector<uint8_t> Picture(int k, int& width, int& height) {
    width = 2 + k % 5;
    height = 3;
    return std::vector<uint8_t>(size_t(width) * size_t(height) * 4, uint8_t(k % 251));
}

TEST(ProgramFeed, APictureTakenWhileTheNextIsPublishedIsWholeAndNewerThanTheLast) {
    device::ProgramFeed feed;
    // The producer goes on until the consumer has taken a good number while it published (or a
    // limit), so that the two really overlap.
    constexpr int kTakes = 200, kLimit = 1000000;
    std::atomic<int> taken{0}, published{0};
    std::atomic<bool> consuming{false};
    std::thread producer([&] {
        while (!consuming) std::this_thread::yield();
        int k = 0;
        while (taken < kTakes && k < kLimit) {
            int w, h;
            const std::vector<uint8_t> pic = Picture(++k, w, h);
            feed.publish(pic.data(), w, h);
        }
        published = k;
    });

    uint64_t seen = 0, last = 0;
    std::vector<uint8_t> rgba;
    int width = 0, height = 0, torn = 0;
    auto takeOne = [&] {
        if (!feed.take(seen, rgba, width, height)) return;
        ++taken;
        EXPECT_GT(seen, last);
        last = seen;
        // Picture `seen` exactly: its size and its bytes, nothing of another.
        int w, h;
        const std::vector<uint8_t> expected = Picture(int(seen), w, h);
        if (width != w || height != h || rgba != expected) ++torn;
    };
    consuming = true;
    while (published == 0) takeOne();
    producer.join();
    takeOne();
    EXPECT_EQ(torn, 0);
    EXPECT_GE(taken, 2);
    EXPECT_EQ(seen, uint64_t(published));  // the last one is always there to take
    EXPECT_FALSE(feed.take(seen, rgba, width, height));
}

}  // namespace
