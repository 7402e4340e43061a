#include "ui/editor/page_editor_frame.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <filesystem>

#include "app/file_types.h"
#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/mode_manager.h"
#include "app/page_editor_link.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "pages/background_placement.h"
#include "pages/file_result.h"
#include "pages/font_manager.h"
#include "pages/picture_import.h"
#include "pages/preview_page.h"
#include "platform/files.h"
#include "ui/editor/colour_dialog.h"
#include "ui/editor/editor_dialogs.h"
#include "ui/editor/editor_icons.h"
#include "ui/editor/page_view.h"
#include "ui/file_dialogs.h"
#include "ui/mainframe/artwork.h"
#include "ui/pictures/bmp_to_tga_dialog.h"
#include "ui/pictures/import_picture_dialog.h"
#include "ui/pictures/picture_file_dialog.h"
#include "ui/text.h"

namespace ui {

namespace {

constexpr int IDS_ASK_TO_SAVE = 61699;
constexpr int IDS_FRAME_SIZE_MISMATCH = 14033;
constexpr int IDS_RENDERING = 14046;
const int kZooms[] = {25, 50, 75, 100, 150, 200, 300, 400};
const char* const kTypeNames[] = {"Fixed frame", "Scroller", "Roll"};

app::CZentrixApp* theApp() { return app::CZentrixApp::Instance(); }

QColor qColour(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

// Qt's progress of a compile: the wait cursor and the status line ("Rendering...").
class RenderWait final : public pages::CompileProgress {
public:
    explicit RenderWait(QStatusBar* bar) : bar_(bar) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (bar_) bar_->showMessage(FromProgramText(app::LoadString(IDS_RENDERING)));
    }
    ~RenderWait() override {
        if (bar_) bar_->clearMessage();
        QApplication::restoreOverrideCursor();
    }
    void SetRange(int) override {}
    void Step() override {}

private:
    QStatusBar* bar_;
};

}  // namespace

CPageEditorFrame::CPageEditorFrame(pages::CFontManager& fonts, QWidget* parent)
    : CEditorFrame(app::MODE_PAGE_EDITOR, parent), fonts_(fonts), doc_(fonts) {
    // The mode frame's placeholder gives way to the editor's own window.
    QWidget* placeholder = widget();
    main_ = new QMainWindow;
    main_->setWindowFlags(Qt::Widget);
    setWidget(main_);
    delete placeholder;

    ed_ = std::make_unique<pages::CPageEditor>(doc_, fonts_);
    if (app::CZentrixApp* a = theApp()) {
        ed_->prefs.Load(a->profile());
        ed_->stylePath = a->GetPath(app::FOLDER_ROOT) + "STYLE.INI";
    }
    ed_->LoadStyles();
    doc_.NewPage();
    ed_->DocumentChanged();

    view_ = new CPageView(*ed_);
    scroll_ = new QScrollArea;
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(true);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->viewport()->installEventFilter(this);
    main_->setCentralWidget(scroll_);
    status_ = new QLabel;
    main_->statusBar()->addPermanentWidget(status_, 1);

    buildActions();
    buildMenus();
    buildToolbars();
    fillStyleBox();
    fillFontBox();
    loadReferenceBackground(false);

    ed_->changed = [this] { Refresh(); };
    connect(view_, &CPageView::selectionChanged, this, [this] { updateCommands(); });
    connect(view_, &CPageView::zoomChanged, this, [this](int z) {
        const QSignalBlocker block(zoomBox_);
        const int* at = std::find(std::begin(kZooms), std::end(kZooms), z);
        zoomBox_->setCurrentIndex(fitZoom_                 ? zoomBox_->count() - 1
                                  : at == std::end(kZooms) ? -1
                                                           : int(at - std::begin(kZooms)));
        updateCommands();
    });
    connect(view_, &CPageView::zoomRequested, this, [this](int z) {
        fitZoom_ = false;
        view_->setZoom(z);
    });
    connect(view_, &CPageView::contextMenuAt, this, [this](const QPoint& at) { contextMenu_->popup(at); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { updateCommands(); });
    Refresh();
    view_->setFocus();
}

CPageEditorFrame::~CPageEditorFrame() {
    // The window goes first: nothing in it may reach the editor while that is taken down.
    ed_->changed = nullptr;
    disconnect(QApplication::clipboard(), nullptr, this, nullptr);
    delete widget();
}

QAction* CPageEditorFrame::add(EditorCommand c, const QString& text, const QKeySequence& key) {
    auto* a = new QAction(text, main_);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    main_->addAction(a);
    actions_[c] = a;
    return a;
}

void CPageEditorFrame::buildActions() {
    auto on = [this](EditorCommand c, auto fn) { connect(actions_[c], &QAction::triggered, this, fn); };
    add(CMD_NEW, "Create new page", QKeySequence::New)->setIcon(MakeEditorIcon(EditorIcon::New));
    add(CMD_OPEN, "Open...", QKeySequence::Open)->setIcon(MakeEditorIcon(EditorIcon::Open));
    add(CMD_SAVE, "Save", QKeySequence::Save)->setIcon(MakeEditorIcon(EditorIcon::Save));
    add(CMD_SAVE_AS, "Save as...");
    add(CMD_IMPORT_TEXT, "Import text...")->setIcon(MakeEditorIcon(EditorIcon::Text));
    add(CMD_IMPORT_PICTURE, "Import picture...")->setIcon(MakeEditorIcon(EditorIcon::Picture));
    add(CMD_REMOVE_PICTURE, "Remove picture");
    add(CMD_LINK_BANNER, "Link banner...");
    add(CMD_PLAY, "Play page!", Qt::Key_F5)->setIcon(MakeEditorIcon(EditorIcon::Play));
    add(CMD_PREFERENCES, "Preferences...");
    add(CMD_CLOSE, "Close");
    add(CMD_UNDO, "Undo", QKeySequence::Undo)->setIcon(MakeEditorIcon(EditorIcon::Undo));
    add(CMD_REDO, "Redo", QKeySequence::Redo)->setIcon(MakeEditorIcon(EditorIcon::Redo));
    actions_[CMD_REDO]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    add(CMD_CUT, "Cut", QKeySequence::Cut)->setIcon(MakeEditorIcon(EditorIcon::Cut));
    add(CMD_COPY, "Copy", QKeySequence::Copy)->setIcon(MakeEditorIcon(EditorIcon::Copy));
    add(CMD_PASTE, "Paste", QKeySequence::Paste)->setIcon(MakeEditorIcon(EditorIcon::Paste));
    add(CMD_DELETE, "Delete");
    add(CMD_SELECT_ALL, "Select all", QKeySequence::SelectAll);
    add(CMD_FRAME_FORMAT, "Frame formatting...")->setIcon(MakeEditorIcon(EditorIcon::FrameFormat));
    add(CMD_FRAME_COLOUR, "Frame color...");
    add(CMD_FIXED, "Fixed frame")->setIcon(MakeEditorIcon(EditorIcon::Fixed));
    add(CMD_SCROLLER, "Scroller")->setIcon(MakeEditorIcon(EditorIcon::Scroller));
    add(CMD_ROLL, "Roll")->setIcon(MakeEditorIcon(EditorIcon::Roll));
    add(CMD_VTOP, "Top")->setIcon(MakeEditorIcon(EditorIcon::VTop));
    add(CMD_VCENTER, "Center")->setIcon(MakeEditorIcon(EditorIcon::VCenter));
    add(CMD_VBOTTOM, "Bottom")->setIcon(MakeEditorIcon(EditorIcon::VBottom));
    add(CMD_FRONT, "Bring to front")->setIcon(MakeEditorIcon(EditorIcon::Front));
    add(CMD_BACK, "Send to back")->setIcon(MakeEditorIcon(EditorIcon::Back));
    add(CMD_LOCK, "Lock")->setIcon(MakeEditorIcon(EditorIcon::Lock));
    add(CMD_DELETE_FRAME, "Delete frame")->setIcon(MakeEditorIcon(EditorIcon::DeleteFrame));
    add(CMD_ADD_STYLE, "Add style to library")->setIcon(MakeEditorIcon(EditorIcon::AddStyle));
    add(CMD_STYLES, "Styles library")->setIcon(MakeEditorIcon(EditorIcon::Styles));
    add(CMD_SUBSCRIPT, "Subscript")->setIcon(MakeEditorIcon(EditorIcon::Subscript));
    add(CMD_NORMAL, "Normal")->setIcon(MakeEditorIcon(EditorIcon::Normal));
    add(CMD_SUPERSCRIPT, "Superscript")->setIcon(MakeEditorIcon(EditorIcon::Superscript));
    add(CMD_TEXT_COLOUR, "Text color...");
    add(CMD_PARAGRAPH, "Paragraph formatting...")->setIcon(MakeEditorIcon(EditorIcon::Paragraph));
    add(CMD_ALIGN_LEFT, "Left")->setIcon(MakeEditorIcon(EditorIcon::AlignLeft));
    add(CMD_ALIGN_CENTER, "Center")->setIcon(MakeEditorIcon(EditorIcon::AlignCenter));
    add(CMD_ALIGN_RIGHT, "Right")->setIcon(MakeEditorIcon(EditorIcon::AlignRight));
    add(CMD_PAGE_COLOUR, "Page background color...");
    add(CMD_IMPORT_BACKGROUND, "Import background picture...")->setIcon(MakeEditorIcon(EditorIcon::Background));
    add(CMD_REMOVE_BACKGROUND, "Remove background picture");
    add(CMD_BMP_TO_TGA, "BMP -> TGA converter...");
    add(CMD_VIEW_BACKGROUND, "View background")->setIcon(MakeEditorIcon(EditorIcon::Reference));
    add(CMD_REFERENCE_PICTURE, "Background for viewing...");
    add(CMD_ZOOM_IN, "Zoom in", QKeySequence::ZoomIn)->setIcon(MakeEditorIcon(EditorIcon::ZoomIn));
    add(CMD_ZOOM_OUT, "Zoom out", QKeySequence::ZoomOut)->setIcon(MakeEditorIcon(EditorIcon::ZoomOut));
    add(CMD_ZOOM_100, "Actual size", QKeySequence(Qt::CTRL | Qt::Key_0));
    add(CMD_ZOOM_FIT, "Fit page");

    for (EditorCommand c :
         {CMD_FIXED, CMD_SCROLLER, CMD_ROLL, CMD_VTOP, CMD_VCENTER, CMD_VBOTTOM, CMD_LOCK, CMD_SUBSCRIPT, CMD_NORMAL,
          CMD_SUPERSCRIPT, CMD_ALIGN_LEFT, CMD_ALIGN_CENTER, CMD_ALIGN_RIGHT, CMD_VIEW_BACKGROUND})
        actions_[c]->setCheckable(true);

    on(CMD_NEW, [this] { NewPage(); });
    on(CMD_OPEN, [this] {
        const std::string chosen = AskOpenFile(main_, "Open page", app::FOLDER_LAST_PAGES, app::FT_PAGE);
        if (!chosen.empty()) OpenFile(chosen);
    });
    on(CMD_SAVE, [this] { Save(); });
    on(CMD_SAVE_AS, [this] { SaveAs(); });
    on(CMD_IMPORT_TEXT, [this] {
        const std::string chosen = AskOpenFile(main_, "Import text", app::FOLDER_LAST_TEXT, app::FT_TXT);
        if (!chosen.empty()) ImportTextFile(chosen);
    });
    on(CMD_IMPORT_PICTURE, [this] {
        const std::string path = AskOpenPicture(main_);
        if (!path.empty()) ImportFramePicture(path);
    });
    on(CMD_REMOVE_PICTURE, [this] { ed_->RemoveFramePicture(); });
    on(CMD_LINK_BANNER, [this] {
        const std::string chosen = AskOpenFile(main_, "Link banner", app::FOLDER_BANNERS, app::FT_BANNER);
        if (!chosen.empty()) LinkBannerFile(chosen);
    });
    on(CMD_PLAY, [this] { PlayPage(); });
    on(CMD_PREFERENCES, [this] {
        CEditorPrefsDialog d(ed_->prefs, main_);
        if (d.exec() != QDialog::Accepted) return;
        ed_->prefs = d.preferences();
        if (theApp()) ed_->prefs.Save(theApp()->profile());
        ed_->InvalidateImage();
        Refresh();
    });
    on(CMD_CLOSE, [this] { close(); });
    on(CMD_UNDO, [this] { ed_->Undo(); });
    on(CMD_REDO, [this] { ed_->Redo(); });
    on(CMD_CUT, [this] {
        const std::string text = ed_->CutText();
        if (!text.empty()) QApplication::clipboard()->setText(FromProgramText(text));
    });
    on(CMD_COPY, [this] {
        const std::string text = ed_->CopyText();
        if (!text.empty()) QApplication::clipboard()->setText(FromProgramText(text));
    });
    on(CMD_PASTE, [this] { ed_->Paste(ToProgramText(QApplication::clipboard()->text())); });
    on(CMD_DELETE, [this] {
        if (!ed_->textMode) ed_->DeleteSelectedFrame();
        else if (ed_->hasTextSelection()) ed_->Backspace();
        else ed_->DeleteForward();
    });
    on(CMD_SELECT_ALL, [this] { ed_->SelectAllText(); });
    on(CMD_FRAME_FORMAT, [this] {
        if (!ed_->selectedFrame()) return;
        CFrameDialog d(ed_->SelectedFrameFormatting(), ed_->CanEditBorder(), ed_->CanEditBackgroundFrame(), main_);
        if (d.exec() == QDialog::Accepted) ed_->ApplyFrameFormatting(d.formatting());
    });
    on(CMD_FRAME_COLOUR, [this] {
        if (!ed_->selectedFrame()) return;
        uint32_t c = ed_->selectedFrame()->format.colour;
        if (AskColour(main_, c)) ed_->SetFrameColour(c);
    });
    on(CMD_FIXED, [this] { ed_->SetFrameType(pages::FRAME_FIXED); });
    on(CMD_SCROLLER, [this] { ed_->SetFrameType(pages::FRAME_SCROLLER); });
    on(CMD_ROLL, [this] { ed_->SetFrameType(pages::FRAME_ROLL); });
    on(CMD_VTOP, [this] { ed_->SetVAlign(pages::VALIGN_TOP); });
    on(CMD_VCENTER, [this] { ed_->SetVAlign(pages::VALIGN_CENTER); });
    on(CMD_VBOTTOM, [this] { ed_->SetVAlign(pages::VALIGN_BOTTOM); });
    on(CMD_FRONT, [this] { ed_->BringToFront(); });
    on(CMD_BACK, [this] { ed_->SendToBack(); });
    on(CMD_LOCK, [this] { ed_->ToggleLock(); });
    on(CMD_DELETE_FRAME, [this] { ed_->DeleteSelectedFrame(); });
    on(CMD_ADD_STYLE, [this] { AddStyleToLibrary(); });
    on(CMD_STYLES, [this] { EditStyles(); });
    on(CMD_SUBSCRIPT, [this] { ed_->SetTextLevel(pages::LEVEL_SUBSCRIPT); });
    on(CMD_NORMAL, [this] { ed_->SetTextLevel(pages::LEVEL_NORMAL); });
    on(CMD_SUPERSCRIPT, [this] { ed_->SetTextLevel(pages::LEVEL_SUPERSCRIPT); });
    on(CMD_TEXT_COLOUR, [this] {
        uint32_t c = ed_->CaretFormat().colour;
        if (AskColour(main_, c)) ed_->SetTextColour(c);
    });
    on(CMD_PARAGRAPH, [this] {
        if (!ed_->selectedFrame()) return;
        CParagraphDialog d(ed_->SelectionParaFormat(), ed_->CanAlign(), main_);
        if (d.exec() == QDialog::Accepted) ed_->ApplyParaFormat(d.format());
    });
    on(CMD_ALIGN_LEFT, [this] { ed_->SetAlignment(pages::ALIGN_LEFT); });
    on(CMD_ALIGN_CENTER, [this] { ed_->SetAlignment(pages::ALIGN_CENTER); });
    on(CMD_ALIGN_RIGHT, [this] { ed_->SetAlignment(pages::ALIGN_RIGHT); });
    on(CMD_PAGE_COLOUR, [this] {
        uint32_t c = doc_.backgroundColour;
        if (AskColour(main_, c)) ed_->SetPageColour(c);
    });
    on(CMD_IMPORT_BACKGROUND, [this] {
        const std::string path = AskOpenPicture(main_);
        if (!path.empty()) ImportBackground(path);
    });
    on(CMD_REMOVE_BACKGROUND, [this] { ed_->SetPageColour(doc_.backgroundColour); });
    // Artwork drawn on white and on black becomes one picture with transparency, ready to import.
    on(CMD_BMP_TO_TGA, [this] { RunBmpToTgaConverter(main_); });
    on(CMD_VIEW_BACKGROUND, [this](bool on) {
        pages::EditorPreferences& p = ed_->prefs;
        if (on && p.backgroundFile.empty()) {
            p.backgroundFile = AskOpenPicture(main_);
            if (p.backgroundFile.empty()) {
                updateCommands();
                return;
            }
        }
        p.hasBackground = on;
        if (theApp()) p.SaveBackground(theApp()->profile());
        loadReferenceBackground(true);
        Refresh();
    });
    on(CMD_REFERENCE_PICTURE, [this] {
        const std::string path = AskOpenPicture(main_, ed_->prefs.backgroundFile);
        if (path.empty()) return;
        ed_->prefs.backgroundFile = path;
        ed_->prefs.hasBackground = true;
        if (theApp()) ed_->prefs.SaveBackground(theApp()->profile());
        loadReferenceBackground(true);
        Refresh();
    });
    on(CMD_ZOOM_IN, [this] {
        const int z = view_->zoom();
        for (int k : kZooms)
            if (k > z)
                return applyZoomChoice(int(std::find(std::begin(kZooms), std::end(kZooms), k) - std::begin(kZooms)));
    });
    on(CMD_ZOOM_OUT, [this] {
        const int z = view_->zoom();
        for (int i = int(std::size(kZooms)) - 1; i >= 0; --i)
            if (kZooms[i] < z) return applyZoomChoice(i);
    });
    on(CMD_ZOOM_100, [this] { applyZoomChoice(3); });
    on(CMD_ZOOM_FIT, [this] { applyZoomChoice(int(std::size(kZooms))); });

    auto group = [this](std::initializer_list<EditorCommand> cs) {
        auto* g = new QActionGroup(this);
        for (EditorCommand c : cs) g->addAction(actions_[c]);
    };
    group({CMD_FIXED, CMD_SCROLLER, CMD_ROLL});
    group({CMD_VTOP, CMD_VCENTER, CMD_VBOTTOM});
    group({CMD_SUBSCRIPT, CMD_NORMAL, CMD_SUPERSCRIPT});
}

void CPageEditorFrame::buildMenus() {
    QMenuBar* bar = main_->menuBar();
    auto menu = [&](const char* title, std::initializer_list<int> items) {
        QMenu* m = bar->addMenu(title);
        for (int c : items) {
            if (c < 0) m->addSeparator();
            else m->addAction(actions_[c]);
        }
        return m;
    };
    menu("&File", {CMD_NEW, CMD_OPEN, CMD_SAVE, CMD_SAVE_AS, -1, CMD_IMPORT_TEXT, -1, CMD_PLAY, -1, CMD_PREFERENCES, -1,
                   CMD_CLOSE});
    menu("&Edit", {CMD_UNDO, CMD_REDO, -1, CMD_CUT, CMD_COPY, CMD_PASTE, CMD_DELETE, -1, CMD_SELECT_ALL});
    QMenu* frame = menu("F&rame", {CMD_FRAME_FORMAT, CMD_FRAME_COLOUR, -1});
    QMenu* type = frame->addMenu("Frame type");
    for (int c : std::initializer_list<int>{CMD_FIXED, CMD_SCROLLER, CMD_ROLL}) type->addAction(actions_[c]);
    QMenu* valign = frame->addMenu("Vertical alignment");
    for (int c : std::initializer_list<int>{CMD_VTOP, CMD_VCENTER, CMD_VBOTTOM}) valign->addAction(actions_[c]);
    frame->addSeparator();
    for (int c : std::initializer_list<int>{CMD_IMPORT_PICTURE, CMD_REMOVE_PICTURE, CMD_LINK_BANNER})
        frame->addAction(actions_[c]);
    frame->addSeparator();
    for (int c : std::initializer_list<int>{CMD_FRONT, CMD_BACK, CMD_LOCK, CMD_DELETE_FRAME})
        frame->addAction(actions_[c]);
    QMenu* format = menu("F&ormat", {CMD_ADD_STYLE, CMD_STYLES, -1});
    for (int c : std::initializer_list<int>{CMD_SUBSCRIPT, CMD_NORMAL, CMD_SUPERSCRIPT}) format->addAction(actions_[c]);
    format->addAction(actions_[CMD_TEXT_COLOUR]);
    format->addSeparator();
    format->addAction(actions_[CMD_PARAGRAPH]);
    QMenu* align = format->addMenu("Alignment");
    for (int c : std::initializer_list<int>{CMD_ALIGN_LEFT, CMD_ALIGN_CENTER, CMD_ALIGN_RIGHT})
        align->addAction(actions_[c]);
    menu("&Page", {CMD_PAGE_COLOUR, CMD_IMPORT_BACKGROUND, CMD_REMOVE_BACKGROUND, -1, CMD_BMP_TO_TGA});
    menu("&View",
         {CMD_VIEW_BACKGROUND, CMD_REFERENCE_PICTURE, -1, CMD_ZOOM_IN, CMD_ZOOM_OUT, CMD_ZOOM_100, CMD_ZOOM_FIT});

    contextMenu_ = new QMenu(main_);
    for (int c : std::initializer_list<int>{CMD_CUT, CMD_COPY, CMD_PASTE, -1, CMD_FRAME_FORMAT, CMD_FRAME_COLOUR,
                                            CMD_PARAGRAPH, CMD_TEXT_COLOUR, -1, CMD_IMPORT_PICTURE, CMD_LINK_BANNER,
                                            CMD_IMPORT_TEXT, -1, CMD_FRONT, CMD_BACK, CMD_LOCK, CMD_DELETE_FRAME}) {
        if (c < 0) contextMenu_->addSeparator();
        else contextMenu_->addAction(actions_[c]);
    }
}

void CPageEditorFrame::buildToolbars() {
    const int iconSize = ToolbarIconSize(theApp() ? theApp()->settings().toolbarSize : 0);
    auto bar = [&](const char* name) {
        QToolBar* t = main_->addToolBar(name);
        t->setObjectName(name);
        t->setIconSize(QSize(iconSize, iconSize));
        t->setMovable(false);
        return t;
    };
    QToolBar* file = bar("File");
    for (int c : std::initializer_list<int>{CMD_NEW, CMD_OPEN, CMD_SAVE, -1, CMD_UNDO, CMD_REDO, -1, CMD_CUT, CMD_COPY,
                                            CMD_PASTE, -1, CMD_PLAY}) {
        if (c < 0) file->addSeparator();
        else file->addAction(actions_[c]);
    }
    QToolBar* view = bar("View");
    view->addAction(actions_[CMD_PAGE_COLOUR]);
    view->addAction(actions_[CMD_IMPORT_BACKGROUND]);
    view->addAction(actions_[CMD_VIEW_BACKGROUND]);
    zoomBox_ = new QComboBox;
    for (int z : kZooms) zoomBox_->addItem(QString("%1%").arg(z));
    zoomBox_->addItem("Fit page");
    zoomBox_->setCurrentIndex(3);
    zoomBox_->setToolTip("Zoom");
    connect(zoomBox_, qOverload<int>(&QComboBox::activated), this, [this](int i) { applyZoomChoice(i); });
    view->addWidget(zoomBox_);
    main_->addToolBarBreak();

    QToolBar* format = bar("Format");
    styleBox_ = new QComboBox;
    styleBox_->setMinimumContentsLength(14);
    styleBox_->setToolTip("Style");
    connect(styleBox_, qOverload<int>(&QComboBox::activated), this, [this](int i) { ChooseStyle(i); });
    format->addWidget(styleBox_);
    format->addAction(actions_[CMD_ADD_STYLE]);
    format->addAction(actions_[CMD_STYLES]);
    format->addSeparator();
    fontBox_ = new QComboBox;
    fontBox_->setMinimumContentsLength(16);
    fontBox_->setToolTip("Font");
    connect(fontBox_, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        if (i >= 0) ed_->SetFont(ToProgramText(fontBox_->itemText(i)));
        view_->setFocus();
    });
    format->addWidget(fontBox_);
    for (int c : std::initializer_list<int>{CMD_SUBSCRIPT, CMD_NORMAL, CMD_SUPERSCRIPT, CMD_TEXT_COLOUR, -1,
                                            CMD_ALIGN_LEFT, CMD_ALIGN_CENTER, CMD_ALIGN_RIGHT, CMD_PARAGRAPH}) {
        if (c < 0) format->addSeparator();
        else format->addAction(actions_[c]);
    }
    QToolBar* frame = bar("Frame");
    for (int c : std::initializer_list<int>{CMD_FIXED, CMD_SCROLLER, CMD_ROLL, -1, CMD_VTOP, CMD_VCENTER, CMD_VBOTTOM,
                                            -1, CMD_FRAME_COLOUR, CMD_FRAME_FORMAT, CMD_IMPORT_PICTURE, -1, CMD_FRONT,
                                            CMD_BACK, CMD_LOCK, CMD_DELETE_FRAME}) {
        if (c < 0) frame->addSeparator();
        else frame->addAction(actions_[c]);
    }
}

void CPageEditorFrame::fillStyleBox() {
    const QSignalBlocker block(styleBox_);
    styleBox_->clear();
    for (const pages::StyleRecord& s : ed_->styles.styles) styleBox_->addItem(FromProgramText(s.name));
    styleBox_->setCurrentIndex(std::clamp(ed_->styles.current, 0, std::max(0, ed_->styles.count() - 1)));
}

void CPageEditorFrame::fillFontBox() {
    const QSignalBlocker block(fontBox_);
    fontBox_->clear();
    for (const std::string& name : fonts_.FontNames()) fontBox_->addItem(FromProgramText(name));
}

void CPageEditorFrame::loadReferenceBackground(bool report) {
    pages::EditorPreferences& p = ed_->prefs;
    pages::CBitmap32 picture;
    const bool shown = pages::MakeReferenceBackground(p.hasBackground, p.backgroundFile, report, pages::PAGE_WIDTH,
                                                      pages::PAGE_HEIGHT, picture);
    if (p.hasBackground && !shown) {
        // The picture cannot be shown: the setting goes off with it.
        p.hasBackground = false;
        if (theApp()) p.SaveBackground(theApp()->profile());
    }
    ed_->SetReferenceBackground(shown ? std::move(picture) : pages::CBitmap32());
}

void CPageEditorFrame::applyZoomChoice(int index) {
    fitZoom_ = index >= int(std::size(kZooms));
    view_->setZoom(fitZoom_ ? CPageView::FitZoom(scroll_->viewport()->size()) : kZooms[std::clamp(index, 0, 7)]);
    const QSignalBlocker block(zoomBox_);
    zoomBox_->setCurrentIndex(std::clamp(index, 0, zoomBox_->count() - 1));
    updateCommands();
}

bool CPageEditorFrame::eventFilter(QObject* watched, QEvent* event) {
    if (fitZoom_ && watched == scroll_->viewport() && event->type() == QEvent::Resize)
        view_->setZoom(CPageView::FitZoom(scroll_->viewport()->size()));
    return CEditorFrame::eventFilter(watched, event);
}

void CPageEditorFrame::Activate() {
    fillFontBox();
    updateCommands();
    CEditorFrame::Activate();
    view_->setFocus();
}

// ---- State of the commands

void CPageEditorFrame::Refresh() {
    view_->refresh();
    updateCommands();
    updateTitle();
}

void CPageEditorFrame::updateTitle() {
    QString name = QFileInfo(QFile::decodeName(doc_.pathName.c_str())).fileName();
    if (doc_.modified) name += " *";
    setWindowTitle(name);
}

QString CPageEditorFrame::statusText() const { return status_->text(); }

void CPageEditorFrame::updateCommands() {
    if (updating_) return;
    updating_ = true;
    const pages::CPageFrame* f = ed_->selectedFrame();
    const bool sel = f != nullptr;
    auto enable = [this](EditorCommand c, bool on) { actions_[c]->setEnabled(on); };
    auto check = [this](EditorCommand c, bool on) { actions_[c]->setChecked(on); };

    enable(CMD_UNDO, ed_->CanUndo());
    enable(CMD_REDO, ed_->CanRedo());
    actions_[CMD_UNDO]->setText(ed_->CanUndo() ? "Undo " + QString::fromStdString(ed_->history.UndoLabel()) : "Undo");
    actions_[CMD_REDO]->setText(ed_->CanRedo() ? "Redo " + QString::fromStdString(ed_->history.RedoLabel()) : "Redo");
    enable(CMD_CUT, ed_->hasTextSelection());
    enable(CMD_COPY, ed_->hasTextSelection());
    enable(CMD_PASTE, sel && !QApplication::clipboard()->text().isEmpty());
    enable(CMD_DELETE, sel);
    enable(CMD_SELECT_ALL, sel);
    enable(CMD_IMPORT_TEXT, sel);
    enable(CMD_IMPORT_PICTURE, sel && !f->isBanner());
    enable(CMD_REMOVE_PICTURE, sel && f->hasPicture());
    enable(CMD_LINK_BANNER, sel && ed_->CanLinkBanner());
    app::CZentrixApp* a = theApp();
    enable(CMD_PLAY, a && a->modes() && (a->modeMask() & app::MASK_PREVIEW));

    for (EditorCommand c : {CMD_FRAME_FORMAT, CMD_FRAME_COLOUR, CMD_FRONT, CMD_BACK, CMD_LOCK, CMD_DELETE_FRAME,
                            CMD_ADD_STYLE, CMD_SUBSCRIPT, CMD_NORMAL, CMD_SUPERSCRIPT, CMD_PARAGRAPH})
        enable(c, sel);
    const bool typeOk = sel && ed_->CanChangeFrameType();
    for (EditorCommand c : {CMD_FIXED, CMD_SCROLLER, CMD_ROLL}) enable(c, typeOk);
    check(CMD_FIXED, sel && f->format.type == pages::FRAME_FIXED);
    check(CMD_SCROLLER, sel && f->format.type == pages::FRAME_SCROLLER);
    check(CMD_ROLL, sel && f->format.type == pages::FRAME_ROLL);
    const bool vOk = ed_->CanSetVAlign();
    for (EditorCommand c : {CMD_VTOP, CMD_VCENTER, CMD_VBOTTOM}) enable(c, vOk);
    check(CMD_VTOP, sel && f->format.vAlign == pages::VALIGN_TOP);
    check(CMD_VCENTER, sel && f->format.vAlign == pages::VALIGN_CENTER);
    check(CMD_VBOTTOM, sel && f->format.vAlign == pages::VALIGN_BOTTOM);
    check(CMD_LOCK, sel && f->lock);
    const bool alignOk = ed_->CanAlign();
    const int32_t align = sel ? ed_->SelectionParaFormat().align : -1;
    for (EditorCommand c : {CMD_ALIGN_LEFT, CMD_ALIGN_CENTER, CMD_ALIGN_RIGHT}) enable(c, alignOk);
    check(CMD_ALIGN_LEFT, align == pages::ALIGN_LEFT);
    check(CMD_ALIGN_CENTER, align == pages::ALIGN_CENTER);
    check(CMD_ALIGN_RIGHT, align == pages::ALIGN_RIGHT);
    const pages::TextFormat tf = ed_->CaretFormat();
    check(CMD_SUBSCRIPT, sel && tf.level == pages::LEVEL_SUBSCRIPT);
    check(CMD_NORMAL, sel && tf.level == pages::LEVEL_NORMAL);
    check(CMD_SUPERSCRIPT, sel && tf.level == pages::LEVEL_SUPERSCRIPT);
    enable(CMD_TEXT_COLOUR, ed_->CanSetTextColour());
    actions_[CMD_TEXT_COLOUR]->setIcon(MakeColourIcon(EditorIcon::TextColour, qColour(tf.colour)));
    actions_[CMD_FRAME_COLOUR]->setIcon(
        MakeColourIcon(EditorIcon::FrameColour, qColour(sel ? f->format.colour : 0x808080)));
    actions_[CMD_PAGE_COLOUR]->setIcon(MakeColourIcon(EditorIcon::PageColour, qColour(doc_.backgroundColour)));
    enable(CMD_REMOVE_BACKGROUND, doc_.hasBackgroundPicture);
    check(CMD_VIEW_BACKGROUND, ed_->prefs.hasBackground);

    fontBox_->setEnabled(sel);
    {
        const QSignalBlocker block(fontBox_);
        fontBox_->setCurrentIndex(fontBox_->findText(FromProgramText(tf.fontName()), Qt::MatchFixedString));
    }
    {
        const QSignalBlocker block(styleBox_);
        styleBox_->setCurrentIndex(ed_->styles.current);
    }

    QString status;
    if (sel) {
        status = QString("%1   |   %2   |   %3, %4   |   %5 x %6")
                     .arg(FromProgramText(f->name))
                     .arg(kTypeNames[std::clamp<int32_t>(f->format.type, 0, 2)])
                     .arg(f->rect.left)
                     .arg(f->rect.top)
                     .arg(f->rect.width())
                     .arg(f->rect.height());
        if (f->lock) status += "   |   Locked";
        if (!f->fits && f->format.type != pages::FRAME_ROLL) status += "   |   The text is longer than the frame";
    } else {
        status = "Drag on the page to make a frame; click a frame to select it";
    }
    status += QString("   |   %1%").arg(view_->zoom());
    status_->setText(status);
    updating_ = false;
}

// ---- Files

std::vector<std::string> CPageEditorFrame::TemplateNames() const {
    std::vector<std::string> names;
    const std::string dir = FolderPath(app::FOLDER_TEMPLATES);
    if (dir.empty()) return names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        if (ec) break;
        const std::string file = e.path().filename().string();
        if (!e.is_regular_file(ec) || file.size() < 5) continue;
        if (platform::EqualsNoCase(file.substr(file.size() - 4), app::ExtensionOf(app::FT_PAGE)))
            names.push_back(file.substr(0, file.size() - 4));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CPageEditorFrame::templatePath(const std::string& title) const {
    return platform::ResolvePath(FolderPath(app::FOLDER_TEMPLATES) + title + app::ExtensionOf(app::FT_PAGE));
}

bool CPageEditorFrame::Prepare(const std::string& path) {
    prepared_ = true;
    if (path.empty()) return NewPage();
    // A file that cannot be read leaves a new empty page to work on.
    OpenFile(path);
    return true;
}

bool CPageEditorFrame::CanClose() {
    if (!doc_.modified) return true;
    const std::string name =
        QFile::encodeName(QFileInfo(QFile::decodeName(doc_.pathName.c_str())).fileName()).toStdString();
    switch (app::MessageBoxId(IDS_ASK_TO_SAVE, app::MB_YESNOCANCEL | app::MB_ICONQUESTION, {name})) {
        case app::IDYES: return Save();
        case app::IDNO: return true;
        default: return false;
    }
}

bool CPageEditorFrame::NewPage() {
    if (!CanClose()) return false;
    const std::vector<std::string> templates = TemplateNames();
    int type = pages::NEW_PAGE_EMPTY;
    std::string chosen;
    if (!templates.empty()) {
        CNewPageDialog d(templates, ed_->prefs.newPageType, ed_->prefs.newPageTemplate, main_);
        if (d.exec() != QDialog::Accepted) return false;
        type = d.type();
        chosen = d.templateName();
        ed_->prefs.newPageType = type;
        if (!chosen.empty()) ed_->prefs.newPageTemplate = chosen;
        if (theApp()) ed_->prefs.SaveNewPage(theApp()->profile());
    }
    if (type == pages::NEW_PAGE_TEMPLATE && !chosen.empty()) {
        const std::string path = templatePath(chosen);
        const int rc = ed_->NewFromTemplate(path);
        if (rc != pages::FILE_OK) app::ShowFileResult(rc, path);
    } else {
        ed_->NewPage();
    }
    LogMessage("CPageEditor::NewPage %s", doc_.pathName.c_str());
    Refresh();
    return true;
}

bool CPageEditorFrame::OpenFile(const std::string& path) {
    if (!CanClose()) return false;
    const int rc = ed_->Open(path);
    Refresh();
    if (rc != pages::FILE_OK) {
        app::ShowFileResult(rc, path);
        return false;
    }
    RememberFolder(app::FOLDER_LAST_PAGES, path);
    return true;
}

std::string CPageEditorFrame::askSavePath() {
    std::string proposed = doc_.pathName;
    if (!doc_.hasFile || proposed.find('/') == std::string::npos)
        proposed = FolderPath(app::FOLDER_LAST_PAGES) +
                   QFileInfo(QFile::decodeName(doc_.pathName.c_str())).fileName().toStdString();
    return AskSaveFile(main_, "Save page", proposed, app::FT_PAGE);
}

bool CPageEditorFrame::Save() {
    if (!doc_.hasFile) return SaveAs();
    return SaveTo(doc_.pathName);
}

bool CPageEditorFrame::SaveAs() {
    const std::string path = askSavePath();
    return !path.empty() && SaveTo(path);
}

bool CPageEditorFrame::SaveTo(const std::string& path) {
    int rc;
    {
        RenderWait wait(main_->statusBar());
        rc = ed_->Save(path);
    }
    Refresh();
    if (rc != pages::FILE_OK) {
        app::ShowFileResult(rc, path);
        return false;
    }
    RememberFolder(app::FOLDER_LAST_PAGES, path);
    app::NotifyPageSaved(path);  // the sequence editor takes in a new or changed page
    main_->statusBar()->showMessage("Saved " + QFile::decodeName(path.c_str()), 4000);
    return true;
}

void CPageEditorFrame::PlayPage() {
    app::CZentrixApp* a = theApp();
    if (!a || !a->modes()) return;
    {
        RenderWait wait(main_->statusBar());
        ed_->Render();
    }
    pages::SetPreviewPage(pages::MakePreviewPage(doc_, ed_->image));
    LogMessage("CPageEditor::PlayPage %s", doc_.pathName.c_str());
    if (!a->modes()->OpenPreviewPage())
        main_->statusBar()->showMessage("The preview cannot open while another on-air mode is open", 5000);
}

void CPageEditorFrame::ImportTextFile(const std::string& path) {
    const int rc = ed_->ImportText(path);
    if (rc != pages::FILE_OK) {
        app::ShowFileResult(rc, path);
        return;
    }
    RememberFolder(app::FOLDER_LAST_TEXT, path);
}

void CPageEditorFrame::ImportFramePicture(const std::string& path) {
    const pages::CPageFrame* f = ed_->selectedFrame();
    if (!f || f->isBanner()) return;
    pages::CBitmap32 picture;
    if (!pages::ImportPicture(path, ed_->prefs.dither, picture)) {
        ed_->RemoveFramePicture();
        return;
    }
    bool resize = false;
    if (picture.width() != f->rect.width() || picture.height() != f->rect.height())
        resize = app::MessageBoxId(IDS_FRAME_SIZE_MISMATCH, app::MB_YESNO | app::MB_ICONQUESTION) == app::IDYES;
    ed_->SetFramePicture(picture, resize);
}

void CPageEditorFrame::LinkBannerFile(const std::string& path) {
    const int rc = ed_->LinkBanner(path);
    if (rc != pages::FILE_OK) app::ShowFileResult(rc, path);
}

void CPageEditorFrame::ImportBackground(const std::string& path) {
    pages::CBitmap32 picture;
    pages::BackgroundPlacement at;
    if (!pages::ImportBackgroundPicture(path, ed_->prefs.dither, pages::PAGE_WIDTH, pages::PAGE_HEIGHT,
                                        AskWithImportPictureDialog(main_, pages::PAGE_WIDTH, pages::PAGE_HEIGHT),
                                        picture, at))
        return;
    ed_->SetBackgroundPicture(picture, at.x, at.y, at.sourceX, at.sourceY);
}

// ---- Styles

void CPageEditorFrame::ChooseStyle(int index) {
    const pages::ApplyStyleResult r = ed_->ChooseStyle(index);
    if (r.typeRefused) app::MessageBoxId(pages::IDS_MOVING_FRAME_EXISTS, app::MB_OK | app::MB_ICONWARNING);
    fillStyleBox();
    Refresh();
    view_->setFocus();
}

void CPageEditorFrame::AddStyleToLibrary() {
    const int added = ed_->AddStyleFromSelection();
    if (added < 0) return;
    CStyleLibraryDialog d(ed_->styles, added, main_);
    if (d.exec() == QDialog::Accepted) {
        ed_->styles = d.library();
        ed_->SaveStyles();
    } else {
        ed_->styles.styles.erase(ed_->styles.styles.begin() + added);
    }
    ed_->styles.current = std::clamp(ed_->styles.current, 0, ed_->styles.count() - 1);
    fillStyleBox();
}

void CPageEditorFrame::EditStyles() {
    CStyleLibraryDialog d(ed_->styles, ed_->styles.current, main_);
    if (d.exec() != QDialog::Accepted) return;
    ed_->styles = d.library();
    ed_->styles.current = std::clamp(ed_->styles.current, 0, ed_->styles.count() - 1);
    ed_->SaveStyles();
    fillStyleBox();
}

// ---- Registration

void RegisterPageEditor() {
    auto previous = Factories().editor;
    Factories().editor = [previous](int mode) -> std::unique_ptr<CEditorFrame> {
        if (mode == app::MODE_PAGE_EDITOR)
            if (pages::CFontManager* fonts = pages::CFontManager::Instance())
                return std::make_unique<CPageEditorFrame>(*fonts);
        return previous ? previous(mode) : nullptr;
    };
}

}  // namespace ui
