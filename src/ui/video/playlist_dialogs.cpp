#include "ui/video/playlist_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/file_types.h"
#include "app/folders.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "platform/files.h"
#include "ui/file_dialogs.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"
#include "video/clip_probe.h"
#include "video/remote_buttons.h"
#include "video/video_playlist_player.h"

namespace ui {

namespace {

enum : int {
    IDC_TR_LABEL_TRANSITION = 1000,
    IDC_TR_LABEL_INTERLEAVE = 1001,
    IDC_TR_LABEL_SPACING = 1002,
    IDC_TR_LABEL_COMMAND = 1003,  // 1003-1005
    IDC_TR_MINIMUM = 1006,
    IDC_CONFIRM_USED = 1000,
    IDC_CONFIRM_QUESTION = 1001,
    IDC_VPL_AVAILABLE = 1000,
    IDC_VPL_PLAYLIST = 1001,
    IDC_VPL_ADD = 1002,
    IDC_VPL_DESCRIPTION = 1003,
    IDC_VPL_DELETE = 1004,
    IDC_VPL_REFRESH = 1005,
    IDC_VPL_UP = 1006,
    IDC_VPL_DOWN = 1007,
    IDC_VPL_EDIT = 1008,
    IDC_VPL_DEFAULTS = 1009,
    IDC_VPL_CLEAR = 1010,
    IDC_VPL_LOGO_OFF = 1011,
    IDC_VPL_PLAY_TIME = 1012,
    IDC_VPL_LOAD = 1013,
    IDC_VPL_SAVE = 1014,
    IDC_VPL_SAVE_AS = 1015,
    IDC_VPL_CLOSE = 1016,
    IDC_CLIP_LABEL_FILE = 1000,
    IDC_CLIP_LABEL_START = 1001,
    IDC_CLIP_AFTER_PREVIOUS = 1002,
    IDC_CLIP_LOOP = 1003,
    IDC_BUTTON_LABEL_BUTTON = 1000,
    IDC_BUTTON_LABEL_ACTION = 1001,
    IDC_BUTTON_LABEL_TIME = 1002,
    IDC_BUTTON_AFTER_PREVIOUS = 1003,
    IDC_APL_CLIP1 = 1000,
    IDC_APL_CLIP2 = 1001,
    IDC_APL_BUTTON = 1002,
    IDC_APL_REMOVE = 1003,
    IDC_APL_CLEAR = 1004,
    IDC_APL_LOAD = 1005,
    IDC_APL_SAVE = 1006,
    IDC_APL_CLOSE = 1007,
    IDS_VPL_DEFAULT_TRANSITION = 34100,
    IDS_VPL_AT_LEAST = 34101,
    IDS_VPL_NO_COMMAND = 34102,
    IDS_VPL_PLAYLIST = 34103,
    IDS_VPL_COLUMN_VIDEO = 34104,
    IDS_VPL_COLUMN_DURATION = 34105,
    IDS_VPL_COLUMN_COMMENT = 34106,
    IDS_VPL_COLUMN_NUMBER = 34107,
    IDS_VPL_COLUMN_TRANSITION = 34108,
    IDS_VPL_PLAY_TIME = 34109,
    IDS_VPL_NEW = 34110,
    IDS_VPL_TITLE_OF = 34111,
    IDS_VPL_DESCRIPTION_TITLE = 34113,
    IDS_VPL_SAVE_CHANGES = 34114,
    IDS_VPL_ADD_CLIP_TITLE = 34115,
    IDS_APL_COLUMN_TIME = 34116,  // 34116-34119: time, track 1, track 2, remote buttons
    IDS_VPL_SECONDS = 33930,
};

QTreeWidget* MakeList(const QStringList& headers) {
    auto* t = new QTreeWidget;
    t->setRootIsDecorated(false);
    t->setUniformRowHeights(true);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setAllColumnsShowFocus(true);
    t->setHeaderLabels(headers);
    return t;
}

QString ExtraName(int command) {
    if (command == 0) return StrLine(IDS_VPL_NO_COMMAND);
    return FromProgramText(video::ExtraText(command)).trimmed().remove('[').remove(']');
}

void ShowProbeError(int code) { app::MessageBoxId(video::IDS_MPEG_ERROR_BASE + code, app::MB_OK | app::MB_ICONERROR); }

std::string DefaultChooser(QWidget* parent, bool save, int type, const std::string& proposed) {
    if (save) return AskSaveFile(parent, QString(), proposed, type);
    const std::string file = AskOpenFile(parent, QString(), app::FOLDER_LAST_VIDEO, type);
    if (!file.empty()) RememberFolder(app::FOLDER_LAST_VIDEO, file);
    return file;
}

QDoubleSpinBox* SecondsBox() {
    auto* s = new QDoubleSpinBox;
    s->setDecimals(3);
    s->setRange(0, 24 * 3600);
    s->setSingleStep(0.5);
    s->setSuffix(StrLine(IDS_VPL_SECONDS));
    return s;
}

}  // namespace

// ---- "Edit transition effect" / "Default transition" -----------------------------------------

CTransitionDlg::CTransitionDlg(const video::TransitionEdit& e, bool defaultsOnly, QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_TRANSITION);
    // The same dialog for the defaults, under a title of its own.
    if (defaultsOnly) setWindowTitle(StrLine(IDS_VPL_DEFAULT_TRANSITION));
    auto* form = new QFormLayout;
    transition = new QComboBox;
    for (int i = 0; i < video::kTransitionCount; ++i)
        transition->addItem(QString::fromLatin1(video::TransitionButton(i)));
    transition->setCurrentIndex(std::clamp(e.transition, 0, video::kTransitionCount - 1));
    form->addRow(t.label(IDC_TR_LABEL_TRANSITION, transition), transition);
    auto spin = [](int value) {
        auto* s = new QSpinBox;
        s->setRange(0, 600000);
        s->setSingleStep(100);
        s->setValue(value);
        return s;
    };
    interleave = spin(e.interleave);
    spacing = spin(e.spacing);
    form->addRow(t.label(IDC_TR_LABEL_INTERLEAVE, interleave), interleave);
    form->addRow(t.label(IDC_TR_LABEL_SPACING, spacing), spacing);
    if (!defaultsOnly) {
        for (int k = 0; k < video::kRowExtras; ++k) {
            extras[k] = new QComboBox;
            for (int c = 0; c <= video::kExtraCommandCount; ++c) extras[k]->addItem(ExtraName(c));
            extras[k]->setCurrentIndex(e.extras[size_t(k)] <= video::kExtraCommandCount ? e.extras[size_t(k)] : 0);
            form->addRow(t.label(IDC_TR_LABEL_COMMAND + k, extras[k]), extras[k]);
        }
    }
    // The shortest a transition takes is what it gets.
    auto* minimum = t(new QLabel, IDC_TR_MINIMUM);
    auto showMinimum = [this, minimum] {
        minimum->setText(StrFmt(IDS_VPL_AT_LEAST, {video::TransitionMinimum(transition->currentIndex())}));
    };
    showMinimum();
    connect(transition, &QComboBox::currentIndexChanged, this, showMinimum);
    form->addRow(QString(), minimum);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(buttons);
    TranslateDialog(IDD_TRANSITION, this);
}

