#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>

#include "app/strings.h"
#include "ui/mainframe/about_dlg.h"
#include "ui/mainframe/folder_browser.h"
#include "ui/mainframe/hardware_dlg.h"
#include "ui/mainframe/preferences_dlg.h"
#include "ui/text.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

class Dialogs : public zxtest::UiTest {};

TEST_F(Dialogs, HardwareListsAndWhatTheyEnable) {
    start("[Hardware]\nModel=0\nPortNo=2\nMPEG=2\nITV=1\nITVModel=2\n", true);
    CHardwareDlg dlg(a);
    ASSERT_EQ(dlg.model->count(), 6);
    EXPECT_EQ(dlg.model->itemText(5), "KTG400M");
    EXPECT_EQ(dlg.lptPort->currentText(), "LPT3");
    EXPECT_EQ(dlg.cidLength->count(), 3);
    EXPECT_EQ(dlg.cidLength->itemText(0), "5");
    EXPECT_EQ(dlg.input1->currentText(), "IN8");
    EXPECT_EQ(dlg.baudRate->currentText(), "19200");
    // The LPT list: only an LPT model with the connection ticked.
    EXPECT_TRUE(dlg.lptPort->isEnabled());
    dlg.enable->setChecked(false);
    EXPECT_FALSE(dlg.lptPort->isEnabled());
    dlg.enable->setChecked(true);
    dlg.model->setCurrentIndex(app::MODEL_KTG330E);
    EXPECT_FALSE(dlg.lptPort->isEnabled());
    dlg.model->setCurrentIndex(app::MODEL_KTG320);
    EXPECT_TRUE(dlg.lptPort->isEnabled());
    // A GSM modem has a baud rate and phone memory, no caller numbers; the USB adapter no port.
    EXPECT_TRUE(dlg.baudRate->isEnabled());
    EXPECT_TRUE(dlg.useME->isEnabled());
    EXPECT_FALSE(dlg.useCID->isEnabled());
    dlg.itvModel->setCurrentIndex(3);
    EXPECT_FALSE(dlg.itvPort->isEnabled());
    EXPECT_TRUE(dlg.useCID->isEnabled());
    EXPECT_FALSE(dlg.cidLength->isEnabled());
    dlg.useCID->setChecked(true);
    EXPECT_TRUE(dlg.cidLength->isEnabled());
    dlg.itv->setChecked(false);
    EXPECT_FALSE(dlg.itvModel->isEnabled());
    EXPECT_FALSE(dlg.cidLength->isEnabled());
    // Board 2 goes with board 1.
    EXPECT_EQ(dlg.values().mpeg, 2);
    dlg.board1->setChecked(false);
    EXPECT_FALSE(dlg.board2->isChecked());
    EXPECT_EQ(dlg.values().mpeg, 0);
    dlg.board1->setChecked(true);
    EXPECT_EQ(dlg.values().mpeg, 1);
    // "Check" plays the sample clip once the video part is there to do it.
    EXPECT_FALSE(dlg.check1->isEnabled());
    std::string played;
    Factories().checkVideo = [&](QWidget*, int board, int input, const std::string& file) {
        played = std::to_string(board) + " " + std::to_string(input) + " " + file;
    };
    CHardwareDlg withVideo(a);
    withVideo.input1->setCurrentIndex(3);
    withVideo.check1->click();
    EXPECT_EQ(played, "0 3 " + home.path() + "Video/test.mpg");
    withVideo.reject();
    dlg.reject();
}

TEST_F(Dialogs, HardwareWritesBackHoweverClosedAndRestartsTheLink) {
    start("", true);
    int opensBefore = fakeLink.opens;
    {
        CHardwareDlg dlg(a);
        dlg.model->setCurrentIndex(app::MODEL_KTG210);
        dlg.lptPort->setCurrentIndex(1);
        dlg.board1->setChecked(true);
        dlg.volume->setValue(55);
        dlg.itv->setChecked(true);
        dlg.itvModel->setCurrentIndex(2);
        dlg.reject();  // Escape or the window's close button
    }
    EXPECT_EQ(fakeLink.opens, opensBefore + 1);
    EXPECT_EQ(fakeLink.closes, 1);
    app::Profile& ini = a.profile();
    EXPECT_EQ(ini.getInt("Hardware", "Model", -1), 0);
    EXPECT_EQ(ini.getInt("Hardware", "PortNo", -1), 1);
    EXPECT_EQ(ini.getInt("Hardware", "MPEG", -1), 1);
    EXPECT_EQ(ini.getInt("Hardware", "AudioVolume", -1), 55);
    EXPECT_EQ(ini.getInt("Hardware", "ITVModel", -1), 2);
    EXPECT_EQ(a.modeMask(), app::MASK_ONAIR_SMS);
    // A link that fails now leaves only the editors, and says why.
    fakeLink.result = 11;
    CHardwareDlg dlg(a);
    dlg.closeButton->click();
    EXPECT_EQ(a.modeMask(), app::MASK_EDITORS);
    EXPECT_EQ(boxes.lastText(), app::LoadString(4101));
}

