#include "ui/air/titr_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "air/titles_tree.h"
#include "app/file_types.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "pages/font_manager.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "ui/air/air_pictures.h"
#include "ui/file_dialogs.h"
#include "ui/mainframe/mode_frames.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

enum : int { IDS_CHECK = 15061, IDS_TIME = 15063, IDS_PAGE = 15066, IDS_ABSTRACT = 15067 };
enum : int { ROLE_PATH = Qt::UserRole, ROLE_KIND = Qt::UserRole + 1 };
constexpr int kDeviceWidth = 80;

QString Text(int id) { return FromProgramText(app::LoadString(id)); }

// The tree's pictures, one pair per kind (closed, selected), drawn here.
QPixmap KindPixmap(int kind, bool selected) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = selected ? QColor(0xFF, 0xFF, 0xFF) : QColor(0x30, 0x30, 0x38);
    const QColor fill = [&] {
        switch (kind) {
            case air::TITR_TITLE: return QColor(0xE0, 0x8A, 0x1E);
            case air::TITR_SEQUENCE: return QColor(0x3A, 0x7B, 0xD5);
            case air::TITR_MPEG: return QColor(0x8E, 0x44, 0xAD);
            case air::TITR_CLOCK: return QColor(0x2E, 0x9E, 0x5B);
            case air::TITR_BANNER: return QColor(0xC0, 0x39, 0x2B);
            case air::TITR_VIDEO_PLAYLIST: return QColor(0x6C, 0x3F, 0x99);
            default: return QColor(0xE8, 0xC2, 0x4A);
        }
    }();
    p.setPen(QPen(ink, 1));
    p.setBrush(selected ? fill.lighter(130) : fill);
    switch (kind) {
        case air::TITR_TITLE:
            p.drawRoundedRect(QRectF(1.5, 4.5, 13, 8), 1.5, 1.5);
            p.drawLine(QPointF(4, 7.5), QPointF(12, 7.5));
            p.drawLine(QPointF(4, 10), QPointF(9, 10));
            break;
        case air::TITR_SEQUENCE:
            for (int i = 0; i < 3; ++i) p.drawRect(QRectF(2.5, 2.5 + i * 4, 11, 3));
            break;
        case air::TITR_CLOCK:
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            p.drawLine(QPointF(8, 8), QPointF(8, 4));
            p.drawLine(QPointF(8, 8), QPointF(11, 9));
            break;
        case air::TITR_BANNER:
        case air::TITR_MPEG:
            p.drawRect(QRectF(1.5, 3.5, 13, 9));
            for (int x = 3; x < 14; x += 3) {
                p.drawPoint(QPointF(x, 5));
                p.drawPoint(QPointF(x, 11));
            }
            break;
        case air::TITR_VIDEO_PLAYLIST:
            p.drawRect(QRectF(1.5, 2.5, 9, 7));
            p.drawRect(QRectF(5.5, 6.5, 9, 7));
            break;
        default: {
            QPainterPath folder;
            folder.moveTo(1.5, 4.5);
            folder.lineTo(6, 4.5);
            folder.lineTo(7.5, 6);
            folder.lineTo(14.5, 6);
            folder.lineTo(14.5, 13.5);
            folder.lineTo(1.5, 13.5);
            folder.closeSubpath();
            p.drawPath(folder);
            if (selected) p.drawLine(QPointF(3, 8.5), QPointF(13, 8.5));
            break;
        }
    }
    return pm;
}

QIcon KindIcon(int kind) {
    QIcon icon;
    icon.addPixmap(KindPixmap(kind, false), QIcon::Normal);
    icon.addPixmap(KindPixmap(kind, true), QIcon::Selected);
    return icon;
}

}  // namespace

// ---- CTitrPicture

CTitrPicture::CTitrPicture(QWidget* parent) : QWidget(parent) { setFixedSize(kWidth + 2, kHeight + 2); }

