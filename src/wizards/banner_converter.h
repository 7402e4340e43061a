// The TV banner converter: a video or a list of pictures becomes a banner file, each frame
// converted once into a Device block so that playback only reads and sends. What the wizard and
// zx share: the source as step 1 reads it, the parameters of step 2 with their defaults and
// limits, and the conversion of step 3.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pages/banner_file.h"
#include "pages/bitmap32.h"
#include "wizards/banner_video.h"

namespace wizards {

enum : int {
    IDS_BANNER_TITLE = 19000,      // "TV banners converter"
    IDS_BANNER_SIZE = 19138,       // "%d x %d"
    IDS_BANNER_PLAY_TIME = 19140,  // "%d.%01d sec"
    IDS_BANNER_NO = 19141,
    IDS_BANNER_YES = 19142,
    IDS_BANNER_MISSING = 19537,  // "One or more listed picture files were not found!"
    IDS_BANNER_EMPTY = 19538,    // "Picture list is empty!"
};

// The largest frame the converter takes, per side: the double buffer of a wider one runs past
// the Device's 1536-pixel store.
constexpr int32_t BANNER_CONVERT_MAX_WIDTH = 712, BANNER_CONVERT_MAX_HEIGHT = 568;
constexpr int kBannerMinFps = 1, kBannerMaxFps = 30;

enum BannerSourceKind : int { SOURCE_VIDEO = 0, SOURCE_PICTURES = 1 };

// A message: its id and the texts or numbers for it.
struct BannerMessage {
    int id = 0;
    std::vector<std::string> args;
    std::string text() const;
};

struct BannerReport {
    BannerMessage error;
    std::vector<BannerMessage> warnings;
    // What the video decoding had to make up (frames repeated, a count patched).
    std::vector<std::string> notes;
    bool ok() const { return error.id == 0; }
};

struct BannerSource {
    BannerSourceKind kind = SOURCE_PICTURES;
    std::string video;
    std::vector<std::string> pictures;
    uint32_t frames = 0;
    uint32_t rate100 = 1000;
    int32_t width = 0, height = 0;
    int bitsPerPixel = 32;
    VideoInfo videoInfo;
};

// ".avi" and the other containers FFmpeg opens ("Video files").
bool IsBannerVideoFile(const std::string& path);
extern const char* const kBannerVideoExtensions[];  // nullptr-terminated

// The pictures of a ".txt" list: one a line, relative to the list's folder unless the line
// names a folder, CR stripped, blank lines skipped; missing files dropped into missing.
std::vector<std::string> ReadPictureList(const std::string& text, const std::string& listFolder,
                                         std::vector<std::string>& missing);
// A list with the "_w" partner of every ".bmp" that comes later dropped (compared without case):
// the pair is combined when the picture is read.
std::vector<std::string> DropPartners(const std::vector<std::string>& pictures);

// Step 1: what the first file's extension says (video, ".txt" list, pictures sorted by name),
// the frame count, rate and size. False with the message in report.error (3000, 3002, 19534,
// 19536, 19538, or the picture's 3030 / 3031); 19537 is a warning.
bool OpenBannerSource(const std::vector<std::string>& files, BannerSource& source, BannerReport& report);
// Leaving step 1: 0, or 19535 for a frame that is too large (or too small).
int CheckBannerFrameSize(int32_t width, int32_t height);

// The frames per second the operator gave, kept to 1..30, as the rate × 100.
uint32_t BannerRate100(int fps);
// "Play time" (19140): frames × 1000 / rate100 tenths of a second.
std::string BannerPlayTime(uint32_t frames, uint32_t rate100);

struct BannerOptions {
    int fps = 10;
    int32_t x = -1, y = -1;  // -1: centred
    int border = 0;
    bool loop = false;
    bool dither = false;
    bool inverseTGA = false;  // the program's setting: 32-bit frames store opacity
};

// The header the conversion writes: even width, position kept on the picture and even x.
pages::BannerHeader BannerHeaderFor(const BannerSource& source, const BannerOptions& options);

// One frame done: its index, the count, the canvas as converted (before dithering). False to
// cancel.
using BannerProgress = std::function<bool(uint32_t frame, uint32_t frames, const pages::CBitmap32& canvas)>;

enum : int { CONVERT_OK = 0, CONVERT_FAILED = 1, CONVERT_CANCELLED = 2 };

// Step 3 into path (written under a temporary name and renamed when complete). CONVERT_FAILED
// with the message in report.error (3001 when the file cannot be written; the source's own).
int ConvertBanner(const BannerSource& source, const BannerOptions& options, const std::string& path,
                  const BannerProgress& progress, BannerReport& report);

// The canvas of frame 0 as it will convert (the wizard's step 2 shows it).
bool FirstBannerFrame(const BannerSource& source, const BannerOptions& options, pages::CBitmap32& canvas,
                      BannerReport& report);

}  // namespace wizards
