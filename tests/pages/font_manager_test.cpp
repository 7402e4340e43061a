#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "app/message_boxes.h"
#include "font_test_util.h"
#include "pages/font_manager.h"
#include "platform/files.h"
#include "support/temp_dir.h"

using namespace pages;

namespace {

// A Fonts folder with the named fonts (each 2 glyphs of 3 × 2 pixels).
struct FontFolder : ::testing::Test {
    zxtest::TempDir dir;
    CFontManager fonts;
    CBitmap32 target{16, 4};

    void add(const std::string& file, uint32_t flags = 0) {
        CBitmapFont f;
        fonttest::MakeFont(f, {3, 3}, 2, flags);
        ASSERT_TRUE(fonts.Save(f, dir.file(file)));
    }
    void enumerate() {
        fonts.setFolder(dir.path());
        fonts.Enumerate();
    }
    void drawWith(const std::string& name, int times = 1) {
        ASSERT_TRUE(fonts.Select(name, 1));
        for (int i = 0; i < times; ++i) fonts.Draw("AB", 0, 0, target.bounds(), target, LAYER_GLYPHS, false);
    }
    bool loaded(const std::string& name) const { return fonts.Find(name)->loaded(); }
};

TEST_F(FontFolder, EnumerateReadsHeadersOnlyAndLeavesOutWhatItCannotUse) {
    add("Beta.bmf");
    add("alpha.BMF", FONT_COLOUR);
    add("Gamma.bmf");
    add("notes.txt");
    add("ThisNameIsMuchTooLongForAPageFont.bmf");
    // A version 2 file, and a file cut short inside its pixel data.
    std::vector<uint8_t> v;
    ASSERT_TRUE(platform::ReadFile(dir.file("Gamma.bmf"), v));
    v[32] = 2;
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("Future.bmf"), v));
    v[32] = 1;
    v.resize(v.size() - 1);
    ASSERT_TRUE(platform::WriteFileAtomic(dir.file("Short.bmf"), v));
    // A pipe with a font's name must not stop the program waiting for a writer.
    ASSERT_EQ(mkfifo(dir.file("Pipe.bmf").c_str(), 0600), 0);

    fonts.SetColour(0x123456);
    fonts.Select("x", 2);
    enumerate();
    EXPECT_EQ(fonts.FontNames(), (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
    EXPECT_EQ(fonts.GetCount(), 3);
    EXPECT_TRUE(fonts.HasFonts());
    EXPECT_EQ(fonts.Current(), fonts.FontAt(0));
    EXPECT_EQ(fonts.Colour(), 0u);
    EXPECT_EQ(fonts.TextLevel(), 1);
    EXPECT_FALSE(fonts.IsMonochrome());
    EXPECT_EQ(fonts.LoadedCount(), 0);
    EXPECT_FALSE(fonts.FontAt(0)->loaded());

    EXPECT_TRUE(fonts.Select("GAMMA", 0));
    EXPECT_EQ(fonts.Current()->name(), "Gamma");
    EXPECT_FALSE(fonts.Select("Future", 1));
    EXPECT_EQ(fonts.Current()->name(), "Gamma");
    EXPECT_EQ(fonts.TextLevel(), 1);

    // An empty folder: no current font, and every measure is 0.
    zxtest::TempDir empty;
    fonts.setFolder(empty.path());
    fonts.Enumerate();
    EXPECT_FALSE(fonts.HasFonts());
    EXPECT_EQ(fonts.Current(), nullptr);
    EXPECT_EQ(fonts.Height(), 0);
    fonts.Draw("AB", 0, 0, target.bounds(), target, LAYER_GLYPHS, false);
}

TEST_F(FontFolder, TheFifthFontLoadedEvictsTheLeastUsed) {
    for (const char* n : {"A", "B", "C", "D", "E"}) add(std::string(n) + ".bmf");
    enumerate();
    drawWith("A", 1);  // use counters: a load sets 1, every draw adds 1
    drawWith("B", 3);
    drawWith("C", 2);
    drawWith("D", 4);
    EXPECT_EQ(fonts.LoadedCount(), 4);
    drawWith("E", 1);
    EXPECT_EQ(fonts.LoadedCount(), 4);
    EXPECT_FALSE(loaded("A"));
    EXPECT_EQ(fonts.Find("A")->useCount(), 0);
    EXPECT_TRUE(loaded("E"));
    // Now E (2) is the least used; C (3) comes next.
    drawWith("A", 1);
    EXPECT_FALSE(loaded("E"));
    EXPECT_TRUE(loaded("C"));

    // Equal counters: the earliest in the list goes.
    enumerate();
    for (const char* n : {"A", "B", "C", "D"}) drawWith(n, 1);
    drawWith("E", 1);
    EXPECT_FALSE(loaded("A"));
    EXPECT_TRUE(loaded("B"));
}

TEST_F(FontFolder, AFontWhoseFileWentShortDrawsNothing) {
    add("A.bmf");
    add("B.bmf");
    enumerate();
    ASSERT_EQ(truncate(dir.file("A.bmf").c_str(), 1100), 0);
    ASSERT_EQ(unlink(dir.file("B.bmf").c_str()), 0);
    target.fillAll(0xFF000000);
    drawWith("A");
    drawWith("B");
    EXPECT_EQ(fonts.LoadedCount(), 0);
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) ASSERT_EQ(target.colourAt(x, y), 0xFF000000u);
    // Measuring still works from the header.
    EXPECT_EQ(fonts.TextWidth("AB"), 6);
}

