#include "ui/air/block_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "air/block_schedule.h"
#include "app/file_types.h"
#include "app/zentrix_app.h"
#include "platform/clock.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/air_pictures.h"
#include "ui/file_dialogs.h"
#include "ui/qt_timer_service.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

constexpr char kSection[] = "Block";
enum : int {
    IDC_BLOCK_LABEL_FILE = 1195,
    IDC_BLOCK_LABEL_VIDEO = 1196,
    IDC_BLOCK_LABEL_TIME = 1197,
    IDC_BLOCK_GROUP_BINDINGS = 1265,
    IDC_BLOCK_GROUP_EVENTS = 1266,
    IDS_BLOCK_CHOOSE_FILE = 33957,
    IDS_BLOCK_TICK_WEEKDAY = 33958,
    IDS_BLOCK_PLAY_FILE = 33959,
    IDS_BLOCK_PLAY_VIDEO = 33960,
    IDS_BLOCK_COLUMN_NUMBER = 33961,  // "#", "File(s) to play"
    IDS_BLOCK_COLUMN_TIME = 33963,    // "Time", "Action"
    IDS_BLOCK_NEXT = 33965,
    IDS_BLOCK_MISSED = 33966,
};
constexpr int kSchedWidths[2] = {168, 440};
constexpr int kBlockWidths[2] = {48, 560};

QLineEdit* nameField(int id) {
    auto* e = new QLineEdit;
    e->setReadOnly(true);
    e->setMinimumWidth(320);
    SetResourceId(e, id);
    return e;
}

QPushButton* smallButton(const char* text, int id) {
    auto* b = new QPushButton(QString::fromLatin1(text));
    b->setFixedWidth(28);
    b->setAutoDefault(false);
    SetResourceId(b, id);
    return b;
}

bool isMpeg(const QString& video) { return app::FileTypeOf(ToProgramText(video)) == app::FT_MPEG; }
bool isPlaylist(const QString& video) { return app::FileTypeOf(ToProgramText(video)) == app::FT_VIDEO_PLAYLIST; }

// "File(s) to play" rows: the file with its "..." and "X", then the video with its own.
void fileRows(const DialogTexts& t, QGridLayout* g, int row, QDialog* d, QLineEdit* file, QLineEdit* video,
              int fileBrowse, int fileClear, int videoBrowse, int videoClear, const std::function<void()>& changed) {
    QPushButton* fb = smallButton("...", fileBrowse);
    QPushButton* fc = smallButton("X", fileClear);
    QPushButton* vb = smallButton("...", videoBrowse);
    QPushButton* vc = smallButton("X", videoClear);
    g->addWidget(file, row, 1);
    g->addWidget(fb, row, 2);
    g->addWidget(fc, row, 3);
    g->addWidget(t.label(IDC_BLOCK_LABEL_VIDEO, video), row + 1, 0);
    g->addWidget(video, row + 1, 1);
    g->addWidget(vb, row + 1, 2);
    g->addWidget(vc, row + 1, 3);
    QObject::connect(fb, &QPushButton::clicked, d, [d, file, changed] {
        const std::string f = AskOpenFile(d, StrLine(IDS_BLOCK_PLAY_FILE), app::FOLDER_ROOT, app::FT_ALL);
        if (f.empty()) return;
        file->setText(FromProgramText(f));
        changed();
    });
    QObject::connect(fc, &QPushButton::clicked, d, [file, changed] {
        file->clear();
        changed();
    });
    QObject::connect(vb, &QPushButton::clicked, d, [d, video, changed] {
        const std::string f = AskOpenFile(d, StrLine(IDS_BLOCK_PLAY_VIDEO), app::FOLDER_LAST_VIDEO, app::FT_ALL);
        if (f.empty()) return;
        RememberFolder(app::FOLDER_LAST_VIDEO, f);
        video->setText(FromProgramText(f));
        changed();
    });
    QObject::connect(vc, &QPushButton::clicked, d, [video, changed] {
        video->clear();
        changed();
    });
}

}  // namespace

// ---- CEventDialog

