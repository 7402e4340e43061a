// The font maker and the banner converter on screen: the demo's Headline pictures made into a
// font through the three steps (the names filled in, the characters browsed with the baseline
// marks, the sample with the font being built current, the font saved and listed), the messages
// that keep the operator on step 1; the LIVE badge's pictures converted into a banner on the
// worker with its progress, the size refusal, Cancel leaving nothing behind; and the two
// commands of the main window's menu.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "demo/demo_banners.h"
#include "demo/demo_root.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/picture_io.h"
#include "platform/files.h"
#include "ui/mainframe/main_frame.h"
#include "ui/wizards/wiz_banner.h"
#include "ui/wizards/wiz_font.h"
#include "ui_fixture.h"
#include "wizards/banner_player.h"

using namespace ui;

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

struct FontWizard : zxtest::UiTest {
    std::string pictures;
    pages::CFontManager fonts;
    size_t letters = 0;
    void SetUp() override {
        UiTest::SetUp();
        start("[Debug]\nLog=0\n", false);
        std::filesystem::remove(home.file("Fonts/Title.bmf"));
        fonts.setFolder(a.GetPath(app::FOLDER_FONTS));
        pictures = home.file("Pictures/Font maker/");
        ASSERT_TRUE(platform::MakeDirectories(pictures));
        std::vector<pages::CBitmap32> pics;
        std::string text, error;
        ASSERT_TRUE(demo::DrawHeadlinePictures(demo::kDejaVuFolder, pics, text, error)) << error;
        ASSERT_EQ(pics.size(), 4u);
        const char* endings[] = {"_0_W", "_0_B", "_1_W", "_1_B"};
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(pages::WriteTGA(pics[size_t(i)], pictures + "Headline" + endings[i] + ".tga"), pages::FILE_OK);
        zxtest::WriteText(pictures + "Headline.txt", text);
    }
    void fill(CWizFont& wiz) {
        wiz.page1().choose(wizards::FONT_CHARS_W, pictures + "Headline_0_W.tga");
        wiz.page1().chooseLetters(pictures + "Headline.txt");
    }
};

}  // namespace

TEST_F(FontWizard, StepOneFillsTheNamesAndRefusesWhatCannotBeSeparated) {
    CWizFont wiz(fonts);
    EXPECT_EQ(wiz.windowTitle(), "Create new font");
    EXPECT_EQ(wiz.page1().title(), "Make new font - Step 1 - Load files");
    EXPECT_EQ(wiz.page2().title(), "Make new font - Step 2 - Characters preview");
    EXPECT_EQ(wiz.page3().title(), "Make new font - Step 3 - Font settings");
    EXPECT_FALSE(wiz.page1().isComplete());
    // A shadow picture chosen first fills nothing else.
    wiz.page1().choose(wizards::FONT_SHADOWS_W, "/f/Other_1_W.bmp");
    EXPECT_TRUE(wiz.page1().field(wizards::FONT_CHARS_W)->text().isEmpty());
    fill(wiz);
    EXPECT_EQ(wiz.page1().field(wizards::FONT_SHADOWS_B)->text().toStdString(), pictures + "Headline_1_B.tga");
    EXPECT_TRUE(wiz.page1().isComplete());
    // Without shadows two pictures are enough; with them all four are needed.
    wiz.page1().field(wizards::FONT_SHADOWS_W)->clear();
    EXPECT_FALSE(wiz.page1().isComplete());
    wiz.page1().noShadows()->setChecked(true);
    EXPECT_TRUE(wiz.page1().isComplete());
    EXPECT_FALSE(wiz.page1().field(wizards::FONT_SHADOWS_W)->isEnabled());
    wiz.page1().noShadows()->setChecked(false);

    // Pictures of different sizes: the message, and the operator stays on the page.
    pages::CBitmap32 small;
    small.create(40, 20);
    small.fillAll(0xFFFFFF);
    ASSERT_EQ(pages::WriteTGA(small, pictures + "Small.tga"), pages::FILE_OK);
    wiz.page1().choose(wizards::FONT_SHADOWS_W, pictures + "Small.tga");
    EXPECT_FALSE(wiz.page1().validatePage());
    EXPECT_EQ(boxes.lastText(), "All pictures must be of the same size!");
    // A letters file that cannot be read.
    fill(wiz);
    wiz.page1().chooseLetters(pictures + "Missing.txt");
    EXPECT_FALSE(wiz.page1().validatePage());
    EXPECT_NE(boxes.lastText().find("Missing.txt"), std::string::npos) << boxes.lastText();
    // Blank pictures have no height.
    pages::CBitmap32 blank;
    blank.create(small.width(), small.height());
    blank.fillAll(0xFFFFFF);
    ASSERT_EQ(pages::WriteTGA(blank, pictures + "Blank_0_W.tga"), pages::FILE_OK);
    blank.fillAll(0x000000);
    ASSERT_EQ(pages::WriteTGA(blank, pictures + "Blank_0_B.tga"), pages::FILE_OK);
    wiz.page1().noShadows()->setChecked(true);
    wiz.page1().choose(wizards::FONT_CHARS_W, pictures + "Blank_0_W.tga");
    wiz.page1().chooseLetters(pictures + "Headline.txt");
    EXPECT_FALSE(wiz.page1().validatePage());
    EXPECT_EQ(boxes.lastText(), "Can't determine font height!");
    EXPECT_FALSE(wiz.font().loaded());
}

