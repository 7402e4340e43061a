#include "wizards/banner_converter.h"

#include <algorithm>
#include <cstdio>

#include "app/log/event_log.h"
#include "app/strings.h"
#include "pages/file_result.h"
#include "pages/picture_import.h"
#include "pages/picture_io.h"
#include "platform/files.h"
#include "wizards/banner_writer.h"

namespace wizards {

const char* const kBannerVideoExtensions[] = {".avi", ".mov", ".mp4", ".mkv", ".webm", ".gif", nullptr};

namespace {

bool NamesFolder(const std::string& line) {
    return line.find('/') != std::string::npos || line.find('\\') != std::string::npos;
}

// A picture of the list as a frame: read with its partner where there is one.
int ReadFramePicture(const std::string& path, bool inverseTGA, pages::CBitmap32& out) {
    const std::string resolved = platform::ResolvePath(path);
    pages::CBitmap32 picture;
    const int code = pages::ReadPictureFile(resolved, inverseTGA, picture);
    if (code != pages::PICTURE_OK) return code;
    pages::CombineWithPartner(resolved, inverseTGA, false, picture);
    out = std::move(picture);
    return pages::PICTURE_OK;
}

// A file result code as the id of its message (3000 + n - 1); message ids stay.
int MessageId(int code) { return code >= 0x100 && code < 0x200 ? 2999 + (code & 0xFF) : code; }

}  // namespace

std::string BannerMessage::text() const {
    const std::string pattern = app::LoadString(id);
    if (id == IDS_VIDEO_TOO_LARGE) {
        char s[256];
        std::snprintf(s, sizeof s, pattern.c_str(), BANNER_CONVERT_MAX_WIDTH, BANNER_CONVERT_MAX_HEIGHT);
        return s;
    }
    return args.empty() ? pattern : app::FormatText(pattern, {args[0]});
}

bool IsBannerVideoFile(const std::string& path) {
    const std::string ext = platform::ExtensionOfPath(path);
    for (const char* const* e = kBannerVideoExtensions; *e; ++e)
        if (platform::EqualsNoCase(ext, *e)) return true;
    return false;
}

std::vector<std::string> ReadPictureList(const std::string& text, const std::string& folder,
                                         std::vector<std::string>& missing) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (line.empty()) continue;
        std::string path =
            NamesFolder(line) && (line[0] == '/' || line[0] == '\\' || (line.size() > 1 && line[1] == ':'))
                ? line
                : platform::JoinPath(folder, line);
        path = platform::NormaliseDataName(path);
        if (platform::FileExists(platform::ResolvePath(path))) out.push_back(path);
        else missing.push_back(line);
    }
    return out;
}

std::vector<std::string> DropPartners(const std::vector<std::string>& pictures) {
    std::vector<bool> dropped(pictures.size(), false);
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (dropped[i] || !platform::EqualsNoCase(platform::ExtensionOfPath(pictures[i]), ".bmp")) continue;
        if (pages::IsPictureOnWhite(pictures[i])) continue;
        const std::string partner = pages::PartnerOfPicture(pictures[i]);
        for (size_t j = i + 1; j < pictures.size(); ++j)
            if (!dropped[j] && platform::EqualsNoCase(pictures[j], partner)) dropped[j] = true;
    }
    std::vector<std::string> out;
    for (size_t i = 0; i < pictures.size(); ++i)
        if (!dropped[i]) out.push_back(pictures[i]);
    return out;
}

