// "Edit video playlist" and "Edit playlist" on the demo's clips and playlists: edited through
// their buttons and sub-dialogs, saved, and read back from the files.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

#include "air_qt_app.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "demo/demo_root.h"
#include "demo/demo_video.h"
#include "pages/file_result.h"
#include "platform/files.h"
#include "ui/mainframe/hardware_dlg.h"
#include "ui/text.h"
#include "ui/translate.h"
#include "ui/video/playlist_dialogs.h"
#include "ui_fixture.h"
#include "video/playlist.h"
#include "video/video_playlist.h"

using namespace ui;

namespace {

struct VideoDialogs : zxtest::UiTest {
    std::vector<std::string> asked;  // what the file chooser was asked for
    std::string answer;              // and what it answers

    void SetUp() override {
        UiTest::SetUp();
        zxtest::EnsureQtApp();
        demo::DemoResult r;
        std::string error;
        ASSERT_TRUE(demo::MakeDemoRoot(home.path(), {}, r, error)) << error;
        a.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", home.path()}));
        a.setDeviceLink(&fakeLink);
        a.StartHardware();
    }
    FileChooser chooser() {
        return [this](QWidget*, bool save, int type, const std::string& proposed) {
            asked.push_back(std::string(save ? "save " : "open ") + std::to_string(type) + " " + proposed);
            return answer;
        };
    }
    static QStringList column(QTreeWidget* t, int c) {
        QStringList out;
        for (int i = 0; i < t->topLevelItemCount(); ++i) out << t->topLevelItem(i)->text(c);
        return out;
    }
    static void select(QTreeWidget* t, const QString& text, int c = 0) {
        for (int i = 0; i < t->topLevelItemCount(); ++i)
            if (t->topLevelItem(i)->text(c) == text) return t->setCurrentItem(t->topLevelItem(i));
        ADD_FAILURE() << "no row " << text.toStdString();
    }
    std::vector<std::string> rowsOf(const std::string& file) {
        video::CVideoPlaylist p(home.file("Video/"));
        EXPECT_EQ(p.Load(file, {}), pages::FILE_OK);
        std::vector<std::string> out;
        for (const video::VideoRow& r : p.Rows())
            out.push_back((r.name.empty() ? std::string("-") : r.name) + " " + video::TransitionButton(r.transition) +
                          " " + std::to_string(r.interleave));
        return out;
    }
};

}  // namespace

