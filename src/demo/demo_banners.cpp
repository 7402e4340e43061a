#include "demo/demo_banners.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "pages/banner_file.h"
#include "pages/bitmap_font.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/picture_io.h"
#include "pages/scalable_font.h"
#include "platform/bytes.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "wizards/banner_converter.h"
#include "wizards/font_maker.h"
#include "wizards/video_writer.h"

namespace demo {

namespace {

using pages::CBitmap32;

// The Headline font's letters as a Linux editor writes them (UTF-8); the maker converts them.
// No letter falls apart into columns of its own (Ы would).
constexpr char kHeadlineLetters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789 .,:!?-+ "
    "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЭЮЯ\n";

std::string Slash(const std::string& f) { return f.empty() || f.back() == '/' ? f : f + "/"; }

bool Font(const std::string& fontFolder, const char* file, int height, bool colour, uint32_t fill, bool shadow,
          pages::CBitmapFont& font, std::string& error) {
    pages::ScalableFontOptions o;
    o.fontFile = Slash(fontFolder) + file;
    o.height = height;
    o.colour = colour;
    o.fill = fill;
    o.shadow = shadow;
    o.shadowDx = o.shadowDy = 3;
    if (!pages::MakeFontFromScalable(o, font, error)) {
        error += " (the DejaVu fonts come with the Debian package fonts-dejavu-core)";
        return false;
    }
    return true;
}

// A 24-bit bottom-up BMP of a picture laid over black or white.
std::vector<uint8_t> Bmp(const CBitmap32& pic) {
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
    bw.u32(2835);
    bw.u32(2835);
    bw.u32(0);
    bw.u32(0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) bw.bytes(pic.pixel(x, y), 3);
        bw.zeros(row - uint32_t(w) * 3);
    }
    return out;
}

double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

// Lays colour (r, g, b) with coverage a over a pixel with transparency.
void Over(CBitmap32& pic, int x, int y, int r, int g, int b, double a) {
    if (a <= 0 || x < 0 || y < 0 || x >= pic.width() || y >= pic.height()) return;
    a = std::min(a, 1.0);
    uint8_t* p = pic.pixel(x, y);
    const double da = (255 - p[3]) / 255.0;
    const double oa = a + da * (1 - a);
    auto mix = [&](int s, uint8_t d) { return uint8_t(std::lround((s * a + d * da * (1 - a)) / oa)); };
    p[2] = mix(r, p[2]);
    p[1] = mix(g, p[1]);
    p[0] = mix(b, p[0]);
    p[3] = uint8_t(std::lround(255 - 255 * oa));
}

// Coverage of a rounded rectangle (x0, y0)-(x1, y1) with corner radius rr at pixel (x, y).
double RoundRect(int x, int y, double x0, double y0, double x1, double y1, double rr) {
    const double px = x + 0.5, py = y + 0.5;
    const double cx = std::clamp(px, x0 + rr, x1 - rr), cy = std::clamp(py, y0 + rr, y1 - rr);
    const double d = std::hypot(px - cx, py - cy);
    return Clamp01(rr - d + 0.5);
}

}  // namespace

bool DrawHeadlinePictures(const std::string& fontFolder, std::vector<CBitmap32>& pictures, std::string& letters,
                          std::string& error) {
    pages::CBitmapFont font;
    if (!Font(fontFolder, "DejaVuSans-Bold.ttf", 40, true, 0x0030C8F0, true, font, error)) return false;
    static const platform::CodePage cp(1251);
    std::string codes;
    for (unsigned char c : cp.fromUtf8(kHeadlineLetters))
        if (c > 32) codes += char(c);
    // One line, each character in a cell of its own with a gap of four columns.
    const int gap = 4;
    int width = gap;
    for (unsigned char c : codes) width += font.header().widths[font.glyphOf(c)] + gap;
    const int height = font.height() + 8;
    pictures.assign(4, CBitmap32(width, height));
    const uint8_t tint[3] = {255, 255, 255};
    for (int k = 0; k < 4; ++k) {
        CBitmap32& pic = pictures[size_t(k)];
        pic.fillAll((k % 2 == 0) ? 0x00FFFFFF : 0x00000000);
        int x = gap;
        for (unsigned char c : codes) {
            const std::string one(1, char(c));
            font.DrawText(one, x, 4, pic.bounds(), pic.view(), k < 2 ? pages::LAYER_GLYPHS : pages::LAYER_SHADOWS,
                          false, tint);
            x += font.header().widths[font.glyphOf(c)] + gap;
        }
    }
    letters = kHeadlineLetters;
    return true;
}

