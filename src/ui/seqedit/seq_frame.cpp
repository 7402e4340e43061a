#include "ui/seqedit/seq_frame.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <filesystem>

#include "air/effect_dialog_model.h"
#include "air/preview_params.h"
#include "app/file_types.h"
#include "app/folders.h"
#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/mode_manager.h"
#include "app/page_editor_link.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "pages/page_doc.h"
#include "pages/preview_page.h"
#include "platform/files.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/effect_dialog.h"
#include "ui/editor/page_editor_frame.h"
#include "ui/file_dialogs.h"
#include "ui/resources.h"
#include "ui/seqedit/seq_dialogs.h"
#include "ui/seqedit/seq_view.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

using namespace air;

namespace {

constexpr int IDS_SEQ_TITLE = 15000;
constexpr int IDS_SEQ_MODIFIED = 15020;
constexpr int IDS_SEQ_REMOVE_SELECTED = 15021;
constexpr int IDS_SEQ_REMOVE_UNCHECKED = 15022;
constexpr int IDS_SEQ_RESORT = 15024;
constexpr int kSaveError = 0x102;
constexpr const char* kSection = "SequenceEditor";

app::CZentrixApp* theApp() { return app::CZentrixApp::Instance(); }

// A status pane that gives up width when the window is narrow: its text ends in "..." (the
// whole text in its tooltip) instead of running under its neighbour.
class CElidedPane final : public QLabel {
public:
    QSize minimumSizeHint() const override {
        return {fontMetrics().horizontalAdvance("Xx..."), QLabel::minimumSizeHint().height()};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = contentsRect();
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, fontMetrics().elidedText(text(), Qt::ElideRight, r.width()));
    }
};

QString fileNameOf(const std::string& path) { return QFileInfo(QFile::decodeName(path.c_str())).fileName(); }

}  // namespace

CSeqFrame::CSeqFrame(const AirObjects& objects, QWidget* parent)
    : CEditorFrame(app::MODE_SEQUENCE_EDITOR, parent), objects_(objects), ed_(*objects.sequence) {
    QWidget* placeholder = widget();
    main_ = new QMainWindow;
    main_->setWindowFlags(Qt::Widget);
    setWidget(main_);
    delete placeholder;

    if (app::CZentrixApp* a = theApp()) settings_.Load(a->profile());
    ed_.setInvert(settings_.invert);

    view_ = new CSeqView(ed_);
    main_->setCentralWidget(view_);
    for (int c = 0; c < SEQ_COLUMN_COUNT; ++c) view_->setColumnWidth(c, settings_.columnWidth[c]);
    connect(view_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int c, int, int w) {
        if (c >= 0 && c < SEQ_COLUMN_COUNT && w > 0) settings_.columnWidth[c] = w;
    });
    // The file name gives way to a passing message; the counts stay at the right. None of them
    // runs under another when the window is narrow.
    for (int i = 0; i < 3; ++i) {
        panes_[i] = new CElidedPane;
        panes_[i]->setSizePolicy(i == 0 ? QSizePolicy::Ignored : QSizePolicy::Preferred, QSizePolicy::Preferred);
        if (i == 0) main_->statusBar()->addWidget(panes_[i], 1);
        else main_->statusBar()->addPermanentWidget(panes_[i], 0);
    }

    buildActions();
    buildMenus();

    connect(view_, &CSeqView::cellActivated, this, [this](int item, int column) { ActivateCell(item, column); });
    connect(view_, &CSeqView::headerClicked, this, [this](int column) { SortByColumn(column); });
    connect(view_, &CSeqView::contextMenuAt, this, [this](const QPoint& at) {
        updateCommands();
        context_->popup(at);
    });
    connect(view_, &CSeqView::sequenceChanged, this, [this] {
        updateTitle();
        updateCommands();
    });
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { updateCommands(); });

    app::SetPageSavedListener([this](const std::string& path) { OnPageSaved(path); });
    Refresh();
}

CSeqFrame::~CSeqFrame() {
    app::SetPageSavedListener({});
    ed_.PageEditorOpenedFree();
    if (app::CZentrixApp* a = theApp()) settings_.Save(a->profile());
}

QAction* CSeqFrame::action(int command) const {
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* CSeqFrame::add(int command, const QKeySequence& key) {
    auto* a = new QAction(this);
    SetResourceId(a, command);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        main_->addAction(a);
    }
    connect(a, &QAction::triggered, this, [this, command] { OnCommand(command); });
    actions_[command] = a;
    return a;
}

