#include "ui/mainframe/main_frame.h"
#include "ui/wizards/wiz_banner.h"
#include "ui/wizards/wiz_clock.h"
#include "ui/wizards/wiz_font.h"
#include "ui/wizards/wiz_itv.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/file_types.h"
#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "i18n/translation.h"
#include "pages/font_manager.h"
#include "platform/files.h"
#include "ui/file_dialogs.h"
#include "ui/mainframe/about_dlg.h"
#include "ui/mainframe/artwork.h"
#include "ui/mainframe/hardware_dlg.h"
#include "ui/mainframe/mode_frames.h"
#include "ui/mainframe/preferences_dlg.h"
#include "ui/mainframe/translation_dlg.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

constexpr const char* kAppTitle = "Zentrix";

QRect workArea() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

QString ShownTitle(const QWidget& w) {
    // Qt's marker of a modified document: "[*]" shows as "*" while modified, "[*][*]" as "[*]".
    QString t = w.windowTitle();
    t.replace("[*][*]", QChar(0x1));
    t.replace("[*]", w.isWindowModified() ? "*" : "");
    t.replace(QChar(0x1), "[*]");
    return t.trimmed();
}

// ---- CMdiArea

void CMdiArea::paintEvent(QPaintEvent* event) {
    QMdiArea::paintEvent(event);
    if (!subWindowList().isEmpty()) return;
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    int edge = std::min(160, std::min(viewport()->width(), viewport()->height()) / 3);
    if (edge < 32) return;
    QRect r((viewport()->width() - edge) / 2, (viewport()->height() - edge) / 2 - edge / 4, edge, edge);
    p.setOpacity(0.35);
    PaintLogoMark(p, QRectF(r));
    p.setOpacity(0.5);
    QFont f = font();
    f.setPixelSize(std::max(14, edge / 5));
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(f);
    p.setPen(QColor(0xC8, 0xCE, 0xDC));
    p.drawText(QRect(0, r.bottom() + edge / 10, viewport()->width(), f.pixelSize() * 2),
               Qt::AlignHCenter | Qt::AlignTop, "ZENTRIX");
}

// ---- CMainFrame

CMainFrame::CMainFrame(app::CZentrixApp& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("CMainFrame");
    setWindowTitle(app.is400M() ? QString("%1 #2").arg(kAppTitle) : QString(kAppTitle));
    setWindowIcon(AppIcon());
    // The toolbar follows the open modes, not the operator's right click.
    setContextMenuPolicy(Qt::PreventContextMenu);
    mdi_ = new CMdiArea;
    mdi_->setBackground(QColor(0x2B, 0x30, 0x3A));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    modes_ = std::make_unique<app::CModeManager>(*this, app_);
    app_.setModeManager(modes_.get());

    buildMenu();
    buildToolbar();
    buildStatusBar();
    ApplyToolbarSize();
    RefreshModes();
}

CMainFrame::~CMainFrame() {
    if (app_.modes() == modes_.get()) app_.setModeManager(nullptr);
    // The mode frames go before the document area that holds them.
    modes_.reset();
}

