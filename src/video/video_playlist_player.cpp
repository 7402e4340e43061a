#include "video/video_playlist_player.h"

#include <algorithm>

#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "platform/files.h"

namespace video {

int ConfiguredBoards(const app::CZentrixApp& app) { return std::clamp(app.settings().mpeg, 0, 2); }

std::array<int, 2> ConfiguredInputs(const app::CZentrixApp& app) {
    return {std::clamp(app.settings().mpegInput1, 0, 15), std::clamp(app.settings().mpegInput2, 0, 15)};
}

CVideoPlaylistPlayer::CVideoPlaylistPlayer(app::CZentrixApp& app, CPlaylist& air) : app_(app), air_(air) {}

int CVideoPlaylistPlayer::Load(const std::string& path) {
    air_.SetRoot(app_.GetPath(app::FOLDER_ROOT));
    airFile_ = platform::EqualsNoCase(platform::ExtensionOfPath(path), kPlaylistExtension);
    if (airFile_) {
        const int rc = air_.Load(path);
        air_.SetRestoreInput(restoreInput_);
        return rc;
    }
    playlist_.SetFolder(app_.GetPath(app::FOLDER_VIDEO));
    CVideoPlaylist::LoadOptions o;
    o.boards = std::max(ConfiguredBoards(app_), 1);
    o.checkBoards = true;
    return playlist_.Load(path, o);
}

void CVideoPlaylistPlayer::ConvertToAir() {
    if (airFile_) return;  // loaded as it plays
    air_.SetRoot(app_.GetPath(app::FOLDER_ROOT));
    playlist_.ConvertTo(air_, std::max(ConfiguredBoards(app_), 1), ConfiguredInputs(app_));
    air_.SetRestoreInput(restoreInput_);
}

void CVideoPlaylistPlayer::SetRestoreInput(int input) {
    restoreInput_ = input;
    air_.SetRestoreInput(input);
}

}  // namespace video
