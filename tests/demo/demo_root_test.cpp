// zx demo's data root: complete, loadable without a single question or warning, and the same
// files on every run.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "air/seq_doc.h"
#include "app/zentrix_app.h"
#include "demo/demo_root.h"
#include "device/embedded_device.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

// A page that names a font the demo lacks would ask this; the demo must never make it ask.
class NoSubstitution final : public pages::FontSubstitution {
public:
    int AskSubstitute(const std::string& missing, const std::vector<std::string>&) override {
        ADD_FAILURE() << "a page asks for the missing font " << missing;
        return 0;
    }
};

using Files = std::map<std::string, std::vector<uint8_t>>;

Files ReadAll(const std::string& root, const demo::DemoResult& r) {
    Files out;
    for (const std::string& f : r.files) EXPECT_TRUE(platform::ReadFile(root + f, out[f])) << f;
    return out;
}

}  // namespace

TEST(DemoRoot, CompleteAndLoadable) {
    zxtest::TempDir dir;
    demo::DemoResult r;
    std::string error;
    ASSERT_TRUE(demo::MakeDemoRoot(dir.path(), {}, r, error)) << error;
    EXPECT_EQ(r.fonts, 7);  // six from DejaVu, one by the font maker
    EXPECT_EQ(r.pages, 8);  // and the caption page
    EXPECT_EQ(r.sequences, 2);
    EXPECT_EQ(r.styles, 6);

    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", dir.path()}));
    for (int i = app::FOLDER_FONTS; i < app::FOLDER_COUNT; ++i)
        EXPECT_TRUE(platform::IsDirectory(theApp.GetPath(i))) << theApp.GetPath(i);
    // The settings lead the link to the embedded Device, with the air log on and Live mode first.
    device::EmbeddedDevice reg;
    reg.sessionAddress = [] { return std::string("127.0.0.1:1"); };
    device::SetEmbeddedDevice(reg);
    EXPECT_TRUE(device::LinkUsesEmbeddedDevice(theApp));
    device::SetEmbeddedDevice({});
    EXPECT_EQ(theApp.settings().enable, 1);
    EXPECT_EQ(theApp.settings().airLog, 1);
    EXPECT_EQ(theApp.settings().remote, 1);  // Live mode starts zx-remote
    EXPECT_EQ(theApp.settings().noAsk, 1);
    EXPECT_EQ(theApp.settings().program, 2);

    // Fonts: all enumerate; monochrome and colour ones; Latin and Cyrillic letters everywhere.
    NoSubstitution ask;
    pages::CFontManager fonts;
    fonts.setSubstitution(&ask);
    fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
    fonts.Enumerate();
    ASSERT_EQ(fonts.GetCount(), 7);
    int mono = 0;
    for (int i = 0; i < fonts.GetCount(); ++i) {
        const pages::CBitmapFont* f = fonts.FontAt(i);
        mono += f->isMonochrome();
        EXPECT_NE(f->glyphOf('A'), 0) << f->name();
        EXPECT_NE(f->glyphOf(0xC6), 0) << f->name();  // Cyrillic capital Zhe in code page 1251
        EXPECT_NE(f->glyphOf(0xC6), f->glyphOf('A')) << f->name();
    }
    EXPECT_GT(mono, 0);
    EXPECT_LT(mono, 6);

    // Pages: every part of every file reads, with compiled Device data and a thumbnail.
    int scrollers = 0, rolls = 0, pictures = 0;
    for (const std::string& file : demo::DemoPageFiles()) {
        SCOPED_TRACE(file);
        pages::CPageDoc page(fonts);
        pages::CPageImage image;
        ASSERT_EQ(page.Load(pages::LOAD_SUMMARY | pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL | pages::LOAD_DEVICE,
                            dir.file(file), image),
                  0);
        EXPECT_GT(page.frameCount(), 0);
        EXPECT_GT(image.device.stillSize, 0u);
        EXPECT_FALSE(image.thumbnail.empty());
        EXPECT_TRUE(page.LayoutAll()) << "text cut off";
        scrollers += page.MovingFrameType() == pages::FRAME_SCROLLER;
        rolls += page.MovingFrameType() == pages::FRAME_ROLL;
        pictures += page.hasBackgroundPicture;
        EXPECT_EQ(image.hasStrip(), page.MovingFrameType() != 0);
    }
    EXPECT_EQ(scrollers, 1);
    EXPECT_EQ(rolls, 1);
    EXPECT_EQ(pictures, 1);

    // Sequences: every page found and checked, with more than one kind of effect.
    platform::ManualClock clock;
    for (const std::string& file : demo::DemoSequenceFiles()) {
        SCOPED_TRACE(file);
        air::CSeqDoc seq(theApp.folders(), clock);
        ASSERT_EQ(seq.LoadSequence(dir.file(file)), air::SEQ_OK);
        ASSERT_GE(seq.count(), 3);
        std::map<int, int> effects;
        for (const air::SeqItem& it : seq.items) {
            EXPECT_TRUE(it.loaded && it.checked) << it.pageName;
            EXPECT_EQ(it.pathKind, 0) << "stored below the Pages folder, so the root can move";
            ++effects[it.showParams.inType];
        }
        EXPECT_GE(effects.size(), 3u);
    }

    // STYLE.INI: every line yields the 17 fields the page editor reads.
    std::string styles = zxtest::ReadText(dir.file("STYLE.INI"));
    int lines = 0;
    for (size_t at = 0; at < styles.size();) {
        size_t end = styles.find('\n', at);
        ASSERT_NE(end, std::string::npos) << "every line ends";
        const std::string line = styles.substr(at, end - at);
        char name[64], font[64];
        int v[15];
        EXPECT_EQ(std::sscanf(line.c_str(), "%63[^,],%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%63[^,],%d,%d,%d,%d,%d", name, &v[0],
                              &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], font, &v[10], &v[11],
                              &v[12], &v[13], &v[14]),
                  17)
            << line;
        EXPECT_NE(fonts.Find(font), nullptr) << line;
        ++lines;
        at = end + 1;
    }
    EXPECT_EQ(lines, 6);
}

TEST(DemoRoot, SameFilesEveryTimeAndAnywhere) {
    zxtest::TempDir a, b;
    demo::DemoResult ra, rb, again;
    std::string error;
    ASSERT_TRUE(demo::MakeDemoRoot(a.path(), {}, ra, error)) << error;
    const Files first = ReadAll(a.path(), ra);
    ASSERT_TRUE(demo::MakeDemoRoot(b.path(), {}, rb, error)) << error;
    EXPECT_EQ(ra.files, rb.files);
    EXPECT_TRUE(ReadAll(b.path(), rb) == first) << "another folder gives other files";
    ASSERT_TRUE(demo::MakeDemoRoot(a.path(), {}, again, error)) << error;
    EXPECT_TRUE(ReadAll(a.path(), again) == first) << "a second run changes files";
}

TEST(DemoRoot, WithoutTheScalableFontsSaysWhatIsMissing) {
    zxtest::TempDir dir;
    demo::DemoOptions o;
    o.fontFolder = dir.file("no-fonts");
    demo::DemoResult r;
    std::string error;
    EXPECT_FALSE(demo::MakeDemoRoot(dir.file("root"), o, r, error));
    EXPECT_NE(error.find("fonts-dejavu-core"), std::string::npos) << error;
    EXPECT_EQ(r.pages, 0);
}