TEST_F(Dialogs, HardwareOfTheSecondEdition) {
    start("", true, {"/400M"});
    CHardwareDlg dlg(a);
    EXPECT_TRUE(dlg.enable->isChecked());
    EXPECT_FALSE(dlg.enable->isEnabled());
    EXPECT_EQ(dlg.model->currentIndex(), app::MODEL_KTG400M);
    EXPECT_FALSE(dlg.model->isEnabled());
    EXPECT_FALSE(dlg.lptPort->isEnabled());
}

struct FakeBrowser {
    bool operator()(QWidget*, std::string& path, const std::string& required, int title) {
        calls.push_back({path, required, title});
        if (answer.empty()) return false;
        path = answer;
        return true;
    }
    struct Call {
        std::string start, required;
        int title;
    };
    std::vector<Call> calls;
    std::string answer;
};

TEST_F(Dialogs, PreferencesBrowseAndWriteBack) {
    start("[Start]\nProgram=3\nToolbarSize=1\n", false);
    FakeBrowser browser;
    int fontReloads = 0;
    a.setHooks({{}, [&] { ++fontReloads; }, {}, {}});
    CPreferencesDlg dlg(a, nullptr, std::ref(browser));
    ASSERT_EQ(dlg.program->count(), 7);
    EXPECT_EQ(dlg.program->itemText(6), "SMS Chat");
    EXPECT_EQ(dlg.program->currentText(), "Automation mode");
    EXPECT_EQ(dlg.toolbarSize->currentText(), "200%");

    // A cancelled browse clears its check box.
    dlg.useNetwork->click();
    ASSERT_EQ(browser.calls.size(), 1u);
    EXPECT_EQ(browser.calls[0].required, ProgramFileName());
    EXPECT_EQ(browser.calls[0].title, 18004);
    EXPECT_FALSE(dlg.useNetwork->isChecked());
    dlg.useNetVideo->click();
    EXPECT_EQ(browser.calls[1].required, "");
    EXPECT_FALSE(dlg.useNetVideo->isChecked());
    // Chosen folders stay ticked and show their path.
    browser.answer = "/srv/zentrix/";
    dlg.useNetwork->click();
    EXPECT_TRUE(dlg.useNetwork->isChecked());
    EXPECT_EQ(dlg.networkPath->text(), "/srv/zentrix/");
    browser.answer = "/opt/remote/";
    dlg.remoteBrowse->setEnabled(true);
    dlg.remoteBrowse->click();
    EXPECT_EQ(browser.calls.back().required, kRemoteProgram);
    EXPECT_EQ(browser.calls.back().title, 18001);
    EXPECT_EQ(dlg.remotePath->text(), "/opt/remote/");

    dlg.noAsk->setChecked(true);
    dlg.program->setCurrentIndex(2);
    dlg.airLog->setChecked(true);
    dlg.accept();
    app::Profile& ini = a.profile();
    EXPECT_EQ(ini.getInt("Start", "NoAsk", 0), 1);
    EXPECT_EQ(ini.getInt("Start", "Program", 0), 2);
    EXPECT_EQ(ini.getInt("Start", "UseNetwork", 0), 1);
    EXPECT_EQ(ini.getString("Start", "NetworkPath"), "/srv/zentrix/");
    EXPECT_EQ(ini.getString("Start", "RemotePath"), "/opt/remote/");
    EXPECT_EQ(ini.getInt("Start", "AirLog", 0), 1);
    EXPECT_EQ(ini.getInt("Start", "UseNetVideo", 9), 0);
    // The folder table follows the new data root, and the fonts are read again.
    EXPECT_EQ(a.GetPath(app::FOLDER_PAGES), "/srv/zentrix/Pages/");
    EXPECT_EQ(fontReloads, 1);
}

TEST_F(Dialogs, PreferencesCancelWritesNothing) {
    start("", false);
    FakeBrowser browser;
    browser.answer = "/mnt/video/";
    {
        CPreferencesDlg dlg(a, nullptr, std::ref(browser));
        dlg.useNetVideo->click();
        EXPECT_TRUE(dlg.useNetVideo->isChecked());
        dlg.reject();
    }
    EXPECT_FALSE(a.profile().hasKey("Start", "UseNetVideo"));
    EXPECT_EQ(a.GetPath(app::FOLDER_VIDEO), home.path() + "Video/");
}

TEST_F(Dialogs, FolderBrowserNeedsItsFile) {
    zxtest::WriteText(home.file("net/ZX-Remote"), "x");
    zxtest::WriteText(home.file("empty/readme.txt"), "x");
    EXPECT_TRUE(FolderHasFile(home.file("net"), "zx-remote"));
    EXPECT_FALSE(FolderHasFile(home.file("empty"), "zx-remote"));
    EXPECT_FALSE(FolderHasFile(home.file("missing"), "zx-remote"));
    CFolderBrowser b("Select folder", QString::fromStdString(home.file("empty")), "zx-remote");
    EXPECT_FALSE(b.canAccept());
    b.select(QString::fromStdString(home.file("net")));
    EXPECT_TRUE(b.canAccept());
    CFolderBrowser any("Select folder", QString::fromStdString(home.file("empty")), "");
    EXPECT_TRUE(any.canAccept());
}

TEST_F(Dialogs, AboutShowsTheBuildDate) {
    CAboutDlg dlg;
    EXPECT_TRUE(QRegularExpression("^[A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}$").match(dlg.dateField()->text()).hasMatch())
        << dlg.dateField()->text().toStdString();
}

}  // namespace
