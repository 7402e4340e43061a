#include "demo/demo_clocks.h"

#include <algorithm>
#include <cmath>

#include "pages/bitmap_font.h"
#include "pages/file_result.h"
#include "pages/picture_io.h"
#include "pages/scalable_font.h"
#include "platform/bytes.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace demo {

namespace {

using pages::CBitmap32;
using wizards::SRC_COUNT;

constexpr int W = 720, H = 576;
constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    int r, g, b;
};

// Lays colour c with coverage a (0..1) over a pixel of a picture with transparency.
void Over(CBitmap32& pic, int x, int y, Rgb c, double a) {
    if (a <= 0 || x < 0 || y < 0 || x >= pic.width() || y >= pic.height()) return;
    a = std::min(a, 1.0);
    uint8_t* p = pic.pixel(x, y);
    const double da = (255 - p[pages::PIX_TRANS]) / 255.0;
    const double oa = a + da * (1 - a);
    auto mix = [&](int s, uint8_t d) { return uint8_t(std::lround((s * a + d * da * (1 - a)) / oa)); };
    p[pages::PIX_RED] = mix(c.r, p[pages::PIX_RED]);
    p[pages::PIX_GREEN] = mix(c.g, p[pages::PIX_GREEN]);
    p[pages::PIX_BLUE] = mix(c.b, p[pages::PIX_BLUE]);
    p[pages::PIX_TRANS] = uint8_t(std::lround(255 - 255 * oa));
}

CBitmap32 Clear() {
    CBitmap32 b(W, H);
    b.fillAll(0xFF000000);
    return b;
}

// Distance from the centre as it looks on screen: the Device's pixels are 16/15 as wide as tall,
// so a round face is 16/15 as many rows high as it is columns wide (as the hands turn).
double Radius(double dx, double dy) { return std::hypot(dx, dy * 15.0 / 16.0); }

// A ring (or, with inner 0, a disc) around (cx, cy) with soft edges of one pixel.
void Ring(CBitmap32& pic, int cx, int cy, double inner, double outer, Rgb c, double alpha, double shadeTop = 0) {
    const int rx = int(outer) + 2, ry = int(outer * 16 / 15) + 2;
    for (int y = cy - ry; y <= cy + ry; ++y)
        for (int x = cx - rx; x <= cx + rx; ++x) {
            const double d = Radius(x - cx, y - cy);
            const double a = std::clamp(outer - d + 0.5, 0.0, 1.0) * std::clamp(d - inner + 0.5, 0.0, 1.0);
            if (a <= 0) continue;
            // A light from above: the top of a ring a little brighter.
            const double k = 1 + shadeTop * (cy - y) / std::max(outer, 1.0);
            Over(pic, x, y,
                 {std::clamp(int(c.r * k), 0, 255), std::clamp(int(c.g * k), 0, 255), std::clamp(int(c.b * k), 0, 255)},
                 a * alpha);
        }
}

// A tick of the dial: a bar along the angle (tenths of a degree are not needed here) from radius
// r0 to r1, `width` pixels wide.
void Tick(CBitmap32& pic, int cx, int cy, double angle, double r0, double r1, double width, Rgb c) {
    const double sx = std::sin(angle), sy = -std::cos(angle);
    const double ex = sx, ey = sy * 16.0 / 15.0;  // the direction on screen
    const double len = std::hypot(ex, ey);
    const double ux = ex / len, uy = ey / len;
    const double ax = cx + r0 * sx, ay = cy + r0 * ey, bx = cx + r1 * sx, by = cy + r1 * ey;
    const double along = std::hypot(bx - ax, by - ay);
    const int x0 = int(std::min(ax, bx) - width - 2), x1 = int(std::max(ax, bx) + width + 2);
    const int y0 = int(std::min(ay, by) - width - 2), y1 = int(std::max(ay, by) + width + 2);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double px = x - ax, py = y - ay;
            const double t = px * ux + py * uy, n = std::fabs(-px * uy + py * ux);
            const double a = std::clamp(width / 2 - n + 0.5, 0.0, 1.0) * std::clamp(t + 0.5, 0.0, 1.0) *
                             std::clamp(along - t + 0.5, 0.0, 1.0);
            Over(pic, x, y, c, a);
        }
}

// A tapered hand from (cx, cy) pointing right: `length` long, its half width going from `root`
// at the centre to `tip`, with a tail of `tail` pixels; lit from above.
void Hand(CBitmap32& pic, int cx, int cy, int length, double root, double tip, int tail, Rgb c) {
    for (int y = cy - int(root) - 2; y <= cy + int(root) + 2; ++y)
        for (int x = cx - tail - 2; x <= cx + length + 2; ++x) {
            const double along = std::clamp(double(x - cx) / length, 0.0, 1.0);
            const double half = root + (tip - root) * along;
            const double d = std::fabs(double(y - cy)) - half;
            const double a = std::clamp(0.5 - d, 0.0, 1.0) * std::clamp(cx + length - x + 0.5, 0.0, 1.0) *
                             std::clamp(x - (cx - tail) + 0.5, 0.0, 1.0);
            const double k = 1.1 - 0.3 * (y - cy + half) / std::max(2 * half, 1.0);
            Over(pic, x, y,
                 {std::clamp(int(c.r * k), 0, 255), std::clamp(int(c.g * k), 0, 255), std::clamp(int(c.b * k), 0, 255)},
                 a);
        }
}