void CMainFrame::buildMenu() {
    // Every command of the table gets an action of the frame's own, so that rebuilding the
    // Window menu keeps them.
    const std::vector<QMenu*> popups = BuildMenuBar(IDR_MAINFRAME, menuBar(), [this](int id) {
        auto* a = new QAction(this);
        commands_.insert(id, a);
        return a;
    });
    modesMenu_ = popups.at(0);
    settingsMenu_ = popups.at(1);
    languageMenu_ = popups.at(2);
    toolsMenu_ = popups.at(3);
    windowMenu_ = popups.at(4);

    // The working modes open the first pop-up, their texts from their strings.
    QAction* beforeModes = modesMenu_->actions().value(0);
    for (int m = 0; m < app::MODE_COUNT; ++m) {
        int command = app::ID_MODE_FIRST + m;
        auto* a = new QAction(this);
        SetResourceId(a, command);
        a->setIcon(ModeIcon(m));
        connect(a, &QAction::triggered, this, [this, command] {
            modes_->OpenMode(command);
            RefreshModes();
        });
        modesMenu_->insertAction(beforeModes, a);
        modeActions_[m] = a;
    }
    connect(command(ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);

    hardwareAction_ = command(ID_SETTINGS_HARDWARE);
    connect(hardwareAction_, &QAction::triggered, this, &CMainFrame::OnHardware);
    connect(command(ID_SETTINGS_PREFERENCES), &QAction::triggered, this, &CMainFrame::OnPreferences);
    // Shown once the program has its video outputs.
    command(ID_SETTINGS_OUTPUT)->setVisible(false);
    command(ID_SETTINGS_REMOTE)->setVisible(false);
    connect(settingsMenu_, &QMenu::aboutToShow, this, &CMainFrame::RefreshModes);
    connect(modesMenu_, &QMenu::aboutToShow, this, &CMainFrame::RefreshModes);
    connect(command(ID_LANGUAGE_EDIT), &QAction::triggered, this, &CMainFrame::OnEditTranslation);
    connect(command(ID_LANGUAGE_ADD), &QAction::triggered, this, &CMainFrame::OnAddLanguage);

    connect(command(ID_WIZARD_CLOCK), &QAction::triggered, this, [this] { RunClockWizard(this); });
    connect(command(ID_WIZARD_FONT), &QAction::triggered, this, [this] { RunFontWizard(this); });
    connect(command(ID_WIZARD_BANNER), &QAction::triggered, this, [this] { RunBannerWizard(this); });
    connect(command(ID_WIZARD_ITV), &QAction::triggered, this, [this] { RunItvWizard(this); });

    connect(command(ID_WINDOW_CASCADE), &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(command(ID_WINDOW_TILE), &QAction::triggered, mdi_, &QMdiArea::tileSubWindows);
    connect(windowMenu_, &QMenu::aboutToShow, this, &CMainFrame::rebuildWindowMenu);
    rebuildWindowMenu();

    connect(command(ID_APP_ABOUT), &QAction::triggered, this, &CMainFrame::OnAbout);

    UpdateMenuTexts();
}

QAction* CMainFrame::command(int id) const { return commands_.value(id); }

void CMainFrame::UpdateMenuTexts() {
    for (int m = 0; m < app::MODE_COUNT; ++m) {
        QAction* a = modeActions_[m];
        a->setText(StrLine(app::ID_MODE_FIRST + m));
        // A string may carry its tooltip after the first line feed.
        const QString tip = StrTip(app::ID_MODE_FIRST + m);
        a->setToolTip(tip.isEmpty() ? a->text() : tip);
    }
    rebuildLanguageMenu();
    TranslateMenu(IDR_MAINFRAME, menuBar());
}

void CMainFrame::rebuildLanguageMenu() {
    // The language items stand before the menu's first separator.
    for (QAction* a : languageMenu_->actions()) {
        if (a->isSeparator()) break;
        languageMenu_->removeAction(a);
        a->deleteLater();
    }
    QAction* before = languageMenu_->actions().value(0);
    i18n::Translation* tr = CurrentTranslation();
    const bool active = tr && tr->active();
    if (active) {
        const std::vector<std::string>& files = tr->languages();
        auto* group = new QActionGroup(languageMenu_);
        const size_t shown = std::min<size_t>(files.size() + 1, ID_LANGUAGE_LAST - ID_LANGUAGE_FIRST + 1);
        for (size_t n = 0; n < shown; ++n) {
            QString name = n == 0 ? StrLine(IDS_LANGUAGE_NONE) : LanguageName(files[n - 1]);
            auto* a = new QAction(name, languageMenu_);
            SetResourceId(a, ID_LANGUAGE_FIRST + int(n));
            a->setCheckable(true);
            a->setChecked(int(n) == tr->selected());
            group->addAction(a);
            languageMenu_->insertAction(before, a);
            connect(a, &QAction::triggered, this, [this, n] { SelectLanguage(int(n)); });
        }
        for (size_t n = shown; n <= files.size(); ++n)
            LogMessage("CMainFrame::Language: %s not listed (at most 16 entries)", files[n - 1].c_str());
    }
    command(ID_LANGUAGE_EDIT)->setEnabled(active && tr->selected() > 0);
    command(ID_LANGUAGE_ADD)->setEnabled(active);
}

QString LanguageName(const std::string& fileName) {
    QString name = FromProgramText(fileName);
    const int dot = name.lastIndexOf('.');
    return dot > 0 ? name.left(dot) : name;
}

void CMainFrame::SelectLanguage(int n) {
    i18n::Translation* tr = CurrentTranslation();
    if (!tr || !tr->active()) return;
    const std::string path = tr->languagePath(n);
    const int rc = tr->selectLanguage(n);
    LogMessage("CMainFrame::SelectLanguage %d: %d", n, rc);
    UpdateMenuTexts();
    if (rc != i18n::kLangOk) app::ShowFileResult(rc | 0x100, path);
}

namespace {

// Saves an edited language; a failure says so and leaves the file as it was.
bool SaveLanguage(const i18n::LangTable& table, const std::string& path) {
    const int rc = table.save(path);
    LogMessage("CMainFrame::SaveLanguage: %d", rc);
    if (rc == i18n::kLangOk) return true;
    app::ShowFileResult(i18n::kLangSaveError | 0x100, path);
    return false;
}

}  // namespace

void CMainFrame::OnEditTranslation() {
    i18n::Translation* tr = CurrentTranslation();
    if (!tr || !tr->active() || tr->selected() <= 0) return;
    CTranslationDlg dlg(tr->base(), tr->current(), this);
    if (dlg.exec() != QDialog::Accepted) return;
    // A language of the install's read-only folder is saved as a copy in the program folder.
    const std::string path = tr->writablePath();
    const bool copy = path != tr->selectedPath();
    // The edits stay in use even when the file cannot be written, so they can be saved again.
    tr->setCurrent(dlg.model().build());
    if (SaveLanguage(tr->current(), path) && copy) tr->selectLanguageFile(platform::FileNameOf(path));
    UpdateMenuTexts();
}

void CMainFrame::OnAddLanguage() {
    i18n::Translation* tr = CurrentTranslation();
    if (!tr || !tr->active()) return;
    CTranslationDlg dlg(tr->base(), i18n::LangTable(), this);
    if (dlg.exec() != QDialog::Accepted || !dlg.model().anyTranslated()) return;
    const std::string folder = app_.GetPath(app::FOLDER_PROGRAM);
    const std::string path = AskSaveFile(this, StrLine(IDS_TR_SAVE_TITLE), folder, app::FT_TRANSLATION);
    if (path.empty() || !SaveLanguage(dlg.model().build(), path)) return;
    // Listed only when it lies in the program folder with the others.
    const int rc = tr->selectLanguageFile(platform::FileNameOf(path));
    LogMessage("CMainFrame::AddLanguage: %d", rc);
    UpdateMenuTexts();
}

void CMainFrame::addWindowCommand(QAction* action) {
    windowCommands_.append(action);
    rebuildWindowMenu();
}

void CMainFrame::rebuildWindowMenu() {
    windowMenu_->clear();
    bool extra = false;
    for (const QPointer<QAction>& a : windowCommands_)
        if (a) {
            // Such a command is named by the string of its id, in the language of the moment.
            if (const int id = ResourceId(a)) a->setText(StrLine(id));
            windowMenu_->addAction(a);
            extra = true;
        }
    if (extra) windowMenu_->addSeparator();
    QAction* cascade = command(ID_WINDOW_CASCADE);
    QAction* tile = command(ID_WINDOW_TILE);
    windowMenu_->addAction(cascade);
    windowMenu_->addAction(tile);
    const QList<QMdiSubWindow*> frames = mdi_->subWindowList();
    cascade->setEnabled(!frames.isEmpty());
    tile->setEnabled(!frames.isEmpty());
    if (frames.isEmpty()) return;
    windowMenu_->addSeparator();
    int n = 1;
    for (QMdiSubWindow* w : frames) {
        // The number and the window's title: nothing to translate.
        QAction* a = windowMenu_->addAction(QString("&%1 %2").arg(n++).arg(ShownTitle(*w)));
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] {
            w->show();
            mdi_->setActiveSubWindow(w);
        });
    }
}