video::TransitionEdit CTransitionDlg::edit() const {
    video::TransitionEdit e;
    e.transition = transition->currentIndex();
    e.interleave = interleave->value();
    e.spacing = spacing->value();
    for (int k = 0; k < video::kRowExtras; ++k)
        if (extras[k]) e.extras[size_t(k)] = uint8_t(extras[k]->currentIndex());
    return e;
}

// ---- "Confirm deleting" --------------------------------------------------------------------

CConfirmDeleteDlg::CConfirmDeleteDlg(const std::vector<std::string>& playlists, QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_CONFIRM_DELETE);
    auto* top = new QVBoxLayout(this);
    top->addWidget(t.label(IDC_CONFIRM_USED));
    list = MakeList({StrLine(IDS_VPL_PLAYLIST)});
    list->setHeaderHidden(true);
    for (const std::string& p : playlists) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, FromProgramText(p));
    }
    top->addWidget(list);
    auto* question = t(new QLabel, IDC_CONFIRM_QUESTION);
    question->setText(Str(22088));
    top->addWidget(question);
    auto* buttons = new QDialogButtonBox;
    yes = buttons->addButton(QDialogButtonBox::Yes);
    no = buttons->addButton(QDialogButtonBox::No);
    ButtonTexts(buttons);
    no->setDefault(true);
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    top->addWidget(buttons);
    resize(420, 260);
    TranslateDialog(IDD_CONFIRM_DELETE, this);
}

// ---- "Edit video playlist" -----------------------------------------------------------------