// A uniform white picture with the centre marked by one black pixel.
CBitmap32 Marker(int cx, int cy) {
    CBitmap32 b(W, H);
    b.fillAll(0x00FFFFFF);
    b.fill(0x00000000, cx, cy, 1, 1, false);
    return b;
}

// The numerals of a dial, centred on their places on a circle.
void Numerals(CBitmap32& pic, const pages::CBitmapFont& font, int cx, int cy, double radius, int step) {
    const uint8_t white[3] = {250, 250, 250};
    for (int n = step; n <= 12; n += step) {
        const std::string text = std::to_string(n);
        const double a = n * kPi / 6;
        const int x = int(std::lround(cx + radius * std::sin(a) - font.TextWidth(text) / 2.0));
        const int y = int(std::lround(cy - radius * std::cos(a) * 16.0 / 15.0 - font.height() / 2.0));
        font.DrawText(text, x, y, pic.bounds(), pic.view(), pages::LAYER_GLYPHS, false, white);
    }
}

bool NumeralFont(const std::string& fontFolder, int height, pages::CBitmapFont& font, std::string& error) {
    pages::ScalableFontOptions o;
    o.fontFile =
        (fontFolder.empty() || fontFolder.back() == '/' ? fontFolder : fontFolder + "/") + "DejaVuSans-Bold.ttf";
    o.height = height;
    if (!pages::MakeFontFromScalable(o, font, error)) {
        error += " (the DejaVu fonts come with the Debian package fonts-dejavu-core)";
        return false;
    }
    return true;
}

// The names the maker fills in: the title's last letter says which picture it is.
const char* const kStudioNames[SRC_COUNT] = {"StudioF.tga", "StudioH.tga", "StudioM.tga", "StudioS.tga", "StudioC.tga"};
const char* const kCornerNames[SRC_COUNT] = {"CornerF.bmp", "CornerH.bmp", "CornerM.bmp", "CornerS.bmp", "CornerC.bmp"};

// A 24-bit bottom-up BMP of a picture laid over black or white.
std::vector<uint8_t> Bmp(const CBitmap32& pic, bool onWhite) {
    const int w = pic.width(), h = pic.height();
    const uint32_t row = uint32_t((w * 3 + 3) & ~3);
    std::vector<uint8_t> out;
    platform::ByteWriter bw(out);
    bw.bytes("BM", 2);
    bw.u32(54 + row * uint32_t(h));
    bw.u32(0);
    bw.u32(54);
    bw.u32(40);
    bw.i32(w);
    bw.i32(h);
    bw.u16(1);
    bw.u16(24);
    bw.u32(0);
    bw.u32(row * uint32_t(h));
    bw.i32(2835);
    bw.i32(2835);
    bw.u32(0);
    bw.u32(0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = pic.pixel(x, y);
            const int a = 255 - p[pages::PIX_TRANS];
            for (int k = 0; k < 3; ++k) bw.u8(uint8_t((p[k] * a + (onWhite ? 255 * (255 - a) : 0) + 127) / 255));
        }
        bw.zeros(row - uint32_t(w) * 3);
    }
    return out;
}

// The maker's clock does not time itself against the wall clock in the demo: the files come out
// the same every time.
class StillClock final : public platform::Clock {
public:
    uint32_t ticks() const override { return 0; }
    platform::LocalTime localTime() const override { return {}; }
};

}  // namespace