CEventDialog::CEventDialog(const air::AutoEvent& e, const std::string& file, const std::string& video, QWidget* parent)
    : QDialog(parent), base_(e) {
    DialogTexts t(this, IDD_EVENT);
    auto* outer = new QVBoxLayout(this);
    auto* g = new QGridLayout;
    QLabel* timeLabel = t.label(IDC_BLOCK_LABEL_TIME);
    g->addWidget(timeLabel, 0, 0);
    time_ = new QTimeEdit(QTime(e.hour % 24, e.minute % 60, e.second % 60));
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    SetResourceId(time_, IDC_TIME);
    timeLabel->setBuddy(time_);
    g->addWidget(time_, 0, 1);
    once_ = t.radio(IDC_ONCE);
    date_ =
        new QDateEdit(QDate(e.year, e.month, e.day).isValid() ? QDate(e.year, e.month, e.day) : QDate::currentDate());
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    SetResourceId(date_, IDC_DATE);
    g->addWidget(once_, 1, 0);
    g->addWidget(date_, 1, 1);
    daily_ = t.radio(IDC_DAILY);
    g->addWidget(daily_, 2, 0);
    auto* dayRow = new QHBoxLayout;
    for (int i = 0; i < 7; ++i) {
        days_[i] = t.check(IDC_DAY1 + i);
        days_[i]->setChecked(e.weekdays >> i & 1);
        dayRow->addWidget(days_[i]);
        connect(days_[i], &QCheckBox::toggled, this, &CEventDialog::enable);
    }
    g->addLayout(dayRow, 2, 1, 1, 3);
    stop_ = t.radio(IDC_STOP);
    play_ = t.radio(IDC_PLAY);
    g->addWidget(stop_, 3, 0);
    g->addWidget(play_, 4, 0);
    file_ = nameField(IDC_FILE);
    video_ = nameField(IDC_VIDEO);
    file_->setText(FromProgramText(file));
    video_->setText(FromProgramText(video));
    fileRows(t, g, 4, this, file_, video_, IDC_FILE_BROWSE, IDC_FILE_CLEAR, IDC_VIDEO_BROWSE, IDC_VIDEO_CLEAR,
             [this] { enable(); });
    loop_ = t.check(IDC_LOOP);
    loop_->setChecked(e.videoLoop != 0);
    g->addWidget(loop_, 6, 1);
    outer->addLayout(g);
    why_ = new QLabel;
    why_->setStyleSheet(QStringLiteral("color: #a00000"));
    outer->addWidget(why_);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(box);
    ok_ = box->button(QDialogButtonBox::Ok);
    connect(box, &QDialogButtonBox::accepted, this, &CEventDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CEventDialog::reject);
    outer->addWidget(box);
    // Two choices of their own: when, and what.
    auto* when = new QButtonGroup(this);
    when->addButton(once_);
    when->addButton(daily_);
    auto* what = new QButtonGroup(this);
    what->addButton(stop_);
    what->addButton(play_);
    (e.onceOnly ? once_ : daily_)->setChecked(true);
    (e.active ? play_ : stop_)->setChecked(true);
    for (QRadioButton* r : {once_, daily_, stop_, play_})
        connect(r, &QRadioButton::toggled, this, &CEventDialog::enable);
    TranslateDialog(IDD_EVENT, this);
    enable();
}

void CEventDialog::enable() {
    date_->setEnabled(once_->isChecked());
    for (QCheckBox* d : days_) d->setEnabled(daily_->isChecked());
    const bool play = play_->isChecked();
    file_->setEnabled(play);
    video_->setEnabled(play);
    for (int id : {IDC_FILE_BROWSE, IDC_FILE_CLEAR, IDC_VIDEO_BROWSE, IDC_VIDEO_CLEAR})
        for (QPushButton* b : findChildren<QPushButton*>())
            if (ResourceId(b) == id) b->setEnabled(play);
    loop_->setEnabled(play && isMpeg(video_->text()));
    why_->clear();
}

QString CEventDialog::refusal() const {
    if (play_->isChecked() && file_->text().isEmpty() && video_->text().isEmpty())
        return StrLine(IDS_BLOCK_CHOOSE_FILE);
    if (daily_->isChecked()) {
        bool any = false;
        for (QCheckBox* d : days_) any = any || d->isChecked();
        if (!any) return StrLine(IDS_BLOCK_TICK_WEEKDAY);
    }
    return {};
}

void CEventDialog::accept() {
    const QString why = refusal();
    if (!why.isEmpty()) {
        why_->setText(why);
        return;
    }
    QDialog::accept();
}