void CMainFrame::buildToolbar() {
    toolbar_ = addToolBar(StrLine(IDS_TOOLBAR_MODES));
    toolbar_->setObjectName("ModesToolbar");
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (QAction* a : modeActions_) toolbar_->addAction(a);
}

void CMainFrame::buildStatusBar() {
    QStatusBar* bar = statusBar();
    QString ready = StrLine(IDS_READY);
    bar->showMessage(ready);
    // A status tip that goes leaves the bar empty: put the idle text back.
    connect(bar, &QStatusBar::messageChanged, this, [bar, ready](const QString& text) {
        if (text.isEmpty()) bar->showMessage(ready);
    });
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(6);
    linkLight_ = new QLabel;
    linkLight_->setFixedSize(12, 12);
    linkLabel_ = new QLabel;
    row->addWidget(linkLight_);
    row->addWidget(linkLabel_);
    bar->addPermanentWidget(box);
}

void CMainFrame::ApplyToolbarSize() {
    int edge = ToolbarIconSize(app_.settings().toolbarSize);
    toolbar_->setIconSize(QSize(edge, edge));
    QFont f = font();
    if (edge > 24) f.setPointSizeF(f.pointSizeF() * (edge >= 72 ? 1.5 : 1.25));
    toolbar_->setFont(f);
}