bool DrawDemoClockPictures(DemoClock which, const std::string& fontFolder, std::array<CBitmap32, SRC_COUNT>& out,
                           std::string& error) {
    for (CBitmap32& b : out) b = Clear();
    CBitmap32& face = out[wizards::SRC_FACE];
    if (which == DemoClock::Studio) {
        const int cx = 360, cy = 288;
        pages::CBitmapFont font;
        if (!NumeralFont(fontFolder, 40, font, error)) return false;
        Ring(face, cx, cy, 0, 236, {24, 30, 52}, 0.78);            // the dial, letting some picture through
        Ring(face, cx, cy, 236, 248, {190, 194, 206}, 1.0, 0.35);  // the rim
        for (int m = 0; m < 60; ++m) {
            const bool hour = m % 5 == 0;
            Tick(face, cx, cy, m * kPi / 30, hour ? 192 : 210, 226, hour ? 6 : 2, {235, 235, 240});
        }
        Numerals(face, font, cx, cy, 160, 1);
        Hand(out[wizards::SRC_HOUR], cx, cy, 135, 9, 4, 22, {236, 236, 228});
        Hand(out[wizards::SRC_MINUTE], cx, cy, 205, 7, 3, 26, {236, 236, 228});
        CBitmap32& second = out[wizards::SRC_SECOND];
        Hand(second, cx, cy, 215, 1.5, 1.2, 48, {222, 32, 28});
        Ring(second, cx - 34, cy, 0, 8, {222, 32, 28}, 1.0);  // the counterweight
        Ring(second, cx, cy, 0, 7, {222, 32, 28}, 1.0);
        out[wizards::SRC_MARKER] = Marker(cx, cy);
    } else {
        const int cx = 620, cy = 470;
        pages::CBitmapFont font;
        if (!NumeralFont(fontFolder, 18, font, error)) return false;
        Ring(face, cx, cy, 0, 80, {8, 10, 16}, 0.35);          // a glass the hands show through
        Ring(face, cx, cy, 78, 96, {214, 172, 64}, 1.0, 0.4);  // the bezel the hands turn below
        for (int hr = 0; hr < 12; ++hr) Tick(face, cx, cy, hr * kPi / 6, 64, 76, hr % 3 ? 2 : 4, {240, 240, 240});
        Numerals(face, font, cx, cy, 50, 3);
        Ring(face, cx, cy, 0, 5, {214, 172, 64}, 1.0, 0.4);  // the cap over the hands' pivot
        Hand(out[wizards::SRC_HOUR], cx, cy, 48, 4.5, 2, 8, {245, 245, 245});
        Hand(out[wizards::SRC_MINUTE], cx, cy, 84, 3.5, 1.5, 10, {245, 245, 245});
        Hand(out[wizards::SRC_SECOND], cx, cy, 92, 1, 1, 18, {230, 40, 30});
        out[wizards::SRC_MARKER] = Marker(cx, cy);
    }
    return true;
}

wizards::ClockSettings DemoClockSettings(DemoClock which) {
    wizards::ClockSettings s;
    if (which == DemoClock::Studio) {
        s.minuteStep = 0;  // 1 sec.
        s.shadows = true;  // light from the top left
        s.handHeight = 2;
        s.differentHeights = true;
    } else {
        s.belowFace = true;
    }
    return s;
}

bool MakeDemoClock(DemoClock which, const std::string& fontFolder, wizards::CClockImage& clock, std::string& error) {
    std::array<CBitmap32, SRC_COUNT> pictures;
    if (!DrawDemoClockPictures(which, fontFolder, pictures, error)) return false;
    wizards::ClockSources names;
    for (int i = 0; i < SRC_COUNT; ++i)
        names.paths[size_t(i)] = (which == DemoClock::Studio ? kStudioNames : kCornerNames)[i];
    wizards::ClockReport report;
    if (!wizards::BuildClockFromPictures(pictures, names, clock, report)) {
        error = report.error.text();
        return false;
    }
    wizards::ApplyClockSettings(DemoClockSettings(which), clock.header());
    return true;
}

bool WriteDemoClocks(const std::string& root, const std::string& fontFolder, std::vector<std::string>& files,
                     std::string& error) {
    const std::string picturesDir = root + kClockPictures;
    if (!platform::MakeDirectories(picturesDir) || !platform::MakeDirectories(root + "Clock/")) {
        error = "cannot create " + picturesDir;
        return false;
    }
    for (DemoClock which : {DemoClock::Studio, DemoClock::Corner}) {
        std::array<CBitmap32, SRC_COUNT> pictures;
        if (!DrawDemoClockPictures(which, fontFolder, pictures, error)) return false;
        const bool studio = which == DemoClock::Studio;
        wizards::ClockSources sources;
        for (int i = 0; i < SRC_COUNT; ++i) {
            const std::string name = (studio ? kStudioNames : kCornerNames)[i];
            const std::string path = picturesDir + name;
            sources.paths[size_t(i)] = path;
            bool ok;
            if (studio) {
                ok = pages::WriteTGA(pictures[size_t(i)], path) == pages::FILE_OK;
            } else {
                // On black under the plain name, on white with "_w": the maker combines the pair.
                // The marker is a single picture.
                ok = platform::WriteFileAtomic(path, Bmp(pictures[size_t(i)], false));
                if (ok && i != wizards::SRC_MARKER) {
                    const std::string white = name.substr(0, name.size() - 4) + "_w.bmp";
                    ok = platform::WriteFileAtomic(picturesDir + white, Bmp(pictures[size_t(i)], true));
                    if (ok) files.push_back(kClockPictures + white);
                }
            }
            if (!ok) {
                error = "cannot write " + path;
                return false;
            }
            files.push_back(kClockPictures + name);
        }
        wizards::CClockImage clock;
        wizards::ClockReport report;
        if (!wizards::MakeClock(sources, DemoClockSettings(which), clock, StillClock(), report)) {
            error = report.error.text();
            return false;
        }
        const std::string file = studio ? kStudioClock : kCornerClock;
        if (clock.Save(root + file) != pages::FILE_OK) {
            error = "cannot write " + root + file;
            return false;
        }
        files.push_back(file);
    }
    return true;
}

std::vector<std::string> DemoClockFiles() { return {kStudioClock, kCornerClock}; }

}  // namespace demo
