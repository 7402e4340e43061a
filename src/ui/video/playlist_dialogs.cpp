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
#include "ui/text.h"
#include "ui/translate.h"
#include "video/clip_probe.h"
#include "video/remote_buttons.h"
#include "video/video_playlist_player.h"

namespace ui {

namespace {

template <class W>
W* WithId(W* w, int id) {
    SetResourceId(w, id);
    return w;
}

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
    if (command == 0) return QStringLiteral("(none)");
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
    s->setSuffix(QStringLiteral(" s"));
    return s;
}

}  // namespace

// ---- "Edit transition effect" / "Default transition" -----------------------------------------

CTransitionDlg::CTransitionDlg(const video::TransitionEdit& e, bool defaultsOnly, QWidget* parent) : QDialog(parent) {
    SetResourceId(this, IDD_TRANSITION);
    setWindowTitle(defaultsOnly ? QStringLiteral("Default transition") : QStringLiteral("Edit transition effect"));
    auto* form = new QFormLayout;
    transition = new QComboBox;
    for (int i = 0; i < video::kTransitionCount; ++i)
        transition->addItem(QString::fromLatin1(video::TransitionButton(i)));
    transition->setCurrentIndex(std::clamp(e.transition, 0, video::kTransitionCount - 1));
    form->addRow(QStringLiteral("Transition"), transition);
    auto spin = [](int value) {
        auto* s = new QSpinBox;
        s->setRange(0, 600000);
        s->setSingleStep(100);
        s->setValue(value);
        return s;
    };
    interleave = spin(e.interleave);
    spacing = spin(e.spacing);
    form->addRow(QStringLiteral("Interleave (msec)"), interleave);
    form->addRow(QStringLiteral("Spacing (msec)"), spacing);
    if (!defaultsOnly) {
        for (int k = 0; k < video::kRowExtras; ++k) {
            extras[k] = new QComboBox;
            for (int c = 0; c <= video::kExtraCommandCount; ++c) extras[k]->addItem(ExtraName(c));
            extras[k]->setCurrentIndex(e.extras[size_t(k)] <= video::kExtraCommandCount ? e.extras[size_t(k)] : 0);
            form->addRow(QStringLiteral("Command %1").arg(k + 1), extras[k]);
        }
    }
    // The shortest a transition takes is what it gets.
    auto* minimum = new QLabel;
    auto showMinimum = [this, minimum] {
        minimum->setText(QStringLiteral("At least %1 ms").arg(video::TransitionMinimum(transition->currentIndex())));
    };
    showMinimum();
    connect(transition, &QComboBox::currentIndexChanged, this, showMinimum);
    form->addRow(QString(), minimum);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
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
    SetResourceId(this, IDD_CONFIRM_DELETE);
    setWindowTitle(QStringLiteral("Confirm deleting"));
    auto* top = new QVBoxLayout(this);
    top->addWidget(new QLabel(QStringLiteral("Clip is used in the following playlists:")));
    list = MakeList({QStringLiteral("Playlist")});
    list->setHeaderHidden(true);
    for (const std::string& p : playlists) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, FromProgramText(p));
    }
    top->addWidget(list);
    top->addWidget(new QLabel(FromProgramText(app::LoadString(22088))));
    auto* buttons = new QDialogButtonBox;
    yes = buttons->addButton(QDialogButtonBox::Yes);
    no = buttons->addButton(QDialogButtonBox::No);
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
    SetResourceId(this, IDD_VIDEO_PLAYLIST);
    setSizeGripEnabled(true);
    const int boards = std::max(video::ConfiguredBoards(app), 1);
    editor_ =
        std::make_unique<video::CVideoListEditor>(playlist_, app.GetPath(app::FOLDER_VIDEO), boards,
                                                  video::VideoListSettings::Load(app.profile()), std::move(probe));
    const video::VideoListSettings& s = editor_->settings();

    // The clips of the video folder.
    auto* base = new QGroupBox(QStringLiteral("Available files"));
    library = MakeList({QStringLiteral("Video"), QStringLiteral("Duration"), QStringLiteral("Comment")});
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
    add = new QPushButton(QStringLiteral("Add to playlist"));
    description = new QPushButton(QStringLiteral("Edit description"));
    remove = new QPushButton(QStringLiteral("Delete"));
    refresh = new QPushButton(QStringLiteral("Refresh"));
    auto* baseButtons = new QHBoxLayout;
    for (QPushButton* b : {add, description, remove, refresh}) baseButtons->addWidget(b);
    baseButtons->addStretch(1);
    auto* baseLayout = new QVBoxLayout(base);
    baseLayout->addWidget(library);
    baseLayout->addLayout(baseButtons);

    // The playlist.
    auto* rows = new QGroupBox(QStringLiteral("Playlist"));
    list = MakeList({QStringLiteral("#"), QStringLiteral("Video"), QStringLiteral("Duration"),
                     QStringLiteral("Transition"), QStringLiteral("Comment")});
    for (int c = 0; c < video::VideoListSettings::kListColumns; ++c) list->setColumnWidth(c, s.listColumns[size_t(c)]);
    list->setMinimumSize(420, 240);
    list->headerItem()->setTextAlignment(0, Qt::AlignCenter);
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelectedTransition(); });
    moveUp = new QPushButton(QStringLiteral("Move Up"));
    moveDown = new QPushButton(QStringLiteral("Move Down"));
    edit = new QPushButton(QStringLiteral("Edit"));
    defaults = new QPushButton(QStringLiteral("Default transition"));
    clear = new QPushButton(QStringLiteral("Clear"));
    auto* rowButtons = new QHBoxLayout;
    for (QPushButton* b : {moveUp, moveDown, edit, defaults, clear}) rowButtons->addWidget(b);
    rowButtons->addStretch(1);
    logoOff = new QCheckBox(QStringLiteral("Switch off logo while playing"));
    playTime = new QLabel;
    auto* status = new QHBoxLayout;
    status->addWidget(logoOff);
    status->addStretch(1);
    status->addWidget(playTime);
    auto* rowsLayout = new QVBoxLayout(rows);
    rowsLayout->addWidget(list);
    rowsLayout->addLayout(rowButtons);
    rowsLayout->addLayout(status);

    load = new QPushButton(QStringLiteral("Load..."));
    save = new QPushButton(QStringLiteral("Save"));
    saveAs = new QPushButton(QStringLiteral("Save As..."));
    close = new QPushButton(QStringLiteral("Close"));
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
    playTime->setText(QStringLiteral("Play time: %1")
                          .arg(FromProgramText(video::CVideoPlaylist::FormatDuration(editor_->Total())).trimmed()));
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
        editor_->path().empty() ? QStringLiteral("(new)") : FromProgramText(platform::FileNameOf(editor_->path()));
    if (editor_->modified()) name += QStringLiteral(" *");
    setWindowTitle(QStringLiteral("Edit video playlist - %1").arg(name));
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
    ask.setWindowTitle(QStringLiteral("Edit description"));
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
        const int answer =
            app::MessageBoxText("Save the changes to the video playlist?", app::MB_YESNOCANCEL | app::MB_ICONQUESTION);
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
    SetResourceId(this, IDD_ADD_CLIP);
    setWindowTitle(QStringLiteral("Add Clip to Track #%1").arg(board + 1));
    auto* form = new QFormLayout;
    path = new QLineEdit;
    path->setMinimumWidth(320);
    browse = new QPushButton(QStringLiteral("..."));
    browse->setFixedWidth(32);
    auto* file = new QHBoxLayout;
    file->addWidget(path, 1);
    file->addWidget(browse);
    form->addRow(QStringLiteral("MPEG file"), file);
    time = SecondsBox();
    form->addRow(QStringLiteral("Start time"), time);
    afterPrevious = new QCheckBox(QStringLiteral("Immidiately after previous clip"));
    form->addRow(QString(), afterPrevious);
    looped = new QCheckBox(QStringLiteral("Loop"));
    form->addRow(QString(), looped);
    connect(afterPrevious, &QCheckBox::toggled, time, &QWidget::setDisabled);
    connect(browse, &QPushButton::clicked, this, [this, chooser] {
        const std::string f =
            chooser ? chooser(this, false, app::FT_MPEG, {}) : DefaultChooser(this, false, app::FT_MPEG, {});
        if (!f.empty()) path->setText(FromProgramText(f));
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
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
    SetResourceId(this, IDD_ADD_BUTTON);
    setWindowTitle(QStringLiteral("Add Button"));
    auto* form = new QFormLayout;
    button = new QComboBox;
    for (const char* name : video::kRemotePlaylistButtons) button->addItem(QString::fromLatin1(name));
    button->setMaxVisibleItems(20);
    form->addRow(QStringLiteral("Button"), button);
    action = new QComboBox;
    for (int a = video::REMOTE_PUSH; a <= video::REMOTE_OFF; ++a)
        action->addItem(FromProgramText(video::RemoteActionName(a)));
    form->addRow(QStringLiteral("Action"), action);
    time = SecondsBox();
    form->addRow(QStringLiteral("Time"), time);
    afterPrevious = new QCheckBox(QStringLiteral("Immidiately after previous button"));
    form->addRow(QString(), afterPrevious);
    connect(afterPrevious, &QCheckBox::toggled, time, &QWidget::setDisabled);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
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
    SetResourceId(this, IDD_AIR_PLAYLIST);
    setWindowTitle(QStringLiteral("Edit playlist"));
    setSizeGripEnabled(true);
    playlist_.SetRoot(app.GetPath(app::FOLDER_ROOT));
    list = MakeList({QStringLiteral("Time"), QStringLiteral("Video track #1"), QStringLiteral("Video track #2"),
                     QStringLiteral("Remote buttons")});
    list->setColumnWidth(0, 80);
    list->setColumnWidth(1, 200);
    list->setColumnWidth(2, 200);
    list->setColumnWidth(3, 160);
    list->setMinimumSize(660, 300);
    list->headerItem()->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    addClip1 = new QPushButton(QStringLiteral("Add Clip to Track #1"));
    addClip2 = new QPushButton(QStringLiteral("Add Clip to Track #2"));
    addButton = new QPushButton(QStringLiteral("Add Button"));
    remove = new QPushButton(QStringLiteral("Remove"));
    clear = new QPushButton(QStringLiteral("Clear"));
    load = new QPushButton(QStringLiteral("Load"));
    save = new QPushButton(QStringLiteral("Save"));
    close = new QPushButton(QStringLiteral("Close"));
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
    setWindowTitle(QStringLiteral("Edit playlist - %1").arg(FromProgramText(platform::FileNameOf(path))));
    fill();
    return true;
}

bool CAirPlaylistDlg::SaveFile(const std::string& path) {
    const int rc = playlist_.Save(path);
    app::ShowFileResult(rc, path);
    if (rc != 0) return false;
    path_ = path;
    setWindowTitle(QStringLiteral("Edit playlist - %1").arg(FromProgramText(platform::FileNameOf(path))));
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
