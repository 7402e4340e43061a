// Live mode's model on the air frame in simulated time: a data root with a font, titles made of
// real template pages, sequences, clocks and banners, and a fake video playlist.
#pragma once

#include <string>
#include <vector>

#include "air/titr_model.h"
#include "air_frame_fixture.h"
#include "pages/page_test_util.h"

namespace airtest {

class FakeVideoPlaylist final : public air::AirVideoPlaylist {
public:
    int Load(const std::string& path) override {
        loads.push_back(path);
        return loadResult;
    }
    void ConvertToAir() override { ++converts; }
    void SetRestoreInput(int input) override { restore = input; }
    bool Edit(const std::string& path) override {
        edits.push_back(path);
        return editChanges;
    }
    int loadResult = 0;
    int converts = 0;
    int restore = 99;
    bool editChanges = false;
    std::vector<std::string> loads, edits;
};

struct TitleFrame {
    std::string name;
    std::string text;
    bool locked = false;
};

struct TitrFixture : AirFrameFixture {
    FakeVideoPlaylist videoPlaylist;
    std::unique_ptr<air::CTitrModel> model;

    std::string settings() const override { return "[Start]\nAirLog=1\n" + extraSettings(); }
    virtual std::string extraSettings() const { return {}; }

    void SetUp() override {
        AirFrameFixture::SetUp();
        for (const char* f : {"Titr", "Sequences", "Clock", "Banners", "Video", "Fonts"}) {
            platform::MakeDirectories(dir.file(f));
        }
        app.folders().setEntry(app::FOLDER_TITLES, dir.file("Titr/"));
        app.folders().setEntry(app::FOLDER_SEQUENCES, dir.file("Sequences/"));
        app.folders().setEntry(app::FOLDER_CLOCK, dir.file("Clock/"));
        app.folders().setEntry(app::FOLDER_BANNERS, dir.file("Banners/"));
        app.folders().setEntry(app::FOLDER_VIDEO, dir.file("Video/"));
        app.folders().setEntry(app::FOLDER_FONTS, dir.file("Fonts/"));
        pages::CBitmapFont grid;
        pagetest::MakeBlockFont(grid, 10, 10, 20, 16, 2);
        ASSERT_TRUE(fonts.Save(grid, dir.file("Fonts/Grid.bmf")));
        fonts.setFolder(dir.file("Fonts/"));
        fonts.Enumerate();
    }
    void TearDown() override {
        model.reset();
        AirFrameFixture::TearDown();
    }

    air::AirObjects titrObjects() {
        air::AirObjects o = objects();
        o.videoPlaylist = &videoPlaylist;
        return o;
    }
    // The frame with the link up, and the model on it.
    void openModel() {
        frame = std::make_unique<air::CAirFrame>(app, engine, loop, clock, titrObjects());
        frame->setWindow(&window);
        frame->setView(&view);
        frame->OpenAir(false);
        linkUp();
        model = std::make_unique<air::CTitrModel>(app, fonts, *frame, titrObjects(), clock);
    }

    // A template page in Pages/ with text frames in a row, compiled and saved.
    std::string makeTemplate(const std::string& name, const std::vector<TitleFrame>& frames, bool filtered = false) {
        pages::CPageDoc doc(fonts);
        doc.NewPage();
        doc.SetBackgroundColour(0xFF000000);
        int y = 40;
        for (const TitleFrame& f : frames) {
            pages::FrameFormat ff;
            ff.colour = 0x00202020;
            pages::TextFormat tf;
            tf.setFontName("Grid");
            tf.tint = 1;
            tf.colour = 0x00FFFFFF;
            const int i = doc.CreateFrame({40, y, 680, y + 40}, ff, pages::ParaFormat{}, tf, f.name);
            doc.frame(i)->InsertText(f.text, fonts);
            doc.frame(i)->ResetView();
            doc.frame(i)->lock = f.locked ? 1 : 0;
            y += 60;
        }
        pages::CPageImage img;
        img.Compile(doc, pages::COMPILE_DEVICE | pages::COMPILE_THUMBNAIL | (filtered ? pages::COMPILE_FILTER : 0));
        const std::string path = dir.file("Pages/" + name);
        EXPECT_EQ(doc.Save(path, img), 0);
        return path;
    }
    // A title: a sequence in Titr/ whose first page is the template.
    std::string makeTitle(const std::string& file, const std::vector<TitleFrame>& frames, int showTime = 7) {
        const std::string page = makeTemplate(file + ".zxg", frames);
        air::CSeqDoc s(app.folders(), clock);
        air::ShowParams p;
        p.showTime = showTime;
        s.AppendPage(page, p);
        const std::string path = dir.file("Titr/" + file + ".zxs");
        EXPECT_EQ(s.SaveSequence(path), 0);
        return path;
    }
    // A sequence of plain pages in Sequences/.
    std::string makeSequence(const std::string& file, int pages, bool loopIt = false) {
        air::CSeqDoc s(app.folders(), clock);
        for (int i = 0; i < pages; ++i) {
            const std::string name = file + std::to_string(i) + ".zxg";
            TestPage tp;
            tp.words = "page " + std::to_string(i);
            EXPECT_TRUE(WritePage(fonts, dir.file("Pages/" + name), tp));
            air::ShowParams p;
            p.showTime = 5 + i;
            s.AppendPage(dir.file("Pages/" + name), p);
        }
        s.loop = loopIt ? 1 : 0;
        const std::string path = dir.file("Sequences/" + file + ".zxs");
        EXPECT_EQ(s.SaveSequence(path), 0);
        return path;
    }
    // A node of the model's tree by its file path.
    const air::TitlesNode& node(const std::string& path) {
        const air::TitlesNode* n = air::FindTitlesNode(model->tree(), path);
        EXPECT_NE(n, nullptr) << path;
        static air::TitlesNode none;
        return n ? *n : none;
    }
    air::CTitrModel::SelectResult select(const std::string& path) { return model->Select(node(path)); }
    std::string airLog() const { return zxtest::ReadText(dir.file("airlog.txt")); }
};

}  // namespace airtest