void CTitrPicture::setImage(const QImage& image) {
    image_ = image;
    update();
}

void CTitrPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QColor(0x70, 0x74, 0x7C));
    p.setBrush(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!image_.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(1, 1, kWidth, kHeight), image_);
    }
}

// ---- CTitrView

CTitrView::CTitrView(CAirFrameWnd& frame, app::CZentrixApp& app, QWidget* parent)
    : QWidget(parent), frame_(frame), app_(app) {
    setAcceptDrops(true);
    pages::CFontManager* fonts = pages::CFontManager::Instance();
    static pages::CFontManager noFonts;  // a program without a font list still lists and plays
    model_ = std::make_unique<air::CTitrModel>(app, fonts ? *fonts : noFonts, frame.controller(), frame.objects(),
                                               platform::SystemClock::instance());
    model_->setPanel(this);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    tree_ = new QTreeWidget;
    tree_->setHeaderHidden(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setIconSize(QSize(16, 16));
    splitter_->addWidget(tree_);
    buildPanel();
    auto* scroll = new QScrollArea;
    scroll->setWidget(panel_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    splitter_->addWidget(scroll);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({model_->settings().leftWidth, 600});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);

    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &CTitrView::onTreeSelection);
    connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (!item->parent() && !filling_) model_->setExpanded(size_t(tree_->indexOfTopLevelItem(item)), true);
    });
    connect(tree_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (!item->parent() && !filling_) model_->setExpanded(size_t(tree_->indexOfTopLevelItem(item)), false);
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->data(0, ROLE_KIND).toInt() > air::TITR_FOLDER && model_->CanRender()) Render();
    });
    fillTree();
    refreshPanel();
    // The frame's state changes that no note tells (the link coming up) reach the buttons too.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &CTitrView::updateEnabling);
    poll->start(250);
}

CTitrView::~CTitrView() {
    // Destroy: the column widths, the tree's states, its width and fast mode are kept.
    air::TitrSettings& s = model_->settings();
    for (int c = 0; c < air::kTitrColumnCount; ++c) s.columns[size_t(c)] = list_->columnWidth(c);
    if (!splitter_->sizes().isEmpty() && splitter_->sizes().first() > 0) s.leftWidth = splitter_->sizes().first();
    model_->SaveSettings();
}

