#include "demo/demo_pages.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "platform/code_page.h"

namespace demo {

namespace {

using pages::CBitmap32;
using pages::CPageDoc;
using pages::CPageFrame;
using pages::Rect;

// Texts are written here in UTF-8 and stored in the program's code page.
std::string Cp(const char* utf8) {
    static const platform::CodePage cp(1251);
    return cp.fromUtf8(utf8);
}

pages::TextFormat Text(CPageDoc& page, const char* font, uint32_t colour) {
    pages::TextFormat t;
    t.setFontName(font);
    t.level = pages::LEVEL_NORMAL;
    const pages::CBitmapFont* f = page.fonts().Find(font);
    t.tint = f && f->isMonochrome() ? 1 : 0;
    t.colour = colour;
    return t;
}

struct FrameSpec {
    Rect rect;
    int32_t type = pages::FRAME_FIXED;
    uint32_t colour = 0xFF000000;  // transparent
    int32_t align = pages::ALIGN_LEFT;
    int32_t vAlign = pages::VALIGN_TOP;
    int32_t margin = 0;
    int32_t border = 0;
    int32_t backgroundFrame = 0;
};

CPageFrame& AddFrame(CPageDoc& page, const FrameSpec& s, const pages::TextFormat& tf, const std::string& text) {
    pages::FrameFormat ff;
    ff.type = s.type;
    ff.colour = s.colour;
    ff.vAlign = s.vAlign;
    ff.border = s.border;
    ff.backgroundFrame = s.backgroundFrame;
    pages::ParaFormat pf;
    pf.align = s.align;
    pf.leftMargin = pf.rightMargin = s.margin;
    const int index = page.CreateFrame(s.rect, ff, pf, tf, CPageFrame::DefaultName(page.frameCount() + 1));
    CPageFrame& f = *page.frame(index);
    if (!text.empty()) f.InsertText(text, page.fonts());
    return f;
}

// Gives paragraph `para` of a frame another font and colour.
void StyleParagraph(CPageDoc& page, CPageFrame& f, int para, const pages::TextFormat& tf) {
    f.SetSelection({para, 0}, {para, f.paragraphs[size_t(para)].length()});
    f.SetTextFormat(pages::TEXT_FONT, tf, page.fonts());
    f.SetTextFormat(pages::TEXT_COLOUR, tf, page.fonts());
    f.ResetView();
}

CPageFrame& AddPicture(CPageDoc& page, const Rect& r, CBitmap32 picture) {
    pages::FrameFormat ff;
    ff.colour = 0xFF000000;
    const int index = page.CreateFrame(r, ff, pages::ParaFormat{}, Text(page, kSans, 0x00FFFFFF),
                                       CPageFrame::DefaultName(page.frameCount() + 1));
    CPageFrame& f = *page.frame(index);
    f.picture = std::move(picture);
    f.format.hasPicture = 1;
    return f;
}

void Put(uint8_t* p, int r, int g, int b, int trans = 0) {
    p[pages::PIX_RED] = uint8_t(std::clamp(r, 0, 255));
    p[pages::PIX_GREEN] = uint8_t(std::clamp(g, 0, 255));
    p[pages::PIX_BLUE] = uint8_t(std::clamp(b, 0, 255));
    p[pages::PIX_TRANS] = uint8_t(std::clamp(trans, 0, 255));
}

// Coverage of a disc at a pixel, with a one-pixel soft edge.
double Disc(double x, double y, double cx, double cy, double radius) {
    const double d = std::hypot(x - cx, y - cy);
    return std::clamp(radius + 0.5 - d, 0.0, 1.0);
}

// An evening landscape: sky, sun, two rows of hills and a lake that mirrors them.
CBitmap32 Landscape() {
    constexpr int W = pages::PAGE_WIDTH, H = pages::PAGE_HEIGHT, horizon = 400;
    CBitmap32 b(W, H);
    auto far = [](int x) { return 300 + int(38 * std::sin(x / 61.0) + 22 * std::sin(x / 23.0 + 1.3)); };
    auto near = [](int x) { return 350 + int(30 * std::sin(x / 97.0 + 2.0) + 12 * std::sin(x / 31.0)); };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            // Above the horizon the scene itself, below it the mirror image, darker and rippled.
            const bool water = y >= horizon;
            const int sy = water ? 2 * horizon - y - 1 + int(3 * std::sin(y * 0.9 + x / 40.0)) : y;
            const double t = std::clamp(sy / double(horizon), 0.0, 1.0);
            double r = 30 + 225 * t * t, g = 20 + 120 * t * t, bl = 90 + 40 * t - 60 * t * t;
            const double sun = Disc(x, sy, 500, 300, 55);
            const double glow = std::exp(-std::hypot(x - 500.0, sy - 300.0) / 90.0);
            r += 60 * glow, g += 50 * glow, bl += 10 * glow;
            r = r * (1 - sun) + 255 * sun, g = g * (1 - sun) + 220 * sun, bl = bl * (1 - sun) + 120 * sun;
            if (sy >= far(x)) r = 90, g = 50, bl = 90;
            if (sy >= near(x)) r = 40, g = 25, bl = 50;
            if (water) r *= 0.7, g *= 0.75, bl = bl * 0.8 + 20;
            Put(b.pixel(x, y), int(r), int(g), int(bl));
        }
    return b;
}

// Weather symbols, 64 x 64 with transparent surroundings.
enum class Sky { Sun, Cloud, SunAndCloud, Rain };

CBitmap32 WeatherIcon(Sky sky) {
    constexpr int S = 64;
    CBitmap32 b(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            double r = 0, g = 0, bl = 0, a = 0;
            auto over = [&](double cover, double cr, double cg, double cb) {
                r = r * (1 - cover) + cr * cover, g = g * (1 - cover) + cg * cover, bl = bl * (1 - cover) + cb * cover;
                a = a + cover * (1 - a);
            };
            const bool sun = sky == Sky::Sun || sky == Sky::SunAndCloud;
            const double sx = sky == Sky::Sun ? 32 : 24, sr = sky == Sky::Sun ? 16 : 13;
            if (sun) {
                // Rays: a star of eight spikes around the disc.
                const double ang = std::atan2(y - sx, x - sx), d = std::hypot(x - sx, y - sx);
                const double ray =
                    std::pow(std::abs(std::cos(4 * ang)), 8) * std::clamp(sr + 12 - d, 0.0, 1.0) * (d > sr ? 1.0 : 0.0);
                over(ray, 255, 200, 40);
                over(Disc(x, y, sx, sx, sr), 255, 215, 60);
            }
            if (sky != Sky::Sun) {
                const double grey = sky == Sky::Rain ? 170 : 240;
                const double c = std::max({Disc(x, y, 26, 40, 12), Disc(x, y, 40, 34, 15), Disc(x, y, 50, 42, 10),
                                           (x >= 26 && x <= 50 && y >= 40 && y <= 52) ? 1.0 : 0.0});
                over(c, grey, grey, grey + 10);
            }
            if (sky == Sky::Rain)
                for (int k = 0; k < 4; ++k) {
                    const double lx = 24 + 8 * k - (y - 54) * 0.3;
                    if (y >= 54 && y <= 62) over(std::clamp(1.2 - std::abs(x - lx), 0.0, 1.0), 80, 150, 255);
                }
            Put(b.pixel(x, y), int(r), int(g), int(bl), int(255 * (1 - a) + 0.5));
        }
    return b;
}

void BuildTitle(CPageDoc& page) {
    page.SetBackgroundColour(0x00582410);  // deep blue, opaque
    FrameSpec s{{40, 90, 680, 300}};
    s.align = pages::ALIGN_CENTER;
    s.vAlign = pages::VALIGN_BOTTOM;
    CPageFrame& title = AddFrame(page, s, Text(page, kTitle, 0), Cp("ZENTRIX\nOn-air graphics"));
    StyleParagraph(page, title, 1, Text(page, kBold, 0));
    FrameSpec sub{{40, 320, 680, 500}};
    sub.align = pages::ALIGN_CENTER;
    CPageFrame& f = AddFrame(page, sub, Text(page, kBold, 0),
                             Cp("Эфирная графика\nPages, crawls, rolls and effects on the virtual Device"));
    StyleParagraph(page, f, 1, Text(page, kSansShadow, 0x00E0E0E0));
}

void BuildLowerThird(CPageDoc& page) {
    page.SetBackgroundColour(0xFF000000);  // transparent: the programme shows through
    FrameSpec accent{{60, 392, 72, 492}};
    accent.colour = 0x0030B0FF;  // amber edge
    AddFrame(page, accent, Text(page, kSans, 0x00FFFFFF), "");
    FrameSpec s{{72, 392, 560, 492}};
    s.colour = 0x30602008;
    s.vAlign = pages::VALIGN_CENTER;
    s.margin = 14;
    CPageFrame& f = AddFrame(page, s, Text(page, kBold, 0), Cp("Анна Петрова\nAnna Petrova, reporter · Moscow"));
    StyleParagraph(page, f, 1, Text(page, kSansShadow, 0x0080E0FF));
}

void BuildCrawl(CPageDoc& page) {
    page.SetBackgroundColour(0xFF000000);
    FrameSpec label{{40, 470, 160, 520}};
    label.colour = 0x002020C0;  // red tab
    label.align = pages::ALIGN_CENTER;
    label.vAlign = pages::VALIGN_CENTER;
    AddFrame(page, label, Text(page, kSansShadow, 0x00FFFFFF), Cp("NEWS"));
    FrameSpec s{{160, 470, 680, 520}};
    s.type = pages::FRAME_SCROLLER;
    s.colour = 0x40301000;
    s.vAlign = pages::VALIGN_CENTER;
    s.border = 4;
    AddFrame(page, s, Text(page, kSansShadow, 0x0060E0FF),
             Cp("Breaking: the northern bridge reopens on Friday  +++  Новости: мост на севере города откроют "
                "в пятницу  +++  Markets closed higher  +++  Завтра солнечно, до +23°  +++  Sport: the home team "
                "won 3-1  +++"));
}

void BuildPicture(CPageDoc& page) {
    page.SetBackgroundPicture(Landscape(), 0, 0, 0, 0);
    FrameSpec s{{60, 56, 660, 196}};
    s.colour = 0xA0000000;
    s.align = pages::ALIGN_CENTER;
    s.vAlign = pages::VALIGN_CENTER;
    CPageFrame& f = AddFrame(page, s, Text(page, kTitle, 0), Cp("Summer festival\nЛетний фестиваль · live"));
    StyleParagraph(page, f, 1, Text(page, kBold, 0));
}

void BuildWeather(CPageDoc& page) {
    page.SetBackgroundColour(0xFF000000);
    FrameSpec panel{{100, 60, 620, 516}};
    panel.colour = 0x40402810;
    AddFrame(page, panel, Text(page, kSans, 0x00FFFFFF), "");
    FrameSpec head{{100, 72, 620, 136}};
    head.align = pages::ALIGN_CENTER;
    head.vAlign = pages::VALIGN_CENTER;
    AddFrame(page, head, Text(page, kBold, 0), Cp("Weather · Погода"));
    struct City {
        const char* name;
        Sky sky;
        const char* temp;
    };
    const City cities[] = {{"Москва · Moscow", Sky::SunAndCloud, "+18°"},
                           {"Санкт-Петербург", Sky::Rain, "+14°"},
                           {"Казань · Kazan", Sky::Cloud, "+16°"},
                           {"Сочи · Sochi", Sky::Sun, "+26°"}};
    int y = 160;
    for (const City& c : cities) {
        FrameSpec name{{130, y, 430, y + 64}};
        name.vAlign = pages::VALIGN_CENTER;
        AddFrame(page, name, Text(page, kSansShadow, 0x00FFFFFF), Cp(c.name));
        AddPicture(page, {440, y, 504, y + 64}, WeatherIcon(c.sky));
        FrameSpec temp{{510, y, 600, y + 64}};
        temp.align = pages::ALIGN_RIGHT;
        temp.vAlign = pages::VALIGN_CENTER;
        AddFrame(page, temp, Text(page, kMono, 0), Cp(c.temp));
        y += 84;
    }
}

void BuildCredits(CPageDoc& page) {
    page.SetBackgroundColour(0xFF000000);
    FrameSpec s{{140, 40, 580, 536}};
    s.type = pages::FRAME_ROLL;
    s.colour = 0x10402070;  // a burgundy panel in the still; the text rolls over it
    s.align = pages::ALIGN_CENTER;
    s.border = 6;
    CPageFrame& f = AddFrame(page, s, Text(page, kSerif, 0x00FFFFFF),
                             Cp("Produced by\nThe Evening Team\n\nРежиссёр · Director\nМария Иванова\n\n"
                                "Camera\nОлег Смирнов\nIrina Volkova\n\nGraphics\nZentrix\n\n"
                                "Спасибо за внимание!\nThank you for watching"));
    // Headings in amber, names in white.
    for (int p : {0, 3, 6, 10, 14}) StyleParagraph(page, f, p, Text(page, kSerif, 0x0050C8FF));
}

const PageRecipe kPages[] = {
    {"Title.zxg", BuildTitle, false},      {"Lower third.zxg", BuildLowerThird, true},
    {"News crawl.zxg", BuildCrawl, false}, {"Festival.zxg", BuildPicture, false},
    {"Weather.zxg", BuildWeather, false},  {"Credits.zxg", BuildCredits, false},
};
static_assert(std::size(kPages) == PAGE_COUNT);

}  // namespace

std::span<const PageRecipe> DemoPages() { return kPages; }

}  // namespace demo