void CSeqFrame::buildActions() {
    QStyle* st = style();
    add(ID_SEQ_NEW, QKeySequence::New)->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    add(ID_SEQ_OPEN, QKeySequence::Open)->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    add(ID_SEQ_CLOSE);
    add(ID_SEQ_SAVE, QKeySequence::Save)->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    add(ID_SEQ_SAVE_AS);
    add(ID_SEQ_SAVE_AS_TITLE);
    add(ID_SEQ_EXIT);
    add(ID_SEQ_CUT, QKeySequence::Cut);
    add(ID_SEQ_COPY, QKeySequence::Copy);
    add(ID_SEQ_PASTE, QKeySequence::Paste);
    add(ID_SEQ_SELECT_ALL, QKeySequence::SelectAll);
    // F5 and Ctrl+R are the on-air frame's (Play, Refresh list), which act from every window.
    add(ID_SEQ_REFRESH, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R))
        ->setIcon(st->standardIcon(QStyle::SP_BrowserReload));
    add(ID_SEQ_REVERSE_SORT)->setCheckable(true);
    add(ID_SEQ_ADD_PAGE);
    add(ID_SEQ_ADD_FILES, QKeySequence(Qt::Key_Insert));
    add(ID_SEQ_PAGE_EDITOR);
    add(ID_SEQ_CHECK, QKeySequence(Qt::CTRL | Qt::Key_K));
    add(ID_SEQ_SET_DATE);
    add(ID_SEQ_CHANGE_EFFECT);
    add(ID_SEQ_CHECK_BY_DATE);
    add(ID_SEQ_REMOVE_UNCHECKED);
    add(ID_SEQ_UP, QKeySequence(Qt::CTRL | Qt::Key_Up))->setIcon(st->standardIcon(QStyle::SP_ArrowUp));
    add(ID_SEQ_DOWN, QKeySequence(Qt::CTRL | Qt::Key_Down))->setIcon(st->standardIcon(QStyle::SP_ArrowDown));
    add(ID_SEQ_DEF_EFFECT);
    add(ID_SEQ_LOOP)->setCheckable(true);
    add(ID_SEQ_PLAY, QKeySequence(Qt::CTRL | Qt::Key_F5))->setIcon(st->standardIcon(QStyle::SP_MediaPlay));
    action(ID_SEQ_LOOP)->setIcon(st->standardIcon(QStyle::SP_BrowserReload));
}

void CSeqFrame::buildMenus() {
    auto actionFor = [this](int id) { return action(id); };
    BuildMenuBar(IDR_SEQ_EDITOR, main_->menuBar(), actionFor);
    TranslateMenu(IDR_SEQ_EDITOR, main_->menuBar());

    QToolBar* tb = main_->addToolBar(StrLine(IDS_SEQ_TOOLBAR));
    tb->setMovable(false);
    tb->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (int c : std::initializer_list<int>{ID_SEQ_NEW, ID_SEQ_OPEN, ID_SEQ_SAVE, 0, ID_SEQ_ADD_PAGE, ID_SEQ_ADD_FILES,
                                            0, ID_SEQ_CHECK, ID_SEQ_CHANGE_EFFECT, ID_SEQ_UP, ID_SEQ_DOWN, 0,
                                            ID_SEQ_LOOP, ID_SEQ_PLAY})
        c ? (void)tb->addAction(action(c)) : (void)tb->addSeparator();

    CommandTips(tb);

    // The grid's context menu (600).
    context_ = new QMenu(this);
    BuildPopupMenu(IDR_SEQ_CONTEXT, context_, actionFor);
    TranslateMenu(IDR_SEQ_CONTEXT, context_);
}

// ---- State

void CSeqFrame::Refresh() {
    view_->reload();
    updateTitle();
    updateCommands();
}

void CSeqFrame::updateTitle() {
    const CSeqDoc& doc = document();
    // [*]: Qt shows the mark while the document is modified.
    setWindowTitle(Str(IDS_SEQ_TITLE) + fileNameOf(doc.pathName) + "[*]");
    setWindowModified(doc.modified);
}