void CTitrView::buildPanel() {
    panel_ = new QWidget;
    DialogTexts t(panel_, IDD_TITR_BAR);
    auto* grid = new QGridLayout(panel_);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* pictures = new QHBoxLayout;
    preview_ = WithId(new CTitrPicture, IDC_TITR_PREVIEW);
    preview_->setToolTip(StrLine(IDS_TITR_SELECTION_TIP));
    onAir_ = WithId(new CTitrPicture, IDC_TITR_ONAIR);
    onAir_->setToolTip(StrLine(IDS_TITR_ON_AIR_TIP));
    pictures->addWidget(preview_);
    pictures->addWidget(onAir_);
    if (app_.settings().isStatusClass2()) {
        device_ = new QLabel;
        device_->setPixmap(DevicePixmap(app_.is400M(), kDeviceWidth, CTitrPicture::kHeight, devicePixelRatioF()));
        pictures->addWidget(device_);
    }
    pictures->addStretch(1);
    grid->addLayout(pictures, 0, 0, 1, 4);

    name_ = WithId(new QLineEdit, IDC_TITR_NAME);
    name_->setReadOnly(true);
    grid->addWidget(name_, 1, 0, 1, 4);
    for (int i = 0; i < air::kTitleFieldCount; ++i) {
        labels_[i] = WithId(new QLabel, IDC_TITR_LABEL0 + i);
        fields_[i] = WithId(new QLineEdit, IDC_TITR_FIELD0 + i);
        labels_[i]->setBuddy(fields_[i]);
        grid->addWidget(labels_[i], 2 + i, 0);
        grid->addWidget(fields_[i], 2 + i, 1, 1, 3);
        connect(fields_[i], &QLineEdit::textEdited, this, [this, i] { onFieldEdited(i); });
        connect(fields_[i], &QLineEdit::returnPressed, this, [this] {
            if (model_->CanRender()) Render();
        });
    }
    render_ = t.button(IDC_TITR_RENDER);
    render_->setToolTip(StrLine(IDS_TITR_RENDER_TIP));
    connect(render_, &QPushButton::clicked, this, &CTitrView::Render);
    loop_ = t.check(IDC_TITR_LOOP);
    connect(loop_, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_) model_->SetLoop(on);
    });
    fast_ = t.check(IDC_TITR_FAST);
    fast_->setChecked(model_->fastLoad());
    connect(fast_, &QCheckBox::toggled, this, [this](bool on) { model_->setFastLoad(on); });
    playlistEdit_ = t.button(IDC_TITR_PL_EDIT);
    connect(playlistEdit_, &QPushButton::clicked, this, [this] {
        if (model_->EditPlaylist()) fillTree();
        refreshPanel();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(render_);
    buttons->addWidget(loop_);
    buttons->addWidget(fast_);
    buttons->addWidget(playlistEdit_);
    buttons->addStretch(1);
    grid->addLayout(buttons, 6, 0, 1, 4);

    list_ = WithId(new QTreeWidget, IDC_TITR_LIST);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setHeaderLabels({Text(IDS_CHECK), Text(IDS_TIME), Text(IDS_PAGE), Text(IDS_ABSTRACT)});
    list_->headerItem()->setTextAlignment(0, Qt::AlignCenter);
    list_->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    for (int c = 0; c < air::kTitrColumnCount; ++c) list_->setColumnWidth(c, model_->settings().columns[size_t(c)]);
    list_->setMinimumHeight(160);
    list_->installEventFilter(this);
    connect(list_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 0) toggleRow(list_->indexOfTopLevelItem(item));
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column != 0 && model_->PlayRow(list_->indexOfTopLevelItem(item))) refreshList(model_->playedRow());
    });
    grid->addWidget(list_, 7, 0, 1, 4);
    grid->setRowStretch(7, 1);

    restoreLabel_ = t.label(IDC_TITR_RESTORE);
    restore_ = WithId(new QComboBox, IDC_TITR_RESTORE_COMBO);
    for (const std::string& c : model_->RestoreChoices()) restore_->addItem(FromProgramText(c));
    restore_->setCurrentIndex(model_->restoreIndex());
    connect(restore_, &QComboBox::currentIndexChanged, this, [this](int index) { model_->setRestoreIndex(index); });
    restoreLabel_->setBuddy(restore_);
    up_ = t.button(IDC_TITR_UP);
    down_ = t.button(IDC_TITR_DOWN);
    saveAs_ = t.button(IDC_TITR_SAVE_AS);
    connect(up_, &QPushButton::clicked, this, [this] { moveRow(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { moveRow(1); });
    connect(saveAs_, &QPushButton::clicked, this, [this] {
        const std::string proposed = app_.GetPath(app::FOLDER_SEQUENCES) + model_->selectedName() + ".zxs";
        const std::string path = AskSaveFile(this, QString(), proposed, app::FT_SEQUENCE);
        if (!path.empty()) SaveAs(path);
    });
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(restoreLabel_);
    bottom->addWidget(restore_);
    bottom->addStretch(1);
    bottom->addWidget(up_);
    bottom->addWidget(down_);
    bottom->addWidget(saveAs_);
    grid->addLayout(bottom, 8, 0, 1, 4);
    TranslateDialog(IDD_TITR_BAR, panel_);
}

// ---- The tree

void CTitrView::fillTree() {
    filling_ = true;
    const std::string selected = model_->selectedPath();
    tree_->clear();
    QTreeWidgetItem* reselect = nullptr;
    std::function<void(QTreeWidgetItem*, const air::TitlesNode&)> add = [&](QTreeWidgetItem* item,
                                                                            const air::TitlesNode& n) {
        item->setText(0, FromProgramText(n.text));
        item->setIcon(0, KindIcon(n.kind));
        item->setData(0, ROLE_PATH, FromProgramText(n.path));
        item->setData(0, ROLE_KIND, n.kind);
        if (!n.enabled) item->setDisabled(true);
        if (n.isFile() && n.path == selected) reselect = item;
        for (const air::TitlesNode& c : n.children) add(new QTreeWidgetItem(item), c);
    };
    for (const air::TitlesNode& n : model_->tree()) {
        auto* top = new QTreeWidgetItem(tree_);
        add(top, n);
        top->setExpanded(n.expanded);
    }
    if (reselect) tree_->setCurrentItem(reselect);
    filling_ = false;
}

void CTitrView::RebuildTree() {
    model_->BuildTree();
    fillTree();
}

QTreeWidgetItem* CTitrView::itemOf(const std::string& path) const {
    const QString p = FromProgramText(path);
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->data(0, ROLE_PATH).toString() == p && (*it)->data(0, ROLE_KIND).toInt() > air::TITR_FOLDER)
            return *it;
    return nullptr;
}

