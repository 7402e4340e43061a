// What zx-player does with the program's commands: one clip at a time, cued, played (looped),
// paused and stopped, on its own thread in real time or faster. That thread reports to the
// owner's window when a clip starts (0) and when it ends or is stopped (1). Every command and
// report goes to the log; the control interface can refuse everything or make the handler hang.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <ostream>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "zx-player/clip_decoder.h"

namespace zxplayer {

struct PlayerOptions {
    std::string title;      // the window's, "MPEG2_Video_Window_1"
    double timeScale = 1;   // clips play this many times faster
    std::string framesDir;  // each picture shown goes there as a PNG ("" = none)
    std::string windowDir;  // the windows' folder ("" = the runtime folder)
};

class Player {
public:
    static constexpr size_t kLogLines = 1000;
    Player(PlayerOptions options, std::ostream* log);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Our window, sent with each report.
    void SetSelf(uintptr_t window) { self_ = window; }
    // One command (dwData, the sender's wParam, the 260-byte block): the reply.
    int64_t OnCommand(uint32_t command, uintptr_t wParam, std::span<const uint8_t> data);

    std::string StatusJson();
    std::string LogJson();
    bool Snapshot(const std::string& path, std::string& error);
    // The picture shown last (a copy; empty before the first).
    pages::CBitmap32 Picture();
    void SetRefuse(bool refuse);
    void SetHung(bool hung);
    void WaitWhileHung();
    // Stops the clip (reporting it) and the thread.
    void Shutdown();

private:
    enum State { IDLE, CUED, PLAYING, PAUSED };
    using Clock = std::chrono::steady_clock;
    void run();
    void note(const std::string& line);
    void stopLocked();
    int64_t openLocked(const std::string& path, bool loop, bool play);

    PlayerOptions options_;
    std::ostream* log_;
    uintptr_t self_ = 0;
    std::mutex m_;
    std::condition_variable cv_, hungCv_;
    ClipDecoder decoder_;
    State state_ = IDLE;
    std::string clip_;
    bool loop_ = false;
    bool reported_ = false;  // the clip's start was reported
    bool refuse_ = false, hung_ = false, quit_ = false;
    uint64_t generation_ = 0;  // changes with every command that changes what plays
    int64_t positionMs_ = 0;
    bool pending_ = false;  // a picture decoded but not shown yet (a pause came first)
    int64_t pendingMs_ = 0;
    Clock::time_point base_;  // when position 0 is (or was) on screen
    uint64_t frames_ = 0, clipsStarted_ = 0, framesWritten_ = 0;
    int volume_ = -1;
    uintptr_t owner_ = 0;
    std::deque<std::pair<int, std::string>> reports_;  // with the clip each is about
    std::deque<std::string> log_lines_;
    pages::CBitmap32 shown_;
    std::thread thread_;
};

}  // namespace zxplayer
