#include "demo/demo_titles.h"

#include "air/seq_doc.h"
#include "app/folders.h"
#include "demo/demo_pages.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace demo {

namespace {

std::string Cp(const char* utf8) {
    static const platform::CodePage cp(1251);
    return cp.fromUtf8(utf8);
}

struct TitleFrameRecipe {
    const char* name;
    pages::Rect rect;
    const char* text;  // UTF-8
    const char* font;
    uint32_t frameColour;
    uint32_t textColour;
    int32_t align;
    bool locked;
};

struct TitleRecipe {
    const char* file;  // below the data root
    const char* page;  // below the Pages folder
    int showTime;      // seconds
    int32_t inType;    // the in-effect
    std::vector<TitleFrameRecipe> frames;
};

// A clock that stands still, so nothing of the moment leaks into the files.
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

constexpr uint32_t kClear = 0xFF000000;
constexpr uint32_t kWhite = 0x00FFFFFF;

const std::vector<TitleRecipe>& Recipes() {
    static const std::vector<TitleRecipe> r = {
        {kNameAndRoleTitle,
         "Titles/Name and role.zxg",
         8,
         0,
         {{"Bar", {60, 436, 660, 532}, "", kSans, 0x30602008, kWhite, pages::ALIGN_LEFT, true},
          {"Name", {76, 442, 644, 486}, "Анна Петрова", kBold, kClear, kWhite, pages::ALIGN_LEFT, false},
          {"Role",
           {76, 490, 644, 526},
           "Reporter, Moscow",
           kSansShadow,
           kClear,
           0x00E0E0E0,
           pages::ALIGN_LEFT,
           false}}},
        {kBreakingNewsTitle,
         "Titles/Breaking news.zxg",
         10,
         0,
         {{"Label", {40, 450, 240, 520}, "BREAKING", kBold, 0x100000C0, kWhite, pages::ALIGN_CENTER, true},
          {"Headline",
           {240, 450, 680, 520},
           "The headline goes here",
           kSansShadow,
           0x20000000,
           kWhite,
           pages::ALIGN_LEFT,
           false}}},
        {kScoreTitle,
         "Titles/Score.zxg",
         12,
         0,
         {{"Home", {80, 40, 280, 90}, "HOME", kBold, 0x30401000, kWhite, pages::ALIGN_CENTER, false},
          {"Home score", {280, 40, 350, 90}, "0", kBold, 0x20000000, 0x0060E0FF, pages::ALIGN_CENTER, false},
          {"Away score", {370, 40, 440, 90}, "0", kBold, 0x20000000, 0x0060E0FF, pages::ALIGN_CENTER, false},
          {"Away", {440, 40, 640, 90}, "AWAY", kBold, 0x30401000, kWhite, pages::ALIGN_CENTER, false},
          {"Time", {280, 92, 440, 124}, "45:00", kSans, 0x20000000, kWhite, pages::ALIGN_CENTER, false},
          {"League", {80, 92, 280, 124}, "League", kSans, 0x20000000, kWhite, pages::ALIGN_CENTER, false}}},
        {kLocationTitle,
         "Titles/Location.zxg",
         6,
         0,
         {{"Place", {440, 40, 680, 84}, "Studio 1", kSansShadow, 0x30602008, kWhite, pages::ALIGN_RIGHT, false}}},
    };
    return r;
}

}  // namespace

std::vector<std::string> DemoTitleFiles() {
    std::vector<std::string> out;
    for (const TitleRecipe& t : Recipes()) out.push_back(t.file);
    return out;
}

bool WriteDemoTitles(const std::string& root, const app::FolderTable& folders, pages::CFontManager& fonts,
                     std::vector<std::string>& files, std::string& error) {
    FixedClock still;
    const std::string pagesDir = folders.GetPath(app::FOLDER_PAGES);
    for (const TitleRecipe& t : Recipes()) {
        pages::CPageDoc page(fonts, &still);
        page.NewPage();
        page.SetBackgroundColour(kClear);
        for (const TitleFrameRecipe& f : t.frames) {
            pages::FrameFormat ff;
            ff.colour = f.frameColour;
            ff.vAlign = pages::VALIGN_CENTER;
            pages::ParaFormat pf;
            pf.align = f.align;
            pf.leftMargin = pf.rightMargin = 8;
            pages::TextFormat tf;
            tf.setFontName(f.font);
            const pages::CBitmapFont* font = fonts.Find(f.font);
            tf.tint = font && font->isMonochrome() ? 1 : 0;
            tf.colour = f.textColour;
            const int i = page.CreateFrame(f.rect, ff, pf, tf, f.name);
            pages::CPageFrame& frame = *page.frame(i);
            if (*f.text) frame.InsertText(Cp(f.text), fonts);
            frame.ResetView();
            frame.lock = f.locked ? 1 : 0;
        }
        page.LayoutAll();
        pages::CPageImage image;
        image.Compile(page, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL | pages::COMPILE_FILTER);
        const std::string pagePath = pagesDir + t.page;
        if (!platform::MakeDirectories(platform::DirectoryOf(pagePath)) || page.Save(pagePath, image) != 0) {
            error = "cannot write " + pagePath;
            return false;
        }
        files.push_back(std::string("Pages/") + t.page);

        air::CSeqDoc seq(folders, still);
        seq.NewSequence();
        air::ShowParams params;
        params.showTime = t.showTime;
        params.inType = t.inType;
        seq.AppendPage(pagePath, params);
        const std::string path = root + t.file;
        if (!platform::MakeDirectories(platform::DirectoryOf(path)) || seq.SaveSequence(path) != air::SEQ_OK) {
            error = "cannot write " + path;
            return false;
        }
        files.push_back(t.file);
    }
    return true;
}

}  // namespace demo