void CTitrView::onTreeSelection() {
    if (filling_) return;
    const QList<QTreeWidgetItem*> items = tree_->selectedItems();
    if (items.isEmpty()) return;
    const std::string path = ToProgramText(items.first()->data(0, ROLE_PATH).toString());
    const int kind = items.first()->data(0, ROLE_KIND).toInt();
    air::TitlesNode folder;
    const air::TitlesNode* node = kind > air::TITR_FOLDER ? air::FindTitlesNode(model_->tree(), path) : &folder;
    if (!node) return;
    const air::CTitrModel::SelectResult r = model_->Select(*node);
    if (r == air::CTitrModel::SELECT_REFUSED) {
        // The air frame is busy: the selection goes, what is selected in the model stays.
        filling_ = true;
        tree_->clearSelection();
        filling_ = false;
        return;
    }
    if (r == air::CTitrModel::SELECT_NOTHING) return;
    refreshPanel();
}

// ---- The panel

void CTitrView::refreshPanel() {
    filling_ = true;
    const int kind = model_->selectedKind();
    name_->setText(FromProgramText(model_->selectedName()));
    preview_->setImage(model_->preview().empty() ? QImage() : ImageOfBitmap(model_->preview()));
    const std::vector<air::TitleField>& f = model_->titleFields();
    for (int i = 0; i < air::kTitleFieldCount; ++i) {
        const bool show = kind == air::TITR_TITLE && i < int(f.size());
        labels_[i]->setVisible(show);
        fields_[i]->setVisible(show);
        if (show) {
            labels_[i]->setText(FromProgramText(f[size_t(i)].label));
            fields_[i]->setText(FromProgramText(f[size_t(i)].text));
        }
    }
    const bool sequence = kind == air::TITR_SEQUENCE;
    const bool playlist = kind == air::TITR_VIDEO_PLAYLIST;
    loop_->setVisible(sequence || kind == air::TITR_MPEG || kind == air::TITR_BANNER);
    loop_->setChecked(model_->loop());
    playlistEdit_->setVisible(playlist);
    restoreLabel_->setVisible(playlist);
    restore_->setVisible(playlist);
    list_->setVisible(sequence);
    up_->setVisible(sequence);
    down_->setVisible(sequence);
    saveAs_->setVisible(sequence);
    filling_ = false;
    refreshList();
    updateEnabling();
}