void CSeqFrame::updateCommands() {
    const CSeqDoc& doc = document();
    const bool sel = !ed_.selection().empty();
    for (int c : {ID_SEQ_CUT, ID_SEQ_COPY, ID_SEQ_CHECK, ID_SEQ_SET_DATE, ID_SEQ_CHANGE_EFFECT, ID_SEQ_UP, ID_SEQ_DOWN})
        action(c)->setEnabled(sel);
    action(ID_SEQ_PASTE)->setEnabled(!ed_.clipboardEmpty());
    action(ID_SEQ_SELECT_ALL)->setEnabled(doc.count() > 0);
    action(ID_SEQ_REMOVE_UNCHECKED)->setEnabled(doc.count() > 0);
    action(ID_SEQ_CHECK_BY_DATE)->setEnabled(doc.count() > 0);
    action(ID_SEQ_REVERSE_SORT)->setChecked(ed_.invert());
    action(ID_SEQ_LOOP)->setChecked(doc.loop != 0);
    app::CZentrixApp* a = theApp();
    const bool link = a && a->modes() && (a->modeMask() & app::MASK_PREVIEW);
    action(ID_SEQ_PLAY)->setEnabled(link && doc.checkedCount > 0);
    panes_[0]->setText(doc.fromFile ? QFile::decodeName(doc.pathName.c_str()) : StrLine(IDS_SEQ_NEW_SEQUENCE));
    panes_[1]->setText(StrFmt(IDS_SEQ_PANE_PAGES, {int(doc.count()), int(doc.checkedCount)}));
    panes_[2]->setText(
        StrFmt(doc.loop ? IDS_SEQ_PANE_TOTAL_LOOP : IDS_SEQ_PANE_TOTAL, {CSeqEditor::TotalText(doc.totalTime)}));
    for (QLabel* pane : panes_) pane->setToolTip(pane->text());
}

// ---- app::EditorFrame

bool CSeqFrame::Prepare(const std::string& path) {
    if (path.empty()) {
        document().ComputeTotal(0);
        Refresh();
        return true;
    }
    return OpenFile(path) || true;  // a file that cannot be read leaves a new sequence
}

bool CSeqFrame::CanClose() {
    if (!askToSave()) return false;
    if (app::CZentrixApp* a = theApp()) settings_.Save(a->profile());
    return true;
}

void CSeqFrame::Activate() {
    // Another part (the Live view) may have loaded a sequence meanwhile.
    ed_.setSelection(ed_.selection());
    Refresh();
    CEditorFrame::Activate();
    view_->setFocus();
}

bool CSeqFrame::askToSave() {
    if (!document().modified) return true;
    switch (app::MessageBoxId(IDS_SEQ_MODIFIED, app::MB_YESNOCANCEL | app::MB_ICONQUESTION)) {
        case app::IDYES: return Save();
        case app::IDNO: return true;
        default: return false;
    }
}

bool CSeqFrame::haveSelection() {
    view_->takeSelection();
    return !ed_.selection().empty();
}

// ---- Commands

