#include "wizards/clock_maker.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "app/log/event_log.h"
#include "app/strings.h"
#include "pages/device_picture.h"
#include "pages/picture_import.h"
#include "pages/picture_io.h"
#include "platform/files.h"

namespace wizards {

const char* const kClockSourceNames[SRC_COUNT] = {"Clock face", "Hour's hand", "Minute's hand", "Second's hand",
                                                  "Marker"};

namespace {

constexpr char kFillLetters[SRC_COUNT] = {'F', 'H', 'M', 'S', 'C'};
// The enlargement of a hand's used part, so that sampling finds transparent pixels around it.
constexpr int32_t kHandMargin = 3;
constexpr int kVisibleBelow = 245;

// Reads one picture; a ".bmp" face or hand with a partner on the other background is combined
// with it. Fills report.error on failure.
bool ReadSource(const std::string& given, bool pair, pages::CBitmap32& out, ClockReport& report) {
    const std::string path = platform::ResolvePath(given);
    pages::CBitmap32 picture;
    int code = pages::LoadPicture(path, picture);
    if (code != pages::PICTURE_OK) {
        report.error = {code, {given}};
        return false;
    }
    if (pair && platform::EqualsNoCase(platform::ExtensionOfPath(path), ".bmp")) {
        const std::string partnerPath = platform::ResolvePath(pages::PartnerOfPicture(path));
        if (platform::FileExists(partnerPath)) {
            pages::CBitmap32 partner;
            code = pages::LoadPicture(partnerPath, partner);
            if (code != pages::PICTURE_OK) {
                report.error = {code, {partnerPath}};
                return false;
            }
            const bool onWhite = pages::IsPictureOnWhite(path);
            const std::string& black = onWhite ? partnerPath : path;
            const std::string& white = onWhite ? path : partnerPath;
            if (partner.width() != picture.width() || partner.height() != picture.height()) {
                report.error = {IDS_CLOCK_PAIR_SIZES, {black, white}};
                return false;
            }
            pages::CBitmap32 combined;
            pages::CombinePair(onWhite ? picture : partner, onWhite ? partner : picture, false, combined);
            picture = std::move(combined);
        }
    }
    out = std::move(picture);
    return true;
}

}  // namespace

bool ClockSources::complete() const {
    return std::all_of(paths.begin(), paths.end(), [](const std::string& p) { return !p.empty(); });
}

std::string ClockMessage::text() const {
    const std::string pattern = app::LoadString(id);
    switch (args.size()) {
        case 0: return pattern;
        case 1: return app::FormatText(pattern, {args[0]});
        default: return app::FormatText(pattern, {args[0], args[1]});
    }
}

bool AutoFillClockSources(const std::string& facePath, ClockSources& out) {
    const std::string folder = platform::DirectoryOf(facePath);
    const std::string name = platform::FileNameOf(facePath);
    const std::string ext = platform::ExtensionOfPath(name);
    std::string title = name.substr(0, name.size() - ext.size());
    std::string suffix;
    if (platform::EqualsNoCase(ext, ".bmp") && title.size() >= 3 &&
        (title.compare(title.size() - 2, 2, "_w") == 0 || title.compare(title.size() - 2, 2, "_W") == 0)) {
        suffix = title.substr(title.size() - 2);
        title.resize(title.size() - 2);
    }
    if (title.empty()) return false;
    const char last = title.back();
    const bool lower = std::islower(static_cast<unsigned char>(last)) != 0;
    if (!std::strchr("FHMSC", std::toupper(static_cast<unsigned char>(last)))) return false;
    title.pop_back();
    for (int i = 0; i < SRC_COUNT; ++i) {
        const char letter = lower ? char(std::tolower(kFillLetters[i])) : kFillLetters[i];
        out.paths[size_t(i)] = folder + title + letter + (i == SRC_MARKER ? std::string() : suffix) + ext;
    }
    return true;
}

bool FindMarkerCentre(const pages::CBitmap32& marker, int32_t& x, int32_t& y) {
    if (marker.empty()) return false;
    const int32_t w = marker.width(), h = marker.height();
    const uint32_t corner = marker.colourAt(0, 0);
    bool foundX = false;
    for (int32_t r = 0; r < h && !foundX; ++r)
        for (int32_t c = 0; c < w; ++c)
            if (marker.colourAt(c, r) != corner) {
                x = c;
                foundX = true;
                break;
            }
    if (!foundX) return false;
    for (int32_t c = 0; c < w; ++c) {
        const uint32_t top = marker.colourAt(c, 0);
        for (int32_t r = 1; r < h; ++r)
            if (marker.colourAt(c, r) != top) {
                y = r;
                return true;
            }
    }
    return false;
}

pages::Rect HandUsedRect(const pages::CBitmap32& hand) {
    const int32_t w = hand.width(), h = hand.height();
    auto rowUsed = [&](int32_t r) {
        for (int32_t c = 0; c < w; ++c)
            if (hand.pixel(c, r)[pages::PIX_TRANS] < kVisibleBelow) return true;
        return false;
    };
    auto columnUsed = [&](int32_t c) {
        for (int32_t r = 0; r < h; ++r)
            if (hand.pixel(c, r)[pages::PIX_TRANS] < kVisibleBelow) return true;
        return false;
    };
    // The scan starts at row and column 1, as the clocks made so far were made.
    int32_t top = 1;
    while (top < h && !rowUsed(top)) ++top;
    if (top >= h) return {};
    int32_t bottom = h - 1;
    while (bottom > top && !rowUsed(bottom)) --bottom;
    int32_t left = 1;
    while (left < w && !columnUsed(left)) ++left;
    if (left >= w) return {};
    int32_t right = w - 1;
    while (right > left && !columnUsed(right)) --right;
    return {left, top, right + 1, bottom + 1};
}

bool BuildClock(const ClockSources& sources, CClockImage& clock, ClockReport& report) {
    report = ClockReport{};
    // 1. The pictures.
    std::array<pages::CBitmap32, SRC_COUNT> pics;
    for (int i = 0; i < SRC_COUNT; ++i)
        if (!ReadSource(sources.paths[size_t(i)], i != SRC_MARKER, pics[size_t(i)], report)) return false;
    return BuildClockFromPictures(pics, sources, clock, report);
}

bool BuildClockFromPictures(const std::array<pages::CBitmap32, SRC_COUNT>& pics, const ClockSources& sources,
                            CClockImage& clock, ClockReport& report) {
    report = ClockReport{};
    const pages::CBitmap32& face = pics[SRC_FACE];
    for (int i = 1; i < SRC_COUNT; ++i)
        if (pics[size_t(i)].width() != face.width() || pics[size_t(i)].height() != face.height()) {
            report.error = {IDS_CLOCK_SIZES, {sources.paths[SRC_FACE], sources.paths[size_t(i)]}};
            return false;
        }
    // 2. The centre.
    int32_t x0 = 0, y0 = 0;
    if (!FindMarkerCentre(pics[SRC_MARKER], x0, y0)) {
        report.error = {IDS_CLOCK_NO_CENTRE, {}};
        return false;
    }
    if (x0 < CLOCK_MIN_CX || x0 > CLOCK_MAX_CX || y0 < CLOCK_MIN_CY || y0 > CLOCK_MAX_CY) {
        report.error = {IDS_CLOCK_CENTRE_RANGE, {}};
        return false;
    }
    // 3. The radius.
    const int32_t r = HandRadius(x0, y0);

    // 4. The face, filtered and converted.
    pages::CBitmap32 screen(pages::DEVICE_WIDTH, pages::DEVICE_HEIGHT);
    screen.fillAll(0xFF000000);
    screen.blit(face, 0, 0, pages::DEVICE_WIDTH, pages::DEVICE_HEIGHT, 0, 0, pages::BLIT_COPY);
    screen.verticalFilter(0, 0, 0, 0);
    std::vector<uint8_t> block(CLOCK_FACE_BYTES);
    screen.toDevice(block.data(), 0, 0, pages::DEVICE_WIDTH, pages::DEVICE_HEIGHT, true);

    // 5. The hands: hour's, minute's, second's.
    ClockHeader header;
    std::array<pages::CBitmap32, HAND_COUNT> hands;
    const int order[HAND_COUNT] = {HAND_HOUR, HAND_MINUTE, HAND_SECOND};
    const int sourceOf[HAND_COUNT] = {SRC_SECOND, SRC_MINUTE, SRC_HOUR};
    for (int n = 0; n < HAND_COUNT; ++n) {
        const int hand = order[n];
        const pages::CBitmap32& pic = pics[size_t(sourceOf[hand])];
        pages::Rect q = HandUsedRect(pic);
        LogMessage("MakeClock(): Arrow %d (%d, %d - %d, %d)", n, q.left, q.top, q.right, q.bottom);
        pages::CBitmap32& canvas = hands[size_t(hand)];
        canvas.create(CLOCK_CANVAS, CLOCK_CANVAS);
        canvas.fillAll(0xFF000000);
        if (!q.empty()) {
            q = {q.left - kHandMargin, q.top - kHandMargin, q.right + kHandMargin, q.bottom + kHandMargin};
            if (q.width() > 2 * r || q.height() > 2 * CLOCK_HAND_HALF_HEIGHT)
                report.warnings.push_back({IDS_CLOCK_HAND_CUT, {sources.paths[size_t(sourceOf[hand])]}});
            q = {std::max(q.left - x0, -r), std::max(q.top - y0, -CLOCK_HAND_HALF_HEIGHT), std::min(q.right - x0, r),
                 std::min(q.bottom - y0, CLOCK_HAND_HALF_HEIGHT)};
            // A hand wholly beyond the radius keeps nothing.
            if (q.empty()) q = {};
        }
        header.hands[hand] = q;
        if (q.empty()) continue;
        // Only the part of the rectangle inside the picture has pixels to copy.
        const int32_t sx = std::max(q.left + x0, 0), sy = std::max(q.top + y0, 0);
        const int32_t ex = std::min(q.right + x0, pic.width()), ey = std::min(q.bottom + y0, pic.height());
        if (ex <= sx || ey <= sy) continue;
        canvas.blit(pic, CLOCK_CANVAS_CENTRE + sx - x0, CLOCK_CANVAS_CENTRE + sy - y0, ex - sx, ey - sy, sx, sy,
                    pages::BLIT_COPY);
        screen.blit(pic, sx, sy, ex - sx, ey - sy, sx, sy, pages::BLIT_BLEND);
    }

    // 6. The centre and the thumbnail.
    header.centreX = x0;
    header.centreY = y0;
    pages::CBitmap32 thumb(CLOCK_THUMB_WIDTH, CLOCK_THUMB_HEIGHT);
    thumb.reduce(screen);
    thumb.flatten(false);

    clock.Clear();
    clock.header() = header;
    clock.thumbnail() = std::move(thumb);
    for (int i = 0; i < HAND_COUNT; ++i) clock.hand(i) = std::move(hands[size_t(i)]);
    clock.setFace(std::move(block));
    return true;
}

void ApplyClockSettings(const ClockSettings& s, ClockHeader& h) {
    auto choice = [](int v, int n) { return std::clamp(v, 0, n - 1); };
    h.steps[HAND_SECOND] = 0;
    h.steps[HAND_MINUTE] = uint8_t(choice(s.minuteStep, kClockStepChoices));
    h.steps[HAND_HOUR] = uint8_t(choice(s.hourStep, kClockStepChoices));
    h.shadows = s.shadows;
    h.belowFace = s.belowFace;
    const int height = choice(s.handHeight, 4);
    const int lx = kLightDirections[choice(s.lightH, 3)], ly = kLightDirections[choice(s.lightV, 3)];
    for (int i = 0; i < HAND_COUNT; ++i) {
        const int d = kHandHeights[height] - i * (s.differentHeights ? kHeightSteps[height] : 0);
        h.shadowX[i] = s.shadows ? lx * d : 0;
        h.shadowY[i] = s.shadows ? ly * d : 0;
    }
}

void TimeClockRender(CClockImage& clock, const platform::Clock& time, ClockReport& report) {
    clock.Prepare();
    const uint32_t start = time.ticks();
    clock.Render(3, 0, 37, true);
    report.renderMs = time.ticks() - start;
    if (report.renderMs >= kClockSlowRenderMs) report.warnings.push_back({IDS_CLOCK_SLOW, {}});
    LogMessage("MakeClock(): %d ms", int(report.renderMs));
}

bool MakeClock(const ClockSources& sources, const ClockSettings& settings, CClockImage& clock,
               const platform::Clock& time, ClockReport& report) {
    if (!BuildClock(sources, clock, report)) return false;
    ApplyClockSettings(settings, clock.header());
    TimeClockRender(clock, time, report);
    return true;
}

}  // namespace wizards