CVideoPlaylistDlg::CVideoPlaylistDlg(app::CZentrixApp& app, const std::string& path, QWidget* parent,
                                     video::ProbeFn probe)
    : QDialog(parent), app_(app) {
    DialogTexts t(this, IDD_VIDEO_PLAYLIST);
    setSizeGripEnabled(true);
    const int boards = std::max(video::ConfiguredBoards(app), 1);
    editor_ =
        std::make_unique<video::CVideoListEditor>(playlist_, app.GetPath(app::FOLDER_VIDEO), boards,
                                                  video::VideoListSettings::Load(app.profile()), std::move(probe));
    const video::VideoListSettings& s = editor_->settings();

    // The clips of the video folder.
    auto* base = t.group(IDC_VPL_AVAILABLE);
    library =
        MakeList({StrLine(IDS_VPL_COLUMN_VIDEO), StrLine(IDS_VPL_COLUMN_DURATION), StrLine(IDS_VPL_COLUMN_COMMENT)});
    library->setMinimumSize(320, 240);
    library->header()->setSectionsClickable(true);
    library->header()->setSortIndicatorShown(true);
    for (int c = 0; c < video::VideoListSettings::kBaseColumns; ++c)
        library->setColumnWidth(c, s.baseColumns[size_t(c)]);
    connect(library->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        const int entry = selectedEntry();
        const video::LibraryEntry kept =
            entry >= 0 ? editor_->library().Entries()[size_t(entry)] : video::LibraryEntry{};
        editor_->Sort(column);
        fillLibrary(entry >= 0 ? editor_->library().Find(kept.name, kept.fullPath) : -1);
    });
    connect(library, &QTreeWidget::itemDoubleClicked, this, [this] { AddSelected(); });
    add = t.button(IDC_VPL_ADD);
    description = t.button(IDC_VPL_DESCRIPTION);
    remove = t.button(IDC_VPL_DELETE);
    refresh = t.button(IDC_VPL_REFRESH);
    auto* baseButtons = new QHBoxLayout;
    for (QPushButton* b : {add, description, remove, refresh}) baseButtons->addWidget(b);
    baseButtons->addStretch(1);
    auto* baseLayout = new QVBoxLayout(base);
    baseLayout->addWidget(library);
    baseLayout->addLayout(baseButtons);

    // The playlist.
    auto* rows = t.group(IDC_VPL_PLAYLIST);
    list = MakeList({StrLine(IDS_VPL_COLUMN_NUMBER), StrLine(IDS_VPL_COLUMN_VIDEO), StrLine(IDS_VPL_COLUMN_DURATION),
                     StrLine(IDS_VPL_COLUMN_TRANSITION), StrLine(IDS_VPL_COLUMN_COMMENT)});
    for (int c = 0; c < video::VideoListSettings::kListColumns; ++c) list->setColumnWidth(c, s.listColumns[size_t(c)]);
    list->setMinimumSize(420, 240);
    list->headerItem()->setTextAlignment(0, Qt::AlignCenter);
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelectedTransition(); });
    moveUp = t.button(IDC_VPL_UP);
    moveDown = t.button(IDC_VPL_DOWN);
    edit = t.button(IDC_VPL_EDIT);
    defaults = t.button(IDC_VPL_DEFAULTS);
    clear = t.button(IDC_VPL_CLEAR);
    auto* rowButtons = new QHBoxLayout;
    for (QPushButton* b : {moveUp, moveDown, edit, defaults, clear}) rowButtons->addWidget(b);
    rowButtons->addStretch(1);
    logoOff = t.check(IDC_VPL_LOGO_OFF);
    playTime = t(new QLabel, IDC_VPL_PLAY_TIME);
    auto* status = new QHBoxLayout;
    status->addWidget(logoOff);
    status->addStretch(1);
    status->addWidget(playTime);
    auto* rowsLayout = new QVBoxLayout(rows);
    rowsLayout->addWidget(list);
    rowsLayout->addLayout(rowButtons);
    rowsLayout->addLayout(status);

    load = t.button(IDC_VPL_LOAD);
    save = t.button(IDC_VPL_SAVE);
    saveAs = t.button(IDC_VPL_SAVE_AS);
    close = t.button(IDC_VPL_CLOSE);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(load);
    bottom->addWidget(save);
    bottom->addWidget(saveAs);
    bottom->addStretch(1);
    bottom->addWidget(close);

    auto* top = new QVBoxLayout(this);
    auto* lists = new QHBoxLayout;
    lists->addWidget(base, 3);
    lists->addWidget(rows, 4);
    top->addLayout(lists, 1);
    top->addLayout(bottom);

    connect(add, &QPushButton::clicked, this, &CVideoPlaylistDlg::AddSelected);
    connect(description, &QPushButton::clicked, this, &CVideoPlaylistDlg::EditSelectedDescription);
    connect(remove, &QPushButton::clicked, this, &CVideoPlaylistDlg::DeleteSelected);
    connect(refresh, &QPushButton::clicked, this, &CVideoPlaylistDlg::Refresh);
    connect(moveUp, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(moveDown, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    connect(edit, &QPushButton::clicked, this, &CVideoPlaylistDlg::EditSelectedTransition);
    connect(defaults, &QPushButton::clicked, this, &CVideoPlaylistDlg::EditDefaults);
    connect(clear, &QPushButton::clicked, this, &CVideoPlaylistDlg::Clear);
    connect(logoOff, &QCheckBox::toggled, this, [this](bool on) {
        editor_->SetLogoOff(on);
        updateTitle();
    });
    connect(load, &QPushButton::clicked, this, [this] {
        const std::string file = choose(false, app::FT_VIDEO_PLAYLIST, {});
        if (!file.empty()) LoadFile(file);
    });
    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(saveAs, &QPushButton::clicked, this, [this] {
        const std::string proposed =
            editor_->path().empty() ? app_.GetPath(app::FOLDER_VIDEO, "Playlist.vid") : editor_->path();
        const std::string file = choose(true, app::FT_VIDEO_PLAYLIST, proposed);
        if (!file.empty()) SaveFile(file);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(library, &QTreeWidget::currentItemChanged, this, &CVideoPlaylistDlg::updateButtons);
    connect(list, &QTreeWidget::currentItemChanged, this, &CVideoPlaylistDlg::updateButtons);

    const video::CVideoListEditor::OpenResult opened = editor_->Open(path);
    app::ShowFileResult(opened.library, editor_->library().CataloguePath());
    app::ShowFileResult(opened.playlist, path);
    fillLibrary(editor_->library().Entries().empty() ? -1 : 0);
    fillList(0);
    // Names and transitions are not cut at the first sight (narrow widths from the settings
    // grow to their text, up to a point).
    auto fit = [](QTreeWidget* t, std::initializer_list<int> columns) {
        for (int c : columns) {
            const int stored = t->columnWidth(c);
            t->resizeColumnToContents(c);
            t->setColumnWidth(c, std::max(stored, std::min(t->columnWidth(c), 260)));
        }
    };
    fit(library, {0, 1});
    fit(list, {1, 2, 3});
    resize(1060, 540);
    TranslateDialog(IDD_VIDEO_PLAYLIST, this);
}

CVideoPlaylistDlg::~CVideoPlaylistDlg() = default;

std::string CVideoPlaylistDlg::choose(bool save, int type, const std::string& proposed) {
    return chooser_ ? chooser_(this, save, type, proposed) : DefaultChooser(this, save, type, proposed);
}

int CVideoPlaylistDlg::selectedEntry() const {
    QTreeWidgetItem* item = library->currentItem();
    return item ? library->indexOfTopLevelItem(item) : -1;
}

int CVideoPlaylistDlg::selectedRow() const {
    QTreeWidgetItem* item = list->currentItem();
    return item ? list->indexOfTopLevelItem(item) : -1;
}

void CVideoPlaylistDlg::fillLibrary(int select) {
    library->clear();
    for (const auto& l : editor_->LibraryLines()) {
        auto* item = new QTreeWidgetItem(library);
        item->setText(0, FromProgramText(l.video));
        item->setText(1, FromProgramText(l.duration));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(2, FromProgramText(l.comment));
        item->setToolTip(0, item->text(0));
    }
    library->header()->setSortIndicator(editor_->settings().sortMode, Qt::AscendingOrder);
    if (select >= 0 && select < library->topLevelItemCount()) library->setCurrentItem(library->topLevelItem(select));
    updateButtons();
}

void CVideoPlaylistDlg::fillList(int select) {
    list->clear();
    for (const auto& l : editor_->PlaylistLines()) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, FromProgramText(l.number));
        item->setTextAlignment(0, Qt::AlignCenter);
        item->setText(1, FromProgramText(l.video));
        item->setText(2, FromProgramText(l.duration));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(3, FromProgramText(l.transition));
        item->setText(4, FromProgramText(l.comment));
        for (int c : {1, 3, 4}) item->setToolTip(c, item->text(c));
    }
    if (select >= 0 && select < list->topLevelItemCount()) list->setCurrentItem(list->topLevelItem(select));
    {
        const QSignalBlocker block(logoOff);
        logoOff->setChecked(editor_->playlist().LogoOff());
    }
    playTime->setText(StrFmt(IDS_VPL_PLAY_TIME,
                             {FromProgramText(video::CVideoPlaylist::FormatDuration(editor_->Total())).trimmed()}));
    updateButtons();
    updateTitle();
}

void CVideoPlaylistDlg::updateButtons() {
    const int entry = selectedEntry();
    const int row = selectedRow();
    add->setEnabled(entry >= 0);
    description->setEnabled(entry >= 0);
    remove->setEnabled(entry >= 0);
    moveUp->setEnabled(row >= 0 && editor_->playlist().CanMoveUp(size_t(row)));
    moveDown->setEnabled(row >= 0 && editor_->playlist().CanMoveDown(size_t(row)));
    edit->setEnabled(row >= 0);
}

void CVideoPlaylistDlg::updateTitle() {
    QString name =
        editor_->path().empty() ? StrLine(IDS_VPL_NEW) : FromProgramText(platform::FileNameOf(editor_->path()));
    if (editor_->modified()) name += QStringLiteral(" *");
    setWindowTitle(StrFmt(IDS_VPL_TITLE_OF, {DlgText(IDD_VIDEO_PLAYLIST, 0), name}));
}

void CVideoPlaylistDlg::AddSelected() {
    const int entry = selectedEntry();
    if (entry < 0) return;
    const int row = editor_->Add(size_t(entry));
    fillList(row);
}

void CVideoPlaylistDlg::MoveSelected(int step) {
    const int row = selectedRow();
    if (row < 0) return;
    const bool moved = step < 0 ? editor_->MoveUp(size_t(row)) : editor_->MoveDown(size_t(row));
    if (moved) fillList(row + step);
}

void CVideoPlaylistDlg::EditSelectedTransition() {
    const int row = selectedRow();
    if (row < 0) return;
    CTransitionDlg dlg(editor_->TransitionOf(size_t(row)), false, this);
    if (dlg.exec() != QDialog::Accepted) return;
    editor_->SetTransition(size_t(row), dlg.edit());
    fillList(row);
}

void CVideoPlaylistDlg::EditDefaults() {
    const video::RowDefaults& d = editor_->settings().defaults;
    video::TransitionEdit e;
    e.transition = d.transition;
    e.interleave = d.timeIn;
    e.spacing = d.timeOut;
    CTransitionDlg dlg(e, true, this);
    if (dlg.exec() != QDialog::Accepted) return;
    const video::TransitionEdit chosen = dlg.edit();
    editor_->SetDefaults({chosen.transition, chosen.interleave, chosen.spacing});
    editor_->SaveSettings(app_.profile());
}

void CVideoPlaylistDlg::EditSelectedDescription() {
    const int entry = selectedEntry();
    if (entry < 0) return;
    QInputDialog ask(this);
    ask.setWindowTitle(StrLine(IDS_VPL_DESCRIPTION_TITLE));
    ask.setOkButtonText(StrLine(IDS_BUTTON_OK));
    ask.setCancelButtonText(StrLine(IDS_BUTTON_CANCEL));
    ask.setLabelText(FromProgramText(editor_->library().Entries()[size_t(entry)].name));
    ask.setTextValue(FromProgramText(editor_->library().Entries()[size_t(entry)].description));
    if (auto* line = ask.findChild<QLineEdit*>()) line->setMaxLength(int(video::kMaxDescription));
    if (ask.exec() != QDialog::Accepted) return;
    int rc = 0;
    const std::string text = ToProgramText(ask.textValue().left(int(video::kMaxDescription)));
    if (!editor_->SetDescription(size_t(entry), text, &rc)) return;
    app::ShowFileResult(rc, editor_->library().CataloguePath());
    fillLibrary(entry);
}

void CVideoPlaylistDlg::DeleteSelected() {
    const int entry = selectedEntry();
    if (entry < 0) return;
    const std::vector<std::string> users = editor_->UsersOf(size_t(entry));
    bool yes;
    if (!users.empty()) {
        CConfirmDeleteDlg confirm(users, this);
        yes = confirm.exec() == QDialog::Accepted;
    } else {
        yes = app::MessageBoxId(22088, app::MB_YESNO | app::MB_ICONQUESTION | app::MB_DEFBUTTON2) == app::IDYES;
    }
    if (!yes) return;
    const std::string file = editor_->library().FullPath(editor_->library().Entries()[size_t(entry)]);
    if (!editor_->DeleteClip(size_t(entry))) {
        app::ShowFileResult(0x102, file);
        return;
    }
    fillLibrary(std::min(entry, int(editor_->library().Entries().size()) - 1));
    fillList(selectedRow());
}

void CVideoPlaylistDlg::Refresh() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int rc = editor_->Refresh();
    QApplication::restoreOverrideCursor();
    app::ShowFileResult(rc, editor_->library().CataloguePath());
    fillLibrary(editor_->library().Entries().empty() ? -1 : 0);
}