void CSeqFrame::OnCommand(int command) {
    switch (command) {
        case ID_SEQ_NEW: NewSequence(); break;
        case ID_SEQ_OPEN: {
            if (!askToSave()) break;
            const std::string path = askOpenSequence();
            if (!path.empty()) {
                document().modified = false;  // already asked
                OpenFile(path);
            }
            break;
        }
        case ID_SEQ_CLOSE: close(); break;
        case ID_SEQ_EXIT:
            if (QWidget* top = CModeFrame::window(); top && top != this) top->close();
            else close();
            break;
        case ID_SEQ_SAVE: Save(); break;
        case ID_SEQ_SAVE_AS: {
            const std::string path = askSaveSequence(app::FOLDER_LAST_SEQUENCES, document().pathName);
            if (!path.empty()) SaveTo(path);
            break;
        }
        case ID_SEQ_SAVE_AS_TITLE: {
            const std::string path = askSaveSequence(app::FOLDER_TITLES, document().pathName);
            if (!path.empty()) SaveAsTitle(path);
            break;
        }
        case ID_SEQ_ADD_PAGE: AddPage(); break;
        case ID_SEQ_ADD_FILES: AddFiles(askPageFiles(true)); break;
        case ID_SEQ_PAGE_EDITOR:
            ed_.PageEditorOpenedFree();
            SetPreviewShowParams(std::nullopt);
            if (app::CZentrixApp* a = theApp(); a && a->modes())
                a->modes()->OpenMode(app::ID_MODE_FIRST + app::MODE_PAGE_EDITOR);
            break;
        case ID_SEQ_CHECK:
            if (haveSelection()) ed_.CheckOrUncheckSelection();
            break;
        case ID_SEQ_CHECK_BY_DATE: checkByDate(); break;
        case ID_SEQ_REMOVE_UNCHECKED:
            if (app::MessageBoxId(IDS_SEQ_REMOVE_UNCHECKED, app::MB_YESNO | app::MB_ICONQUESTION) == app::IDYES)
                ed_.RemoveUnchecked();
            break;
        case ID_SEQ_SET_DATE: setShowDate(); break;
        case ID_SEQ_CHANGE_EFFECT: changeEffect(); break;
        case ID_SEQ_UP:
            if (haveSelection()) ed_.MoveRowsUp();
            break;
        case ID_SEQ_DOWN:
            if (haveSelection()) ed_.MoveRowsDown();
            break;
        case ID_SEQ_CUT:
            if (haveSelection() && app::MessageBoxId(IDS_SEQ_REMOVE_SELECTED, app::MB_YESNO | app::MB_ICONQUESTION |
                                                                                  app::MB_DEFBUTTON2) == app::IDYES)
                ed_.CutSelection();
            break;
        case ID_SEQ_COPY:
            if (haveSelection()) ed_.CopySelection();
            break;
        case ID_SEQ_PASTE: ed_.Paste(); break;
        case ID_SEQ_SELECT_ALL: ed_.selectAll(); break;
        case ID_SEQ_REFRESH: ed_.Refresh(); break;
        case ID_SEQ_REVERSE_SORT:
            view_->takeSelection();
            ed_.setInvert(!ed_.invert());
            settings_.invert = ed_.invert();
            if (app::CZentrixApp* a = theApp()) a->profile().putInt(kSection, "Invert", settings_.invert ? 1 : 0);
            break;
        case ID_SEQ_LOOP: ed_.ToggleLoop(); break;
        case ID_SEQ_DEF_EFFECT: defaultEffect(); break;
        case ID_SEQ_PLAY: {
            app::CZentrixApp* a = theApp();
            document().ComputeTotal(0);
            if (!a || !a->modes() || !(a->modeMask() & app::MASK_PREVIEW) || document().checkedCount == 0) break;
            LogMessage("CSeqView::OnPlay %s", document().pathName.c_str());
            if (!a->modes()->OpenPreviewSequence() && !a->modes()->lastRefusal().empty())
                main_->statusBar()->showMessage(FromProgramText(a->modes()->lastRefusal()), 8000);
            break;
        }
        default: return;
    }
    if (command != ID_SEQ_CLOSE && command != ID_SEQ_EXIT) Refresh();
}

bool CSeqFrame::NewSequence() {
    if (!askToSave()) return false;
    document().NewSequence();
    ed_.setSelection({});
    Refresh();
    return true;
}

bool CSeqFrame::OpenFile(const std::string& path) {
    if (!askToSave()) return false;
    const int code = document().LoadSequence(path);
    ed_.setSelection({});
    if (code != SEQ_OK) app::ShowFileResult(code, path);
    if (code & 0x100) {
        document().NewSequence();
        Refresh();
        return false;
    }
    RememberFolder(app::FOLDER_LAST_SEQUENCES, path);
    LogMessage("CSeqDoc::OnOpenDocument %s", path.c_str());
    Refresh();
    return true;
}

bool CSeqFrame::Save() {
    if (!document().fromFile) {
        const std::string path = askSaveSequence(app::FOLDER_LAST_SEQUENCES, document().pathName);
        return !path.empty() && SaveTo(path);
    }
    return SaveTo(document().pathName);
}

bool CSeqFrame::SaveTo(const std::string& path) {
    const int code = document().SaveSequence(path);
    updateTitle();
    updateCommands();
    if (code != SEQ_OK) {
        app::ShowFileResult(code, path);
        return false;
    }
    RememberFolder(app::FOLDER_LAST_SEQUENCES, path);
    main_->statusBar()->showMessage(StrFmt(IDS_SEQ_SAVED, {QFile::decodeName(path.c_str())}), 4000);
    return true;
}

bool CSeqFrame::SaveAsTitle(const std::string& path) {
    // A copy for the titles tree: the document keeps its own name and state.
    if (!platform::WriteFileAtomic(path, document().Serialize())) {
        app::ShowFileResult(kSaveError, path);
        return false;
    }
    main_->statusBar()->showMessage(StrFmt(IDS_SEQ_SAVED_AS_TITLE, {QFile::decodeName(path.c_str())}), 4000);
    return true;
}

void CSeqFrame::AddFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    RememberFolder(app::FOLDER_LAST_PAGES, paths.front());
    ed_.AddFiles(paths, settings_.defEffect);
    Refresh();
}

