#include "video/video_cmd.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "air/air_frame.h"
#include "app/log/event_log.h"
#include "platform/files.h"
#include "video/clip_probe.h"

namespace video {

std::string PlayerTitle(int board) { return "MPEG2_Video_Window_" + std::to_string(board + 1); }

bool EncodePlayerPath(std::string_view path, std::vector<uint8_t>& out) {
    if (path.size() >= kPlayerPathBytes || path.find('\0') != std::string_view::npos) return false;
    out.assign(kPlayerPathBytes, 0);
    std::memcpy(out.data(), path.data(), path.size());
    return true;
}

bool DecodePlayerPath(std::span<const uint8_t> data, std::string& path) {
    if (data.size() != kPlayerPathBytes) return false;
    const void* nul = std::memchr(data.data(), 0, data.size());
    if (!nul) return false;
    path.assign(reinterpret_cast<const char*>(data.data()), size_t(static_cast<const uint8_t*>(nul) - data.data()));
    return true;
}

// The owner's window: a player's report, on the owner's thread, becomes MSG_PLAYER.
class CVideoCmd::Relay final : public platform::MessageTarget {
public:
    explicit Relay(platform::MessageTarget& owner) : owner_(owner) {}
    void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override { owner_.post(msg, wParam, lParam); }
    intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        if (msg != platform::MSG_COPYDATA || !lParam) return 0;
        const auto* cd = reinterpret_cast<const platform::CopyData*>(lParam);
        // Posted: the frame may send the players commands in answer, and the player that
        // reported waits for our reply first.
        owner_.post(air::MSG_PLAYER, wParam, intptr_t(cd->dwData));
        return 1;
    }
    void postCall(std::function<void()> fn) override { owner_.postCall(std::move(fn)); }

private:
    platform::MessageTarget& owner_;
};

CVideoCmd::CVideoCmd() : CVideoCmd(Options{}) {}

CVideoCmd::CVideoCmd(Options options)
    : sleep_(std::move(options.sleep)),
      args_(std::move(options.args)),
      closeGraceMs_(options.closeGraceMs),
      playerLog_(std::move(options.playerLog)),
      channel_(std::move(options.channel)) {
    SetProgram(options.program);
}

CVideoCmd::~CVideoCmd() { CloseAll(); }

void CVideoCmd::SetProgram(const std::string& program) {
    program_ = program.empty() ? platform::ExecutableDir() + kPlayerProgram : program;
}

void CVideoCmd::SetOwner(platform::MessageTarget* owner) {
    if (owner == owner_) return;
    if (ownerWindow_) ownerWindow_->Close();
    ownerWindow_.reset();
    relay_.reset();
    owner_ = owner;
}

uintptr_t CVideoCmd::ownerWindow() const { return ownerWindow_ ? ownerWindow_->handle() : 0; }

void CVideoCmd::sleep(uint32_t ms) {
    if (sleep_) sleep_(ms);
    else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool CVideoCmd::openOwner() {
    if (ownerWindow_ && ownerWindow_->isOpen()) return true;
    if (!owner_) return false;
    relay_ = std::make_unique<Relay>(*owner_);
    ownerWindow_ = std::make_unique<platform::CopyDataWindow>();
    if (ownerWindow_->Open(relay_.get(), {}, channel_.options().dir)) return true;
    LogMessage("CVideoCmd::CreateProcess(): no window for the players' reports");
    ownerWindow_.reset();
    return false;
}

bool CVideoCmd::CreateProcess(int boards) {
    CloseAll();
    boards = std::clamp(boards, 0, kMaxBoards);
    openOwner();
    int ok = 0;
    for (int i = 0; i < boards; ++i) {
        Board& b = boards_[size_t(i)];
        b.playing = false;
        b.window = 0;
        std::vector<std::string> args{PlayerTitle(i)};
        args.insert(args.end(), args_.begin(), args_.end());
        if (!playerLog_.empty()) b.process.setOutput(playerLog_ + "." + std::to_string(i + 1), {});
        else b.process.setOutput("/dev/null", "/dev/null");
        if (!b.process.Start(program_, args)) {
            LogMessage("CVideoCmd::CreateProcess(): failed for board %d", i);
            continue;
        }
        // The player opens its window while we wait; a quick one is taken at once.
        for (uint32_t waited = 0; !b.window && waited < PLAYER_START_WAIT; waited += 50) {
            sleep(50);
            b.window = channel_.FindWindow(PlayerTitle(i));
        }
        started_ = i + 1;
        if (!b.window || Send(i, PLAYER_ATTACH, {}) == 0) {
            LogMessage("CVideoCmd::CreateProcess(): player of board %d does not answer", i);
            started_ = i;
            break;
        }
        ++ok;
    }
    if (ok == boards && boards > 0) return true;
    CloseAll();
    return false;
}

int CVideoCmd::Send(int board, int command, const std::string& file) {
    if (board < 0 || board >= started_) return 0;
    Board& b = boards_[size_t(board)];
    if (!b.window || !channel_.IsWindow(b.window)) {
        b.window = 0;  // the player went away: its commands fail quietly from now on
        return 0;
    }
    std::vector<uint8_t> block;
    if (!EncodePlayerPath(file, block)) {
        LogMessage("CVideoCmd::Send() path of %zu bytes refused: %.200s", file.size(), file.c_str());
        return 0;
    }
    const intptr_t reply = channel_.Send(b.window, uint32_t(command), ownerWindow(), block);
    if (reply == 0 && channel_.lastError() == platform::CopyDataChannel::NO_WINDOW) b.window = 0;
    if (reply == 0 && channel_.lastError() != platform::CopyDataChannel::OK)
        LogMessage("CVideoCmd::Send(%d, %d) no answer (%d)", board, command, int(channel_.lastError()));
    return reply > 0 && reply <= INT32_MAX ? int(reply) : reply == 0 ? 0 : 1;
}

void CVideoCmd::StopAll() {
    for (int i = 0; i < started_; ++i) {
        Send(i, air::VIDEO_STOP, {});
        boards_[size_t(i)].playing = false;
    }
}

void CVideoCmd::close(int board) {
    Board& b = boards_[size_t(board)];
    if (b.window && channel_.IsWindow(b.window)) channel_.RequestClose(b.window, ownerWindow());
    b.window = 0;
    b.playing = false;
    if (b.process.pid() > 0 && !b.process.Wait(closeGraceMs_)) {
        LogMessage("CVideoCmd::CloseAll() player of board %d did not close; ended", board);
        b.process.Terminate(closeGraceMs_);
    }
}

void CVideoCmd::CloseAll() {
    for (int i = 0; i < kMaxBoards; ++i) close(i);
    started_ = 0;
}

int CVideoCmd::Notify(uintptr_t window, int report) {
    if (!window) return -1;
    for (int i = 0; i < started_; ++i) {
        Board& b = boards_[size_t(i)];
        if (b.window != window) continue;
        if (report == PLAYER_STARTED) b.playing = true;
        else if (report == PLAYER_STOPPED) b.playing = false;
        return i;
    }
    return -1;
}

uint32_t CVideoCmd::ClipLength(const std::string& file) {
    uint32_t ms = 0;
    return ProbeDuration(file, ms) == PROBE_OK ? ms : 0;
}

}  // namespace video
