#include "demo/demo_video.h"

#include <cstdio>

#include "demo/demo_banners.h"
#include "pages/bitmap_font.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "video/mpeg_writer.h"
#include "video/video_library.h"
#include "video/video_playlist.h"

namespace demo {

namespace {

struct ClipRecipe {
    const char* file;
    const char* title;
    int frames;
    uint32_t colour;  // the background, 0x00BBGGRR
    bool bars;
};

// Short, so that the demo is made in about a second; the weather really lasts its 8 s.
constexpr ClipRecipe kClips[] = {
    {kTestClip, "TEST", 50, 0, true},
    {kOpenerClip, "OPENER", 50, 0x00603010, false},
    {kWeatherClip, "WEATHER", 200, 0x00704020, false},
    {kStingClip, "STING", 38, 0x00103070, false},
};

void DrawBars(pages::CBitmap32& f) {
    static const uint32_t kBars[8] = {0x00BFBFBF, 0x0000BFBF, 0x00BFBF00, 0x0000BF00,
                                      0x00BF00BF, 0x000000BF, 0x00BF0000, 0x00101010};
    for (int i = 0; i < 8; ++i) f.fill(kBars[i], i * 90, 0, 90, 576, false);
}

void DrawClipFrame(const ClipRecipe& r, pages::CBitmapFont* font, int i, pages::CBitmap32& f) {
    if (r.bars) DrawBars(f);
    else f.fillAll(r.colour);
    // A bar that moves once round the picture every two seconds: the pictures are seen to play.
    const int x = (i * 720 / 50) % 720;
    f.fill(0x00E0E0E0, x, 440, 24, 24, false);
    if (!font) return;
    char tc[32];
    std::snprintf(tc, sizeof tc, "00:00:%02d:%02d", i / 25, i % 25);
    const uint8_t white[3] = {255, 255, 255};
    const pages::Rect all = f.bounds();
    font->DrawText(r.title, 60, 60, all, f.view(), pages::LAYER_GLYPHS, false, white);
    font->DrawText(tc, 60, 480, all, f.view(), pages::LAYER_GLYPHS, false, white);
}

video::VideoRow Row(const video::CVideoLibrary& lib, const char* file, int transition, int interleave) {
    video::VideoRow row;
    row.name = platform::FileNameOf(file);
    if (const int i = lib.Find(row.name, false); i >= 0) {
        row.duration = int32_t(lib.Entries()[size_t(i)].duration);
        row.description = lib.Entries()[size_t(i)].description;
    }
    row.transition = transition;
    row.interleave = interleave;
    row.spacing = 500;
    return row;
}

}  // namespace

bool WriteDemoVideo(const std::string& root, std::vector<std::string>& files, std::string& error) {
    const std::string videoDir = root + "Video/";
    if (!platform::MakeDirectories(videoDir)) {
        error = "cannot create " + videoDir;
        return false;
    }
    pages::CBitmapFont font;
    const bool haveFont = font.ReadHeader(root + "Fonts/" + kHeadlineFont + ".bmf") == pages::FILE_OK && font.Load();
    for (const ClipRecipe& r : kClips) {
        video::MpegClipOptions o;
        o.frames = r.frames;
        o.gop = 50;
        if (!video::WriteMpegClip(root + r.file, o, [&](int i, pages::CBitmap32& f) {
                DrawClipFrame(r, haveFont ? &font : nullptr, i, f);
            })) {
            error = std::string("cannot write ") + root + r.file;
            return false;
        }
        files.push_back(r.file);
    }

    video::CVideoLibrary lib(videoDir);
    if (lib.Refresh() != pages::FILE_OK) {
        error = "cannot write " + lib.CataloguePath();
        return false;
    }
    const struct {
        const char* name;
        const char* text;
    } kDescriptions[] = {{"test.mpg", "Colour bars"},
                         {"opener.mpg", "News opener"},
                         {"weather_8.mpg", "Weather map"},
                         {"sting_1500ms.mpg", "Sting"}};
    for (const auto& d : kDescriptions)
        if (const int i = lib.Find(d.name, false); i >= 0) lib.SetDescription(size_t(i), d.text);
    lib.Sort(video::SORT_BY_NAME);
    if (lib.Write() != pages::FILE_OK) {
        error = "cannot write " + lib.CataloguePath();
        return false;
    }
    files.push_back(std::string("Video/") + video::kCatalogueName);

    // Mixed into the opener, the weather through EFFECT1 with the clock on, a cut to the sting,
    // and a cut back with the clock off; the logo is off meanwhile.
    video::CVideoPlaylist vid(videoDir);
    vid.Rows() = {Row(lib, kOpenerClip, video::TRANSITION_MIX, 500), Row(lib, kWeatherClip, 2, 700),
                  Row(lib, kStingClip, video::TRANSITION_CUT, 100), video::VideoRow{}};
    vid.Rows()[1].extras = {5, 0, 0};  // CLOCK On
    vid.Rows()[3].transition = video::TRANSITION_CUT;
    vid.Rows()[3].interleave = 100;
    vid.Rows()[3].spacing = 500;
    vid.Rows()[3].extras = {6, 0, 0};  // CLOCK Off
    vid.SetLogoOff(true);
    vid.UpdateTotal(kDemoBoards);
    if (vid.Save(root + kEveningNews, kDemoBoards) != pages::FILE_OK) {
        error = std::string("cannot write ") + root + kEveningNews;
        return false;
    }
    files.push_back(kEveningNews);
    // The switcher's inputs of the two boards as [Hardware] has them by default (IN8, IN7).
    video::CPlaylist air(root);
    vid.ConvertTo(air, kDemoBoards, {7, 6});
    // The clips below the data root, as the playlist editor stores them.
    for (int k = 0; k < 2; ++k)
        for (video::ClipRecord& c : air.Clips(k)) c = air.MakeClip(c.path, c.start, c.duration, c.loop);
    if (air.Save(root + kEveningNewsAir) != pages::FILE_OK) {
        error = std::string("cannot write ") + root + kEveningNewsAir;
        return false;
    }
    files.push_back(kEveningNewsAir);
    return true;
}

}  // namespace demo