void CSeqFrame::SortByColumn(int column) {
    if (!ed_.CanSort(column)) return;
    if (app::MessageBoxId(IDS_SEQ_RESORT, app::MB_YESNO | app::MB_ICONQUESTION) != app::IDYES) return;
    view_->takeSelection();
    ed_.Sort(column);
    Refresh();
}

void CSeqFrame::ActivateCell(int item, int column) {
    const SeqItem* it = document().item(item);
    if (!it) return;
    switch (column) {
        case SEQ_COL_CHECK: ed_.ToggleCheck(item); break;
        case SEQ_COL_DATE:
            ed_.setSelection({item});
            setShowDate();
            break;
        case SEQ_COL_TYPE: PreviewItem(item); break;
        case SEQ_COL_PAGE: {
            CActionDialog d(it->loaded, FromProgramText(it->pageName), main_);
            if (d.exec() != QDialog::Accepted) return;
            switch (d.choice()) {
                case CActionDialog::EDIT_PAGE: EditPage(item, false); break;
                case CActionDialog::CREATE_PAGE: EditPage(item, true); break;
                case CActionDialog::REPLACE_PAGE: replacePage(item); break;
                case CActionDialog::DELETE_PAGE: ed_.RemoveItem(item); break;
            }
            break;
        }
        case SEQ_COL_ABSTRACT: EditPage(item, false); break;
        case SEQ_COL_TIME:
        case SEQ_COL_EFFECT:
            ed_.setSelection({item});
            changeEffect();
            break;
        default: return;
    }
    Refresh();
}

void CSeqFrame::PreviewItem(int item) {
    const SeqItem* it = document().item(item);
    app::CZentrixApp* a = theApp();
    if (!it || !a || !a->modes() || !objects_.page || !objects_.pageImage) return;
    if (!(a->modeMask() & app::MASK_PREVIEW)) {
        main_->statusBar()->showMessage(StrLine(IDS_SEQ_NO_PREVIEW), 5000);
        return;
    }
    // The page document is what the air frame plays: never reload it under a running page.
    if (auto* air = dynamic_cast<CAirFrameWnd*>(a->modes()->airFrame()); air && !air->controller().CanStart()) {
        QApplication::beep();
        return;
    }
    const std::string path = document().FullPath(*it);
    const int code =
        objects_.page->Load(pages::LOAD_THUMBNAIL | pages::LOAD_DEVICE | pages::LOAD_VERIFY, path, *objects_.pageImage);
    if (code != 0) {
        app::ShowFileResult(code, path);
        return;
    }
    LogMessage("CSeqView::Preview %s", path.c_str());
    const ShowParams* previous = PreviewShowParams();
    const std::optional<ShowParams> keep = previous ? std::optional<ShowParams>(*previous) : std::nullopt;
    SetPreviewShowParams(it->showParams);
    // The item's page, just loaded, plays: not a page the page editor handed over earlier.
    pages::ClearPreviewPage();
    if (!a->modes()->OpenPreviewPage() && !a->modes()->lastRefusal().empty())
        main_->statusBar()->showMessage(FromProgramText(a->modes()->lastRefusal()), 8000);
    SetPreviewShowParams(keep);
}

void CSeqFrame::EditPage(int item, bool newPage) {
    const SeqItem* it = document().item(item);
    app::CZentrixApp* a = theApp();
    if (!it || !a || !a->modes()) return;
    const std::string path = document().FullPath(*it);
    ed_.PageEditorOpenedForItem(item);
    SetPreviewShowParams(it->showParams);
    app::CModeManager& modes = *a->modes();
    auto* pe = dynamic_cast<CPageEditorFrame*>(modes.editorFrame(app::MODE_PAGE_EDITOR));
    bool opened;
    if (newPage) {
        opened = pe ? pe->NewPage() && modes.OpenEditor(app::MODE_PAGE_EDITOR, {})
                    : modes.OpenEditor(app::MODE_PAGE_EDITOR, {});
    } else {
        opened = modes.OpenEditor(app::MODE_PAGE_EDITOR, path);
        pe = dynamic_cast<CPageEditorFrame*>(modes.editorFrame(app::MODE_PAGE_EDITOR));
        // The editor could not read the page: the items show what is there now.
        if (opened && pe && (!pe->document().hasFile || pe->document().pathName != path)) {
            ed_.ReloadPage(path);
            Refresh();
        }
    }
    if (!opened) ed_.PageEditorOpenedFree();
}