air::AutoEvent CEventDialog::event() const {
    air::AutoEvent e = base_;
    const QTime t = time_->time();
    e.hour = uint16_t(t.hour());
    e.minute = uint8_t(t.minute());
    e.second = uint8_t(t.second());
    e.onceOnly = once_->isChecked() ? 1 : 0;
    const QDate d = date_->date();
    e.year = uint16_t(d.year());
    e.month = uint8_t(d.month());
    e.day = uint8_t(d.day());
    e.weekdays = 0;
    for (int i = 0; i < 7; ++i) e.weekdays |= days_[i]->isChecked() ? 1 << i : 0;
    e.active = play_->isChecked() ? 1 : 0;
    e.videoLoop = e.active && loop_->isEnabled() && loop_->isChecked() ? 1 : 0;
    return e;
}

std::string CEventDialog::file() const { return play_->isChecked() ? ToProgramText(file_->text()) : std::string(); }
std::string CEventDialog::video() const { return play_->isChecked() ? ToProgramText(video_->text()) : std::string(); }
void CEventDialog::setFile(const std::string& path) {
    file_->setText(FromProgramText(path));
    enable();
}
void CEventDialog::setVideo(const std::string& path) {
    video_->setText(FromProgramText(path));
    enable();
}

// ---- CBindingDialog

CBindingDialog::CBindingDialog(const air::AutoEvent& b, const std::string& file, const std::string& video,
                               QWidget* parent)
    : QDialog(parent) {
    DialogTexts t(this, IDD_BINDING);
    auto* outer = new QVBoxLayout(this);
    auto* g = new QGridLayout;
    file_ = nameField(IDC_FILE);
    g->addWidget(t.label(IDC_BLOCK_LABEL_FILE, file_), 0, 0);
    video_ = nameField(IDC_VIDEO);
    file_->setText(FromProgramText(file));
    video_->setText(FromProgramText(video));
    fileRows(t, g, 0, this, file_, video_, IDC_FILE_BROWSE, IDC_FILE_CLEAR, IDC_VIDEO_BROWSE, IDC_VIDEO_CLEAR,
             [this] { enable(); });
    loop_ = t.check(IDC_LOOP);
    loop_->setChecked(b.videoLoop != 0);
    restore_ = t.check(IDC_RESTORE);
    restore_->setChecked(b.restorePreview != 0);
    g->addWidget(loop_, 2, 1);
    g->addWidget(restore_, 3, 1);
    outer->addLayout(g);
    why_ = new QLabel;
    why_->setStyleSheet(QStringLiteral("color: #a00000"));
    outer->addWidget(why_);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(box);
    ok_ = box->button(QDialogButtonBox::Ok);
    connect(box, &QDialogButtonBox::accepted, this, &CBindingDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CBindingDialog::reject);
    outer->addWidget(box);
    TranslateDialog(IDD_BINDING, this);
    enable();
}

void CBindingDialog::enable() {
    loop_->setEnabled(isMpeg(video_->text()));
    restore_->setEnabled(isPlaylist(video_->text()));
    why_->clear();
}

void CBindingDialog::accept() {
    if (file_->text().isEmpty() && video_->text().isEmpty()) {
        why_->setText(StrLine(IDS_BLOCK_CHOOSE_FILE));
        return;
    }
    QDialog::accept();
}

air::AutoEvent CBindingDialog::binding() const {
    air::AutoEvent b;
    b.active = 1;
    b.videoLoop = loop_->isEnabled() && loop_->isChecked() ? 1 : 0;
    b.restorePreview = restore_->isEnabled() && restore_->isChecked() ? 1 : 0;
    return b;
}

std::string CBindingDialog::file() const { return ToProgramText(file_->text()); }
std::string CBindingDialog::video() const { return ToProgramText(video_->text()); }
void CBindingDialog::setFile(const std::string& path) {
    file_->setText(FromProgramText(path));
    enable();
}
void CBindingDialog::setVideo(const std::string& path) {
    video_->setText(FromProgramText(path));
    enable();
}

// ---- CBlockView

