#include "demo/demo_root.h"

#include <algorithm>
#include <cmath>

#include "air/seq_doc.h"
#include "air/show_params.h"
#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/zentrix_app.h"
#include "demo/demo_clocks.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/scalable_font.h"
#include "pages/style_library.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace demo {

namespace {

using pages::CBitmap32;
using pages::CPageDoc;
using pages::CPageFrame;
using pages::Rect;

// ---- Fonts --------------------------------------------------------------------------------

struct FontRecipe {
    const char* name;  // also the file title
    const char* ttf;
    int height;
    bool colour;
    uint32_t fill;  // 0xTTBBGGRR of a colour font
    int shadow;     // offset right and down, 0 = none
    int outline;
};

const char kSans[] = "DejaVu Sans 22";
const char kSansShadow[] = "DejaVu Sans 30 Shadow";
const char kBold[] = "DejaVu Sans Bold 40";
const char kTitle[] = "DejaVu Sans Bold 64 Gold";
const char kSerif[] = "DejaVu Serif 34 Shadow";
const char kMono[] = "DejaVu Sans Mono Bold 36";

const FontRecipe kFonts[] = {
    {kSans, "DejaVuSans.ttf", 22, false, 0, 0, 0},
    {kSansShadow, "DejaVuSans.ttf", 30, false, 0, 2, 0},
    {kBold, "DejaVuSans-Bold.ttf", 40, true, 0x00FFFFFF, 3, 2},
    {kTitle, "DejaVuSans-Bold.ttf", 64, true, 0x0040D0FF, 4, 2},
    {kSerif, "DejaVuSerif.ttf", 34, false, 0, 2, 0},
    {kMono, "DejaVuSansMono-Bold.ttf", 36, true, 0x0060E0FF, 2, 1},
};

// ---- Pages --------------------------------------------------------------------------------

const char kTitlePage[] = "Title.zxg";
const char kLowerThirdPage[] = "Lower third.zxg";
const char kCrawlPage[] = "News crawl.zxg";
const char kPicturePage[] = "Festival.zxg";
const char kWeatherPage[] = "Weather.zxg";
const char kCreditsPage[] = "Credits.zxg";

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

struct PageRecipe {
    const char* file;
    void (*build)(CPageDoc&);
};

const PageRecipe kPages[] = {
    {kTitlePage, BuildTitle},     {kLowerThirdPage, BuildLowerThird}, {kCrawlPage, BuildCrawl},
    {kPicturePage, BuildPicture}, {kWeatherPage, BuildWeather},       {kCreditsPage, BuildCredits},
};

// ---- Sequences ----------------------------------------------------------------------------

air::ShowParams Show(int inType, int inSpeed, int showTime) {
    air::ShowParams p;
    p.inType = inType;
    p.inSpeed = inSpeed;
    p.showTime = showTime;
    p.timeMode = 1;
    return p;
}

air::ShowParams Scroll(int inType, int scrollSpeed) {
    air::ShowParams p = Show(inType, 12, 1);
    p.timeMode = 0;  // as long as the text takes to pass
    p.scrollSpeed = scrollSpeed;
    return p;
}

struct SeqRecipe {
    const char* file;
    std::vector<std::pair<const char*, air::ShowParams>> items;
};

std::vector<SeqRecipe> Sequences() {
    air::ShowParams fadeIn = Show(0, 10, 5);
    fadeIn.inFade = 1;
    air::ShowParams push = Show(1, 12, 4);
    push.inNewMoves = 1;
    air::ShowParams credits = Scroll(0, 2);
    credits.inFade = 1;
    credits.outType = 0;
    credits.outSpeed = 10;
    credits.outFade = 1;
    air::ShowParams slide = Show(2, 12, 4);
    slide.inNewMoves = 1;
    slide.outType = 4;
    slide.outSpeed = 12;
    slide.outMoves = 1;
    return {
        {kShowSequence,
         {{kTitlePage, fadeIn},
          {kLowerThirdPage, push},
          {kCrawlPage, Scroll(3, 3)},
          {kPicturePage, Show(9, 10, 5)},
          {kWeatherPage, Show(5, 10, 5)},
          {kCreditsPage, credits}}},
        {kNewsSequence, {{kCrawlPage, Scroll(0, 4)}, {kWeatherPage, Show(7, 8, 4)}, {kLowerThirdPage, slide}}},
    };
}

// ---- Styles -------------------------------------------------------------------------------

struct StyleRecipe {
    const char* name;
    int32_t type, vAlign;
    uint32_t frameColour;
    int32_t align, leftMargin, rightMargin, indent, spaceBefore, spaceAfter, lineSpacing;
    const char* font;
    int32_t level, tint;
    uint32_t textColour;
    int32_t border, backgroundFrame;
};

const StyleRecipe kStyles[] = {
    {"Title", 0, 1, 0xFF000000, 1, 0, 0, 0, 0, 8, 0, kTitle, 1, 0, 0x00FFFFFF, 0, 0},
    {"Caption", 0, 1, 0x30602008, 0, 14, 14, 0, 0, 0, 0, kBold, 1, 0, 0x00FFFFFF, 0, 0},
    {"Body text", 0, 0, 0x60401000, 0, 16, 16, 0, 0, 6, 2, kSansShadow, 1, 1, 0x00FFFFFF, 0, 0},
    {"News crawl", 1, 1, 0x40301000, 0, 0, 0, 0, 0, 0, 0, kSansShadow, 1, 1, 0x0060E0FF, 4, 0},
    {"Credits roll", 2, 0, 0x10402070, 1, 0, 0, 0, 0, 0, 4, kSerif, 1, 1, 0x00FFFFFF, 6, 0},
    {"Small print", 0, 2, 0xFF000000, 2, 0, 8, 0, 0, 0, 0, kSans, 1, 1, 0x00E0E0E0, 0, 0},
};

std::string StyleFile() {
    std::string text;
    for (const StyleRecipe& r : kStyles) {
        pages::StyleRecord s;
        s.name = r.name;
        s.frame.type = decltype(s.frame.type)(r.type);
        s.frame.vAlign = decltype(s.frame.vAlign)(r.vAlign);
        s.frame.colour = r.frameColour;
        s.frame.border = decltype(s.frame.border)(r.border);
        s.frame.backgroundFrame = decltype(s.frame.backgroundFrame)(r.backgroundFrame);
        s.para.align = decltype(s.para.align)(r.align);
        s.para.leftMargin = decltype(s.para.leftMargin)(r.leftMargin);
        s.para.rightMargin = decltype(s.para.rightMargin)(r.rightMargin);
        s.para.indent = decltype(s.para.indent)(r.indent);
        s.para.spaceBefore = decltype(s.para.spaceBefore)(r.spaceBefore);
        s.para.spaceAfter = decltype(s.para.spaceAfter)(r.spaceAfter);
        s.para.lineSpacing = decltype(s.para.lineSpacing)(r.lineSpacing);
        s.text.setFontName(r.font);
        s.text.level = decltype(s.text.level)(r.level);
        s.text.tint = decltype(s.text.tint)(r.tint);
        s.text.colour = r.textColour;
        text += pages::FormatStyleLine(s) + "\n";
    }
    return text;
}

// A clock for the documents that stands still, so nothing of the moment leaks into the files.
class FixedClock final : public platform::Clock {
public:
    uint32_t ticks() const override { return 0; }
    platform::LocalTime localTime() const override {
        platform::LocalTime t;
        t.year = 2024;
        t.month = 1;
        t.day = 1;
        return t;
    }
};

}  // namespace

