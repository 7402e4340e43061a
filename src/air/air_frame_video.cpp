// The air frame's video: one MPEG file on board 0, or an air playlist of timed clips on two
// boards with timed switcher buttons, alone or under Device content. The players answer through
// MSG_PLAYER; the playlist advances on the frame's timer.
#include "air/air_frame.h"
#include "air/air_frame_private.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"

namespace air {

void CAirFrame::applyVideo(bool videoPlaylist, const std::string& file, bool loop) {
    if (!videoBoards_) return;
    if (videoPlaylist) {
        kind_ |= KIND_VIDEO_PLAYLIST;
    } else if (!file.empty()) {
        kind_ |= KIND_VIDEO;
        videoRun_.file = file;
        if (loop) kind_ |= KIND_VIDEO_LOOP;
    }
}

int64_t CAirFrame::VideoTotal() const {
    if (kind_ & KIND_VIDEO) return obj_.video ? obj_.video->ClipLength(videoRun_.file) : 0;
    return obj_.playlist ? obj_.playlist->TotalMs() : 0;
}

void CAirFrame::CueVideo() {
    VideoRun& v = videoRun_;
    v.cued = false;
    if (endReason_ == END_RAN_OUT || !obj_.video) return;
    if (kind_ & KIND_VIDEO) {
        const int cmd = (kind_ & KIND_VIDEO_LOOP) ? VIDEO_CUE_LOOPED : VIDEO_CUE;
        v.cued = obj_.video->Send(0, cmd, v.file) != 0;
    } else if ((kind_ & KIND_VIDEO_PLAYLIST) && obj_.playlist && !obj_.playlist->Track(0).empty()) {
        const PlaylistClip& first = obj_.playlist->Track(0).front();
        v.cued = obj_.video->Send(0, first.loop ? VIDEO_CUE_LOOPED : VIDEO_CUE, first.file) != 0;
    }
}

bool CAirFrame::SeizeSwitcher() {
    RewindPlaylist();
    const int e = obj_.remote ? obj_.remote->Seize(obj_.playlist && obj_.playlist->LogoOff()) : 0;
    if (e == 0) return true;
    app::MessageBoxId(IDS_REMOTE_ERROR_BASE + e, app::MB_OK | app::MB_ICONERROR);
    if (obj_.remote) obj_.remote->RearmError();
    return false;
}

void CAirFrame::StartVideo() {
    const VideoRun& v = videoRun_;
    if ((kind_ & KIND_VIDEO) && obj_.video) {
        const int cmd = v.cued ? VIDEO_PAUSE : (kind_ & KIND_VIDEO_LOOP) ? VIDEO_PLAY_LOOPED : VIDEO_PLAY;
        obj_.video->Send(0, cmd, v.cued ? std::string() : v.file);
        airLog_.openClip(0, v.file);
    } else if (kind_ & KIND_VIDEO_PLAYLIST) {
        ProcessPlaylist(0);
    }
}

void CAirFrame::PauseVideo() {
    if (!videoBoards_ || !obj_.video) return;
    for (int b = 0; b < 2; ++b)
        if (obj_.video->Send(b, VIDEO_QUERY, {}) != 0) obj_.video->Send(b, VIDEO_PAUSE, {});
}

void CAirFrame::RewindPlaylist() { videoRun_.playlist = VideoRun::Playlist{}; }

void CAirFrame::ProcessPlaylist(uint32_t t) {
    AirPlaylist* pl = obj_.playlist;
    AirVideo* video = obj_.video;
    if (!pl || !video) return;
    VideoRun::Playlist& run = videoRun_.playlist;
    if (videoRun_.cued) {
        run.running[0] = true;
        run.free[0] = false;
        ++run.next[0];
        airLog_.closeClip(0);
        if (!pl->Track(0).empty()) airLog_.openClip(0, pl->Track(0).front().file);
        video->Send(0, VIDEO_PAUSE, {});
        videoRun_.cued = false;
    }
    bool waiting = false;
    for (int k = 0; k < 2; ++k)
        if (!run.running[k] && !run.free[k]) {
            LogMessage("CRemoteCmd::ProcessPlaylist() waiting video start board %d at %d", k, int(t));
            waiting = true;
        }
    if (!waiting) {
        const std::vector<PlaylistButton>& buttons = pl->Buttons();
        for (bool changed = true; changed;) {
            changed = false;
            for (int k = 0; k < 2; ++k) {
                const std::vector<PlaylistClip>& track = pl->Track(k);
                if (run.next[k] >= track.size() || track[run.next[k]].startMs > t) continue;
                changed = true;
                if (run.free[k]) {
                    const PlaylistClip& clip = track[run.next[k]];
                    run.free[k] = run.running[k] = false;
                    if (video->Send(k, clip.loop ? VIDEO_PLAY_LOOPED : VIDEO_PLAY, clip.file) != 0) {
                        airLog_.closeClip(k);
                        airLog_.openClip(k, clip.file);
                    } else {
                        run.free[k] = true;
                    }
                    ++run.next[k];
                } else {
                    // Still playing an earlier clip: stopped now, the next pass starts the new one.
                    video->Send(k, VIDEO_STOP, {});
                    airLog_.closeClip(k);
                    run.running[k] = false;
                    run.free[k] = true;
                }
            }
            if (run.nextButton < buttons.size() && buttons[run.nextButton].timeMs <= t) {
                changed = true;
                const PlaylistButton& b = buttons[run.nextButton++];
                const bool sent = obj_.remote && obj_.remote->SendCmd(b.action, b.name) != 0;
                if (run.nextButton == buttons.size() && obj_.remote) obj_.remote->Restore(false, pl->RestoreInput());
                if (!sent) {
                    OnStop();
                    return;
                }
            }
        }
    }
    if (uint64_t(t) >= uint64_t(pl->TotalMs()) + 1000 && (!(kind_ & KIND_DEVICE) || state_ == AIR_WAIT_VIDEO_END)) {
        endReason_ = END_RAN_OUT;
        End();
    }
}

void CAirFrame::OnPlayerMessage(uintptr_t window, int report) {
    if (!obj_.video) return;
    const int board = obj_.video->Notify(window, report);
    if ((kind_ & KIND_VIDEO_PLAYLIST) && board >= 0 && board < 2) {
        VideoRun::Playlist& run = videoRun_.playlist;
        if (obj_.video->Playing(board)) run.running[board] = true;
        else run.free[board] = true;
        return;
    }
    // A clip that stops before its playout has started has not ended it.
    if ((kind_ & KIND_VIDEO) && !(kind_ & KIND_DEVICE) && board == 0 && !obj_.video->Playing(0) && startTick_ != 0) {
        endReason_ = END_RAN_OUT;
        End();
    }
}

bool CAirFrame::RestoreSwitcher() {
    if (!(kind_ & KIND_VIDEO_PLAYLIST) || endReason_ == END_RAN_OUT || !obj_.remote) return false;
    obj_.remote->Restore(true, obj_.playlist ? obj_.playlist->RestoreInput() : 0);
    // The switcher needs a moment before anything else happens; wait on a timer rather than
    // blocking the thread, with the buttons off meanwhile.
    EnableActions(0);
    armOnce(videoRun_.endWaitId, END_SWITCHER_WAIT, &CAirFrame::EndFinish);
    return true;
}

void CAirFrame::EndVideo() {
    if (kind_ & KIND_VIDEO) Reply(4, 4);
    if (endReason_ != END_RAN_OUT && obj_.video) obj_.video->StopAll();
}

}  // namespace air
