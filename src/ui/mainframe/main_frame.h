// The main window: a document area in which the working modes open, the menu of modes and
// settings, a toolbar with a button per mode, and a status bar with the Device link. It hosts
// the mode manager and keeps its placement in the [Layout] section.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QRect>
#include <memory>
#include <string>

#include "app/mode_manager.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace app {
class CZentrixApp;
}

namespace ui {

// Menu and command identifiers of the main frame.
enum : int {
    IDR_MAINFRAME = 128,
    ID_SETTINGS_HARDWARE = 32771,
    ID_SETTINGS_PREFERENCES = 32772,
    ID_SETTINGS_OUTPUT = 32773,
    ID_SETTINGS_REMOTE = 32774,
    ID_WIZARD_CLOCK = 32800,
    ID_WIZARD_FONT = 32801,
    ID_WIZARD_BANNER = 32802,
    ID_WIZARD_ITV = 32803,
    ID_LANGUAGE_FIRST = 33500,
    ID_LANGUAGE_LAST = 33515,
    ID_LANGUAGE_EDIT = 33516,
    ID_LANGUAGE_ADD = 33517,
    ID_WINDOW_CASCADE = 0xE132,
    ID_WINDOW_TILE = 0xE133,
    ID_APP_ABOUT = 0xE140,
    ID_APP_EXIT = 0xE141,
    IDS_READY = 57345,
    IDS_LINK_UP = 33600,
    IDS_LINK_DOWN = 33601,
    IDS_LINK_OFF = 33602,
    IDS_LANGUAGE_NONE = 33603,
    IDS_TOOLBAR_MODES = 33604,
};

// The name a language file shows in the Language menu: its name without the extension.
QString LanguageName(const std::string& fileName);

// A window's title as its title bar shows it (Qt's "[*]" modified marker resolved), for menus.
QString ShownTitle(const QWidget& w);

// The empty document area shows the program's mark.
class CMdiArea : public QMdiArea {
    Q_OBJECT
public:
    using QMdiArea::QMdiArea;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class CMainFrame : public QMainWindow, public app::ModeHost {
    Q_OBJECT
public:
    explicit CMainFrame(app::CZentrixApp& app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    app::CModeManager& modes() { return *modes_; }

    // Where the window opens: the [Layout] rectangle, or the model's half of the work area.
    struct Placement {
        QRect rect;
        bool maximized = false;
    };
    Placement InitialPlacement() const;
    // Shows the window with its placement.
    void ShowWithLayout();
    // Writes the normal rectangle and the maximized state to [Layout].
    void SaveLayout();

    // Enables the mode commands by the mode mask and shows the link state.
    void RefreshModes();
    // Sizes the toolbar by Start/ToolbarSize.
    void ApplyToolbarSize();
    // Reads the mode texts again, lists the languages and translates the menu (at creation
    // and after the language changed).
    void UpdateMenuTexts();
    // Settings > Language: entry n of the language list (0 = none). A file that does not load
    // leaves none and says so.
    void SelectLanguage(int n);
    void OnEditTranslation();
    void OnAddLanguage();

    void OnHardware();
    void OnPreferences();
    void OnAbout();

    QAction* modeAction(int mode) const { return modeActions_[mode]; }
    QAction* hardwareAction() const { return hardwareAction_; }
    // The action of a command of the menu table (ID_...), nullptr when none.
    QAction* command(int id) const;
    QMenu* modesMenu() const { return modesMenu_; }
    // The wizards that make material ("Create new clock...").
    QMenu* toolsMenu() const { return toolsMenu_; }
    // The sub-menu the translation fills with the languages (commands 33500-33515).
    QMenu* languageMenu() const { return languageMenu_; }
    // Settings of the program as a whole; commands added after the Language sub-menu.
    QMenu* settingsMenu() const { return settingsMenu_; }
    QToolBar* toolbar() const { return toolbar_; }
    QMdiArea* mdiArea() const { return mdi_; }
    QString linkText() const;
    // A command of a window outside the document area (the program monitor), listed at the top
    // of the Window menu, its text the string of its resource id. Not owned.
    void addWindowCommand(QAction* action);

    // app::ModeHost
    std::unique_ptr<app::EditorFrame> CreateEditorFrame(int mode) override;
    std::unique_ptr<app::AirFrame> CreateAirFrame() override;
    void ShowToolbar(bool show) override;
    bool LaunchRemote(const std::string& folder) override;
    bool FontsPresent(const std::string& fontsFolder) override;
    void ShowRefusal(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildToolbar();
    void buildStatusBar();
    void rebuildWindowMenu();
    void rebuildLanguageMenu();

    app::CZentrixApp& app_;
    CMdiArea* mdi_;
    QToolBar* toolbar_ = nullptr;
    QMenu* modesMenu_ = nullptr;
    QMenu* settingsMenu_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QMenu* toolsMenu_ = nullptr;
    QAction* modeActions_[app::MODE_COUNT] = {};
    QAction* hardwareAction_ = nullptr;
    QLabel* linkLight_ = nullptr;
    QLabel* linkLabel_ = nullptr;
    std::unique_ptr<app::CModeManager> modes_;
    QList<QPointer<QAction>> windowCommands_;
    QHash<int, QAction*> commands_;
};

}  // namespace ui