QString CMainFrame::linkText() const {
    const app::Settings& s = app_.settings();
    if (app_.hardwareState() & app::HW_DEVICE) return StrFmt(IDS_LINK_UP, {s.deviceModel().name});
    if (s.enable != 1) return StrLine(IDS_LINK_OFF);
    return StrFmt(IDS_LINK_DOWN, {s.deviceModel().name});
}

void CMainFrame::RefreshModes() {
    for (int m = 0; m < app::MODE_COUNT; ++m)
        modeActions_[m]->setEnabled(modes_->IsModeAllowed(app::ID_MODE_FIRST + m));
    bool up = app_.hardwareState() & app::HW_DEVICE;
    QColor light = up                            ? QColor(0x2E, 0xB8, 0x4F)
                   : app_.settings().enable == 1 ? QColor(0xD3, 0x2F, 0x37)
                                                 : QColor(0x9A, 0xA0, 0xA8);
    QPixmap dot(12 * 2, 12 * 2);
    dot.fill(Qt::transparent);
    QPainter p(&dot);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(light.darker(150), 2));
    p.setBrush(light);
    p.drawEllipse(QRectF(3, 3, 18, 18));
    p.end();
    dot.setDevicePixelRatio(2);
    linkLight_->setPixmap(dot);
    linkLabel_->setText(linkText());
}

CMainFrame::Placement CMainFrame::InitialPlacement() const {
    Placement pl;
    QRect work = workArea();
    if (app_.settings().isStatusClass2()) {
        // The two editions of a KTG400M station sit side by side, whatever was saved.
        int w = work.width() / 2;
        int left = app_.is400M() ? work.right() + 1 - w : work.left();
        pl.rect = QRect(left, work.top(), w, work.height());
        pl.maximized = false;
        return pl;
    }
    const app::Profile& ini = app_.profile();
    pl.rect = QRect(ini.getInt("Layout", "Left", 22), ini.getInt("Layout", "Top", 22),
                    ini.getInt("Layout", "Width", 600), ini.getInt("Layout", "Height", 400));
    pl.maximized = ini.getInt("Layout", "Maximize", 1) == 1;
    // A rectangle from a screen that is no longer there comes back onto the work area.
    pl.rect.setWidth(std::clamp(pl.rect.width(), 200, std::max(200, work.width())));
    pl.rect.setHeight(std::clamp(pl.rect.height(), 150, std::max(150, work.height())));
    bool visible = false;
    for (QScreen* s : QGuiApplication::screens()) {
        QRect common = s->availableGeometry().intersected(pl.rect);
        if (common.width() >= 64 && common.height() >= 32) visible = true;
    }
    if (!visible) pl.rect.moveTopLeft(work.topLeft() + QPoint(22, 22));
    return pl;
}