CBlockView::CBlockView(CAirFrameWnd& frame, app::CZentrixApp& app, QWidget* parent)
    : QWidget(parent), frame_(frame), app_(app), timers_(std::make_unique<QtTimerService>()) {
    model_ = std::make_unique<air::CBlockSchedule>(app, frame.controller(), *timers_, platform::SystemClock::instance(),
                                                   frame.objects());
    DialogTexts texts(this, IDD_BLOCK);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 16);
    auto* lists = new QVBoxLayout;
    outer->addLayout(lists, 1);

    auto makeList = [this](int id, int firstColumn, const char* widthKey, const int* widths) {
        auto* t = new QTreeWidget;
        SetResourceId(t, id);
        t->setColumnCount(2);
        t->setHeaderLabels({StrLine(firstColumn), StrLine(firstColumn + 1)});
        t->setRootIsDecorated(false);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        t->setAllColumnsShowFocus(true);
        for (int c = 0; c < 2; ++c)
            t->setColumnWidth(c, app_.profile().getInt(kSection, std::string(widthKey) + std::to_string(c), widths[c]));
        t->installEventFilter(this);
        return t;
    };

    auto* blocks = texts.group(IDC_BLOCK_GROUP_BINDINGS);
    auto* bl = new QVBoxLayout(blocks);
    bindings_ = makeList(IDC_BINDINGS, IDS_BLOCK_COLUMN_NUMBER, "WidthBlock", kBlockWidths);
    bl->addWidget(bindings_);
    auto* bb = new QHBoxLayout;
    bb->addStretch(1);
    bb->addWidget(addButton(texts, IDC_CHANGE));
    bb->addWidget(addButton(texts, IDC_CLEAR));
    bl->addLayout(bb);
    lists->addWidget(blocks, 1);

    auto* sched = texts.group(IDC_BLOCK_GROUP_EVENTS);
    auto* sl = new QVBoxLayout(sched);
    events_ = makeList(IDC_EVENTS, IDS_BLOCK_COLUMN_TIME, "WidthSched", kSchedWidths);
    sl->addWidget(events_);
    auto* eb = new QHBoxLayout;
    status_ = new QLabel;
    SetResourceId(status_, IDC_STATUS);
    eb->addWidget(status_, 1);
    eb->addWidget(addButton(texts, IDC_ADD));
    eb->addWidget(addButton(texts, IDC_EDIT));
    eb->addWidget(addButton(texts, IDC_REMOVE));
    sl->addLayout(eb);
    lists->addWidget(sched, 2);

    if (app.settings().isStatusClass2()) {
        device_ = new QLabel;
        device_->setPixmap(DevicePixmap(app.is400M(), 160, 288, devicePixelRatioF()));
        device_->setFixedSize(160, 288);
        outer->addWidget(device_, 0, Qt::AlignTop);
    }

    connect(button(IDC_ADD), &QPushButton::clicked, this, &CBlockView::Add);
    connect(button(IDC_EDIT), &QPushButton::clicked, this, &CBlockView::Edit);
    connect(button(IDC_REMOVE), &QPushButton::clicked, this, &CBlockView::Remove);
    connect(button(IDC_CHANGE), &QPushButton::clicked, this, &CBlockView::Change);
    connect(button(IDC_CLEAR), &QPushButton::clicked, this, &CBlockView::Clear);
    connect(bindings_, &QTreeWidget::itemDoubleClicked, this, [this] { Change(); });
    connect(events_, &QTreeWidget::itemDoubleClicked, this, [this] { Edit(); });
    connect(bindings_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (refreshing_ || bindings_->selectedItems().isEmpty()) return;
        model_->Select(bindings_->indexOfTopLevelItem(bindings_->selectedItems()[0]), -1);
    });
    connect(events_, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (refreshing_ || events_->selectedItems().isEmpty()) return;
        model_->Select(-1, events_->indexOfTopLevelItem(events_->selectedItems()[0]));
    });
    model_->setChanged([this] { refresh(); });
    TranslateDialog(IDD_BLOCK, this);
    model_->Load();
    refresh();
    model_->Start();
}

CBlockView::~CBlockView() {
    model_->Stop();
    model_->setChanged({});
    for (int c = 0; c < 2; ++c) {
        app_.profile().putInt(kSection, "WidthBlock" + std::to_string(c), bindings_->columnWidth(c));
        app_.profile().putInt(kSection, "WidthSched" + std::to_string(c), events_->columnWidth(c));
    }
}

QPushButton* CBlockView::addButton(const DialogTexts& texts, int id) {
    auto* b = texts.button(id);
    b->setAutoDefault(false);
    buttons_.push_back(b);
    return b;
}

QPushButton* CBlockView::button(int id) const {
    for (QPushButton* b : buttons_)
        if (ResourceId(b) == id) return b;
    return nullptr;
}

intptr_t CBlockView::send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg == platform::MSG_AIR) model_->OnAirNote(int(wParam), lParam);
    return 0;
}

