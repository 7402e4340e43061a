#include "demo/demo_root.h"
#include "demo/demo_video.h"

#include <iterator>

#include "air/seq_doc.h"
#include "air/show_params.h"
#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/output_settings.h"
#include "app/zentrix_app.h"
#include "demo/demo_banners.h"
#include "demo/demo_captions.h"
#include "demo/demo_chat.h"
#include "demo/demo_clocks.h"
#include "demo/demo_macros.h"
#include "demo/demo_pages.h"
#include "demo/demo_schedule.h"
#include "demo/demo_titles.h"
#include "demo/demo_vote.h"
#include "i18n/builtin_languages.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/scalable_font.h"
#include "pages/style_library.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace demo {

namespace {

using pages::CPageDoc;

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

const FontRecipe kFonts[] = {
    {kSans, "DejaVuSans.ttf", 22, false, 0, 0, 0},
    {kSansShadow, "DejaVuSans.ttf", 30, false, 0, 2, 0},
    {kBold, "DejaVuSans-Bold.ttf", 40, true, 0x00FFFFFF, 3, 2},
    {kTitle, "DejaVuSans-Bold.ttf", 64, true, 0x0040D0FF, 4, 2},
    {kSerif, "DejaVuSerif.ttf", 34, false, 0, 2, 0},
    {kMono, "DejaVuSansMono-Bold.ttf", 36, true, 0x0060E0FF, 2, 1},
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

const char* pageFile(DemoPageId id) { return DemoPages()[size_t(id)].file; }

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
         {{pageFile(PAGE_TITLE), fadeIn},
          {pageFile(PAGE_LOWER_THIRD), push},
          {kLiveCornerPage, Show(0, 10, 6)},
          {pageFile(PAGE_CRAWL), Scroll(3, 3)},
          {pageFile(PAGE_PICTURE), Show(9, 10, 5)},
          {pageFile(PAGE_WEATHER), Show(5, 10, 5)},
          {pageFile(PAGE_CREDITS), credits}}},
        {kNewsSequence,
         {{pageFile(PAGE_CRAWL), Scroll(0, 4)},
          {pageFile(PAGE_WEATHER), Show(7, 8, 4)},
          {pageFile(PAGE_LOWER_THIRD), slide}}},
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
    out.push_back(std::string("Fonts/") + kHeadlineFont + ".bmf");
    return out;
}

std::vector<std::string> DemoPageFiles() {
    std::vector<std::string> out;
    for (const PageRecipe& p : DemoPages()) out.push_back(std::string("Pages/") + p.file);
    out.push_back(std::string("Pages/") + kLiveCornerPage);
    out.push_back(kCaptionPage);
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
        ini.putInt("Start", "Remote", 1);   // Live mode starts the switcher's stand-in, zx-remote
        ini.putInt("Hardware", "MPEG", 2);  // and two zx-player stand-ins for the MPEG boards
        ini.putInt("Start", "AirLog", 1);
        ini.putInt("Start", "CodePage", 1251);
        ini.putInt("Debug", "Log", 0);
        ini.putInt("Debug", "Timestamp", 1);
        // A phone-lines adapter stand-in on a sim port rings six calls a minute.
        ini.putInt("Serial", "PhoneSimRate", 6);
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
    // And one the font maker makes from pictures of its characters.
    if (!WriteDemoFont(root, options.fontFolder, result.files, error)) return false;
    ++result.fonts;
    fonts.Enumerate();
    // The banners, before the page that shows one.
    if (!WriteDemoBanners(root, options.fontFolder, result.files, error)) return false;
    result.banners = 2;

    // Pages, compiled with their Device data and thumbnails; the title doubles as a template.
    FixedClock still;
    const std::string pagesDir = theApp.GetPath(app::FOLDER_PAGES);
    for (const PageRecipe& r : DemoPages()) {
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
        if (r.alsoTemplate) {
            const std::string tpl = theApp.GetPath(app::FOLDER_TEMPLATES) + r.file;
            if (page.Save(tpl, image) != 0) {
                error = "cannot write " + tpl;
                return false;
            }
            result.files.push_back(std::string("Templates/") + r.file);
        }
    }

    // The page with the LIVE badge in its corner.
    {
        CPageDoc page(fonts, &still);
        page.setBannersFolder(theApp.GetPath(app::FOLDER_BANNERS));
        if (!BuildLiveCornerPage(page, root + kLiveBadge, error)) return false;
        page.LayoutAll();
        pages::CPageImage image;
        image.Compile(page, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL | pages::COMPILE_FILTER);
        if (page.Save(pagesDir + kLiveCornerPage, image) != 0) {
            error = "cannot write " + pagesDir + kLiveCornerPage;
            return false;
        }
        result.files.push_back(std::string("Pages/") + kLiveCornerPage);
        ++result.pages;
    }

    // The caption page and its titles file.
    if (!WriteDemoCaptions(theApp, fonts, &still, result.files, error)) return false;
    ++result.pages;

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
    if (!WriteDemoMacros(root, result.files, error)) return false;
    // Automation mode's schedule and the Device's item keys, naming the sequences and macros.
    if (!WriteDemoSchedule(root, result.files, error)) return false;
    // Live mode's titles, each a sequence whose first page is a template with fields to fill in.
    if (!WriteDemoTitles(root, theApp.folders(), fonts, result.files, error)) return false;
    result.titles = int(DemoTitleFiles().size());
    // SMS Chat's template, word filter and the simulated modem's messages.
    if (!WriteDemoChat(theApp, fonts, result.files, error)) return false;
    // A video output ready in Settings > Output... (started by hand): a recording below the data
    // root that any player opens. An output the operator set up in that place stays.
    {
        std::vector<app::OutputSinkSetting> outputs = app::LoadOutputSettings(theApp.profile());
        if (!outputs[0].used()) {
            outputs[0].target = "Recordings/Program.mov";
            app::SaveOutputSettings(theApp.profile(), outputs);
        }
    }
    // The Interactive system's vote page and file, its SMS votes from the same modem.
    if (!WriteDemoVote(theApp, fonts, result.files, error)) return false;

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
    // MPEG clips and the video playlist.
    if (!WriteDemoVideo(root, result.files, error)) return false;
    // The translation: the base file and the program's own languages, so that Settings >
    // Language offers Russian at once.
    if (!i18n::WriteTranslationFiles(root, "zentrix", result.files, error)) return false;
    return true;
}

}  // namespace demo