void CVideoPlaylistDlg::Clear() {
    editor_->Clear();
    fillList(0);
}

bool CVideoPlaylistDlg::LoadFile(const std::string& path) {
    const int rc = editor_->Load(path);
    app::ShowFileResult(rc, path);
    fillList(0);
    return (rc & 0x100) == 0;
}

bool CVideoPlaylistDlg::SaveFile(const std::string& path) {
    const int rc = editor_->Save(path);
    app::ShowFileResult(rc, path);
    updateTitle();
    return rc == 0;
}

bool CVideoPlaylistDlg::Save() {
    if (!editor_->path().empty()) return SaveFile(editor_->path());
    const std::string file = choose(true, app::FT_VIDEO_PLAYLIST, app_.GetPath(app::FOLDER_VIDEO, "Playlist.vid"));
    return !file.empty() && SaveFile(file);
}

void CVideoPlaylistDlg::done(int result) {
    if (editor_->modified()) {
        // Changes are kept only in the file: ask before they go.
        const int answer = app::MessageBoxId(IDS_VPL_SAVE_CHANGES, app::MB_YESNOCANCEL | app::MB_ICONQUESTION);
        if (answer == app::IDCANCEL) return;
        if (answer == app::IDYES && !Save()) return;
    }
    std::array<int, video::VideoListSettings::kListColumns> listWidths{};
    for (int c = 0; c < video::VideoListSettings::kListColumns; ++c) listWidths[size_t(c)] = list->columnWidth(c);
    std::array<int, video::VideoListSettings::kBaseColumns> baseWidths{};
    for (int c = 0; c < video::VideoListSettings::kBaseColumns; ++c) baseWidths[size_t(c)] = library->columnWidth(c);
    editor_->SetColumnWidths(listWidths, baseWidths);
    editor_->SaveSettings(app_.profile());
    QDialog::done(result);
}