void CTitrView::refreshList(int select) {
    if (model_->selectedKind() != air::TITR_SEQUENCE) {
        list_->clear();
        return;
    }
    const int keep = select >= 0 ? select : list_->indexOfTopLevelItem(list_->currentItem());
    list_->clear();
    const std::vector<air::TitrRow> rows = model_->Rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, QString::fromLatin1(rows[i].check.c_str()));
        row->setText(1, QString::fromLatin1(rows[i].time.c_str()));
        row->setText(2, FromProgramText(rows[i].page));
        row->setText(3, FromProgramText(rows[i].abstract));
        row->setTextAlignment(0, Qt::AlignCenter);
        row->setTextAlignment(1, Qt::AlignCenter);
        if (!model_->sequence().items[i].loaded) row->setForeground(2, QColor(0xC0, 0x20, 0x20));
    }
    if (keep >= 0 && keep < list_->topLevelItemCount()) {
        list_->setCurrentItem(list_->topLevelItem(keep));
        list_->scrollToItem(list_->topLevelItem(keep));
    }
}

void CTitrView::updateEnabling() {
    const bool can = model_->CanRender();
    render_->setEnabled(can);
    playlistEdit_->setEnabled(can);
    list_->setEnabled(can);
    const bool listOps = can && model_->selectedKind() == air::TITR_SEQUENCE;
    up_->setEnabled(listOps);
    down_->setEnabled(listOps);
    saveAs_->setEnabled(model_->selectedKind() == air::TITR_SEQUENCE);
}

void CTitrView::onFieldEdited(int i) {
    // What is typed crosses into the program's code page: a character it lacks shows replaced at
    // once, so the field shows what goes on air.
    QLineEdit* f = fields_[i];
    const std::string text8 = ToProgramText(f->text());
    const QString shown = FromProgramText(text8);
    if (shown != f->text()) {
        const int cursor = f->cursorPosition();
        f->setText(shown);
        f->setCursorPosition(std::min(cursor, int(shown.size())));
    }
    model_->setFieldText(i, text8);
}

void CTitrView::toggleRow(int row) {
    if (row < 0 || !model_->CanRender()) return;
    model_->ToggleCheck(row);
    refreshList(row);
}

void CTitrView::moveRow(int step) {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0) return;
    refreshList(model_->MoveRow(row, step));
}

// ---- Commands

void CTitrView::Render() {
    if (!model_->CanRender()) {
        frame_.Beep();
        return;
    }
    model_->Render();
    if (model_->selectedKind() == air::TITR_TITLE)
        for (int i = 0; i < int(model_->titleFields().size()); ++i)
            fields_[i]->setText(FromProgramText(model_->titleFields()[size_t(i)].text));
    preview_->setImage(model_->preview().empty() ? QImage() : ImageOfBitmap(model_->preview()));
    updateEnabling();
}

void CTitrView::SaveAs(const std::string& path) {
    if (model_->SaveSequenceAs(path) != 0) return;
    fillTree();
    refreshPanel();
}

bool CTitrView::CueFile(const std::string& path) {
    if (!model_->CueFile(path)) {
        frame_.Beep();
        return false;
    }
    filling_ = true;
    if (QTreeWidgetItem* item = itemOf(path)) tree_->setCurrentItem(item);
    else tree_->clearSelection();
    filling_ = false;
    refreshPanel();
    return true;
}

bool CTitrView::OnViewCommand(int command) {
    if (command == IDC_TITR_RENDER) {
        Render();
        return true;
    }
    if (command == IDC_TITR_REFRESH) {
        RebuildTree();
        return true;
    }
    return false;
}

intptr_t CTitrView::send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg != platform::MSG_AIR) return 0;
    if (int(wParam) == air::AIRNOTE_PREVIEW) {
        const int row = model_->OnAirNote(int(wParam), lParam);
        onAir_->setImage(model_->onAirPreview().empty() ? QImage() : ImageOfBitmap(model_->onAirPreview()));
        if (row >= 0 && row < list_->topLevelItemCount()) {
            list_->setCurrentItem(list_->topLevelItem(row));
            list_->scrollToItem(list_->topLevelItem(row));
        }
    }
    updateEnabling();
    return 0;
}

