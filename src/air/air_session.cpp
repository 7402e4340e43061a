#include "air/air_session.h"

#include "app/log/event_log.h"
#include "app/zentrix_app.h"
#include "device/engine.h"
#include "pages/file_result.h"
#include "platform/files.h"

namespace air {

ScaledClock::ScaledClock(double scale)
    : scale_(scale > 0 ? scale : 1.0),
      startTicks_(platform::SystemClock::instance().ticks()),
      startLocalMs_(platform::WallMilliseconds()),
      start_(std::chrono::steady_clock::now()) {}

ScaledClock::ScaledClock(double scale, int64_t startLocalMs) : ScaledClock(scale) { startLocalMs_ = startLocalMs; }

uint32_t ScaledClock::ticks() const {
    const auto real = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    return startTicks_ + uint32_t(uint64_t(real * scale_));
}

platform::LocalTime ScaledClock::localTime() const {
    const auto real = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    const int64_t ms = startLocalMs_ + int64_t(real * scale_);
    return platform::ToLocalTime(time_t(ms / 1000), int(ms % 1000));
}

class CAirSession::View final : public platform::MessageTarget {
public:
    explicit View(CAirSession& s) : s_(s) {}
    void post(uint32_t msg, uintptr_t w, intptr_t l) override { send(msg, w, l); }
    intptr_t send(uint32_t msg, uintptr_t w, intptr_t l) override {
        if (msg == platform::MSG_AIR && s_.observer_) s_.observer_(int(w), l);
        return 0;
    }

private:
    CAirSession& s_;
};

CAirSession::CAirSession(app::CZentrixApp& app, device::CEngine& engine, pages::CFontManager& fonts,
                         platform::EventLoop& loop, AirObjects objects)
    : loop_(loop), commands_(engine), page_(fonts, &loop.clock()), sequence_(app.folders(), loop.clock()) {
    objects.page = &page_;
    objects.pageImage = &image_;
    objects.sequence = &sequence_;
    clock_ = objects.clock;
    banner_ = objects.banner;
    page_.setBannersFolder(app.GetPath(app::FOLDER_BANNERS));
    view_ = std::make_unique<View>(*this);
    frame_ = std::make_unique<CAirFrame>(app, commands_, loop, loop.clock(), objects);
    receiver_ = std::make_unique<platform::LoopTarget>(loop, [this](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        if (msg == platform::MSG_ENGINE && engineObserver_) engineObserver_(device::NoteCode(w), int(l));
        return frame_ ? frame_->OnMessage(msg, w, l) : 0;
    });
    frame_->setReceiver(receiver_.get());
    frame_->setView(view_.get());
}

CAirSession::~CAirSession() {
    // The frame stops the engine first. What is still queued for the session is dropped when it
    // comes up (the receiver goes with the session), so it runs no observer of a caller that has
    // gone meanwhile.
    engineObserver_ = nullptr;
    observer_ = nullptr;
    frame_.reset();
}

void CAirSession::SetVideo(bool playlist, const std::string& file, bool loop) {
    videoPlaylist_ = playlist;
    videoFile_ = file;
    videoLoop_ = loop;
}

int CAirSession::Cue(const std::string& path) {
    const std::string ext = platform::ToLowerAscii(platform::ExtensionOfPath(path));
    replay_ = nullptr;
    if (ext == ".mpg" || ext == ".vid" || ext == ".zxp") {
        // The players come with the air mode: played once it is open.
        if (ext == ".mpg") replay_ = [this, path] { frame_->PlayVideo(false, path, videoLoop_); };
        else replay_ = [this] { frame_->PlayVideo(true, {}, false); };
        return pages::FILE_OK;
    }
    // Video goes with content only once the players run: the choice is made again then.
    const bool withVideo = videoPlaylist_ || !videoFile_.empty();
    if (ext == ".zck") {
        if (!clock_) return pages::FILE_OPEN_ERROR;
        const int code = clock_->LoadForAir(path);
        if (code == pages::FILE_OK) frame_->PlayClock(videoPlaylist_, videoFile_, videoLoop_);
        if (code == pages::FILE_OK && withVideo)
            replay_ = [this] { frame_->PlayClock(videoPlaylist_, videoFile_, videoLoop_); };
        return code;
    }
    if (ext == ".zxa") {
        if (!banner_) return pages::FILE_OPEN_ERROR;
        const int code = banner_->OpenFile(path);
        if (code == pages::FILE_OK) frame_->PlayBanner();
        return code;
    }
    if (ext == ".zxs") {
        const int code = sequence_.LoadSequence(path);
        if (code == SEQ_OK || code == SEQ_MISSING_PAGES) frame_->PlayPageList(videoPlaylist_, videoFile_, videoLoop_);
        if ((code == SEQ_OK || code == SEQ_MISSING_PAGES) && withVideo)
            replay_ = [this] { frame_->PlayPageList(videoPlaylist_, videoFile_, videoLoop_); };
        return code;
    }
    const int code = page_.Load(
        pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL | pages::LOAD_DEVICE | pages::LOAD_NO_PICTURES | pages::LOAD_VERIFY,
        path, image_);
    if (code == pages::FILE_OK) frame_->PlayPage(nullptr, videoPlaylist_, videoFile_, videoLoop_);
    if (code == pages::FILE_OK && withVideo)
        replay_ = [this] { frame_->PlayPage(nullptr, videoPlaylist_, videoFile_, videoLoop_); };
    return code;
}

void CAirSession::Open(bool automation) {
    LogMessage("CAirSession::Open(%d)", automation ? 1 : 0);
    frame_->OpenAir(automation);
    if (replay_) replay_();
}

bool CAirSession::RunUntil(const std::function<bool()>& pred, uint32_t timeoutMs) {
    return loop_.runUntil(pred, timeoutMs);
}

}  // namespace air
