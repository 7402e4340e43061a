#include "demo/demo_vote.h"

#include "app/profile.h"
#include "app/zentrix_app.h"
#include "demo/demo_pages.h"
#include "interactive/itv_doc.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_frame.h"
#include "pages/page_image.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace demo {

namespace {

using namespace interactive;

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

struct FrameRecipe {
    const char* name;
    pages::Rect rect;
    const char* text;
    const char* font;
    uint32_t colour;
    int32_t align;
    int row = -1, col = 0;  // the binding
};

constexpr uint32_t kPanel = 0x40402010;

}  // namespace

bool WriteDemoVote(app::CZentrixApp& theApp, pages::CFontManager& fonts, std::vector<std::string>& files,
                   std::string& error) {
    const std::string root = theApp.GetPath(app::FOLDER_ROOT);
    FixedClock still;
    pages::CPageDoc page(fonts, &still);
    page.NewPage();
    page.SetBackgroundColour(0xFF000000);
    const FrameRecipe frames[] = {
        {"Question",
         {60, 30, 660, 84},
         "Tea, coffee or juice?",
         kSansShadow,
         0x30602008,
         pages::ALIGN_CENTER,
         ITV_ROW_OTHER,
         ITV_COL_QUESTION},
        // Answers 1 and 2: a lying bar each; answer 3 an upright one at the right.
        {"Answer1", {60, 104, 230, 144}, "Tea", kSans, kPanel, pages::ALIGN_LEFT, ITV_ROW_ANSWER, 0},
        {"Key1", {60, 144, 230, 174}, "TEA", kSans, kPanel, pages::ALIGN_LEFT, ITV_ROW_KEYWORD, 0},
        {"Bar1", {240, 104, 540, 144}, "", kSans, 0x000000E0, pages::ALIGN_LEFT, ITV_ROW_SCALE, 0},
        {"Caller1", {240, 144, 540, 174}, "", kSans, 0xFF000000, pages::ALIGN_LEFT, ITV_ROW_CALLER, 0},
        {"Votes1", {550, 104, 640, 144}, "0", kSans, kPanel, pages::ALIGN_RIGHT, ITV_ROW_VOTES, 0},
        {"Percent1", {550, 144, 640, 174}, "", kSans, kPanel, pages::ALIGN_RIGHT, ITV_ROW_PERCENT, 0},
        {"Answer2", {60, 194, 230, 234}, "Coffee", kSans, kPanel, pages::ALIGN_LEFT, ITV_ROW_ANSWER, 1},
        {"Key2", {60, 234, 230, 264}, "COFFEE", kSans, kPanel, pages::ALIGN_LEFT, ITV_ROW_KEYWORD, 1},
        {"Bar2", {240, 194, 540, 234}, "", kSans, 0x0000B000, pages::ALIGN_LEFT, ITV_ROW_SCALE, 1},
        {"Caller2", {240, 234, 540, 264}, "", kSans, 0xFF000000, pages::ALIGN_LEFT, ITV_ROW_CALLER, 1},
        {"Votes2", {550, 194, 640, 234}, "0", kSans, kPanel, pages::ALIGN_RIGHT, ITV_ROW_VOTES, 1},
        {"Percent2", {550, 234, 640, 264}, "", kSans, kPanel, pages::ALIGN_RIGHT, ITV_ROW_PERCENT, 1},
        {"Answer3", {60, 284, 230, 324}, "Juice", kSans, kPanel, pages::ALIGN_LEFT, ITV_ROW_ANSWER, 2},
        {"Key3", {60, 324, 230, 354}, "JUICE", kSans, kPanel, pages::ALIGN_LEFT, ITV_ROW_KEYWORD, 2},
        {"Bar3", {660, 104, 700, 354}, "", kSans, 0x00E08000, pages::ALIGN_LEFT, ITV_ROW_SCALE, 2},
        {"Caller3", {240, 324, 540, 354}, "", kSans, 0xFF000000, pages::ALIGN_LEFT, ITV_ROW_CALLER, 2},
        {"Votes3", {550, 284, 640, 324}, "0", kSans, kPanel, pages::ALIGN_RIGHT, ITV_ROW_VOTES, 2},
        {"Percent3", {550, 324, 640, 354}, "", kSans, kPanel, pages::ALIGN_RIGHT, ITV_ROW_PERCENT, 2},
        {"TotalLabel", {60, 380, 230, 420}, "Total votes", kSans, kPanel, pages::ALIGN_LEFT},
        {"Total", {240, 380, 360, 420}, "0", kSans, kPanel, pages::ALIGN_LEFT, ITV_ROW_OTHER, ITV_COL_TOTAL},
        {"Temperature",
         {60, 470, 230, 520},
         "",
         kSansShadow,
         kPanel,
         pages::ALIGN_CENTER,
         ITV_ROW_OTHER,
         ITV_COL_TEMPERATURE},
        {"Clock", {480, 470, 660, 520}, "", kSansShadow, kPanel, pages::ALIGN_CENTER, ITV_ROW_OTHER, ITV_COL_CLOCK},
    };
    CITVDoc doc;
    doc.answers = 3;
    doc.fullScale = 10;
    doc.fillWholeScale = true;
    doc.ignoreDuplicates = true;
    doc.decimals = 1;
    doc.blinkingSeparator = true;
    for (const FrameRecipe& f : frames) {
        pages::FrameFormat ff;
        ff.colour = f.colour;
        ff.vAlign = pages::VALIGN_CENTER;
        pages::ParaFormat pf;
        pf.align = f.align;
        pf.leftMargin = pf.rightMargin = 6;
        pages::TextFormat tf;
        tf.setFontName(f.font);
        const pages::CBitmapFont* font = fonts.Find(f.font);
        tf.tint = font && font->isMonochrome() ? 1 : 0;
        tf.colour = 0x00FFFFFF;
        const int i = page.CreateFrame(f.rect, ff, pf, tf, f.name);
        pages::CPageFrame& frame = *page.frame(i);
        frame.InsertText(f.text, fonts);
        frame.ResetView();
        frame.lock = 1;
        if (f.row >= 0) doc.bindings[size_t(f.row)][size_t(f.col)] = f.name;
        if (f.row == ITV_ROW_ANSWER) doc.answerTexts[size_t(f.col)] = f.text;
        if (f.row == ITV_ROW_KEYWORD) doc.keywords[size_t(f.col)] = f.text;
        if (f.row == ITV_ROW_OTHER && f.col == ITV_COL_QUESTION) doc.question = f.text;
    }
    page.LayoutAll();
    pages::CPageImage image;
    image.Compile(page, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL | pages::COMPILE_FILTER);
    const std::string pagePath = root + kVotePage;
    if (page.Save(pagePath, image) != 0) {
        error = "cannot write " + pagePath;
        return false;
    }
    files.push_back(kVotePage);

    doc.SetPageFile(pagePath, theApp.GetPath(app::FOLDER_PAGES));
    doc.DefaultLineTable();
    const std::string systemPath = root + kVoteSystem;
    if (!platform::MakeDirectories(platform::DirectoryOf(systemPath)) || doc.Save(systemPath) != 0) {
        error = "cannot write " + systemPath;
        return false;
    }
    files.push_back(kVoteSystem);
    theApp.profile().putString("ITV", "FileName", kVoteSystem);
    return true;
}

}  // namespace demo
