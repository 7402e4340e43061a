// The video playlists as Live mode plays them: a ".vid" file loaded with the boards' check and
// converted into the air playlist, or a ".zxp" air playlist loaded as it is, with the switcher
// input to hand back at the end.
#pragma once

#include <functional>
#include <string>

#include "air/air_content.h"
#include "video/playlist.h"
#include "video/video_playlist.h"

namespace app {
class CZentrixApp;
}

namespace video {

// The boards and their switcher inputs from [Hardware] (MPEG, MPEG_Input1, MPEG_Input2).
int ConfiguredBoards(const app::CZentrixApp& app);
std::array<int, 2> ConfiguredInputs(const app::CZentrixApp& app);

class CVideoPlaylistPlayer final : public air::AirVideoPlaylist {
public:
    // air: the application's air playlist, which the air frame plays.
    CVideoPlaylistPlayer(app::CZentrixApp& app, CPlaylist& air);

    int Load(const std::string& path) override;
    void ConvertToAir() override;
    void SetRestoreInput(int input) override;
    bool Edit(const std::string& path) override { return editor_ ? editor_(path) : false; }

    // The front end's "Edit video playlist" on a file: true when it changed it.
    void SetEditor(std::function<bool(const std::string&)> editor) { editor_ = std::move(editor); }
    CVideoPlaylist& playlist() { return playlist_; }
    bool loadedAirPlaylist() const { return airFile_; }

private:
    app::CZentrixApp& app_;
    CPlaylist& air_;
    CVideoPlaylist playlist_;
    bool airFile_ = false;  // a ".zxp" was loaded straight into the air playlist
    int restoreInput_ = -1;
    std::function<bool(const std::string&)> editor_;
};

}  // namespace video
