#include "video/sample_clip.h"

#include <chrono>
#include <thread>

#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "video/clip_probe.h"
#include "video/remote_cmd.h"
#include "video/video_cmd.h"

namespace video {

namespace {

// The waits of the check (ms): for the remote program, and for the player to come up.
constexpr uint32_t kRemoteWait = 1000, kPlayerWait = 3000;

}  // namespace

int CheckSampleClip(app::CZentrixApp& app, CRemoteCmd& remote, CVideoCmd& players, const SampleCheck& check) {
    auto sleep = [&check](uint32_t ms) {
        if (check.sleep) check.sleep(ms);
        else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
    const std::string clip = platform::ResolvePath(app.GetPath(app::FOLDER_VIDEO) + kSampleClip);
    if (!platform::FileExists(clip)) {
        app::ShowFileResult(pages::FILE_OPEN_ERROR, clip);
        return CHECK_NO_CLIP;
    }
    const std::string& folder = app.settings().remotePath;
    if (!remote.Launch(folder.empty() ? app.GetPath(app::FOLDER_ROOT) : folder)) return CHECK_NO_REMOTE;
    sleep(kRemoteWait);
    remote.WaitForWindow(kPlayerWait);
    // Only the board checked: its player is the first of as many as it needs.
    if (!players.CreateProcess(check.board + 1)) {
        app::MessageBoxId(IDS_MPEG_INIT_FAILED, app::MB_OK | app::MB_ICONERROR);
        return CHECK_NO_PLAYER;
    }
    sleep(kPlayerWait);
    int result = CHECK_OK;
    if (const int e = remote.Seize(false); e != 0) {
        app::MessageBoxId(IDS_REMOTE_SEIZE_BASE + e, app::MB_OK | app::MB_ICONERROR);
        remote.RearmError();
        result = CHECK_NO_SEIZE;
    } else {
        const std::string input = "IN" + std::to_string(check.input + 1);
        remote.SendCmd(REMOTE_PUSH, input);
        if (players.Send(check.board, air::VIDEO_PLAY, clip) == 0) {
            app::MessageBoxId(IDS_MPEG_ERROR_BASE + PROBE_NO_STREAM, app::MB_OK | app::MB_ICONERROR);
            result = CHECK_NO_PLAY;
        } else {
            LogMessage("CheckSampleClip() board %d on %s", check.board, input.c_str());
            app::MessageBoxId(IDS_SAMPLE_PLAYING, app::MB_OK | app::MB_ICONINFORMATION, {input});
            if (check.holdMs) sleep(check.holdMs);
        }
        remote.Restore(true, RESTORE_SEIZED_INPUT);
    }
    players.StopAll();
    players.CloseAll();
    return result;
}

}  // namespace video