TEST_F(FontWizard, ThreeStepsMakeTheHeadlineFontCurrentWhileShownAndSaveIt) {
    std::string saved;
    {
        CWizFont wiz(fonts);
        fill(wiz);
        ASSERT_TRUE(wiz.page1().validatePage()) << boxes.lastText();
        const wizards::FontSeparation& sep = wiz.separation();
        // Every letter (the Cyrillic ones through the code page) has its character.
        letters = sep.letters.size();
        ASSERT_GT(letters, 90u);
        ASSERT_EQ(sep.chars.size(), letters);
        ASSERT_GT(sep.height, 8);

        // Step 2: the characters one by one, the marks at 0 and H - 1 at most.
        CPageFont2& p2 = wiz.page2();
        p2.initializePage();
        EXPECT_EQ(p2.charText()->text(), QString("Char 1 of %1").arg(letters));
        EXPECT_TRUE(p2.letterText()->text().startsWith(QString("Letter 1 of %1: ").arg(letters)));
        EXPECT_EQ(p2.character()->maximum(), int(letters) - 1);
        EXPECT_EQ(p2.upper()->value(), 0);
        EXPECT_EQ(p2.lower()->maximum(), sep.height - 1);
        EXPECT_FALSE(p2.preview()->pixmap().isNull());
        p2.character()->setValue(3);
        EXPECT_EQ(p2.charText()->text(), QString("Char 4 of %1").arg(letters));
        // The marks move in the separation and show as inverted rows of the picture.
        const pages::CBitmap32 plain = p2.picture(3);
        p2.upper()->setValue(2);
        EXPECT_EQ(sep.upper, 2);
        const pages::CBitmap32 marked = p2.picture(3);
        int differing = 0;
        for (int x = 0; x < marked.width(); ++x)
            differing += std::memcmp(marked.pixel(x, 16 + 2), plain.pixel(x, 16 + 2), 3) != 0;
        EXPECT_EQ(differing, marked.width());
        p2.upper()->setValue(0);

        // Step 3: the font is built and current; the defaults of its settings.
        CPageFont3& p3 = wiz.page3();
        p3.initializePage();
        EXPECT_EQ(fonts.Current(), &wiz.font());
        EXPECT_EQ(p3.base()->value(), sep.height / 4 * 3);
        EXPECT_EQ(p3.base()->minimum(), 1);
        EXPECT_EQ(p3.vSpacing()->minimum(), -sep.height);
        const wizards::FontSpace space = wizards::SpaceOf(sep, false);
        EXPECT_EQ(p3.hSpacing()->maximum(), space.c);
        EXPECT_FALSE(p3.colour()->isEnabled());  // a colour font
        EXPECT_EQ(p3.sample()->toPlainText(), "Hello\nworld!");
        // The sample follows the settings and the text.
        const pages::CBitmap32 first = p3.picture();
        p3.hSpacing()->setValue(space.c);
        EXPECT_FALSE(p3.picture() == first);
        p3.hSpacing()->setValue(0);
        p3.sample()->setPlainText("");
        pages::CBitmap32 empty = p3.picture();
        p3.sample()->setPlainText("Hello");
        EXPECT_FALSE(p3.picture() == empty);

        // Finish: saved in the Fonts folder under the name given, and the list knows it.
        wiz.setSavePathChooser([](const std::string& folder) { return platform::JoinPath(folder, "Made here"); });
        ASSERT_TRUE(p3.validatePage()) << boxes.lastText();
        saved = wiz.savedPath();
    }
    EXPECT_EQ(saved, home.file("Fonts/Made here.bmf"));
    ASSERT_TRUE(platform::FileExists(saved));
    pages::CBitmapFont* made = fonts.Find("Made here");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->header().glyphCount, letters + 1);
    EXPECT_TRUE(made->hasShadow());
    EXPECT_NE(fonts.Current(), nullptr);
}