// ---- "Add Clip to Track #n" and "Add Button" ------------------------------------------------

CAddClipDlg::CAddClipDlg(int board, FileChooser chooser, QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_ADD_CLIP);
    setWindowTitle(StrFmt(IDS_VPL_ADD_CLIP_TITLE, {board + 1}));
    auto* form = new QFormLayout;
    path = new QLineEdit;
    path->setMinimumWidth(320);
    browse = new QPushButton(QStringLiteral("..."));
    browse->setFixedWidth(32);
    auto* file = new QHBoxLayout;
    file->addWidget(path, 1);
    file->addWidget(browse);
    form->addRow(t.label(IDC_CLIP_LABEL_FILE, path), file);
    time = SecondsBox();
    form->addRow(t.label(IDC_CLIP_LABEL_START, time), time);
    afterPrevious = t.check(IDC_CLIP_AFTER_PREVIOUS);
    form->addRow(QString(), afterPrevious);
    looped = t.check(IDC_CLIP_LOOP);
    form->addRow(QString(), looped);
    connect(afterPrevious, &QCheckBox::toggled, time, &QWidget::setDisabled);
    connect(browse, &QPushButton::clicked, this, [this, chooser] {
        const std::string f =
            chooser ? chooser(this, false, app::FT_MPEG, {}) : DefaultChooser(this, false, app::FT_MPEG, {});
        if (!f.empty()) path->setText(FromProgramText(f));
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(buttons);
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(path, &QLineEdit::textChanged, this, [this](const QString& t) { ok->setEnabled(!t.trimmed().isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(buttons);
    TranslateDialog(IDD_ADD_CLIP, this);
}

std::string CAddClipDlg::file() const { return ToProgramText(path->text().trimmed()); }
int32_t CAddClipDlg::start() const {
    return afterPrevious->isChecked() ? 0 : int32_t(std::lround(time->value() * 1000));
}
bool CAddClipDlg::loop() const { return looped->isChecked(); }

CAddButtonDlg::CAddButtonDlg(QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_ADD_BUTTON);
    auto* form = new QFormLayout;
    button = new QComboBox;
    for (const char* name : video::kRemotePlaylistButtons) button->addItem(QString::fromLatin1(name));
    button->setMaxVisibleItems(20);
    form->addRow(t.label(IDC_BUTTON_LABEL_BUTTON, button), button);
    action = new QComboBox;
    for (int a = video::REMOTE_PUSH; a <= video::REMOTE_OFF; ++a)
        action->addItem(FromProgramText(video::RemoteActionName(a)));
    form->addRow(t.label(IDC_BUTTON_LABEL_ACTION, action), action);
    time = SecondsBox();
    form->addRow(t.label(IDC_BUTTON_LABEL_TIME, time), time);
    afterPrevious = t.check(IDC_BUTTON_AFTER_PREVIOUS);
    form->addRow(QString(), afterPrevious);
    connect(afterPrevious, &QCheckBox::toggled, time, &QWidget::setDisabled);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(buttons);
    TranslateDialog(IDD_ADD_BUTTON, this);
}

video::ButtonEvent CAddButtonDlg::event() const {
    video::ButtonEvent e;
    e.name = ToProgramText(button->currentText());
    e.action = action->currentIndex();
    e.time = afterPrevious->isChecked() ? 0 : int32_t(std::lround(time->value() * 1000));
    return e;
}

// ---- "Edit playlist" -----------------------------------------------------------------------

CAirPlaylistDlg::CAirPlaylistDlg(app::CZentrixApp& app, video::CPlaylist& playlist, QWidget* parent,
                                 video::ProbeFn probe)
    : QDialog(parent), app_(app), playlist_(playlist), probe_(std::move(probe)) {
    DialogTexts t(this, IDD_AIR_PLAYLIST);
    setSizeGripEnabled(true);
    playlist_.SetRoot(app.GetPath(app::FOLDER_ROOT));
    list = MakeList({StrLine(IDS_APL_COLUMN_TIME), StrLine(IDS_APL_COLUMN_TIME + 1), StrLine(IDS_APL_COLUMN_TIME + 2),
                     StrLine(IDS_APL_COLUMN_TIME + 3)});
    list->setColumnWidth(0, 80);
    list->setColumnWidth(1, 200);
    list->setColumnWidth(2, 200);
    list->setColumnWidth(3, 160);
    list->setMinimumSize(660, 300);
    list->headerItem()->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    addClip1 = t.button(IDC_APL_CLIP1);
    addClip2 = t.button(IDC_APL_CLIP2);
    addButton = t.button(IDC_APL_BUTTON);
    remove = t.button(IDC_APL_REMOVE);
    clear = t.button(IDC_APL_CLEAR);
    load = t.button(IDC_APL_LOAD);
    save = t.button(IDC_APL_SAVE);
    close = t.button(IDC_APL_CLOSE);
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {addClip1, addClip2, addButton, remove, clear}) side->addWidget(b);
    side->addSpacing(16);
    side->addWidget(load);
    side->addWidget(save);
    side->addStretch(1);
    side->addWidget(close);
    auto* top = new QHBoxLayout(this);
    top->addWidget(list, 1);
    top->addLayout(side);

    connect(addClip1, &QPushButton::clicked, this, [this] { askClip(0); });
    connect(addClip2, &QPushButton::clicked, this, [this] { askClip(1); });
    connect(addButton, &QPushButton::clicked, this, &CAirPlaylistDlg::askButton);
    connect(remove, &QPushButton::clicked, this, &CAirPlaylistDlg::RemoveSelected);
    connect(clear, &QPushButton::clicked, this, &CAirPlaylistDlg::Clear);
    connect(load, &QPushButton::clicked, this, [this] {
        const std::string file = choose(false, app::FT_PLAYLIST, {});
        if (!file.empty()) LoadFile(file);
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const std::string proposed = path_.empty() ? app_.GetPath(app::FOLDER_VIDEO, "Playlist.zxp") : path_;
        const std::string file = choose(true, app::FT_PLAYLIST, proposed);
        if (!file.empty()) SaveFile(file);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(list, &QTreeWidget::currentItemChanged, this, &CAirPlaylistDlg::updateButtons);
    // One board: nothing plays on a second track.
    addClip2->setEnabled(video::ConfiguredBoards(app) == 2 || !playlist_.Clips(1).empty());
    fill();
    resize(820, 420);
    TranslateDialog(IDD_AIR_PLAYLIST, this);
}

std::string CAirPlaylistDlg::choose(bool save, int type, const std::string& proposed) {
    return chooser_ ? chooser_(this, save, type, proposed) : DefaultChooser(this, save, type, proposed);
}

void CAirPlaylistDlg::fill(int column, size_t index) {
    lines_ = playlist_.Lines();
    list->clear();
    for (size_t i = 0; i < lines_.size(); ++i) {
        const video::PlaylistLine& l = lines_[i];
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, FromProgramText(video::CPlaylist::FormatTime(l.time)));
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(1 + l.column, FromProgramText(l.text));
        if (l.column == column && l.index == index) list->setCurrentItem(item);
    }
    updateButtons();
}

void CAirPlaylistDlg::updateButtons() { remove->setEnabled(list->currentItem() != nullptr); }

void CAirPlaylistDlg::askClip(int board) {
    CAddClipDlg dlg(board, chooser_, this);
    if (dlg.exec() == QDialog::Accepted) AddClip(board, dlg.file(), dlg.start(), dlg.loop());
}

void CAirPlaylistDlg::askButton() {
    CAddButtonDlg dlg(this);
    if (dlg.exec() == QDialog::Accepted) AddButton(dlg.event());
}

bool CAirPlaylistDlg::AddClip(int board, const std::string& file, int32_t start, bool loop) {
    const int rc = playlist_.AddClipFile(board, file, start, loop, probe_);
    if (rc != video::PROBE_OK) {
        ShowProbeError(rc);
        return false;
    }
    changed_ = true;
    // The new clip is the one with this path whose start is the one given (or the last).
    const auto& track = playlist_.Clips(board);
    size_t at = track.size() - 1;
    for (size_t i = 0; i < track.size(); ++i)
        if (start > 0 && track[i].start == start && playlist_.FullPath(track[i]) == file) at = i;
    fill(board, at);
    return true;
}

void CAirPlaylistDlg::AddButton(const video::ButtonEvent& event) {
    playlist_.AddButton(event);
    changed_ = true;
    const auto& buttons = playlist_.Events();
    size_t at = buttons.size() - 1;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (event.time > 0 && buttons[i] == event) at = i;
    fill(video::LINE_BUTTONS, at);
}

void CAirPlaylistDlg::RemoveSelected() {
    QTreeWidgetItem* item = list->currentItem();
    if (!item) return;
    const int i = list->indexOfTopLevelItem(item);
    if (i < 0 || size_t(i) >= lines_.size() || !playlist_.RemoveLine(lines_[size_t(i)])) return;
    changed_ = true;
    fill();
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(std::min(i, list->topLevelItemCount() - 1)));
}

void CAirPlaylistDlg::Clear() {
    playlist_.Clear();
    changed_ = true;
    fill();
}

bool CAirPlaylistDlg::LoadFile(const std::string& path) {
    const int rc = playlist_.Load(path);
    app::ShowFileResult(rc, path);
    if (rc & 0x100) return false;
    path_ = path;
    changed_ = true;
    setWindowTitle(
        StrFmt(IDS_VPL_TITLE_OF, {DlgText(IDD_AIR_PLAYLIST, 0), FromProgramText(platform::FileNameOf(path))}));
    fill();
    return true;
}

bool CAirPlaylistDlg::SaveFile(const std::string& path) {
    const int rc = playlist_.Save(path);
    app::ShowFileResult(rc, path);
    if (rc != 0) return false;
    path_ = path;
    setWindowTitle(
        StrFmt(IDS_VPL_TITLE_OF, {DlgText(IDD_AIR_PLAYLIST, 0), FromProgramText(platform::FileNameOf(path))}));
    return true;
}

// ---- The hooks -----------------------------------------------------------------------------

bool EditVideoPlaylist(app::CZentrixApp& app, const std::string& path, QWidget* parent) {
    CVideoPlaylistDlg dlg(app, path, parent);
    dlg.exec();
    return dlg.saved();
}

bool EditAirPlaylist(app::CZentrixApp& app, video::CPlaylist& playlist, QWidget* parent) {
    CAirPlaylistDlg dlg(app, playlist, parent);
    dlg.exec();
    return dlg.changed();
}

}  // namespace ui
