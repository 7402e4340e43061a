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
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

app::CZentrixApp* theApp() { return app::CZentrixApp::Instance(); }

}  // namespace

QAction* CPageEditorFrame::add(EditorCommand c, const QKeySequence& key) {
    auto* a = new QAction(main_);
    SetResourceId(a, CommandId(c));
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
    // The action table: command, toolbar icon, shortcut. The texts are the menu table's.
    struct Entry {
        EditorCommand command;
        std::optional<EditorIcon> icon = std::nullopt;
        QKeySequence key = {};
    };
    const Entry table[] = {
        {CMD_NEW, EditorIcon::New, QKeySequence::New},
        {CMD_OPEN, EditorIcon::Open, QKeySequence::Open},
        {CMD_SAVE, EditorIcon::Save, QKeySequence::Save},
        {CMD_SAVE_AS},
        {CMD_IMPORT_TEXT, EditorIcon::Text},
        {CMD_IMPORT_PICTURE, EditorIcon::Picture},
        {CMD_REMOVE_PICTURE},
        {CMD_LINK_BANNER},
        // Not F5: the on-air frame's Play answers to that from every window.
        {CMD_PLAY, EditorIcon::Play, QKeySequence(Qt::CTRL | Qt::Key_F5)},
        {CMD_PREFERENCES},
        {CMD_CLOSE},
        {CMD_UNDO, EditorIcon::Undo, QKeySequence::Undo},
        {CMD_REDO, EditorIcon::Redo, QKeySequence::Redo},
        {CMD_CUT, EditorIcon::Cut, QKeySequence::Cut},
        {CMD_COPY, EditorIcon::Copy, QKeySequence::Copy},
        {CMD_PASTE, EditorIcon::Paste, QKeySequence::Paste},
        {CMD_DELETE},
        {CMD_SELECT_ALL, std::nullopt, QKeySequence::SelectAll},
        {CMD_FRAME_FORMAT, EditorIcon::FrameFormat},
        {CMD_FRAME_COLOUR},
        {CMD_FIXED, EditorIcon::Fixed},
        {CMD_SCROLLER, EditorIcon::Scroller},
        {CMD_ROLL, EditorIcon::Roll},
        {CMD_VTOP, EditorIcon::VTop},
        {CMD_VCENTER, EditorIcon::VCenter},
        {CMD_VBOTTOM, EditorIcon::VBottom},
        {CMD_FRONT, EditorIcon::Front},
        {CMD_BACK, EditorIcon::Back},
        {CMD_LOCK, EditorIcon::Lock},
        {CMD_DELETE_FRAME, EditorIcon::DeleteFrame},
        {CMD_ADD_STYLE, EditorIcon::AddStyle},
        {CMD_STYLES, EditorIcon::Styles},
        {CMD_SUBSCRIPT, EditorIcon::Subscript},
        {CMD_NORMAL, EditorIcon::Normal},
        {CMD_SUPERSCRIPT, EditorIcon::Superscript},
        {CMD_TEXT_COLOUR},
        {CMD_PARAGRAPH, EditorIcon::Paragraph},
        {CMD_ALIGN_LEFT, EditorIcon::AlignLeft},
        {CMD_ALIGN_CENTER, EditorIcon::AlignCenter},
        {CMD_ALIGN_RIGHT, EditorIcon::AlignRight},
        {CMD_PAGE_COLOUR},
        {CMD_IMPORT_BACKGROUND, EditorIcon::Background},
        {CMD_REMOVE_BACKGROUND},
        {CMD_BMP_TO_TGA},
        {CMD_VIEW_BACKGROUND, EditorIcon::Reference},
        {CMD_REFERENCE_PICTURE},
        {CMD_ZOOM_IN, EditorIcon::ZoomIn, QKeySequence::ZoomIn},
        {CMD_ZOOM_OUT, EditorIcon::ZoomOut, QKeySequence::ZoomOut},
        {CMD_ZOOM_100, std::nullopt, QKeySequence(Qt::CTRL | Qt::Key_0)},
        {CMD_ZOOM_FIT},
    };
    for (const Entry& e : table) {
        QAction* a = add(e.command, e.key);
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
        const std::string chosen = AskOpenFile(main_, StrLine(IDS_PE_OPEN_PAGE), app::FOLDER_LAST_PAGES, app::FT_PAGE);
        if (!chosen.empty()) OpenFile(chosen);
    });
    on(CMD_SAVE, [this] { Save(); });
    on(CMD_SAVE_AS, [this] { SaveAs(); });
    on(CMD_IMPORT_TEXT, [this] {
        const std::string chosen = AskOpenFile(main_, StrLine(IDS_PE_IMPORT_TEXT), app::FOLDER_LAST_TEXT, app::FT_TXT);
        if (!chosen.empty()) ImportTextFile(chosen);
    });
    on(CMD_IMPORT_PICTURE, [this] {
        const std::string path = AskOpenPicture(main_);
        if (!path.empty()) ImportFramePicture(path);
    });
    on(CMD_REMOVE_PICTURE, [this] { ed_->RemoveFramePicture(); });
    on(CMD_LINK_BANNER, [this] {
        const std::string chosen = AskOpenFile(main_, StrLine(IDS_PE_LINK_BANNER), app::FOLDER_BANNERS, app::FT_BANNER);
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
    auto actionFor = [this](int id) -> QAction* {
        const int c = id - ID_EDITOR_FIRST;
        return c >= 0 && c < CMD_COUNT ? actions_[c] : nullptr;
    };
    BuildMenuBar(IDR_PAGE_EDITOR, main_->menuBar(), actionFor);
    TranslateMenu(IDR_PAGE_EDITOR, main_->menuBar());
    contextMenu_ = new QMenu(main_);
    BuildPopupMenu(IDR_PAGE_EDITOR_CONTEXT, contextMenu_, actionFor);
    TranslateMenu(IDR_PAGE_EDITOR_CONTEXT, contextMenu_);
}

void CPageEditorFrame::buildToolbars() {
    const int iconSize = ToolbarIconSize(theApp() ? theApp()->settings().toolbarSize : 0);
    auto bar = [&](const char* name, int title) {
        QToolBar* t = main_->addToolBar(StrLine(title));
        t->setObjectName(name);
        t->setIconSize(QSize(iconSize, iconSize));
        t->setMovable(false);
        return t;
    };
    QToolBar* file = bar("File", IDS_PE_TOOLBAR_FILE);
    for (int c : std::initializer_list<int>{CMD_NEW, CMD_OPEN, CMD_SAVE, -1, CMD_UNDO, CMD_REDO, -1, CMD_CUT, CMD_COPY,
                                            CMD_PASTE, -1, CMD_PLAY}) {
        if (c < 0) file->addSeparator();
        else file->addAction(actions_[c]);
    }
    // Two rows that fit a window of 870 pixels: files and frames above, text formats and the
    // view below, the boxes no wider than their usual contents need.
    QToolBar* frame = bar("Frame", IDS_PE_TOOLBAR_FRAME);
    for (int c : std::initializer_list<int>{CMD_FIXED, CMD_SCROLLER, CMD_ROLL, -1, CMD_VTOP, CMD_VCENTER, CMD_VBOTTOM,
                                            -1, CMD_FRAME_COLOUR, CMD_FRAME_FORMAT, CMD_IMPORT_PICTURE, -1, CMD_FRONT,
                                            CMD_BACK, CMD_LOCK, CMD_DELETE_FRAME}) {
        if (c < 0) frame->addSeparator();
        else frame->addAction(actions_[c]);
    }
    main_->addToolBarBreak();

    QToolBar* format = bar("Format", IDS_PE_TOOLBAR_FORMAT);
    styleBox_ = new QComboBox;
    styleBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    styleBox_->setMinimumContentsLength(10);
    styleBox_->setToolTip(StrLine(IDS_PE_STYLE_TIP));
    connect(styleBox_, qOverload<int>(&QComboBox::activated), this, [this](int i) { ChooseStyle(i); });
    format->addWidget(styleBox_);
    format->addAction(actions_[CMD_ADD_STYLE]);
    format->addAction(actions_[CMD_STYLES]);
    format->addSeparator();
    fontBox_ = new QComboBox;
    fontBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fontBox_->setMinimumContentsLength(12);
    fontBox_->setToolTip(StrLine(IDS_PE_FONT_TIP));
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
    QToolBar* view = bar("View", IDS_PE_TOOLBAR_VIEW);
    view->addAction(actions_[CMD_PAGE_COLOUR]);
    view->addAction(actions_[CMD_IMPORT_BACKGROUND]);
    view->addAction(actions_[CMD_VIEW_BACKGROUND]);
    zoomBox_ = new QComboBox;
    for (int z : kZooms) zoomBox_->addItem(QString("%1%").arg(z));
    zoomBox_->addItem(StrLine(IDS_PE_FIT_PAGE));
    zoomBox_->setCurrentIndex(3);
    zoomBox_->setToolTip(StrLine(IDS_PE_ZOOM_TIP));
    connect(zoomBox_, qOverload<int>(&QComboBox::activated), this, [this](int i) { applyZoomChoice(i); });
    view->addWidget(zoomBox_);
    for (QToolBar* t : {file, frame, format, view}) CommandTips(t);
}

}  // namespace ui