struct CountingQuestion final : FontSubstitution {
    int asked = 0;
    int answer = 1;
    std::vector<std::string> lastFonts;
    int AskSubstitute(const std::string&, const std::vector<std::string>& f) override {
        ++asked;
        lastFonts = f;
        return answer;
    }
};

TEST_F(FontFolder, EachMissingNameIsAskedOncePerEnumeration) {
    add("Arial.bmf");
    add("Times.bmf");
    enumerate();
    CountingQuestion q;
    fonts.setSubstitution(&q);

    std::string name = "arial";
    EXPECT_TRUE(fonts.CheckFont(name, true));
    EXPECT_EQ(name, "arial");
    EXPECT_EQ(q.asked, 0);

    name = "Courier";
    EXPECT_FALSE(fonts.CheckFont(name, true));
    EXPECT_EQ(name, "Times");
    EXPECT_EQ(q.asked, 1);
    EXPECT_EQ(q.lastFonts, (std::vector<std::string>{"Arial", "Times"}));
    // A second page with the same font: no question.
    name = "COURIER";
    EXPECT_FALSE(fonts.CheckFont(name, true));
    EXPECT_EQ(name, "Times");
    name = "Courier";
    EXPECT_FALSE(fonts.CheckFont(name, false));
    EXPECT_EQ(name, "Courier");
    EXPECT_EQ(q.asked, 1);
    // Another missing name asks; an answer out of range means the first font.
    q.answer = 9;
    name = "Verdana";
    EXPECT_FALSE(fonts.CheckFont(name, true));
    EXPECT_EQ(name, "Arial");
    EXPECT_EQ(q.asked, 2);
    // A new enumeration forgets the answers.
    enumerate();
    name = "Courier";
    fonts.CheckFont(name, true);
    EXPECT_EQ(q.asked, 3);

    // Without a question installed, the headless answer is the first font.
    fonts.setSubstitution(nullptr);
    name = "Helvetica";
    EXPECT_FALSE(fonts.CheckFont(name, true));
    EXPECT_EQ(name, "Arial");
}

TEST_F(FontFolder, NoFontsMeansNoQuestion) {
    enumerate();
    CountingQuestion q;
    fonts.setSubstitution(&q);
    std::string name = "Arial";
    EXPECT_FALSE(fonts.CheckFont(name, true));
    EXPECT_EQ(name, "Arial");
    EXPECT_EQ(q.asked, 0);
}

TEST(FontSave, AFailedSaveShowsTheMessage) {
    app::HeadlessMessageBoxes boxes;
    app::SetMessageBoxes(&boxes);
    CBitmapFont f;
    fonttest::MakeFont(f, {2}, 2, 0);
    CFontManager fonts;
    EXPECT_FALSE(fonts.Save(f, "/nonexistent-folder/x.bmf"));
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.lastText(), "Error saving file:\n\n/nonexistent-folder/x.bmf");
    EXPECT_EQ(boxes.lastStyle(), app::MB_OK | app::MB_ICONERROR);
    // A font without its pixels is not written either.
    zxtest::TempDir dir;
    CBitmapFont empty;
    EXPECT_FALSE(fonts.Save(empty, dir.file("e.bmf")));
    EXPECT_FALSE(platform::FileExists(dir.file("e.bmf")));
    app::SetMessageBoxes(nullptr);
}

}  // namespace
