// The page editor's action table, menus, context menu and toolbars, and what each command does.
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <algorithm>
#include <optional>

#include "app/file_types.h"
#include "app/folders.h"
#include "app/zentrix_app.h"
#include "pages/bitmap_font.h"
#include "ui/editor/colour_dialog.h"
#include "ui/editor/editor_dialogs.h"
#include "ui/editor/editor_icons.h"
#include "ui/editor/page_editor_frame.h"
#include "ui/editor/page_view.h"
#include "ui/file_dialogs.h"
#include "ui/mainframe/artwork.h"
#include "ui/pictures/bmp_to_tga_dialog.h"
#include "ui/pictures/picture_file_dialog.h"
#include "ui/text.h"

namespace ui {

namespace {

app::CZentrixApp* theApp() { return app::CZentrixApp::Instance(); }

}  // namespace

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
    // The action table: command, menu text, toolbar icon, shortcut.
    struct Entry {
        EditorCommand command;
        const char* text;
        std::optional<EditorIcon> icon = std::nullopt;
        QKeySequence key = {};
    };
    const Entry table[] = {
        {CMD_NEW, "Create new page", EditorIcon::New, QKeySequence::New},
        {CMD_OPEN, "Open...", EditorIcon::Open, QKeySequence::Open},
        {CMD_SAVE, "Save", EditorIcon::Save, QKeySequence::Save},
        {CMD_SAVE_AS, "Save as..."},
        {CMD_IMPORT_TEXT, "Import text...", EditorIcon::Text},
        {CMD_IMPORT_PICTURE, "Import picture...", EditorIcon::Picture},
        {CMD_REMOVE_PICTURE, "Remove picture"},
        {CMD_LINK_BANNER, "Link banner..."},
        // Not F5: the on-air frame's Play answers to that from every window.
        {CMD_PLAY, "Play page!", EditorIcon::Play, QKeySequence(Qt::CTRL | Qt::Key_F5)},
        {CMD_PREFERENCES, "Preferences..."},
        {CMD_CLOSE, "Close"},
        {CMD_UNDO, "Undo", EditorIcon::Undo, QKeySequence::Undo},
        {CMD_REDO, "Redo", EditorIcon::Redo, QKeySequence::Redo},
        {CMD_CUT, "Cut", EditorIcon::Cut, QKeySequence::Cut},
        {CMD_COPY, "Copy", EditorIcon::Copy, QKeySequence::Copy},
        {CMD_PASTE, "Paste", EditorIcon::Paste, QKeySequence::Paste},
        {CMD_DELETE, "Delete"},
        {CMD_SELECT_ALL, "Select all", std::nullopt, QKeySequence::SelectAll},
        {CMD_FRAME_FORMAT, "Frame formatting...", EditorIcon::FrameFormat},
        {CMD_FRAME_COLOUR, "Frame color..."},
        {CMD_FIXED, "Fixed frame", EditorIcon::Fixed},
        {CMD_SCROLLER, "Scroller", EditorIcon::Scroller},
        {CMD_ROLL, "Roll", EditorIcon::Roll},
        {CMD_VTOP, "Top", EditorIcon::VTop},
        {CMD_VCENTER, "Center", EditorIcon::VCenter},
        {CMD_VBOTTOM, "Bottom", EditorIcon::VBottom},
        {CMD_FRONT, "Bring to front", EditorIcon::Front},
        {CMD_BACK, "Send to back", EditorIcon::Back},
        {CMD_LOCK, "Lock", EditorIcon::Lock},
        {CMD_DELETE_FRAME, "Delete frame", EditorIcon::DeleteFrame},
        {CMD_ADD_STYLE, "Add style to library", EditorIcon::AddStyle},
        {CMD_STYLES, "Styles library", EditorIcon::Styles},
        {CMD_SUBSCRIPT, "Subscript", EditorIcon::Subscript},
        {CMD_NORMAL, "Normal", EditorIcon::Normal},
        {CMD_SUPERSCRIPT, "Superscript", EditorIcon::Superscript},
        {CMD_TEXT_COLOUR, "Text color..."},
        {CMD_PARAGRAPH, "Paragraph formatting...", EditorIcon::Paragraph},
        {CMD_ALIGN_LEFT, "Left", EditorIcon::AlignLeft},
        {CMD_ALIGN_CENTER, "Center", EditorIcon::AlignCenter},
        {CMD_ALIGN_RIGHT, "Right", EditorIcon::AlignRight},
        {CMD_PAGE_COLOUR, "Page background color..."},
        {CMD_IMPORT_BACKGROUND, "Import background picture...", EditorIcon::Background},
        {CMD_REMOVE_BACKGROUND, "Remove background picture"},
        {CMD_BMP_TO_TGA, "BMP -> TGA converter..."},
        {CMD_VIEW_BACKGROUND, "View background", EditorIcon::Reference},
        {CMD_REFERENCE_PICTURE, "Background for viewing..."},
        {CMD_ZOOM_IN, "Zoom in", EditorIcon::ZoomIn, QKeySequence::ZoomIn},
        {CMD_ZOOM_OUT, "Zoom out", EditorIcon::ZoomOut, QKeySequence::ZoomOut},
        {CMD_ZOOM_100, "Actual size", std::nullopt, QKeySequence(Qt::CTRL | Qt::Key_0)},
        {CMD_ZOOM_FIT, "Fit page"},
    };
    for (const Entry& e : table) {
        QAction* a = add(e.command, e.text, e.key);
        if (e.icon) a->setIcon(MakeEditorIcon(*e.icon));
    }
    actions_[CMD_REDO]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});

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
    // Two rows that fit a window of 870 pixels: files and frames above, text formats and the
    // view below, the boxes no wider than their usual contents need.
    QToolBar* frame = bar("Frame");
    for (int c : std::initializer_list<int>{CMD_FIXED, CMD_SCROLLER, CMD_ROLL, -1, CMD_VTOP, CMD_VCENTER, CMD_VBOTTOM,
                                            -1, CMD_FRAME_COLOUR, CMD_FRAME_FORMAT, CMD_IMPORT_PICTURE, -1, CMD_FRONT,
                                            CMD_BACK, CMD_LOCK, CMD_DELETE_FRAME}) {
        if (c < 0) frame->addSeparator();
        else frame->addAction(actions_[c]);
    }
    main_->addToolBarBreak();

    QToolBar* format = bar("Format");
    styleBox_ = new QComboBox;
    styleBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    styleBox_->setMinimumContentsLength(10);
    styleBox_->setToolTip("Style");
    connect(styleBox_, qOverload<int>(&QComboBox::activated), this, [this](int i) { ChooseStyle(i); });
    format->addWidget(styleBox_);
    format->addAction(actions_[CMD_ADD_STYLE]);
    format->addAction(actions_[CMD_STYLES]);
    format->addSeparator();
    fontBox_ = new QComboBox;
    fontBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fontBox_->setMinimumContentsLength(12);
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
}

}  // namespace ui
