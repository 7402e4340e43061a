#include "demo/caption_playout.h"

#include <cstdio>
#include <memory>

#include "air/air_frame.h"
#include "air/air_session.h"
#include "air/captions.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "demo/snapshot_writer.h"
#include "device/engine.h"
#include "device/link_errors.h"
#include "pages/file_result.h"
#include "platform/code_page.h"
#include "platform/event_loop.h"
#include "platform/files.h"

namespace demo {

std::string CaptionLine(const std::string& caption, int codePage) {
    const platform::CodePage cp(codePage);
    std::string out;
    size_t pos = 0;
    for (;;) {
        const size_t end = caption.find("\r\n", pos);
        out += cp.toUtf8(std::string_view(caption).substr(pos, end == std::string::npos ? end : end - pos));
        if (end == std::string::npos) break;
        out += " / ";
        pos = end + 2;
    }
    return out;
}

CCaptionPlayout::CCaptionPlayout(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts,
                                 platform::EventLoop& loop, std::ostream& out)
    : app_(app), engine_(engine), fonts_(fonts), loop_(loop), out_(out) {}

CCaptionPlayout::~CCaptionPlayout() = default;

int CCaptionPlayout::Run(const CaptionPlayOptions& o, std::string& error) {
    snapshotFiles_.clear();
    states_.clear();
    std::unique_ptr<CSnapshotWriter> writer;
    std::string snapDir;
    if (!o.snapshots.empty()) {
        snapDir = app::WithSlash(o.snapshots);
        if (!platform::MakeDirectories(snapDir)) {
            error = "cannot create the snapshots folder " + o.snapshots;
            return PLAY_OUTPUT_ERROR;
        }
        writer = std::make_unique<CSnapshotWriter>();
    }

    air::CCaptions captions(app_, fonts_);
    if (o.timeBase >= 0) captions.SetTimeBase(o.timeBase);
    if (o.border >= 0) captions.SetBorder(o.border);
    if (o.fade >= 0) captions.SetFade(o.fade != 0);
    if (o.fast >= 0) captions.SetFastMode(o.fast != 0);
    int code = captions.OpenPage(o.page);
    if (code != pages::FILE_OK) {
        error = code == air::IDS_NO_FRAMES ? o.page + ": " + app::LoadString(code)
                                           : OneLine(app::FileResultText(code, o.page));
        return PLAY_FILE_ERROR;
    }
    code = captions.LoadCaptions(o.titles);
    if (code != pages::FILE_OK) {
        error = code == air::IDS_CAPTIONS_EMPTY ? o.titles + ": " + app::LoadString(code)
                                                : OneLine(app::FileResultText(code, o.titles));
        return PLAY_FILE_ERROR;
    }
    const int total = int(captions.list().size());
    if (o.first < 1 || o.first > total) {
        error = "the titles file has " + std::to_string(total) + " captions, no caption " + std::to_string(o.first);
        return PLAY_FILE_ERROR;
    }
    for (int i = 1; i < o.first; ++i) captions.Next();
    const int count = o.count > 0 ? std::min(o.count, total - o.first + 1) : total - o.first + 1;
    const air::CaptionState& cs = captions.state();
    box_[0] = cs.captionRect.left;
    box_[1] = cs.captionRect.top;
    box_[2] = cs.captionRect.right;
    box_[3] = cs.captionRect.bottom;
    out_ << "captions " << o.titles << ": " << total << " captions; box " << box_[0] << "," << box_[1] << " "
         << box_[2] - box_[0] << "x" << box_[3] - box_[1] << (cs.filter ? ", filtered" : "") << "; delay "
         << cs.timeBase << ", border " << cs.border << (cs.fade ? ", fade" : "") << (cs.fastMode ? ", fast mode" : "")
         << std::endl;

    int linkError = 0;
    bool cuedOnce = false;  // the frame has cued (nothing) after the Device reset
    air::CAirSession session(app_, engine_, fonts_, loop_);
    air::CAirFrame& frame = session.frame();
    session.setEngineObserver([&](int c, int value) {
        if (c == device::NOTE_LINK_ERROR || c == device::NOTE_COMMAND_ERROR) linkError = value;
    });
    session.setViewObserver([&](int c, intptr_t) {
        if (c == air::AIRNOTE_PREVIEW && frame.State().linkUp) cuedOnce = true;
    });
    session.Open();
    const bool ready = session.RunUntil(
        [&] { return (o.interrupted && o.interrupted->load()) || linkError != 0 || cuedOnce; }, o.linkWaitMs);
    if (o.interrupted && o.interrupted->load()) {
        error = "interrupted before the first caption";
        return PLAY_INTERRUPTED;
    }
    if (linkError || !ready) {
        error = linkError ? "link error " + std::to_string(linkError) + ": " + OneLine(device::LinkErrorText(linkError))
                          : "the Device did not answer";
        return PLAY_LINK_ERROR;
    }

    platform::Clock& clock = loop_.clock();
    const uint32_t t0 = clock.ticks();
    const int codePage = app_.settings().codePage;
    auto when = [&] {
        char s[32];
        std::snprintf(s, sizeof s, "%7.1f s", (clock.ticks() - t0) / 1000.0);
        return std::string(s);
    };
    auto snapshot = [&](const std::string& why) {
        if (!writer || !grabber_) return;
        pages::CBitmap32 pic;
        if (!grabber_(pic)) return;
        char name[64];
        std::snprintf(name, sizeof name, "%04zu-%s.png", snapshotFiles_.size() + 1, why.c_str());
        snapshotFiles_.push_back(name);
        writer->put(snapDir + name, std::move(pic));
    };

    int pressed = 0;
    bool wentOn = false;      // the caption pressed last has been on air
    bool offSeen = false;     // and has gone off again
    uint32_t nextPress = t0;  // when the next F2 is due
    int32_t lastState = -1;
    auto noteState = [&] {
        const int32_t st = frame.State().state;
        if (st == lastState) return;
        lastState = st;
        states_.push_back({clock.ticks() - t0, st});
        out_ << when() << "  " << air::AirStateName(st) << std::endl;
        snapshot(air::AirStateName(st));
    };
    auto press = [&] {
        const int index = captions.state().current;
        const std::string text = index < total ? captions.list()[size_t(index)] : std::string();
        const bool replacing = frame.IsOnAir();
        const air::CaptionKey key = captions.ShowHide(frame);
        if (key != air::CaptionKey::SHOWN) return false;
        ++pressed;
        out_ << when() << "  F2: caption " << index + 1 << "/" << total << ", " << captions.state().showTime
             << " ms: " << CaptionLine(text, codePage) << (replacing ? " (replaces the one on air)" : "") << std::endl;
        wentOn = offSeen = false;
        nextPress = clock.ticks() + o.gapMs;
        noteState();  // a stop that replaces a caption is over before the next look
        return true;
    };
    session.RunUntil(
        [&] {
            if (o.interrupted && o.interrupted->load()) return true;
            if (linkError) return true;
            const air::AirFrameState fs = frame.State();
            const uint32_t now = clock.ticks();
            noteState();
            if (fs.startTick != 0) wentOn = true;
            const bool idle = fs.state == air::AIR_IDLE && fs.startTick == 0;
            if (pressed == 0) {
                if (!press()) {
                    error = "F2 could not show the first caption";
                    return true;
                }
                return false;
            }
            const bool due = int32_t(now - nextPress) >= 0;
            if (cs.fastMode) {
                // Fast mode: every gap, whatever is on air; then the last caption runs out.
                if (pressed < count && due && captions.Buttons(&frame).showHide) press();
                return pressed >= count && wentOn && idle;
            }
            if (!(wentOn && idle)) return false;
            if (!offSeen) {
                // The gap starts when the caption went off.
                offSeen = true;
                nextPress = now + o.gapMs;
                return pressed >= count;
            }
            if (due) press();
            return false;
        },
        UINT32_MAX);
    if (writer) {
        const std::string failed = writer->finish();
        if (!failed.empty()) {
            error = "cannot write " + failed;
            return PLAY_OUTPUT_ERROR;
        }
        out_ << snapshotFiles_.size() << " snapshots in " << o.snapshots << "\n";
    }
    if (!error.empty()) return PLAY_LINK_ERROR;
    if (o.interrupted && o.interrupted->load()) {
        error = "interrupted after " + std::to_string(pressed) + " of " + std::to_string(count) + " captions";
        return PLAY_INTERRUPTED;
    }
    if (linkError) {
        error = "link error " + std::to_string(linkError) + ": " + OneLine(device::LinkErrorText(linkError));
        return PLAY_LINK_ERROR;
    }
    out_ << pressed << " captions shown" << std::endl;
    LogMessage("CCaptionPlayout::Run %s: %d captions", o.titles.c_str(), pressed);
    return PLAY_OK;
}

}  // namespace demo