TEST_F(FontWizard, CancelledTheListGetsItsOwnCurrentFontBack) {
    zxtest::WriteText(home.file("Fonts/Title.bmf"), "x");
    fonts.Enumerate();
    pages::CBitmapFont* before = fonts.Current();
    {
        CWizFont wiz(fonts);
        fill(wiz);
        ASSERT_TRUE(wiz.page1().validatePage());
        wiz.page3().initializePage();
        EXPECT_EQ(fonts.Current(), &wiz.font());
        // No file chosen: the wizard stays.
        wiz.setSavePathChooser([](const std::string&) { return std::string(); });
        EXPECT_FALSE(wiz.page3().validatePage());
    }
    EXPECT_EQ(fonts.Current(), before);
    EXPECT_FALSE(platform::FileExists(home.file("Fonts/Headline.bmf")));
}

namespace {

struct BannerWizard : zxtest::UiTest {
    std::string pictures;
    std::vector<std::string> files;
    void SetUp() override {
        UiTest::SetUp();
        start("[Debug]\nLog=0\n", false);
        ASSERT_TRUE(platform::MakeDirectories(home.file("Banners")));
        pictures = home.file("Pictures/Banner/");
        ASSERT_TRUE(platform::MakeDirectories(pictures));
        std::string list;
        for (int i = 0; i < 12; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "badge%02d.tga", i);
            ASSERT_EQ(pages::WriteTGA(demo::DrawLiveBadge(i, demo::kDejaVuFolder), pictures + name), pages::FILE_OK);
            files.push_back(pictures + name);
            list += std::string(name) + "\r\n";
        }
        zxtest::WriteText(pictures + "Badge.txt", list);
    }
};

}  // namespace

TEST_F(BannerWizard, TheBadgeListConvertsOnTheWorkerWithItsProgress) {
    CWizBanner wiz;
    EXPECT_EQ(wiz.windowTitle(), "TV banners converter");
    EXPECT_EQ(wiz.page1().title(), "TV banners converter - Step 1");
    EXPECT_EQ(wiz.page3().subTitle(), "Conversion progress:");
    EXPECT_FALSE(wiz.page1().isComplete());
    // A list that names a missing picture: the warning, the others kept.
    zxtest::WriteText(pictures + "Gaps.txt", "badge00.tga\nnothing.tga\n\nbadge01.tga\n");
    ASSERT_TRUE(wiz.page1().choose({pictures + "Gaps.txt"}));
    EXPECT_EQ(boxes.lastText(), "One or more listed picture files were not found!");
    EXPECT_EQ(wiz.page1().totalFrames()->text(), "2");

    ASSERT_TRUE(wiz.page1().choose({pictures + "Badge.txt"}));
    EXPECT_TRUE(wiz.page1().isComplete());
    EXPECT_EQ(wiz.page1().totalFrames()->text(), "12");
    EXPECT_EQ(wiz.page1().frameSize()->text(), QString("%1 x %2").arg(demo::kBadgeWidth).arg(demo::kBadgeHeight));
    EXPECT_EQ(wiz.page1().fps()->value(), 10);
    // The FPS is kept to 1..30 when the step is left.
    wiz.page1().fps()->setValue(50);
    ASSERT_TRUE(wiz.page1().validatePage());
    EXPECT_EQ(wiz.page1().fps()->value(), 30);
    EXPECT_EQ(wiz.source().rate100, 3000u);
    wiz.page1().fps()->setValue(12);
    ASSERT_TRUE(wiz.page1().validatePage());

    CPageAVI2& p2 = wiz.page2();
    p2.initializePage();
    EXPECT_EQ(p2.playTime()->text(), "1.0 sec");
    EXPECT_EQ(p2.alpha()->text(), "Yes");
    EXPECT_EQ(p2.x()->value(), (720 - demo::kBadgeWidth) / 2);
    EXPECT_EQ(p2.x()->maximum(), 716 - demo::kBadgeWidth);
    EXPECT_EQ(p2.y()->minimum(), 4);
    EXPECT_FALSE(p2.preview()->pixmap().isNull());
    p2.x()->setValue(501);
    p2.y()->setValue(40);
    p2.border()->setValue(3);
    p2.loop()->setChecked(true);
    const std::string out = home.file("Banners/Badge");
    wiz.setSavePathChooser([&](const std::string& folder) {
        EXPECT_EQ(folder, a.GetPath(app::FOLDER_BANNERS));
        return out;
    });
    ASSERT_TRUE(p2.validatePage());
    EXPECT_EQ(wiz.outPath(), out + ".zxa");

    std::vector<uint32_t> seen;
    std::mutex m;
    wiz.setFrameHook([&](uint32_t i) {
        const std::lock_guard<std::mutex> lock(m);
        seen.push_back(i);
    });
    CPageAVI3& p3 = wiz.page3();
    p3.initializePage();
    ASSERT_TRUE(WaitFor([&] { return p3.isComplete() || wiz.result() >= 0; }));
    EXPECT_EQ(wiz.result(), wizards::CONVERT_OK) << boxes.lastText();
    EXPECT_EQ(p3.progress()->value(), 100);
    EXPECT_EQ(p3.percent()->text(), "100 %");
    EXPECT_EQ(seen.size(), 12u);

    wizards::CBannerPlayer player;
    ASSERT_EQ(player.open(out + ".zxa"), 0);
    EXPECT_EQ(player.header().frames, 12u);
    EXPECT_EQ(player.header().rate100, 1200u);
    EXPECT_EQ(player.header().x, 500);  // made even
    EXPECT_EQ(player.header().y, 40);
    EXPECT_EQ(player.header().border, 3);
    EXPECT_TRUE(player.Loop());
}