// ---- Status bar

void CTitrView::ShowProgress(const std::string& text, int range) {
    frame_.SetStatusText(FromProgramText(text));
    frame_.ShowProgress(range);
}

void CTitrView::StepProgress(int value) {
    if (QProgressBar* bar = frame_.progress()) bar->setValue(value);
}

void CTitrView::HideProgress() { frame_.HideProgress(); }

// ---- Drop, context menu, keys

namespace {
std::string DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile()) return {};
    const std::string path = data->urls().first().toLocalFile().toLocal8Bit().toStdString();
    const std::string ext = platform::ToLowerAscii(platform::ExtensionOfPath(path));
    return ext == ".zxs" || ext == ".zxg" ? path : std::string();
}
}  // namespace

void CTitrView::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void CTitrView::dropEvent(QDropEvent* event) {
    const std::string path = DroppedFile(event->mimeData());
    if (path.empty()) return;
    event->acceptProposedAction();
    CueFile(path);
}

void CTitrView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    BuildPopupMenu(IDR_TITR_CONTEXT, &menu);
    TranslateMenu(IDR_TITR_CONTEXT, &menu);
    // The same as dropping the file onto the view.
    const bool free = frame_.controller().CanStart() && !frame_.controller().IsOnAir();
    QAction* cueSequence = FindCommand(&menu, ID_TITR_CUE_SEQUENCE);
    QAction* cuePage = FindCommand(&menu, ID_TITR_CUE_PAGE);
    cueSequence->setEnabled(free);
    cuePage->setEnabled(free);
    // The playlist editors, with MPEG boards.
    const bool mpeg = app_.hardwareState() & app::HW_MPEG;
    QAction* newPlaylist = FindCommand(&menu, ID_TITR_NEW_PLAYLIST);
    QAction* airPlaylist = FindCommand(&menu, ID_TITR_AIR_PLAYLIST);
    newPlaylist->setVisible(mpeg && model_->CanEditPlaylists());
    newPlaylist->setEnabled(free);
    airPlaylist->setVisible(mpeg && Factories().editAirPlaylist);
    airPlaylist->setEnabled(free);
    if (!newPlaylist->isVisible()) newPlaylist = nullptr;
    if (!airPlaylist->isVisible()) airPlaylist = nullptr;
    QAction* refresh = FindCommand(&menu, IDC_TITR_REFRESH);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == refresh) RebuildTree();
    if (chosen && chosen == newPlaylist) {
        if (model_->EditNewPlaylist()) fillTree();
        return;
    }
    if (chosen && chosen == airPlaylist) {
        EditAirPlaylist();
        return;
    }
    if (chosen != cueSequence && chosen != cuePage) return;
    const std::string file = chosen == cueSequence
                                 ? AskOpenFile(this, QString(), app::FOLDER_SEQUENCES, app::FT_SEQUENCE)
                                 : AskOpenFile(this, QString(), app::FOLDER_LAST_PAGES, app::FT_PAGE);
    if (!file.empty()) CueFile(file);
}

bool CTitrView::EditAirPlaylist() {
    if (!Factories().editAirPlaylist) return false;
    if (!Factories().editAirPlaylist(this)) return false;
    // A video playlist cued may be the air playlist as it was: Render cues it anew.
    air::CAirFrame& frame = frame_.controller();
    if (model_->selectedKind() == air::TITR_VIDEO_PLAYLIST && frame.CanStart() && !frame.IsOnAir()) frame.ClearAir();
    return true;
}

bool CTitrView::eventFilter(QObject* object, QEvent* event) {
    if (object == list_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        toggleRow(list_->indexOfTopLevelItem(list_->currentItem()));
        return true;
    }
    return QWidget::eventFilter(object, event);
}

}  // namespace ui
