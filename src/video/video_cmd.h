// CVideoCmd: the channel to the MPEG players, one player program per board. It starts them,
// sends them commands with a clip's path, stops and closes them, and hands each player's
// reports (a clip started, a clip ended) to the air frame as MSG_PLAYER.
//
// The player's window is "MPEG2_Video_Window_%d" (the board, from 1). Commands carry a 260-byte
// path block; the owner's window goes with them as wParam, and the players send their reports
// there. Only the thread that owns the air frame calls it; the 1000 ms wait after starting each
// player goes through an injectable sleep.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "air/air_content.h"
#include "platform/copydata_channel.h"
#include "platform/message_target.h"
#include "platform/process.h"

namespace video {

inline constexpr char kPlayerProgram[] = "zx-player";
inline constexpr int kMaxBoards = 2;
inline constexpr size_t kPlayerPathBytes = 260;
// The window title of a board's player (board from 0).
std::string PlayerTitle(int board);

// Commands besides air::VIDEO_PLAY ... air::VIDEO_QUERY.
enum : int { PLAYER_ATTACH = 100 };
// Reports of a player (dwData of its message to the owner).
enum : int { PLAYER_STARTED = 0, PLAYER_STOPPED = 1 };
// The wait after starting a player (ms).
enum : uint32_t { PLAYER_START_WAIT = 1000 };

// The 260-byte path block: false (nothing written) for a text longer than 259 bytes or one
// holding a NUL, which the player would cut short and open another file.
bool EncodePlayerPath(std::string_view path, std::vector<uint8_t>& out);
// False unless exactly 260 bytes with a NUL inside.
bool DecodePlayerPath(std::span<const uint8_t> data, std::string& path);

class CVideoCmd final : public air::AirVideo {
public:
    using SleepFn = std::function<void(uint32_t ms)>;
    struct Options {
        SleepFn sleep;                  // empty: a real sleep
        std::string program;            // the player program ("" = zx-player beside ours)
        std::vector<std::string> args;  // more arguments after the title (--time-scale K ...)
        platform::CopyDataChannel::Options channel;
        int closeGraceMs = 2000;  // how long a closed player may take before it is ended
        std::string playerLog;    // where the players' output goes ("" = nowhere)
    };

    CVideoCmd();
    explicit CVideoCmd(Options options);
    ~CVideoCmd() override;
    CVideoCmd(const CVideoCmd&) = delete;
    CVideoCmd& operator=(const CVideoCmd&) = delete;

    // Where the reports go: MSG_PLAYER (wParam the player's window, lParam the report), posted
    // on the owner's thread, which must be the one that calls CreateProcess.
    void SetOwner(platform::MessageTarget* owner) override;
    // The program to start ([Hardware] Player, or "" for zx-player beside ours).
    void SetProgram(const std::string& program);

    bool CreateProcess(int boards) override;
    int Send(int board, int command, const std::string& file) override;
    void StopAll() override;
    void CloseAll() override;
    int Notify(uintptr_t window, int report) override;
    bool Playing(int board) const override {
        return board >= 0 && board < kMaxBoards && boards_[size_t(board)].playing;
    }
    uint32_t ClipLength(const std::string& file) override;

    int started() const { return started_; }
    uintptr_t window(int board) const { return board >= 0 && board < kMaxBoards ? boards_[size_t(board)].window : 0; }
    uintptr_t ownerWindow() const;
    platform::Process& process(int board) { return boards_[size_t(board & 1)].process; }
    const std::string& program() const { return program_; }
    platform::CopyDataChannel& channel() { return channel_; }

private:
    struct Board {
        uintptr_t window = 0;
        bool playing = false;
        platform::Process process;
    };
    class Relay;
    void sleep(uint32_t ms);
    bool openOwner();
    void close(int board);

    SleepFn sleep_;
    std::string program_;
    std::vector<std::string> args_;
    int closeGraceMs_;
    std::string playerLog_;
    platform::CopyDataChannel channel_;
    std::array<Board, kMaxBoards> boards_;
    int started_ = 0;
    platform::MessageTarget* owner_ = nullptr;
    std::unique_ptr<Relay> relay_;
    std::unique_ptr<platform::CopyDataWindow> ownerWindow_;
};

}  // namespace video
