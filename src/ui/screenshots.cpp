// zentrix_screenshots OUT_DIR: pictures of the page editor and its dialogs, for the documentation
// and for a look at the layout, made on a folder of its own with fonts made from DejaVu Sans
// (fonts-dejavu-core). Run by scripts/screenshots on the offscreen platform (no desktop needed).
#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "pages/font_manager.h"
#include "pages/scalable_font.h"
#include "platform/files.h"
#include "ui/editor/colour_dialog.h"
#include "ui/editor/editor_dialogs.h"
#include "ui/editor/page_editor_frame.h"
#include "ui/editor/page_view.h"

namespace {

constexpr const char* kSansFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kBoldFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Plain white text on a dark panel, a centred yellow title, and a crawl.
constexpr const char* kStyles =
    "Body,0,0,-1610612736,0,8,8,0,4,4,0,Sans,1,1,16777215,0,0\n"
    "Title,0,1,-1895825408,1,0,0,0,0,0,0,Title,1,0,0,0,0\n"
    "Crawl,1,0,-1610612736,0,0,0,0,0,0,0,Sans,1,1,65535,0,0\n";

bool makeFont(const std::string& path, const char* file, int height, bool colour) {
    pages::ScalableFontOptions o;
    o.fontFile = file;
    o.height = height;
    o.colour = colour;
    o.fill = 0x40D0FF;
    o.shadow = true;
    o.outline = colour ? 2 : 1;
    pages::CBitmapFont font;
    std::string error;
    if (!pages::MakeFontFromScalable(o, font, error)) {
        std::fprintf(stderr, "zentrix_screenshots: %s: %s\n", file, error.c_str());
        return false;
    }
    pages::CFontManager writer;
    return writer.Save(font, path);
}

void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

class Shots {
public:
    explicit Shots(std::string dir) : dir_(std::move(dir)) {}
    void take(QWidget& w, const std::string& name) {
        settle();
        const std::string file = dir_ + name + ".png";
        if (!w.grab().save(QString::fromStdString(file))) {
            std::fprintf(stderr, "zentrix_screenshots: cannot write %s\n", file.c_str());
            failed_ = true;
            return;
        }
        std::printf("Wrote %s\n", file.c_str());
    }
    void dialog(QDialog& d, const std::string& name) {
        d.adjustSize();
        d.show();
        take(d, name);
        d.hide();
    }
    bool failed() const { return failed_; }

private:
    std::string dir_;
    bool failed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zentrix_screenshots OUT_DIR\n");
        return 2;
    }
    std::string out = argv[1];
    if (out.back() != '/') out += '/';
    if (!platform::MakeDirectories(out)) {
        std::fprintf(stderr, "zentrix_screenshots: cannot make %s\n", out.c_str());
        return 1;
    }
    if (!platform::FileExists(kSansFile) || !platform::FileExists(kBoldFile)) {
        std::fprintf(stderr, "zentrix_screenshots: DejaVu Sans is not installed (fonts-dejavu-core)\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Zentrix");

    // A program folder of its own, removed at the end.
    char home[] = "/tmp/zentrix-shots-XXXXXX";
    if (!mkdtemp(home)) {
        std::fprintf(stderr, "zentrix_screenshots: cannot make a folder in /tmp\n");
        return 1;
    }
    const std::string folder = std::string(home) + "/";
    int status = 1;
    {
        app::HeadlessMessageBoxes boxes;
        app::SetMessageBoxes(&boxes);
        app::CZentrixApp theApp;
        pages::CFontManager fonts;
        if (platform::MakeDirectories(folder + "Fonts") && makeFont(folder + "Fonts/Sans.bmf", kSansFile, 28, false) &&
            makeFont(folder + "Fonts/Title.bmf", kBoldFile, 44, true) &&
            platform::WriteFileAtomic(folder + "STYLE.INI", kStyles) &&
            platform::WriteFileAtomic(folder + "ZENTRIX.INI", "")) {
            theApp.InitSettingsOnly(app::CommandLine::Parse({"--home", folder}));
            theApp.StartHardware();
            theApp.folders().createDataFolders();
            fonts.setFolder(folder + "Fonts");
            fonts.Enumerate();

            Shots shots(out);
            ui::CPageEditorFrame f(fonts);
            if (f.Prepare("")) {
                f.resize(1400, 980);
                f.show();
                settle();
                pages::CPageEditor& ed = f.editor();
                ed.SetPageColour(0xF0000000);
                ed.styles.current = 1;
                ed.CreateFrame({60, 40, 660, 150});
                ed.Type("Evening News");
                ed.styles.current = 0;
                ed.CreateFrame({60, 380, 420, 470});
                ed.Type("Anna Petrova\nreporter, Kyiv");
                ed.styles.current = 2;
                ed.CreateFrame({20, 500, 700, 544});
                ed.Type("Breaking: the northern bridge reopens on Friday after two years of repairs");
                ed.Select(1);
                ed.SetCaret({0, 5}, false);
                ed.SetCaret({0, 12}, true);
                f.Refresh();
                f.view()->setFocus();
                shots.take(f, "editor_page");
                const bool saved = f.SaveTo(out + "demo.zxg");
                ed.prefs.useClip = true;
                ed.prefs.useShadow = false;
                f.Refresh();
                shots.take(f, "editor_guides");

                ui::CColourDialog colour(0x8000D0F0, &f);
                shots.dialog(colour, "dialog_colour");
                ui::CParagraphDialog para(ed.SelectionParaFormat(), true, &f);
                shots.dialog(para, "dialog_paragraph");
                ui::CFrameDialog frameDialog(ed.SelectedFrameFormatting(), false, false, &f);
                shots.dialog(frameDialog, "dialog_frame");
                ui::CStyleLibraryDialog styles(ed.styles, 1, &f);
                shots.dialog(styles, "dialog_styles");
                ui::CEditorPrefsDialog prefs(ed.prefs, &f);
                shots.dialog(prefs, "dialog_preferences");
                ui::CNewPageDialog newPage({"Weather", "Sport"}, 1, "Sport", &f);
                shots.dialog(newPage, "dialog_new_page");
                if (saved) std::printf("Wrote %sdemo.zxg\n", out.c_str());
                status = shots.failed() || !saved ? 1 : 0;
            }
        }
        app::SetMessageBoxes(nullptr);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return status;
}