TEST_F(VideoDialogs, EditVideoPlaylistAddsMovesEditsSavesAndReloads) {
    const std::string file = home.file(demo::kEveningNews);
    CVideoPlaylistDlg dlg(a, file);
    dlg.setFileChooser(chooser());
    EXPECT_EQ(DialogId(&dlg), IDD_VIDEO_PLAYLIST);
    EXPECT_EQ(column(dlg.library, 0), (QStringList{"opener.mpg", "sting_1500ms.mpg", "test.mpg", "weather_8.mpg"}));
    EXPECT_EQ(column(dlg.library, 2), (QStringList{"News opener", "Sting", "Colour bars", "Weather map"}));
    EXPECT_EQ(dlg.library->topLevelItem(3)->text(1), "   0:08.0");
    EXPECT_EQ(column(dlg.list, 0), (QStringList{"1", "2", "3", "-"}));
    EXPECT_EQ(column(dlg.list, 3), (QStringList{"MIX", "EFFECT1 [CLOCK ON]", "CUT", "CUT [CLOCK OFF]"}));
    EXPECT_EQ(dlg.list->topLevelItem(3)->text(2), "");
    EXPECT_TRUE(dlg.logoOff->isChecked());
    const QString total = FromProgramText(video::CVideoPlaylist::FormatDuration(dlg.editor().Total())).trimmed();
    EXPECT_EQ(dlg.playTime->text(), "Play time: " + total);
    zxtest::SaveScreenshot(dlg, "edit_video_playlist");

    // The colour bars before the closing row, then up above the sting.
    select(dlg.library, "test.mpg");
    dlg.add->click();
    EXPECT_EQ(column(dlg.list, 1), (QStringList{"opener.mpg", "weather_8.mpg", "sting_1500ms.mpg", "test.mpg", ""}));
    EXPECT_EQ(dlg.list->currentItem()->text(1), "test.mpg");
    EXPECT_TRUE(dlg.windowTitle().endsWith("*"));
    dlg.moveUp->click();
    EXPECT_EQ(dlg.list->currentItem()->text(1), "test.mpg");
    EXPECT_EQ(dlg.list->indexOfTopLevelItem(dlg.list->currentItem()), 2);
    // Neither way from the closing row; not down into it.
    select(dlg.list, "-");
    EXPECT_FALSE(dlg.moveUp->isEnabled());
    EXPECT_FALSE(dlg.moveDown->isEnabled());
    select(dlg.list, "sting_1500ms.mpg", 1);
    EXPECT_FALSE(dlg.moveDown->isEnabled());
    EXPECT_TRUE(dlg.moveUp->isEnabled());

    // "Edit transition effect" on the bars: EFFECT3 with THERMO On.
    select(dlg.list, "test.mpg", 1);
    zxtest::WhenModal([](QWidget* modal) {
        auto* t = qobject_cast<CTransitionDlg*>(modal);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->windowTitle(), "Edit transition effect");
        t->transition->setCurrentIndex(4);
        t->interleave->setValue(900);
        t->extras[1]->setCurrentIndex(7);
        zxtest::SaveScreenshot(*t, "edit_transition_effect");
        t->accept();
    });
    dlg.edit->click();
    EXPECT_EQ(dlg.list->topLevelItem(2)->text(3), "EFFECT3 [THERMO ON]");

    // "Default transition" goes to [VideoList] and into the next row added.
    zxtest::WhenModal([](QWidget* modal) {
        auto* t = qobject_cast<CTransitionDlg*>(modal);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->extras[0], nullptr);
        t->transition->setCurrentIndex(1);
        t->interleave->setValue(400);
        t->spacing->setValue(250);
        t->accept();
    });
    dlg.defaults->click();
    EXPECT_EQ(a.profile().getInt("VideoList", "DefTransition", -1), 1);
    EXPECT_EQ(a.profile().getInt("VideoList", "DefTimeIn", -1), 400);
    EXPECT_EQ(a.profile().getInt("VideoList", "DefTimeOut", -1), 250);
    select(dlg.library, "opener.mpg");
    dlg.add->click();
    EXPECT_EQ(dlg.list->topLevelItem(4)->text(3), "MIX");

    // Saved where it came from, and read back as it was shown.
    dlg.logoOff->setChecked(false);
    dlg.save->click();
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(dlg.saved());
    EXPECT_FALSE(dlg.windowTitle().endsWith("*"));
    EXPECT_EQ(rowsOf(file),
              (std::vector<std::string>{"opener.mpg MIX 500", "weather_8.mpg EFFECT1 700", "test.mpg EFFECT3 900",
                                        "sting_1500ms.mpg CUT 100", "opener.mpg MIX 400", "- CUT 100"}));
    // "Save As..." asks for a name and edits that file from then on.
    answer = home.file("Video/Copy.vid");
    dlg.saveAs->click();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], "save 15 " + file);
    EXPECT_TRUE(platform::FileExists(answer));
    EXPECT_EQ(dlg.editor().path(), answer);

    // Clear leaves the closing row with the defaults; Load brings a file back.
    dlg.clear->click();
    EXPECT_EQ(column(dlg.list, 0), QStringList{"-"});
    EXPECT_EQ(dlg.list->topLevelItem(0)->text(3), "MIX");
    answer = file;
    dlg.load->click();
    EXPECT_EQ(dlg.list->topLevelItemCount(), 6);
    EXPECT_FALSE(dlg.logoOff->isChecked());

    // The column widths go back on close.
    dlg.list->setColumnWidth(1, 150);
    dlg.library->setColumnWidth(1, 111);
    dlg.reject();
    EXPECT_EQ(a.profile().getInt("VideoList", "ListColumnWidth1", -1), 150);
    EXPECT_EQ(a.profile().getInt("VideoList", "BaseColumnWidth1", -1), 111);
}