CBitmap32 DrawLiveBadge(int i, const std::string& fontFolder) {
    static pages::CBitmapFont font;
    static bool made = false;
    if (!made) {
        std::string error;
        made = Font(fontFolder, "DejaVuSans-Bold.ttf", 34, true, 0x00FFFFFF, false, font, error);
    }
    const int w = kBadgeWidth, h = kBadgeHeight;
    CBitmap32 pic(w, h);
    pic.fillAll(0xFF000000);
    const double t = double(i) / kBadgeFrames;
    // The badge: deep red, a light sweep running across it once a loop.
    const double sweep = -40 + t * (w + 80);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double a = RoundRect(x, y, 2, 2, w - 2, h - 2, 12);
            if (a <= 0) continue;
            const double light = std::exp(-std::pow((x - sweep + (y - h / 2.0) * 0.5) / 14.0, 2));
            const int r = int(190 + 65 * light), g = int(16 + 150 * light), b = int(24 + 150 * light);
            Over(pic, x, y, std::min(r, 255), std::min(g, 255), std::min(b, 255), a * 0.92);
        }
    // The pulsing dot.
    const double pulse = 0.5 + 0.5 * std::cos(2 * 3.14159265358979 * t);
    const double radius = 6 + 3 * pulse;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 40; ++x) {
            const double d = std::hypot(x + 0.5 - 22, y + 0.5 - h / 2.0);
            Over(pic, x, y, 255, 255, 255, Clamp01(radius - d + 0.5) * (0.55 + 0.45 * pulse));
        }
    if (made) {
        const uint8_t white[3] = {255, 255, 255};
        const int y = (h - font.height()) / 2;
        font.DrawText("LIVE", 42, y, pic.bounds(), pic.view(), pages::LAYER_GLYPHS, false, white);
    }
    return pic;
}

CBitmap32 DrawCountdown(int i, const std::string& fontFolder) {
    static pages::CBitmapFont font;
    static bool made = false;
    if (!made) {
        std::string error;
        made = Font(fontFolder, "DejaVuSans-Bold.ttf", 64, true, 0x00FFFFFF, false, font, error);
    }
    const int w = kCountdownWidth, h = kCountdownHeight;
    CBitmap32 pic(w, h);
    // Five seconds at ten frames a second: a ring that empties, the seconds left in the middle.
    const double left = 1.0 - double(i % 10) / 10.0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = pic.pixel(x, y);
            p[0] = uint8_t(60 + y), p[1] = uint8_t(20 + y / 2), p[2] = 20, p[3] = 0;
            const double dx = x + 0.5 - w / 2.0, dy = y + 0.5 - h / 2.0;
            const double d = std::hypot(dx, dy);
            double ang = std::atan2(dx, -dy) / (2 * 3.14159265358979);
            if (ang < 0) ang += 1;
            if (d > 36 && d < 44 && ang <= left) p[0] = 40, p[1] = 200, p[2] = 250;
        }
    if (made) {
        const std::string text = std::to_string(5 - i / 10);
        const uint8_t white[3] = {255, 255, 255};
        font.DrawText(text, (w - font.TextWidth(text)) / 2, (h - font.height()) / 2, pic.bounds(), pic.view(),
                      pages::LAYER_GLYPHS, false, white);
    }
    return pic;
}

bool WriteDemoFont(const std::string& root, const std::string& fontFolder, std::vector<std::string>& files,
                   std::string& error) {
    std::vector<CBitmap32> pictures;
    std::string letters;
    if (!DrawHeadlinePictures(fontFolder, pictures, letters, error)) return false;
    const std::string dir = root + kFontPictures;
    if (!platform::MakeDirectories(dir)) {
        error = "cannot create " + dir;
        return false;
    }
    static const char* const kNames[4] = {"Headline_0_W.bmp", "Headline_0_B.bmp", "Headline_1_W.bmp",
                                          "Headline_1_B.bmp"};
    for (int k = 0; k < 4; ++k) {
        if (!platform::WriteFileAtomic(dir + kNames[k], Bmp(pictures[size_t(k)]))) {
            error = "cannot write " + dir + kNames[k];
            return false;
        }
        files.push_back(std::string(kFontPictures) + kNames[k]);
    }
    if (!platform::WriteFileAtomic(dir + "Headline.txt", std::string_view(letters))) {
        error = "cannot write " + dir + "Headline.txt";
        return false;
    }
    files.push_back(std::string(kFontPictures) + "Headline.txt");

    // The font maker, as the wizard runs it: names filled in from the first picture.
    wizards::FontSources src;
    wizards::AutoFillFontSources(dir + kNames[0], src);
    src.letters = dir + "Headline.txt";
    wizards::FontSeparation sep;
    wizards::FontReport report;
    if (!wizards::SeparateFontFiles(src, {}, 1251, sep, report)) {
        error = "the font maker: " + report.error.text();
        return false;
    }
    if (!report.warnings.empty()) {
        error = "the font maker: " + report.warnings[0].text();
        return false;
    }
    pages::CBitmapFont font;
    wizards::BuildFont(sep, {}, font);
    const wizards::FontSpace space = wizards::SpaceOf(sep, false);
    wizards::ApplyFontSettings({wizards::DefaultFontSettings(sep).base, std::min(2, space.c), 0}, font);
    font.setName(kHeadlineFont);
    pages::CFontManager fonts;
    const std::string path = root + "Fonts/" + kHeadlineFont + ".bmf";
    if (!fonts.Save(font, path)) {
        error = "cannot write " + path;
        return false;
    }
    files.push_back(std::string("Fonts/") + kHeadlineFont + ".bmf");
    return true;
}

