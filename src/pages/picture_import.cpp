#include "pages/picture_import.h"

#include <algorithm>
#include <array>

#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "platform/files.h"

namespace pages {

namespace {

// Exact quotients x / c for 0 <= x < 2^16 and 1 <= c <= 255 as (x × m[c]) >> 32, so that the
// combination divides by multiplying: m = 2^32 / c + 1 is off by at most c / 2^32 per unit of
// x, never enough to reach the next whole number.
constexpr std::array<uint64_t, 256> makeReciprocals() {
    std::array<uint64_t, 256> m{};
    for (uint64_t c = 1; c < 256; ++c) m[c] = (uint64_t(1) << 32) / c + 1;
    return m;
}
constexpr std::array<uint64_t, 256> kReciprocal = makeReciprocals();

std::string titleOf(const std::string& path, std::string& folder, std::string& ext) {
    folder = platform::DirectoryOf(path);
    ext = platform::ExtensionOfPath(path);
    std::string name = platform::FileNameOf(path);
    return name.substr(0, name.size() - ext.size());
}

bool endsInW(const std::string& title) {
    return title.size() >= 3 && title[title.size() - 2] == '_' && (title.back() == 'w' || title.back() == 'W');
}

}  // namespace

bool InverseTgaSetting() {
    const app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    return theApp && theApp->settings().inverseTGA != 0;
}

int LoadPicture(const std::string& path, CBitmap32& out) {
    const int rc = ReadPictureFile(path, InverseTgaSetting(), out);
    if (rc != PICTURE_OK)
        LogMessage("ReadPicture: %s %s", rc == PICTURE_OPEN_ERROR ? "cannot open" : "bad format", path.c_str());
    return rc;
}

void ShowPictureError(int code, const std::string& path) {
    if (code == PICTURE_OK) return;
    app::MessageBoxId(code, app::MB_OK | app::MB_ICONERROR, {path});
}

bool ReadPicture(const std::string& path, bool report, CBitmap32& out) {
    const int rc = LoadPicture(path, out);
    if (rc != PICTURE_OK && report) ShowPictureError(rc, path);
    return rc == PICTURE_OK;
}

bool IsPictureOnWhite(const std::string& path) {
    std::string folder, ext;
    return endsInW(titleOf(path, folder, ext));
}

std::string PartnerOfPicture(const std::string& path) {
    std::string folder, ext;
    const std::string title = titleOf(path, folder, ext);
    if (endsInW(title)) return folder + title.substr(0, title.size() - 2) + ext;
    return folder + title + "_W" + ext;
}

std::string ConverterPartner(const std::string& path, bool pathIsOnWhite) {
    std::string folder, ext;
    const std::string title = titleOf(path, folder, ext);
    if (!pathIsOnWhite) return folder + title + "_w" + ext;
    if (!endsInW(title)) return {};
    return folder + title.substr(0, title.size() - 2) + ext;
}

std::string CombineWithPartner(const std::string& path, bool inverseTGA, bool monochrome, CBitmap32& picture) {
    if (!platform::EqualsNoCase(platform::ExtensionOfPath(path), ".bmp")) return {};
    // Names from Windows pair regardless of letter case (logo_w.bmp with logo.bmp).
    const std::string partnerPath = platform::ResolvePath(PartnerOfPicture(path));
    CBitmap32 partner, combined;
    if (!platform::FileExists(partnerPath) || ReadPictureFile(partnerPath, inverseTGA, partner) != PICTURE_OK)
        return {};
    const bool onWhite = IsPictureOnWhite(path);
    if (!CombinePair(onWhite ? picture : partner, onWhite ? partner : picture, monochrome, combined)) return {};
    picture = std::move(combined);
    LogMessage("ReadPicture: %s combined with %s", path.c_str(), partnerPath.c_str());
    return partnerPath;
}

bool ReadPictureWithPair(const std::string& path, bool report, CBitmap32& out, bool monochrome) {
    CBitmap32 picture;
    if (!ReadPicture(path, report, picture)) return false;
    CombineWithPartner(path, InverseTgaSetting(), monochrome, picture);
    out = std::move(picture);
    return true;
}

bool CombinePair(const CBitmap32& onWhite, const CBitmap32& onBlack, bool monochrome, CBitmap32& out) {
    if (onWhite.empty() || onWhite.width() != onBlack.width() || onWhite.height() != onBlack.height()) return false;
    CBitmap32 result(onWhite.width(), onWhite.height());
    const uint8_t* w = onWhite.bits();
    const uint8_t* k = onBlack.bits();
    uint8_t* d = result.bits();
    const size_t n = result.byteSize();
    for (size_t i = 0; i < n; i += 4) {
        const int s = (k[i] + k[i + 1] + k[i + 2] - w[i] - w[i + 1] - w[i + 2] + 765) / 3;
        const int c = std::min(s, 255);
        uint8_t colour[3] = {0, 0, 0};
        if (c > 0) {
            const uint64_t m = kReciprocal[size_t(c)];
            for (size_t j = 0; j < 3; ++j) {
                // Noise in a pair can ask for colours past black or white: they stop there.
                const int num = k[i + j] + c + w[i + j] - 255;
                if (num <= 0) continue;
                const uint64_t v = (uint64_t(num) * 127 * m) >> 32;
                colour[j] = uint8_t(std::min<uint64_t>(v, 255));
            }
            if (monochrome) colour[0] = colour[1] = colour[2] = std::max({colour[0], colour[1], colour[2]});
        }
        d[i + PIX_BLUE] = colour[0];
        d[i + PIX_GREEN] = colour[1];
        d[i + PIX_RED] = colour[2];
        d[i + PIX_TRANS] = uint8_t(255 - c);
    }
    out = std::move(result);
    return true;
}

int CombinePairFiles(const std::string& onWhite, const std::string& onBlack, bool monochrome, CBitmap32& out,
                     std::string* failedPath) {
    CBitmap32 white, black;
    int rc = LoadPicture(onWhite, white);
    if (rc == PICTURE_OK) {
        rc = LoadPicture(onBlack, black);
        if (rc != PICTURE_OK && failedPath) *failedPath = onBlack;
    } else if (failedPath) {
        *failedPath = onWhite;
    }
    if (rc != PICTURE_OK) return rc;
    if (!CombinePair(white, black, monochrome, out)) {
        LogMessage("CombinePair: sizes differ, %s %dx%d, %s %dx%d", onBlack.c_str(), black.width(), black.height(),
                   onWhite.c_str(), white.width(), white.height());
        return PICTURE_SIZE_MISMATCH;
    }
    return PICTURE_OK;
}

bool CombinePairFilesWithMessages(const std::string& onWhite, const std::string& onBlack, bool monochrome,
                                  CBitmap32& out) {
    std::string failed;
    const int rc = CombinePairFiles(onWhite, onBlack, monochrome, out, &failed);
    if (rc == PICTURE_SIZE_MISMATCH)
        app::MessageBoxId(PICTURE_SIZE_MISMATCH, app::MB_OK | app::MB_ICONERROR, {onBlack, onWhite});
    else ShowPictureError(rc, failed);
    return rc == PICTURE_OK;
}

void Dither(CBitmap32& bitmap, DitherRandom& rng) {
    uint8_t* p = bitmap.bits();
    const size_t n = bitmap.byteSize();
    for (size_t i = 0; i < n; ++i) {
        if (rng.next() < 8191) continue;
        const int v = p[i] + rng.next() / 6553 - 10;
        if (v >= 0 && v <= 255) p[i] = uint8_t(v);
    }
}

void Dither(CBitmap32& bitmap) {
    thread_local DitherRandom rng;
    Dither(bitmap, rng);
}

bool ImportPicture(const std::string& path, bool dither, CBitmap32& out) {
    CBitmap32 picture;
    if (!ReadPictureWithPair(path, true, picture)) return false;
    if (dither) Dither(picture);
    out = std::move(picture);
    return true;
}

}  // namespace pages
