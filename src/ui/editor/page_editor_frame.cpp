#include "ui/editor/page_editor_frame.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QScrollArea>
#include <QStatusBar>
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
#include "ui/editor/editor_dialogs.h"
#include "ui/editor/editor_icons.h"
#include "ui/editor/page_view.h"
#include "ui/file_dialogs.h"
#include "ui/pictures/import_picture_dialog.h"
#include "ui/resources.h"
#include "ui/text.h"

namespace ui {

namespace {

constexpr int IDS_ASK_TO_SAVE = 61699;
constexpr int IDS_FRAME_SIZE_MISMATCH = 14033;
constexpr int IDS_RENDERING = 14046;
constexpr int IDS_PE_TYPE_FIRST = 33718;  // "Fixed frame", "Scroller", "Roll"
// The editor's history names its steps in English; the menu shows them in the program's texts.
constexpr std::pair<const char*, int> kUndoLabels[] = {
    {"Alignment", 33730},
    {"Apply style", 33731},
    {"Background picture", 33732},
    {"Bring to front", 33733},
    {"Cut", 33734},
    {"Delete frame", 33735},
    {"Delete", 33736},
    {"Font", 33737},
    {"Frame colour", 33738},
    {"Frame formatting", 33739},
    {"Frame type", 33740},
    {"Import picture", 33741},
    {"Import text", 33742},
    {"Link banner", 33743},
    {"Lock", 33744},
    {"Move frame", 33745},
    {"New frame", 33746},
    {"Page colour", 33747},
    {"Paragraph formatting", 33748},
    {"Paste", 33749},
    {"Remove picture", 33750},
    {"Resize frame", 33751},
    {"Send to back", 33752},
    {"Text colour", 33753},
    {"Text position", 33754},
    {"Typing", 33755},
    {"Unlink banner", 33756},
    {"Unlock", 33757},
    {"Vertical alignment", 33758},
};

// "Undo <step>" when the step is one of ours, the plain command text otherwise.
QString HistoryText(const QString& plain, int pattern, const std::string& label) {
    for (const auto& [english, id] : kUndoLabels)
        if (label == english) return StrFmt(pattern, {StrLine(id)});
    return plain;
}

app::CZentrixApp* theApp() { return app::CZentrixApp::Instance(); }

QColor qColour(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

// Qt's progress of a compile: the wait cursor and the status line ("Rendering...").
class RenderWait final : public pages::CompileProgress {
public:
    explicit RenderWait(QStatusBar* bar) : bar_(bar) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (bar_) bar_->showMessage(StrLine(IDS_RENDERING));
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
    // The Undo and Redo texts as the (translated) menu has them, for when there is no step.
    undoText_ = actions_[CMD_UNDO]->text();
    redoText_ = actions_[CMD_REDO]->text();
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

    app::CZentrixApp* a = theApp();
    pages::CommandContext outside;
    outside.clipboardHasText = !QApplication::clipboard()->text().isEmpty();
    outside.canPreview = a && a->modes() && (a->modeMask() & app::MASK_PREVIEW);
    for (int c = 0; c < CMD_COUNT; ++c) {
        const pages::CommandStatus state = ed_->CommandState(EditorCommand(c), outside);
        actions_[c]->setEnabled(state.enabled);
        if (actions_[c]->isCheckable()) actions_[c]->setChecked(state.checked);
    }
    actions_[CMD_UNDO]->setText(ed_->CanUndo() ? HistoryText(undoText_, IDS_PE_UNDO_STEP, ed_->history.UndoLabel())
                                               : undoText_);
    actions_[CMD_REDO]->setText(ed_->CanRedo() ? HistoryText(redoText_, IDS_PE_REDO_STEP, ed_->history.RedoLabel())
                                               : redoText_);
    const pages::TextFormat tf = ed_->CaretFormat();
    actions_[CMD_TEXT_COLOUR]->setIcon(MakeColourIcon(EditorIcon::TextColour, qColour(tf.colour)));
    actions_[CMD_FRAME_COLOUR]->setIcon(
        MakeColourIcon(EditorIcon::FrameColour, qColour(sel ? f->format.colour : 0x808080)));
    actions_[CMD_PAGE_COLOUR]->setIcon(MakeColourIcon(EditorIcon::PageColour, qColour(doc_.backgroundColour)));

    fontBox_->setEnabled(sel);
    {
        const QSignalBlocker block(fontBox_);
        fontBox_->setCurrentIndex(fontBox_->findText(FromProgramText(tf.fontName()), Qt::MatchFixedString));
    }
    {
        // The selected frame's style (none when it was formatted apart from the library, and
        // after an undo whatever the frame has again); without a selection, the style new
        // frames take.
        const QSignalBlocker block(styleBox_);
        styleBox_->setCurrentIndex(sel ? ed_->styles.IndexOfFrame(*f) : ed_->styles.current);
    }

    QString status;
    if (sel) {
        status = StrFmt(IDS_PE_STATUS_FRAME,
                        {f->name, StrLine(IDS_PE_TYPE_FIRST + std::clamp<int32_t>(f->format.type, 0, 2)),
                         int(f->rect.left), int(f->rect.top), int(f->rect.width()), int(f->rect.height())});
        if (f->lock) status = StrFmt(IDS_PE_STATUS_LOCKED, {status});
        if (!f->fits && f->format.type != pages::FRAME_ROLL) status = StrFmt(IDS_PE_STATUS_TOO_LONG, {status});
    } else {
        status = StrLine(IDS_PE_STATUS_NONE);
    }
    status = StrFmt(IDS_PE_STATUS_ZOOM, {status, view_->zoom()});
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
    return AskSaveFile(main_, StrLine(IDS_PE_SAVE_PAGE), proposed, app::FT_PAGE);
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
    main_->statusBar()->showMessage(StrFmt(IDS_PE_SAVED, {QFile::decodeName(path.c_str())}), 4000);
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
    if (!a->modes()->OpenPreviewPage() && !a->modes()->lastRefusal().empty())
        main_->statusBar()->showMessage(FromProgramText(a->modes()->lastRefusal()), 8000);
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
