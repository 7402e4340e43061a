#include "zx-player/player.h"

#include <unistd.h>

#include <cstdio>

#include "pages/png_io.h"
#include "platform/copydata_channel.h"
#include "platform/files.h"
#include "video/video_cmd.h"
#include "zx-remote/remote_program.h"

namespace zxplayer {

namespace {

const char* StateName(int s) {
    static const char* const names[] = {"idle", "cued", "playing", "paused"};
    return names[s];
}

}  // namespace

Player::Player(PlayerOptions options, std::ostream* log) : options_(std::move(options)), log_(log) {
    if (!(options_.timeScale > 0)) options_.timeScale = 1;
    if (!options_.framesDir.empty()) options_.framesDir = platform::JoinPath(options_.framesDir, "");
    thread_ = std::thread([this] { run(); });
}

Player::~Player() { Shutdown(); }

void Player::note(const std::string& line) {
    if (log_) *log_ << options_.title << ": " << line << std::endl;
    log_lines_.push_back(line);
    if (log_lines_.size() > kLogLines) log_lines_.pop_front();
}

void Player::stopLocked() {
    if (state_ == IDLE) return;
    if (reported_) reports_.emplace_back(video::PLAYER_STOPPED, clip_);
    state_ = IDLE;
    reported_ = false;
    pending_ = false;
    clip_.clear();
    ++generation_;
    cv_.notify_all();
}

int64_t Player::openLocked(const std::string& path, bool loop, bool play) {
    std::string error;
    if (!decoder_.Open(path, error)) {
        note("refused: " + error);
        return 0;
    }
    // A clip that replaces one that plays goes on without a report in between.
    clip_ = path;
    loop_ = loop;
    positionMs_ = 0;
    pending_ = false;
    state_ = play ? PLAYING : CUED;
    base_ = Clock::now();
    if (!play) reported_ = false;
    ++generation_;
    cv_.notify_all();
    return 1;
}

int64_t Player::OnCommand(uint32_t command, uintptr_t wParam, std::span<const uint8_t> data) {
    WaitWhileHung();
    std::lock_guard<std::mutex> lock(m_);
    std::string path;
    const bool block = video::DecodePlayerPath(data, path);
    note("command " + std::to_string(command) + (path.empty() ? "" : " " + path));
    if (refuse_) return 0;
    if (!block) {
        note("refused: damaged block");
        return 0;
    }
    if (wParam) owner_ = wParam;
    switch (command) {
        case 1:
        case 2: return openLocked(path, command == 2, true);
        case 3: stopLocked(); return 1;
        case 4:
            if (state_ == CUED || state_ == PAUSED) {
                state_ = PLAYING;
                base_ =
                    Clock::now() - std::chrono::microseconds(int64_t(double(positionMs_) * 1000 / options_.timeScale));
            } else if (state_ == PLAYING) {
                state_ = PAUSED;
            } else {
                return 0;
            }
            ++generation_;
            cv_.notify_all();
            return 1;
        case 5:
        case 6: return openLocked(path, command == 6, false);
        case 7: {
            char* end = nullptr;
            const long v = std::strtol(path.c_str(), &end, 10);
            if (path.empty() || *end || v < 0 || v > 100000) return 0;
            volume_ = int(v);
            note("volume " + std::to_string(volume_));
            return 1;
        }
        case video::PLAYER_ATTACH: return 1;
        case 101: return state_ != IDLE ? 1 : 0;
        default: return 0;
    }
}

void Player::run() {
    platform::CopyDataChannel::Options co;
    co.dir = options_.windowDir;
    co.timeoutMs = 3000;
    platform::CopyDataChannel channel(co);
    std::unique_lock<std::mutex> lock(m_);
    while (!quit_ || !reports_.empty()) {
        if (!reports_.empty()) {
            const auto [report, clip] = reports_.front();
            reports_.pop_front();
            const uintptr_t owner = owner_;
            note("report " + std::to_string(report) + (clip.empty() ? "" : " " + clip));
            lock.unlock();
            // Out of the lock: the owner may be sending us a command right now.
            if (owner) channel.Send(owner, uint32_t(report), self_, {});
            lock.lock();
            continue;
        }
        if (quit_) break;
        if (state_ != PLAYING) {
            cv_.wait(lock);
            continue;
        }
        if (!reported_) {
            reported_ = true;
            ++clipsStarted_;
            reports_.emplace_back(video::PLAYER_STARTED, clip_);
            continue;
        }
        int64_t ms = pendingMs_;
        if (pending_) {
            pending_ = false;
        } else if (!decoder_.Next(ms)) {
            if (loop_ && decoder_.Rewind()) {
                base_ = Clock::now();
                positionMs_ = 0;
                note("loop " + clip_);
                continue;
            }
            note("end " + clip_);
            stopLocked();
            continue;
        }
        // The picture is shown at its time (scaled), unless a command changes what plays first.
        const uint64_t gen = generation_;
        const auto due = base_ + std::chrono::microseconds(int64_t(double(ms) * 1000 / options_.timeScale));
        cv_.wait_until(lock, due, [&] { return generation_ != gen || quit_; });
        if (generation_ != gen || quit_) {
            // Paused before its time: the picture is shown once the clip goes on. Anything else
            // (a stop, another clip) leaves it behind.
            if (state_ == PAUSED) {
                pending_ = true;
                pendingMs_ = ms;
            }
            continue;
        }
        positionMs_ = ms;
        ++frames_;
        if (!options_.framesDir.empty() || !shown_.width()) shown_ = decoder_.Picture();
        if (!options_.framesDir.empty()) {
            char name[64];
            std::snprintf(name, sizeof name, "frame%06llu.png", static_cast<unsigned long long>(framesWritten_++));
            pages::WritePng(options_.framesDir + name, shown_);
        }
        if (frames_ % 25 == 0)
            note("position " + std::to_string(positionMs_) + " ms, " + std::to_string(frames_) + " frames");
    }
}

void Player::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(m_);
        if (thread_.joinable()) stopLocked();
        quit_ = true;
        hung_ = false;
        cv_.notify_all();
        hungCv_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

std::string Player::StatusJson() {
    std::lock_guard<std::mutex> lock(m_);
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "\"state\":\"%s\",\"loop\":%d,\"position_ms\":%lld,\"frames\":%llu,\"clips_started\":%llu,"
                  "\"volume\":%d,\"refuse\":%d,\"hung\":%d,\"pid\":%d}",
                  StateName(state_), loop_ ? 1 : 0, static_cast<long long>(positionMs_),
                  static_cast<unsigned long long>(frames_), static_cast<unsigned long long>(clipsStarted_), volume_,
                  refuse_ ? 1 : 0, hung_ ? 1 : 0, int(::getpid()));
    return "{\"title\":" + zxremote::JsonString(options_.title) + ",\"clip\":" + zxremote::JsonString(clip_) + "," +
           buf;
}

std::string Player::LogJson() {
    std::lock_guard<std::mutex> lock(m_);
    std::string s = "[";
    for (const std::string& l : log_lines_) s += (s.size() > 1 ? "," : "") + zxremote::JsonString(l);
    return s + "]";
}

pages::CBitmap32 Player::Picture() {
    std::lock_guard<std::mutex> lock(m_);
    if (state_ != IDLE && (state_ == CUED || !shown_.width())) return decoder_.Picture();
    return shown_;
}

bool Player::Snapshot(const std::string& path, std::string& error) {
    pages::CBitmap32 picture = Picture();
    if (!picture.width()) {
        picture.create(720, 576);
        picture.fillAll(0);
    }
    if (!pages::WritePng(path, picture)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

void Player::SetRefuse(bool refuse) {
    std::lock_guard<std::mutex> lock(m_);
    refuse_ = refuse;
}

void Player::SetHung(bool hung) {
    std::lock_guard<std::mutex> lock(m_);
    hung_ = hung;
    hungCv_.notify_all();
}

void Player::WaitWhileHung() {
    std::unique_lock<std::mutex> lock(m_);
    hungCv_.wait(lock, [this] { return !hung_; });
}

}  // namespace zxplayer