void CMainFrame::ShowWithLayout() {
    Placement pl = InitialPlacement();
    setGeometry(pl.rect);
    if (pl.maximized) showMaximized();
    else show();
}

void CMainFrame::SaveLayout() {
    QRect r = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    app::Profile& ini = app_.profile();
    app::Profile::Batch batch(ini);
    ini.putInt("Layout", "Left", r.left());
    ini.putInt("Layout", "Top", r.top());
    ini.putInt("Layout", "Width", r.width());
    ini.putInt("Layout", "Height", r.height());
    ini.putInt("Layout", "Maximize", isMaximized() ? 1 : 0);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!modes_->CanCloseAll()) {
        event->ignore();
        RefreshModes();
        return;
    }
    SaveLayout();
    event->accept();
}

void CMainFrame::OnHardware() {
    // The link is reopened by the hardware dialog: not under an open on-air mode.
    if (modes_->airFrame()) {
        ShowRefusal(app::RefusalHardware());
        return;
    }
    CHardwareDlg dlg(app_, this);
    dlg.exec();
    RefreshModes();
}

void CMainFrame::OnPreferences() {
    CPreferencesDlg dlg(app_, this);
    if (dlg.exec() == QDialog::Accepted) {
        SetProgramCodePage(app_.settings().codePage);
        ApplyToolbarSize();
        RefreshModes();
    }
}

void CMainFrame::OnAbout() {
    CAboutDlg dlg(this);
    dlg.exec();
}

std::unique_ptr<app::EditorFrame> CMainFrame::CreateEditorFrame(int mode) {
    std::unique_ptr<CEditorFrame> frame = Factories().editor ? Factories().editor(mode) : nullptr;
    if (!frame) frame = std::make_unique<CEditorFrame>(mode);
    frame->setPrevious(mdi_->activeSubWindow());
    mdi_->addSubWindow(frame.get());
    frame->setCloseRequest([this, mode] {
        modes_->CloseEditor(mode);
        RefreshModes();
    });
    return frame;
}

std::unique_ptr<app::AirFrame> CMainFrame::CreateAirFrame() {
    std::unique_ptr<COnAirFrame> frame = Factories().airFrame ? Factories().airFrame() : nullptr;
    if (!frame) frame = std::make_unique<COnAirFrame>();
    mdi_->addSubWindow(frame.get());
    frame->setCloseRequest([this] {
        modes_->CloseOnAirMode();
        RefreshModes();
    });
    return frame;
}

void CMainFrame::ShowToolbar(bool show) { toolbar_->setVisible(show); }

void CMainFrame::ShowRefusal(const std::string& text) {
    QApplication::beep();
    statusBar()->showMessage(FromProgramText(text), 10000);
}

bool CMainFrame::LaunchRemote(const std::string& folder) {
    // The launcher tells the operator itself when it cannot start the program; the mode manager
    // must not show a second box.
    if (Factories().launchRemote) {
        Factories().launchRemote(folder);
        return true;
    }
    return app::ModeHost::LaunchRemote(folder);
}

}  // namespace ui

namespace ui {

bool CMainFrame::FontsPresent(const std::string& fontsFolder) {
    // The font list of the program knows which files really are fonts; without one (tests of
    // the frame alone), look at the folder.
    if (auto* fonts = pages::CFontManager::Instance()) return fonts->HasFonts();
    return app::ModeHost::FontsPresent(fontsFolder);
}

}  // namespace ui