bool WriteDemoBanners(const std::string& root, const std::string& fontFolder, std::vector<std::string>& files,
                      std::string& error) {
    const std::string dir = root + kBannerPictures;
    if (!platform::MakeDirectories(dir) || !platform::MakeDirectories(root + "Banners")) {
        error = "cannot create " + dir;
        return false;
    }
    std::string list;
    for (int i = 0; i < kBadgeFrames; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Live_%02d.tga", i);
        if (pages::WriteTGA(DrawLiveBadge(i, fontFolder), dir + name) != pages::FILE_OK) {
            error = "cannot write " + dir + name;
            return false;
        }
        files.push_back(std::string(kBannerPictures) + name);
        list += std::string(name) + "\r\n";
    }
    const std::string listPath = dir + "Live badge.txt";
    if (!platform::WriteFileAtomic(listPath, std::string_view(list))) {
        error = "cannot write " + listPath;
        return false;
    }
    files.push_back(std::string(kBannerPictures) + "Live badge.txt");
    std::vector<CBitmap32> clip;
    for (int i = 0; i < kCountdownFrames; ++i) clip.push_back(DrawCountdown(i, fontFolder));
    if (!wizards::WriteAviFile(root + kCountdownClip, clip, 10, wizards::VIDEO_MJPEG)) {
        error = "cannot write " + root + kCountdownClip;
        return false;
    }
    files.push_back(kCountdownClip);

    struct Job {
        std::string source, out;
        wizards::BannerOptions options;
    };
    wizards::BannerOptions badge;
    badge.fps = 25;
    badge.loop = true;
    badge.x = 720 - 48 - kBadgeWidth;
    badge.y = 40;
    wizards::BannerOptions countdown;
    countdown.fps = 10;
    countdown.x = 720 - 48 - kCountdownWidth;
    countdown.y = 576 - 48 - kCountdownHeight;
    countdown.border = 2;
    const Job jobs[] = {{listPath, kLiveBadge, badge}, {root + kCountdownClip, kCountdown, countdown}};
    for (const Job& j : jobs) {
        wizards::BannerSource source;
        wizards::BannerReport report;
        if (!wizards::OpenBannerSource({j.source}, source, report) ||
            wizards::ConvertBanner(source, j.options, root + j.out, nullptr, report) != wizards::CONVERT_OK) {
            error = "the banner converter: " + report.error.text();
            return false;
        }
        files.push_back(j.out);
    }
    return true;
}

bool BuildLiveCornerPage(pages::CPageDoc& page, const std::string& bannerPath, std::string& error) {
    pages::BannerHeader header;
    CBitmap32 preview;
    if (const int rc = pages::ReadBannerHead(bannerPath, header, preview); rc != pages::FILE_OK) {
        error = "cannot read " + bannerPath;
        return false;
    }
    page.NewPage();
    pages::TextFormat tf;
    tf.setFontName(kHeadlineFont);
    tf.level = pages::LEVEL_NORMAL;
    tf.colour = 0;
    pages::FrameFormat ff;
    ff.colour = 0xFF000000;
    pages::ParaFormat pf;
    // The badge in the top right corner.
    const pages::Rect badge{header.x, header.y, header.x + header.width, header.y + header.height};
    const int b = page.CreateFrame(badge, ff, pf, tf, pages::CPageFrame::DefaultName(1));
    if (!page.LinkBanner(b, bannerPath, preview)) {
        error = "cannot link " + bannerPath;
        return false;
    }
    // A headline in the font the font maker made, on a band at the bottom.
    ff.colour = 0x60201008;
    pf.align = pages::ALIGN_CENTER;
    const int t = page.CreateFrame({40, 456, 680, 520}, ff, pf, tf, pages::CPageFrame::DefaultName(2));
    static const platform::CodePage cp(1251);
    page.frame(t)->InsertText(cp.fromUtf8("ПРЯМОЙ ЭФИР - LIVE"), page.fonts());
    return true;
}

}  // namespace demo
