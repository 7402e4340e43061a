// The air frame's clock: the face goes to the current bank, then each second's hands into the
// hidden half of the other one, and the display offset flips between the halves (768 or 0).
#include "air/air_frame.h"
#include "air/air_frame_private.h"
#include "app/log/event_log.h"

namespace air {

bool CAirFrame::PrepareClock() {
    clockRun_ = ClockRun{};
    if (!obj_.clock || !obj_.clock->Prepare()) {
        LogMessage("CAirFrame::Prepare() : no clock");
        return false;
    }
    return true;
}

bool CAirFrame::CopyClock() {
    state_ = AIR_COPYING;
    return Sent(engine_.LoadRectData(kWholeFrame, obj_.clock->FullFrame()), "CopyPage");
}

void CAirFrame::ClockFinished() {
    if (state_ == AIR_CLOCK_LOADING) {
        clockRun_.busy = false;
        state_ = AIR_CLOCK_RUN;
    } else {
        PrepareClockImage();
    }
}

void CAirFrame::ClockTick() {
    const platform::LocalTime lt = clock_.localTime();
    const int t = lt.hour * 3600 + lt.minute * 60 + lt.second;
    ClockRun& c = clockRun_;
    if (c.count == 0) {
        c.second = lt.millisecond > 100 ? t + 1 : t;
        PrepareClockImage();
        c.second += 1;
        PrepareClockImage();
        if (state_ == AIR_IDLE) return;  // the engine did not take the image
    } else if (t < c.second) {
        // Set back by more than 3 s: start again from the new time; by less, wait for it.
        if (c.second - t > 3) c.second = t;
    } else {
        state_ = AIR_CLOCK_FLIPPING;
        c.busy = true;
        c.second = t + 1;
        c.shown = t;
        if (c.count == 2) {
            // The first image is ready: the clock comes in with its effect.
            if (startTick_ != 0) StartVideo();
            if (!Sent(engine_.InEffect(obj_.clock->HandsBelowFace() ? WORD_CLOCK_BELOW_FACE : WORD_CLOCK, 0x0A0A,
                                       kWholeFrame),
                      "ClockTick"))
                return;
        } else if (!Sent(engine_.SetMode(obj_.clock->BufferFlag() ? 768 : 0), "ClockTick")) {
            return;
        }
    }
    times_[0] = FormatTimeOfDay(t);
    times_[1].clear();
    window_->ShowTimes(times_[0], times_[1]);
}

void CAirFrame::PrepareClockImage() {
    ClockRun& c = clockRun_;
    c.busy = false;
    state_ = AIR_CLOCK_RUN;
    AirClock* clock = obj_.clock;
    if (!clock) return;
    if (c.count != 0) {
        c.busy = true;
        state_ = AIR_CLOCK_LOADING;
        if (!Sent(engine_.LoadRect(clock->HiddenRect(), clock->HiddenBlock(), c.count == 1 ? 1 : 0),
                  "PrepareClockImage"))
            return;
    }
    const int s = c.second + 1;
    clock->Render(s / 3600 % 12, s / 60 % 60, s % 60);
    ++c.count;
}

}  // namespace air
