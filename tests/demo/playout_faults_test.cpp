// zx play's playout when the Device fails under it: a power-off or a silent Device ends a plain
// run with the link error (and nothing the run's session still had queued reaches what has gone);
// with keep-going the playout waits for the Device, starts again and plays every loop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "demo/playout.h"
#include "playout_fixture.h"

using demotest::DemoPlayout;
using demotest::Grab;

namespace {

ktgsim::DeviceStats Stats() {
    ktgsim::DeviceStats st;
    ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { st = s.device().stats(); });
    return st;
}

// Once the Device has taken `blocks` data blocks (the page is in), does `fault` to it (on a thread
// of its own, as the control port would), then `after` a while later (real time).
class Injector {
public:
    Injector(uint64_t blocks, std::function<void(ktgsim::Device&)> fault,
             std::function<void(ktgsim::Device&)> after = {}, int afterMs = 0)
        : thread_([=, this] {
              while (!stop_ && Stats().blocks < blocks) std::this_thread::sleep_for(std::chrono::milliseconds(2));
              if (stop_) return;
              ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { fault(s.device()); });
              if (!after) return;
              for (int t = 0; t < afterMs && !stop_; t += 5) std::this_thread::sleep_for(std::chrono::milliseconds(5));
              ktgsim::WithEmbeddedServer([&](ktgsim::Server& s) { after(s.device()); });
          }) {}
    ~Injector() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

TEST_F(DemoPlayout, APowerOffOrASilentDeviceEndsThePlayWithTheLinkError) {
    // Each run ends with link notifications still queued for its session: they must find nothing
    // of the run (the sanitizers would report a write to the gone stack frame).
    for (int run = 0; run < 3; ++run) {
        demo::CPlayout playout(app, engine, fonts, loop, out);
        demo::PlayOptions o;
        o.file = dir.file(demo::kShowSequence);
        const uint64_t before = Stats().blocks;
        std::string error;
        int status;
        {
            Injector off(before + 1, [&](ktgsim::Device& d) {
                if (run == 1) {
                    ktgsim::Faults f;
                    f.silence = 1000000;
                    d.setFaults(f);
                } else {
                    d.setPower(false);
                }
            });
            status = playout.Run(o, error);
        }
        EXPECT_EQ(status, demo::PLAY_LINK_ERROR) << out.str();
        EXPECT_NE(error.find("link error"), std::string::npos) << error;
        ktgsim::WithEmbeddedServer([](ktgsim::Server& s) {
            s.device().setFaults({});
            s.device().setPower(true);
        });
        loop.processPending();
    }
}

TEST_F(DemoPlayout, KeepGoingRidesThroughAPowerBlipAndPlaysEveryLoop) {
    demo::CPlayout playout(app, engine, fonts, loop, out);
    demo::PlayOptions o;
    o.file = dir.file("Pages/Weather.zxg");
    o.loops = 2;
    o.keepGoing = true;
    std::string error;
    int status;
    {
        // The page goes in again after the first playout: the Device goes off as the second one starts.
        Injector blip(
            Stats().blocks + 2, [](ktgsim::Device& d) { d.setPower(false); },
            [](ktgsim::Device& d) { d.setPower(true); },
            1500);  // longer than the link's one-second time-outs
        status = playout.Run(o, error);
    }
    ASSERT_EQ(status, demo::PLAY_OK) << error << "\n" << out.str();
    EXPECT_GE(playout.interruptions(), 1) << out.str();
    EXPECT_NE(out.str().find("waiting for the Device"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("playout 2 done"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("playout 3 done"), std::string::npos) << out.str();
}

TEST_F(DemoPlayout, AnInterruptedRunSaysSo) {
    demo::CPlayout playout(app, engine, fonts, loop, out);
    demo::PlayOptions o;
    o.file = dir.file("Pages/Weather.zxg");
    o.loops = 2;
    std::atomic<bool> stop{false};  // set on the injector's thread, as a signal may be
    o.interrupted = &stop;
    std::string error;
    int status;
    {
        Injector ctrlC(Stats().blocks + 2, [&](ktgsim::Device&) { stop = true; });
        status = playout.Run(o, error);
    }
    EXPECT_EQ(status, demo::PLAY_INTERRUPTED) << out.str();
    EXPECT_EQ(error.find("interrupted after"), 0u) << error;
    EXPECT_NE(error.find(" of 2 playouts"), std::string::npos) << error;
}