void CSeqFrame::AddPage() {
    app::CZentrixApp* a = theApp();
    if (!a || !a->modes()) return;
    ed_.PageEditorOpenedToAdd(settings_.defEffect);
    SetPreviewShowParams(settings_.defEffect);
    app::CModeManager& modes = *a->modes();
    auto* pe = dynamic_cast<CPageEditorFrame*>(modes.editorFrame(app::MODE_PAGE_EDITOR));
    const bool opened =
        pe ? pe->NewPage() && modes.OpenEditor(app::MODE_PAGE_EDITOR, {}) : modes.OpenEditor(app::MODE_PAGE_EDITOR, {});
    if (!opened) ed_.PageEditorOpenedFree();
}

void CSeqFrame::OnPageSaved(const std::string& path) {
    ed_.OnPageSaved(path);
    Refresh();
}

// ---- Dialogs

void CSeqFrame::changeEffect() {
    if (ed_.selection().empty() && !haveSelection()) return;
    CEffectDialogModel model = ed_.EffectModelForSelection();
    CEffectDialog d(model, main_);
    if (d.exec() == QDialog::Accepted) ed_.ApplyEffect(model);
}

void CSeqFrame::setShowDate() {
    if (ed_.selection().empty() && !haveSelection()) return;
    std::vector<const SeqItem*> items;
    for (int i : ed_.selection())
        if (const SeqItem* it = document().item(i)) items.push_back(it);
    if (items.empty()) return;
    CShowDateDialog d(ShowDateEdit::Of(items, document().today()), document().today(), main_);
    if (d.exec() == QDialog::Accepted) ed_.SetShowDate(d.edit());
}

void CSeqFrame::checkByDate() {
    CheckByDateSettings s;
    if (app::CZentrixApp* a = theApp()) s.Load(a->profile(), document().today());
    CCheckDateDialog d(s, main_);
    if (d.exec() != QDialog::Accepted) return;
    s = d.settings();
    if (app::CZentrixApp* a = theApp()) s.Save(a->profile());
    ed_.CheckByDate(s);
}

void CSeqFrame::replacePage(int item) {
    const std::vector<std::string> files = askPageFiles(false);
    if (files.empty()) return;
    RememberFolder(app::FOLDER_LAST_PAGES, files.front());
    ed_.ReplacePage(item, files.front());
}

void CSeqFrame::defaultEffect() {
    CEffectDialogModel model(settings_.defEffect, nullptr, true, true);
    CEffectDialog d(model, main_);
    if (d.exec() != QDialog::Accepted) return;
    settings_.defEffect = model.apply(settings_.defEffect);
    if (app::CZentrixApp* a = theApp()) SaveShowParams(a->profile(), kSection, "DefEffect", settings_.defEffect);
}

// ---- File dialogs

std::string CSeqFrame::askOpenSequence() {
    return AskOpenFile(main_, StrLine(IDS_SEQ_OPEN_TITLE), app::FOLDER_LAST_SEQUENCES, app::FT_SEQUENCE);
}

std::string CSeqFrame::askSaveSequence(int folder, const std::string& proposed) {
    QString name = fileNameOf(proposed);
    if (!name.endsWith(app::ExtensionOf(app::FT_SEQUENCE), Qt::CaseInsensitive))
        name += app::ExtensionOf(app::FT_SEQUENCE);
    return AskSaveFile(main_, StrLine(folder == app::FOLDER_TITLES ? IDS_SEQ_SAVE_TITLE_TITLE : IDS_SEQ_SAVE_TITLE),
                       FolderPath(folder) + QFile::encodeName(name).toStdString(), app::FT_SEQUENCE);
}

std::vector<std::string> CSeqFrame::askPageFiles(bool several) {
    if (several) return AskOpenFiles(main_, StrLine(IDS_SEQ_ADD_FILES_TITLE), app::FOLDER_LAST_PAGES, app::FT_PAGE);
    std::string one = AskOpenFile(main_, StrLine(IDS_SEQ_REPLACE_TITLE), app::FOLDER_LAST_PAGES, app::FT_PAGE);
    if (one.empty()) return {};
    return {one};
}

// ---- Registration

void RegisterSequenceEditor(const AirObjects& objects) {
    auto previous = Factories().editor;
    Factories().editor = [previous, objects](int mode) -> std::unique_ptr<CEditorFrame> {
        if (mode == app::MODE_SEQUENCE_EDITOR && objects.sequence) return std::make_unique<CSeqFrame>(objects);
        return previous ? previous(mode) : nullptr;
    };
}

}  // namespace ui