std::vector<std::string> DemoFontFiles() {
    std::vector<std::string> out;
    for (const FontRecipe& f : kFonts) out.push_back(std::string("Fonts/") + f.name + ".bmf");
    return out;
}

std::vector<std::string> DemoPageFiles() {
    std::vector<std::string> out;
    for (const PageRecipe& p : kPages) out.push_back(std::string("Pages/") + p.file);
    return out;
}

std::vector<std::string> DemoSequenceFiles() { return {kShowSequence, kNewsSequence}; }

bool MakeDemoRoot(const std::string& dir, const DemoOptions& options, DemoResult& result, std::string& error) {
    result = DemoResult{};
    const std::string root = app::WithSlash(dir);
    if (!platform::MakeDirectories(root)) {
        error = "cannot create " + root;
        return false;
    }
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", root}));
    if (!theApp.folders().createDataFolders()) {
        error = "cannot create the data folders under " + root;
        return false;
    }
    LogMessage("MakeDemoRoot %s", root.c_str());

    // Settings: an Ethernet model with no Device address is the embedded virtual Device.
    {
        app::Profile& ini = theApp.profile();
        app::Profile::Batch batch(ini);
        ini.putInt("Hardware", "Enable", 1);
        ini.putInt("Hardware", "Model", app::MODEL_KTG210E);
        ini.putString("Ethernet", "Hosts", "");
        ini.putInt("Start", "First", 0);
        ini.putInt("Start", "NoAsk", 1);
        ini.putInt("Start", "Program", 2);  // Live mode
        ini.putInt("Start", "Remote", 0);   // no switcher program on a demo machine
        ini.putInt("Start", "AirLog", 1);
        ini.putInt("Start", "CodePage", 1251);
        ini.putInt("Debug", "Log", 0);
        ini.putInt("Debug", "Timestamp", 1);
    }
    if (!platform::FileExists(theApp.iniPath())) {
        error = "cannot write " + theApp.iniPath();
        return false;
    }
    result.files.push_back(platform::FileNameOf(theApp.iniPath()));

    // Fonts.
    const std::string fontsDir = theApp.GetPath(app::FOLDER_FONTS);
    pages::CFontManager fonts;
    fonts.setFolder(fontsDir);
    std::string ttfDir = app::WithSlash(options.fontFolder);
    for (const FontRecipe& r : kFonts) {
        pages::ScalableFontOptions o;
        o.fontFile = ttfDir + r.ttf;
        o.height = r.height;
        o.colour = r.colour;
        o.fill = r.fill;
        o.shadow = r.shadow > 0;
        o.shadowDx = o.shadowDy = r.shadow;
        o.outline = r.outline;
        pages::CBitmapFont font;
        std::string why;
        if (!pages::MakeFontFromScalable(o, font, why)) {
            error = why + " (the DejaVu fonts come with the Debian package fonts-dejavu-core)";
            return false;
        }
        font.setName(r.name);
        if (!fonts.Save(font, fontsDir + r.name + ".bmf")) {
            error = "cannot write " + fontsDir + r.name + ".bmf";
            return false;
        }
        result.files.push_back(std::string("Fonts/") + r.name + ".bmf");
        ++result.fonts;
    }
    fonts.Enumerate();

    // Pages, compiled with their Device data and thumbnails; the title doubles as a template.
    FixedClock still;
    const std::string pagesDir = theApp.GetPath(app::FOLDER_PAGES);
    for (const PageRecipe& r : kPages) {
        CPageDoc page(fonts, &still);
        page.setBannersFolder(theApp.GetPath(app::FOLDER_BANNERS));
        page.NewPage();
        r.build(page);
        page.LayoutAll();
        pages::CPageImage image;
        image.Compile(page, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL | pages::COMPILE_FILTER);
        if (page.Save(pagesDir + r.file, image) != 0) {
            error = "cannot write " + pagesDir + r.file;
            return false;
        }
        result.files.push_back(std::string("Pages/") + r.file);
        ++result.pages;
        if (r.build == BuildLowerThird) {
            const std::string tpl = theApp.GetPath(app::FOLDER_TEMPLATES) + r.file;
            if (page.Save(tpl, image) != 0) {
                error = "cannot write " + tpl;
                return false;
            }
            result.files.push_back(std::string("Templates/") + r.file);
        }
    }

    // Sequences, with the pages below the Pages folder so that the root can move.
    for (const SeqRecipe& s : Sequences()) {
        air::CSeqDoc seq(theApp.folders(), still);
        seq.NewSequence();
        for (const auto& [file, params] : s.items) seq.AppendPage(pagesDir + file, params);
        const std::string path = root + s.file;
        if (seq.SaveSequence(path) != air::SEQ_OK) {
            error = "cannot write " + path;
            return false;
        }
        result.files.push_back(s.file);
        ++result.sequences;
    }

    // The page editor's style library.
    const std::string styles = StyleFile();
    const std::string stylePath = theApp.GetPath(app::FOLDER_ROOT) + "STYLE.INI";
    if (!platform::WriteFileAtomic(stylePath, std::string_view(styles))) {
        error = "cannot write " + stylePath;
        return false;
    }
    result.files.push_back("STYLE.INI");
    result.styles = int(std::size(kStyles));

    // Clocks, with their source pictures.
    if (!WriteDemoClocks(root, options.fontFolder, result.files, error)) return false;
    result.clocks = int(DemoClockFiles().size());
    return true;
}

}  // namespace demo