TEST_F(VideoDialogs, DeletingAClipAsksAsTheCatalogueAndPlaylistsNeed) {
    const std::string file = home.file(demo::kEveningNews);
    CVideoPlaylistDlg dlg(a, file);
    dlg.show();
    // Not used by any playlist: 22088, and No keeps it.
    select(dlg.library, "test.mpg");
    boxes.setQuestionAnswer(app::IDNO);
    dlg.remove->click();
    EXPECT_EQ(boxes.lastText(), app::LoadString(22088));
    EXPECT_TRUE(platform::FileExists(home.file(demo::kTestClip)));
    boxes.setQuestionAnswer(app::IDYES);
    dlg.remove->click();
    EXPECT_FALSE(platform::FileExists(home.file(demo::kTestClip)));
    EXPECT_EQ(column(dlg.library, 0), (QStringList{"opener.mpg", "sting_1500ms.mpg", "weather_8.mpg"}));

    // The sting plays in the demo's playlist: "Confirm deleting" names it.
    const int boxesBefore = boxes.count();
    select(dlg.library, "sting_1500ms.mpg");
    zxtest::WhenModal([&](QWidget* modal) {
        auto* c = qobject_cast<CConfirmDeleteDlg*>(modal);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(column(c->list, 0), QStringList{FromProgramText(file)});
        zxtest::SaveScreenshot(*c, "confirm_deleting");
        c->no->click();
    });
    dlg.remove->click();
    EXPECT_TRUE(platform::FileExists(home.file(demo::kStingClip)));
    zxtest::WhenModal([](QWidget* modal) { qobject_cast<CConfirmDeleteDlg*>(modal)->yes->click(); });
    dlg.remove->click();
    EXPECT_EQ(boxes.count(), boxesBefore);
    EXPECT_FALSE(platform::FileExists(home.file(demo::kStingClip)));
    EXPECT_EQ(column(dlg.list, 1), (QStringList{"opener.mpg", "weather_8.mpg", ""}));
    // The catalogue lost both.
    video::CVideoLibrary lib(home.file("Video/"));
    ASSERT_EQ(lib.Read(), pages::FILE_OK);
    EXPECT_EQ(lib.Entries().size(), 2u);

    // "Edit description" rewrites video.dat; a header click sorts by that column.
    select(dlg.library, "weather_8.mpg");
    zxtest::WhenModal([](QWidget* modal) {
        auto* ask = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(ask, nullptr);
        EXPECT_EQ(ask->textValue(), "Weather map");
        ask->setTextValue("A weather map");
        ask->accept();
    });
    dlg.description->click();
    lib.Read();
    EXPECT_EQ(lib.Entries()[size_t(lib.Find("weather_8.mpg", false))].description, "A weather map");
    emit dlg.library->header()->sectionClicked(2);
    EXPECT_EQ(column(dlg.library, 2), (QStringList{"A weather map", "News opener"}));
    EXPECT_EQ(dlg.library->currentItem()->text(0), "weather_8.mpg");
    // Closing a changed playlist asks: Cancel stays, No drops the changes.
    boxes.setQuestionAnswer(app::IDCANCEL);
    dlg.close->click();
    EXPECT_TRUE(dlg.isVisible());
    boxes.setQuestionAnswer(app::IDNO);
    dlg.close->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(a.profile().getInt("VideoList", "SortMode", -1), 2);
    EXPECT_FALSE(dlg.saved());
}