bool OpenBannerSource(const std::vector<std::string>& files, BannerSource& source, BannerReport& report) {
    report = {};
    BannerSource s;
    if (files.empty()) {
        report.error = {IDS_BANNER_EMPTY, {}};
        return false;
    }
    const std::string& first = files[0];
    if (IsBannerVideoFile(first)) {
        s.kind = SOURCE_VIDEO;
        s.video = first;
        CBannerVideo video;
        const int code = video.Open(platform::ResolvePath(first));
        if (code != 0) {
            report.error = {code, {first}};
            return false;
        }
        s.videoInfo = video.info();
        s.frames = s.videoInfo.frames;
        s.rate100 = s.videoInfo.rate100;
        s.width = s.videoInfo.width;
        s.height = s.videoInfo.height;
        s.bitsPerPixel = s.videoInfo.bitsPerPixel;
        if (s.frames == 0) {
            report.error = {IDS_VIDEO_NO_STREAM, {first}};
            return false;
        }
        source = std::move(s);
        return true;
    }
    s.kind = SOURCE_PICTURES;
    std::vector<std::string> list;
    if (platform::EqualsNoCase(platform::ExtensionOfPath(first), ".txt")) {
        std::string text;
        if (!platform::ReadFile(platform::ResolvePath(first), text)) {
            report.error = {IDS_VIDEO_OPEN, {first}};
            return false;
        }
        std::vector<std::string> missing;
        list = ReadPictureList(text, platform::DirectoryOf(first), missing);
        if (!missing.empty()) report.warnings.push_back({IDS_BANNER_MISSING, {}});
    } else {
        list = files;
        std::sort(list.begin(), list.end());  // byte order
    }
    s.pictures = DropPartners(list);
    if (s.pictures.empty()) {
        report.error = {IDS_BANNER_EMPTY, {}};
        return false;
    }
    pages::CBitmap32 picture;
    const int code = ReadFramePicture(s.pictures[0], pages::InverseTgaSetting(), picture);
    if (code != pages::PICTURE_OK) {
        report.error = {code, {s.pictures[0]}};
        return false;
    }
    s.width = picture.width();
    s.height = picture.height();
    s.frames = uint32_t(s.pictures.size());
    s.rate100 = 1000;
    s.bitsPerPixel = 32;
    source = std::move(s);
    return true;
}

int CheckBannerFrameSize(int32_t w, int32_t h) {
    if (w < 2 || h < 2 || w > BANNER_CONVERT_MAX_WIDTH || h > BANNER_CONVERT_MAX_HEIGHT) return IDS_VIDEO_TOO_LARGE;
    return 0;
}

uint32_t BannerRate100(int fps) { return uint32_t(std::clamp(fps, kBannerMinFps, kBannerMaxFps)) * 100; }

std::string BannerPlayTime(uint32_t frames, uint32_t rate100) {
    if (rate100 == 0) rate100 = 100;
    const uint64_t tenths = uint64_t(frames) * 1000 / rate100;
    char s[64];
    std::snprintf(s, sizeof s, app::LoadString(IDS_BANNER_PLAY_TIME).c_str(), int(tenths / 10), int(tenths % 10));
    return s;
}

pages::BannerHeader BannerHeaderFor(const BannerSource& src, const BannerOptions& o) {
    pages::BannerHeader h;
    h.width = src.width & ~1;  // the last column of an odd width is dropped
    h.height = src.height;
    h.frames = src.frames;
    h.rate100 = BannerRate100(o.fps);
    const int32_t X = o.x < 0 ? (720 - h.width) / 2 : o.x;
    const int32_t Y = o.y < 0 ? (576 - h.height) / 2 : o.y;
    h.x = std::max(4, std::min(X, 716 - h.width)) & ~1;
    h.y = std::max(4, std::min(Y, 572 - h.height));
    h.flags = pages::BANNER_HAS_PREVIEW | (o.loop ? pages::BANNER_LOOP : 0);
    h.border = uint8_t(std::clamp(o.border, 0, 14));
    return h;
}

