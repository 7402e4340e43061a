// A video output's field tap on the running server: every frame's field is rendered, however
// fast the fields run and however slow the tap.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "air/effects.h"
#include "ktgsim/server.h"
#include "programs.h"

using namespace ktgsim;
using namespace ktgtest;

TEST(Server, FieldTapSeesEveryFrameOfAFadeEvenWhenItIsSlow) {
    for (int step : {2, 1}) {
        SCOPED_TRACE(step);
        ServerOptions o;
        o.timeScale = 20;  // a field a millisecond
        Server server(o);
        std::mutex m;
        std::vector<uint64_t> fields;
        std::vector<int> alphas;
        server.setFieldTap(
            [&](uint64_t field, const Picture& pic, bool) {
                {
                    std::lock_guard lock(m);
                    fields.push_back(field);
                    alphas.push_back(pic.pixel(360, 288)[3]);
                }
                // Slower than the fields come.
                std::this_thread::sleep_for(std::chrono::milliseconds(3));
            },
            step);
        std::string error;
        ASSERT_TRUE(server.start(error)) << error;
        Programs p(server.device());
        p.reset();
        p.loadRect({0, 0, 720, 576}, PictureBlock(720, 576, [](int, int) { return 0x00FFFFFFu; }));
        p.startEffect(0x0601, air::EffectParam(0, 0, 0));  // a fade in of 50 fields
        // Up to a minute: each field is rendered whole, which a checker on a loaded machine makes
        // slow; the wait ends as soon as the fade has.
        for (int i = 0; i < 12000; ++i) {
            {
                std::lock_guard lock(m);
                if (!alphas.empty() && alphas.back() == 255) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        server.stop();
        ASSERT_GE(fields.size(), size_t(50 / step)) << testing::PrintToString(alphas);
        for (size_t i = 1; i < fields.size(); ++i) ASSERT_EQ(fields[i], fields[i - 1] + uint64_t(step)) << i;
        // Each frame of the fade is a new level: none repeated, none left out.
        size_t first = 0;
        while (first < alphas.size() && alphas[first] == 0) ++first;
        size_t last = first;
        while (last + 1 < alphas.size() && alphas[last] < 255) ++last;
        EXPECT_EQ(alphas[last], 255);
        EXPECT_NEAR(double(last - first + 1), 50.0 / step, 1.0);
        for (size_t i = first + 1; i <= last; ++i) EXPECT_GT(alphas[i], alphas[i - 1]) << i;
    }
}