void CBlockView::refresh() {
    refreshing_ = true;
    const air::CBlockSchedule& s = *model_;
    bindings_->clear();
    for (int i = 0; i < s.bindingCount(); ++i) {
        const air::AutoEvent& b = s.bindings()[size_t(i)];
        auto* item =
            new QTreeWidgetItem({QString::number(i + 1), b.active ? FromProgramText(air::BindingText(b)) : QString()});
        item->setTextAlignment(0, Qt::AlignCenter);
        bindings_->addTopLevelItem(item);
    }
    events_->clear();
    for (size_t i = 0; i < s.events().size(); ++i) {
        const air::AutoEvent& e = s.events()[i];
        auto* item =
            new QTreeWidgetItem({FromProgramText(air::EventTimeText(e)), FromProgramText(air::EventActionText(e))});
        if (s.missed(int(i)))
            for (int c = 0; c < 2; ++c) item->setForeground(c, QColor(0xB0, 0, 0));
        events_->addTopLevelItem(item);
    }
    if (s.selectedBinding() >= 0 && s.selectedBinding() < bindings_->topLevelItemCount())
        bindings_->setCurrentItem(bindings_->topLevelItem(s.selectedBinding()));
    if (s.selectedEvent() >= 0 && s.selectedEvent() < events_->topLevelItemCount()) {
        events_->setCurrentItem(events_->topLevelItem(s.selectedEvent()));
        events_->scrollToItem(events_->currentItem());
    }
    const bool binding = s.selectedBinding() >= 0 && s.selectedBinding() < s.bindingCount();
    const bool event = s.selectedEvent() >= 0 && size_t(s.selectedEvent()) < s.events().size();
    button(IDC_CHANGE)->setEnabled(binding);
    button(IDC_CLEAR)->setEnabled(binding && s.bindings()[size_t(s.selectedBinding())].active);
    button(IDC_EDIT)->setEnabled(event);
    button(IDC_REMOVE)->setEnabled(event);
    refreshing_ = false;
    refreshStatus();
}

void CBlockView::refreshStatus() {
    const air::CBlockSchedule& s = *model_;
    const int64_t now = air::CivilSeconds(platform::SystemClock::instance().localTime());
    QString text;
    const auto next = s.Upcoming(now, 1);
    if (!next.empty()) text = StrFmt(IDS_BLOCK_NEXT, {air::CivilText(next[0].civil), next[0].index + 1});
    if (s.lastMissed() >= 0)
        text = StrFmt(IDS_BLOCK_MISSED, {text, air::CivilText(s.lastMissedTime()), s.lastMissed() + 1});
    status_->setText(text);
}

int CBlockView::exec(QDialog& d) {
    // The schedule runs on while the dialog is open; it edits a copy.
    model_->editing = true;
    int r;
    if (dialogHook) {
        dialogHook(d);
        r = d.result();
    } else {
        r = d.exec();
    }
    model_->editing = false;
    return r;
}

void CBlockView::Add() {
    const air::AutoEvent e = air::NewScheduledEvent(platform::SystemClock::instance().localTime());
    CEventDialog d(e, {}, {}, this);
    if (exec(d) != QDialog::Accepted) return;
    air::AutoEvent r = d.event();
    model_->StoreNames(r, d.file(), d.video());
    model_->AddEvent(r);
}

void CBlockView::Edit() {
    const int i = model_->selectedEvent();
    if (i < 0 || size_t(i) >= model_->events().size()) return;
    const air::AutoEvent e = model_->events()[size_t(i)];
    CEventDialog d(e, model_->FilePath(e), model_->VideoPath(e), this);
    if (exec(d) != QDialog::Accepted) return;
    air::AutoEvent r = d.event();
    model_->StoreNames(r, d.file(), d.video());
    model_->ReplaceEvent(i, r);
}

void CBlockView::Remove() {
    const int i = model_->selectedEvent();
    if (i >= 0) model_->RemoveEvent(i);
}

void CBlockView::Change() {
    const int i = model_->selectedBinding();
    if (i < 0 || i >= model_->bindingCount()) return;
    const air::AutoEvent b = model_->bindings()[size_t(i)];
    CBindingDialog d(b, b.active ? model_->FilePath(b) : std::string(), b.active ? model_->VideoPath(b) : std::string(),
                     this);
    if (exec(d) != QDialog::Accepted) return;
    air::AutoEvent r = d.binding();
    model_->StoreNames(r, d.file(), d.video());
    model_->SetBinding(i, r);
}

void CBlockView::Clear() {
    const int i = model_->selectedBinding();
    if (i >= 0) model_->ClearBinding(i);
}

bool CBlockView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == bindings_ && key == Qt::Key_Delete) {
            Clear();
            return true;
        }
        if (watched == events_ && key == Qt::Key_Insert) {
            Add();
            return true;
        }
        if (watched == events_ && key == Qt::Key_Delete) {
            Remove();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ui