namespace {

// Delivers the source's frames as canvases of the banner's size.
class FrameSource {
public:
    FrameSource(const BannerSource& s, const BannerOptions& o, int32_t width) : s_(s), o_(o) {
        canvas_.create(width, s.height);
    }
    // 0, or the code of a video that cannot be opened.
    int open() {
        if (s_.kind != SOURCE_VIDEO) return 0;
        return video_.Open(platform::ResolvePath(s_.video));
    }
    // Frame i into the canvas; false when a video ends early.
    bool next(uint32_t i, BannerReport& report) {
        if (s_.kind == SOURCE_VIDEO) {
            if (!video_.NextFrame(frame_, o_.inverseTGA)) return false;
            canvas_.blit(frame_, 0, 0, canvas_.width(), canvas_.height(), 0, 0, pages::BLIT_COPY);
            return true;
        }
        pages::CBitmap32 picture;
        const int code = ReadFramePicture(s_.pictures[i], o_.inverseTGA, picture);
        if (code != pages::PICTURE_OK) {
            // The first failure is told, later ones are not; the previous frame stays.
            if (!pictureFailed_) report.warnings.push_back({code, {s_.pictures[i]}});
            pictureFailed_ = true;
            return true;
        }
        canvas_.blit(picture, 0, 0, std::min(picture.width(), canvas_.width()),
                     std::min(picture.height(), canvas_.height()), 0, 0, pages::BLIT_COPY);
        return true;
    }
    const pages::CBitmap32& canvas() const { return canvas_; }
    pages::CBitmap32& canvas() { return canvas_; }
    const VideoDecodeStats& stats() const { return video_.stats(); }

private:
    const BannerSource& s_;
    const BannerOptions& o_;
    CBannerVideo video_;
    pages::CBitmap32 frame_, canvas_;
    bool pictureFailed_ = false;
};

}  // namespace

bool FirstBannerFrame(const BannerSource& source, const BannerOptions& options, pages::CBitmap32& canvas,
                      BannerReport& report) {
    const pages::BannerHeader h = BannerHeaderFor(source, options);
    FrameSource frames(source, options, h.width);
    if (const int code = frames.open(); code != 0) {
        report.error = {code, {source.video}};
        return false;
    }
    if (!frames.next(0, report)) return false;
    canvas = frames.canvas();
    return true;
}

int ConvertBanner(const BannerSource& source, const BannerOptions& options, const std::string& path,
                  const BannerProgress& progress, BannerReport& report) {
    report = {};
    if (const int code = CheckBannerFrameSize(source.width, source.height); code != 0) {
        report.error = {code, {}};
        return CONVERT_FAILED;
    }
    const pages::BannerHeader h = BannerHeaderFor(source, options);
    FrameSource frames(source, options, h.width);
    if (const int code = frames.open(); code != 0) {
        report.error = {code, {source.video}};
        return CONVERT_FAILED;
    }
    CBannerWriter writer;
    if (!writer.Create(path, h)) {
        report.error = {MessageId(pages::FILE_SAVE_ERROR), {path}};
        return CONVERT_FAILED;
    }
    LogMessage("ConvertBanner %s: %u frames %dx%d at (%d, %d)", path.c_str(), h.frames, h.width, h.height, h.x, h.y);
    pages::DitherRandom rng(1);  // the same noise in every run
    pages::CBitmap32 dithered;
    for (uint32_t i = 0; i < h.frames; ++i) {
        if (!frames.next(i, report)) {
            char note[128];
            std::snprintf(note, sizeof note, "the video ended after %u of %u frames; the banner keeps %u", i, h.frames,
                          i);
            report.notes.push_back(note);
            break;
        }
        if (i == 0 && !writer.WritePreview(frames.canvas())) break;
        const pages::CBitmap32* out = &frames.canvas();
        if (options.dither) {
            dithered = frames.canvas();
            pages::Dither(dithered, rng);
            out = &dithered;
        }
        if (!writer.AddFrame(*out)) break;
        if (progress && !progress(i, h.frames, frames.canvas())) {
            writer.Abandon();
            return CONVERT_CANCELLED;
        }
    }
    if (frames.stats().badFrames) {
        char note[128];
        std::snprintf(note, sizeof note, "%u frame(s) did not decode; the frame before stands in",
                      frames.stats().badFrames);
        report.notes.push_back(note);
    }
    if (!writer.Finish()) {
        report.error = {MessageId(pages::FILE_SAVE_ERROR), {path}};
        return CONVERT_FAILED;
    }
    return CONVERT_OK;
}

}  // namespace wizards