TEST_F(BannerWizard, TooLargeAFrameAndAnUnreadableSourceKeepTheStep) {
    CWizBanner wiz;
    EXPECT_FALSE(wiz.page1().choose({pictures + "nothing.avi"}));
    EXPECT_NE(boxes.lastText().find("nothing.avi"), std::string::npos) << boxes.lastText();
    EXPECT_FALSE(wiz.page1().isComplete());
    pages::CBitmap32 wide;
    wide.create(713, 100);
    ASSERT_EQ(pages::WriteTGA(wide, pictures + "wide.tga"), pages::FILE_OK);
    ASSERT_TRUE(wiz.page1().choose({pictures + "wide.tga"}));
    EXPECT_FALSE(wiz.page1().validatePage());
    EXPECT_NE(boxes.lastText().find("712 x 568"), std::string::npos) << boxes.lastText();
}

TEST_F(BannerWizard, CancelDuringTheConversionLeavesNoBannerBehind) {
    CWizBanner wiz;
    ASSERT_TRUE(wiz.page1().choose(files));
    ASSERT_TRUE(wiz.page1().validatePage());
    wiz.page2().initializePage();
    wiz.setSavePathChooser([&](const std::string& folder) { return platform::JoinPath(folder, "Half.zxa"); });
    ASSERT_TRUE(wiz.page2().validatePage());
    // The worker is held after its second frame until Cancel has been pressed.
    std::mutex m;
    std::condition_variable cv;
    bool cancelled = false;
    wiz.setFrameHook([&](uint32_t i) {
        if (i != 1) return;
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return cancelled; });
    });
    wiz.page3().initializePage();
    EXPECT_TRUE(wiz.converting());
    // Cancel: the flag first, then the worker is let go and joined.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::lock_guard<std::mutex> lock(m);
        cancelled = true;
        cv.notify_all();
    });
    wiz.reject();
    release.join();
    EXPECT_FALSE(wiz.converting());
    QApplication::processEvents();
    EXPECT_EQ(wiz.result(), wizards::CONVERT_CANCELLED);
    EXPECT_TRUE(std::filesystem::is_empty(home.file("Banners")));
}

TEST_F(BannerWizard, TheMainWindowsToolsMenuHasBothMakers) {
    CMainFrame frame(a);
    QStringList texts;
    for (QAction* menu : frame.menuBar()->actions())
        if (menu->menu() && menu->text() == "&Tools")
            for (QAction* act : menu->menu()->actions()) texts << act->text();
    EXPECT_TRUE(texts.contains("Create new &font...")) << texts.join(", ").toStdString();
    EXPECT_TRUE(texts.contains("TV &banners converter...")) << texts.join(", ").toStdString();
}