TEST_F(VideoDialogs, EditPlaylistAddsClipsAndButtonsRemovesSavesAndLoads) {
    video::CPlaylist air;
    CAirPlaylistDlg dlg(a, air);
    dlg.setFileChooser(chooser());
    EXPECT_EQ(DialogId(&dlg), IDD_AIR_PLAYLIST);
    EXPECT_EQ(dlg.list->topLevelItemCount(), 0);

    // A clip at 2 s on track #1, chosen through "...".
    answer = home.file(demo::kWeatherClip);
    zxtest::WhenModal([](QWidget* modal) {
        auto* c = qobject_cast<CAddClipDlg*>(modal);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->windowTitle(), "Add Clip to Track #1");
        EXPECT_FALSE(c->ok->isEnabled());
        c->browse->click();
        c->time->setValue(2.0);
        zxtest::SaveScreenshot(*c, "add_clip");
        c->ok->click();
    });
    dlg.addClip1->click();
    ASSERT_EQ(air.Clips(0).size(), 1u);
    EXPECT_EQ(air.Clips(0)[0].path, "Video/weather_8.mpg");
    EXPECT_FALSE(air.Clips(0)[0].absolute);
    EXPECT_EQ(air.Clips(0)[0].duration, 8000);
    // The sting right after it, looped.
    zxtest::WhenModal([this](QWidget* modal) {
        auto* c = qobject_cast<CAddClipDlg*>(modal);
        ASSERT_NE(c, nullptr);
        c->path->setText(FromProgramText(home.file(demo::kStingClip)));
        c->afterPrevious->setChecked(true);
        EXPECT_FALSE(c->time->isEnabled());
        c->looped->setChecked(true);
        c->ok->click();
    });
    dlg.addClip1->click();
    // The opener on track #2 at once (its length is probed).
    EXPECT_TRUE(dlg.AddClip(1, home.file(demo::kOpenerClip), 0, false));
    // A file that is no clip: 3046 + the probe's code, nothing added.
    zxtest::WriteText(home.file("Video/notes.mpg"), "not a clip");
    EXPECT_FALSE(dlg.AddClip(1, home.file("Video/notes.mpg"), 500, false));
    EXPECT_TRUE(boxes.lastText() == app::LoadString(3048) || boxes.lastText() == app::LoadString(3049))
        << boxes.lastText();
    EXPECT_EQ(air.Clips(1).size(), 1u);

    // IN8 at 1.5 s, then LOGO1 Off right after it.
    zxtest::WhenModal([](QWidget* modal) {
        auto* b = qobject_cast<CAddButtonDlg*>(modal);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->button->count(), 44);
        b->button->setCurrentText("IN8");
        b->time->setValue(1.5);
        zxtest::SaveScreenshot(*b, "add_button");
        b->accept();
    });
    dlg.addButton->click();
    zxtest::WhenModal([](QWidget* modal) {
        auto* b = qobject_cast<CAddButtonDlg*>(modal);
        ASSERT_NE(b, nullptr);
        b->button->setCurrentText("LOGO1");
        b->action->setCurrentIndex(2);
        EXPECT_EQ(b->action->currentText(), "Off");
        b->afterPrevious->setChecked(true);
        b->accept();
    });
    dlg.addButton->click();
    EXPECT_EQ(column(dlg.list, 0), (QStringList{"0.000", "1.500", "1.500", "2.000", "10.000"}));
    EXPECT_EQ(column(dlg.list, 1), (QStringList{"", "", "", "Video/weather_8.mpg", "Video/sting_1500ms.mpg (loop)"}));
    EXPECT_EQ(column(dlg.list, 2), (QStringList{"Video/opener.mpg", "", "", "", ""}));
    EXPECT_EQ(column(dlg.list, 3), (QStringList{"", "IN8 Push", "LOGO1 Off", "", ""}));
    zxtest::SaveScreenshot(dlg, "edit_playlist");

    // Saved and loaded back into another playlist.
    answer = home.file("Video/Mine.zxp");
    dlg.save->click();
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.back(), "save 14 " + a.GetPath(app::FOLDER_VIDEO, "Playlist.zxp"));
    video::CPlaylist back(home.path());
    ASSERT_EQ(back.Load(answer), pages::FILE_OK);
    EXPECT_EQ(back.Clips(0), air.Clips(0));
    EXPECT_EQ(back.Clips(1), air.Clips(1));
    EXPECT_EQ(back.Events(), air.Events());

    // Remove the selected line, Clear, and Load the demo's air playlist.
    select(dlg.list, "LOGO1 Off", 3);
    dlg.remove->click();
    EXPECT_EQ(air.Events().size(), 1u);
    dlg.clear->click();
    EXPECT_EQ(dlg.list->topLevelItemCount(), 0);
    answer = home.file(demo::kEveningNewsAir);
    dlg.load->click();
    EXPECT_EQ(air.Clips(0).size(), 2u);
    EXPECT_EQ(air.Clips(1).size(), 1u);
    EXPECT_GT(dlg.list->topLevelItemCount(), 8);
    EXPECT_TRUE(dlg.changed());
}

TEST_F(VideoDialogs, HardwareCheckIsGreyedWhileThePlayersAreOnAir) {
    bool onAir = true;
    int checks = 0;
    Factories().checkVideo = [&](QWidget*, int, int, const std::string&) { ++checks; };
    Factories().videoInUse = [&] { return onAir; };
    {
        CHardwareDlg dlg(a);
        EXPECT_FALSE(dlg.check1->isEnabled());
        EXPECT_FALSE(dlg.check2->isEnabled());
        EXPECT_FALSE(dlg.check1->toolTip().isEmpty());
        dlg.check1->click();
        dlg.reject();
    }
    EXPECT_EQ(checks, 0);
    onAir = false;
    CHardwareDlg dlg(a);
    EXPECT_TRUE(dlg.check1->isEnabled());
    EXPECT_TRUE(dlg.check2->isEnabled());
    dlg.check2->click();
    EXPECT_EQ(checks, 1);
    dlg.reject();
}
