#include <QDialog>
#include <QMdiSubWindow>

#include "app/mode_manager.h"
#include "ui/mainframe/gui_shell.h"
#include "ui/mainframe/main_frame.h"
#include "ui/mainframe/splash_wnd.h"
#include "ui_fixture.h"

using namespace ui;

namespace {

class Shell : public zxtest::UiTest {
protected:
    app::StartResult run(app::CZentrixApp& theApp, CGuiShell& shell, std::vector<std::string> args) {
        args.insert(args.begin(), {"--home", home.path()});
        theApp.setShell(&shell);
        theApp.setLockFolder(locks.path());
        return theApp.InitInstance(app::CommandLine::Parse(args));
    }
    zxtest::TempDir locks;
};

TEST_F(Shell, PageFromTheCommandLineOpensItsEditor) {
    zxtest::WriteText(home.file("ZENTRIX.INI"), "[Debug]\nLog=1\n[Start]\nFirst=1\nNoAsk=1\nProgram=1\n");
    app::CZentrixApp theApp;
    CGuiShell shell(theApp);
    ASSERT_EQ(run(theApp, shell, {home.file("Pages/News.zxg")}), app::StartResult::Started);
    // With the event log on the splash goes at once.
    ASSERT_NE(shell.splash(), nullptr);
    EXPECT_FALSE(shell.splash()->isVisible());
    CMainFrame* f = shell.mainFrame();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->modes().openFlags(), app::OPEN_PAGE_EDITOR);  // not the NoAsk mode
    ASSERT_EQ(f->mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(f->mdiArea()->subWindowList()[0]->windowTitle(), "Page editor");
    EXPECT_TRUE(f->close());
    theApp.ExitInstance();
    shell.destroyMainFrame();
}

TEST_F(Shell, FirstStartOpensTheHardwareDialogThenNoAskOpensTheMode) {
    zxtest::WriteText(home.file("ZENTRIX.INI"), "[Start]\nFirst=1\nNoAsk=1\nProgram=1\n");
    {
        app::CZentrixApp theApp;
        CGuiShell shell(theApp);
        QString title;
        bool splashOverDialog = true;
        zxtest::WhenModal([&](QWidget* w) {
            title = w->windowTitle();
            splashOverDialog = shell.splash()->isVisible();
            if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
        });
        ASSERT_EQ(run(theApp, shell, {}), app::StartResult::Started);
        EXPECT_EQ(title, "Hardware");
        EXPECT_FALSE(splashOverDialog);
        EXPECT_EQ(theApp.profile().getInt("Hardware", "Enable", -1), 1);  // written back on close
        EXPECT_EQ(shell.mainFrame()->modes().openFlags(), 0);
        shell.mainFrame()->close();
        theApp.ExitInstance();
    }
    app::CZentrixApp theApp;
    CGuiShell shell(theApp);
    ASSERT_EQ(run(theApp, shell, {}), app::StartResult::Started);
    EXPECT_TRUE(shell.splash()->isVisible());  // closes itself after two seconds
    EXPECT_EQ(shell.mainFrame()->modes().openFlags(), app::OPEN_SEQUENCE_EDITOR);
    EXPECT_TRUE(shell.mainFrame()->windowTitle().contains("Sequence editor"))
        << shell.mainFrame()->windowTitle().toStdString();
    shell.mainFrame()->close();
    theApp.ExitInstance();
}

}  // namespace
