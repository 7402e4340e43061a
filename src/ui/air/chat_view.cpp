#include "ui/air/chat_view.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>

#include "air/air_frame.h"
#include "app/file_types.h"
#include "app/profile.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/chat_dialogs.h"
#include "ui/file_dialogs.h"
#include "ui/qt_message_target.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

constexpr QRgb kKey = qRgb(255, 0, 255);  // the strip's transparent colour
constexpr int kIcon = 16;

QString Text(int id) { return FromProgramText(app::LoadString(id)); }

// The text column on one line; the whole text is the row's tool tip.
QString OneLine(QString s) {
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QStringLiteral(" / "));
}

}  // namespace

// ---- The state pictures

QImage ChatIconStrip() {
    QImage strip(kIcon * 3, kIcon, QImage::Format_RGB32);
    strip.fill(kKey);
    QPainter p(&strip);
    // Drawn without smoothing: every pixel is either the key or a colour of the picture.
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink(0x30, 0x30, 0x38);
    // Delayed: two amber bars, held back.
    p.setPen(ink);
    p.setBrush(QColor(0xF0, 0xA0, 0x20));
    p.drawRect(3, 2, 3, 11);
    p.drawRect(9, 2, 3, 11);
    // Queued: a blue arrow, next on air.
    p.setBrush(QColor(0x2E, 0x7C, 0xE0));
    const QPoint arrow[] = {{kIcon + 4, 2}, {kIcon + 13, 8}, {kIcon + 4, 14}};
    p.drawPolygon(arrow, 3);
    // Shown: a green tick.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1E, 0x9E, 0x4A));
    const QPoint tick[] = {{2 * kIcon + 1, 8},  {2 * kIcon + 4, 5},  {2 * kIcon + 6, 8},
                           {2 * kIcon + 12, 2}, {2 * kIcon + 15, 5}, {2 * kIcon + 6, 14}};
    p.drawPolygon(tick, 6);
    return strip;
}

QIcon ChatStateIcon(int state) {
    static const QImage strip = ChatIconStrip();
    QImage one = strip.copy(std::clamp(state, 0, 2) * kIcon, 0, kIcon, kIcon).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < one.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(one.scanLine(y));
        for (int x = 0; x < one.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (kKey & 0xFFFFFF)) line[x] = 0;
    }
    return QIcon(QPixmap::fromImage(one));
}

// ---- CChatView

CChatView::CChatView(CAirFrameWnd& frame, app::CZentrixApp& app, pages::CFontManager& fonts, sms::ChatEngine& engine,
                     QWidget* parent)
    : QWidget(parent), frame_(frame) {
    DialogTexts texts(this, IDD_CHAT);
    setFocusPolicy(Qt::StrongFocus);
    const air::AirObjects& objects = frame.objects();
    // Creation: the settings, filter.dat, an empty list.
    model_ = std::make_unique<sms::CChatModel>(app, fonts, frame.controller(), *objects.page, *objects.pageImage,
                                               timers_, platform::SystemClock::instance(), engine);
    engineTarget_ = std::make_unique<QtMessageTarget>(
        [this](uint32_t msg, uintptr_t w, intptr_t l) { return model_ ? model_->OnMessage(msg, w, l) : 0; });
    model_->setOwner(engineTarget_.get());

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(8);

    // The template, the filter and fast mode.
    templateBox_ = texts.group(IDC_CHAT_GROUP_TEMPLATE);
    auto* t = new QGridLayout(templateBox_);
    t->addWidget(addButton(texts, IDC_CHAT_OPEN), 0, 0);
    t->addWidget(addButton(texts, IDC_CHAT_FILTER), 0, 1);
    fast_ = texts.check(IDC_CHAT_FAST);
    fast_->setToolTip(StrLine(IDS_CHAT_FAST_TIP));
    t->addWidget(fast_, 0, 2);
    t->setColumnStretch(3, 1);
    template_ = WithId(new QLabel, IDC_CHAT_TEMPLATE);
    template_->setTextInteractionFlags(Qt::NoTextInteraction);
    template_->setMinimumWidth(60);
    t->addWidget(template_, 1, 0, 1, 4);

    // The phone.
    phoneBox_ = texts.group(IDC_CHAT_GROUP_PHONE);
    auto* g = new QGridLayout(phoneBox_);
    g->addWidget(addButton(texts, IDC_CHAT_START), 0, 0);
    g->addWidget(addButton(texts, IDC_CHAT_STOP), 0, 1);
    g->addWidget(texts.label(IDC_CHAT_STATUS_LABEL), 1, 0);
    status_ = WithId(new QLabel, IDC_CHAT_STATUS);
    status_->setWordWrap(true);
    status_->setMinimumWidth(120);
    g->addWidget(status_, 1, 1, 1, 3);
    g->addWidget(texts.label(IDC_CHAT_COUNT_LABEL), 2, 0);
    count_ = WithId(new QLabel, IDC_CHAT_COUNT);
    g->addWidget(count_, 2, 1, 1, 3);
    g->setColumnStretch(3, 1);

    top_ = new QBoxLayout(QBoxLayout::LeftToRight);
    top_->addWidget(templateBox_, 2);
    top_->addWidget(phoneBox_, 3);
    outer->addLayout(top_);

    // The messages.
    list_ = WithId(new QTreeWidget, IDC_CHAT_LIST);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setAlternatingRowColors(true);
    list_->setIconSize(QSize(kIcon, kIcon));
    list_->setTextElideMode(Qt::ElideRight);
    QStringList titles;
    for (int c = 0; c < sms::kChatColumns; ++c) titles << Text(sms::IDS_CHAT_COLUMN + c);
    list_->setHeaderLabels(titles);
    list_->header()->setStretchLastSection(true);
    // The widths kept from the last time; until there are any, at least as wide as the texts.
    const QFontMetrics fm = list_->fontMetrics();
    int states = 0;
    for (int s = 0; s < 3; ++s) states = std::max(states, fm.horizontalAdvance(Text(sms::IDS_CHAT_STATE + s)));
    const int fit[sms::kChatColumns] = {fm.horizontalAdvance(QStringLiteral("9999")), kIcon + 6 + states,
                                        fm.horizontalAdvance(QStringLiteral("00:00:00")),
                                        fm.horizontalAdvance(QStringLiteral("+000000000000")), 0};
    for (int c = 0; c < sms::kChatColumns; ++c) {
        int width = model_->settings().columns[size_t(c)];
        if (!app.profile().hasKey("SMSChat", "ListColumnWidth" + std::to_string(c)))
            width = std::max(width, std::max(fit[c], fm.horizontalAdvance(titles[c])) + 16);
        list_->setColumnWidth(c, width);
    }
    list_->setMinimumHeight(100);
    list_->installEventFilter(this);
    outer->addWidget(list_, 1);

    auto* rows = new QHBoxLayout;
    rows->addWidget(addButton(texts, IDC_CHAT_QUEUE));
    rows->addWidget(addButton(texts, IDC_CHAT_EDIT));
    rows->addWidget(addButton(texts, IDC_CHAT_REMOVE));
    rows->addStretch(1);
    rows->addWidget(addButton(texts, IDC_CHAT_ADD));
    outer->addLayout(rows);

    button(IDC_CHAT_QUEUE)->setToolTip(StrLine(IDS_CHAT_QUEUE_TIP));
    button(IDC_CHAT_REMOVE)->setToolTip(StrLine(IDS_CHAT_REMOVE_TIP));
    button(IDC_CHAT_ADD)->setToolTip(StrLine(IDS_CHAT_ADD_TIP));

    connect(button(IDC_CHAT_OPEN), &QPushButton::clicked, this, &CChatView::OpenTemplate);
    connect(button(IDC_CHAT_FILTER), &QPushButton::clicked, this, &CChatView::EditFilter);
    connect(button(IDC_CHAT_START), &QPushButton::clicked, this, &CChatView::Start);
    connect(button(IDC_CHAT_STOP), &QPushButton::clicked, this, &CChatView::Stop);
    connect(button(IDC_CHAT_QUEUE), &QPushButton::clicked, this, &CChatView::ToggleSelected);
    connect(button(IDC_CHAT_EDIT), &QPushButton::clicked, this, &CChatView::EditSelected);
    connect(button(IDC_CHAT_REMOVE), &QPushButton::clicked, this, &CChatView::RemoveSelected);
    connect(button(IDC_CHAT_ADD), &QPushButton::clicked, this, &CChatView::AddMessage);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        list_->setCurrentItem(item);
        ToggleSelected();
    });

    // First update: fast mode, the status and the count.
    fast_->setChecked(model_->fastMode());
    connect(fast_, &QCheckBox::toggled, this, [this](bool on) { model_->SetFastMode(on); });
    status_->setText(FromProgramText(model_->statusText()));
    count_->setText(QString::number(model_->received()));
    model_->setPanel(this);
    TranslateDialog(IDD_CHAT, this);
    showTemplateName();
    refreshButtons();
}

CChatView::~CChatView() {
    // Destruction: the widths go to the settings with the template's name; the engine stops.
    for (int c = 0; c < sms::kChatColumns; ++c) model_->columns()[size_t(c)] = list_->columnWidth(c);
    model_->setPanel(nullptr);
    model_.reset();
    engineTarget_.reset();
}

QPushButton* CChatView::addButton(const DialogTexts& texts, int id) {
    auto* b = texts.button(id);
    b->setAutoDefault(false);
    buttons_.push_back(b);
    return b;
}

QPushButton* CChatView::button(int id) const {
    for (QPushButton* b : buttons_)
        if (ResourceId(b) == id) return b;
    return nullptr;
}

platform::MessageTarget& CChatView::engineTarget() { return *engineTarget_; }

intptr_t CChatView::send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return msg == platform::MSG_AIR ? model_->OnMessage(msg, wParam, lParam) : 0;
}

int CChatView::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    return selected.isEmpty() ? -1 : list_->indexOfTopLevelItem(selected.first());
}

void CChatView::selectRow(int row) {
    if (row < 0 || row >= list_->topLevelItemCount()) return;
    QTreeWidgetItem* item = list_->topLevelItem(row);
    list_->setCurrentItem(item);
    item->setSelected(true);
}

// ---- Commands

void CChatView::OpenTemplate() {
    sms::CChatModel::Busy busy(*model_);
    std::unique_ptr<QFileDialog> d(
        MakeFileDialog(this, StrLine(IDS_CHAT_OPEN_TEMPLATE), FromFilePath(model_->DialogStart()), app::FT_SEQUENCE));
    d->setFileMode(QFileDialog::ExistingFile);
    FileDialogTexts(d.get());
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return;
    const std::string file = ToFilePath(d->selectedFiles().first());
    d.reset();
    OpenTemplateFile(file);
}

bool CChatView::OpenTemplateFile(const std::string& path) {
    // The load's messages are modal too.
    sms::CChatModel::Busy busy(*model_);
    const bool ok = model_->OpenTemplate(path) == 0;
    showTemplateName();
    refreshButtons();
    return ok;
}

void CChatView::Start() {
    model_->Start();
    refreshButtons();
}

void CChatView::Stop() {
    model_->Stop();
    refreshButtons();
}

void CChatView::ToggleSelected() { model_->ToggleQueue(selectedRow()); }

void CChatView::EditSelected() {
    const int row = selectedRow();
    if (row < 0 || row >= int(model_->messages().size())) return;
    sms::CChatModel::Busy busy(*model_);
    std::string text = model_->messages()[size_t(row)].text;
    // New messages only append rows while the dialog is open: the row stays the one edited.
    if (CChatEditDialog::Edit(this, text)) model_->EditText(row, text);
}

void CChatView::RemoveSelected() {
    const int row = selectedRow();
    if (row >= 0) model_->Remove(row);
}

void CChatView::AddMessage() {
    sms::CChatModel::Busy busy(*model_);
    std::string text;
    if (!CChatEditDialog::Edit(this, text)) return;
    // Empty, or nothing left once filtered: nothing is listed.
    if (!model_->AddMessage(text)) QApplication::beep();
}

void CChatView::EditFilter() {
    sms::CChatModel::Busy busy(*model_);
    CChatFilterDialog dlg(
        model_->filter(), [this](const sms::CChatFilter& edited) { return model_->ApplyFilter(edited); }, this);
    dlg.exec();
}

// ---- The model's reports

void CChatView::StatusChanged(const std::string& text) { status_->setText(FromProgramText(text)); }

void CChatView::CountChanged(int received) { count_->setText(QString::number(received)); }

void CChatView::fillRow(QTreeWidgetItem* item, int row) {
    const std::array<std::string, sms::kChatColumns> texts = model_->RowTexts(row);
    for (int c = 0; c < sms::kChatColumns; ++c) item->setText(c, FromProgramText(texts[size_t(c)]));
    const QString whole = FromProgramText(texts[4]);
    item->setText(4, OneLine(whole));
    item->setToolTip(4, whole);
    item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    const int state = model_->messages()[size_t(row)].state;
    item->setIcon(1, ChatStateIcon(state));
    // What has been on air steps back.
    const QBrush ink = state == sms::CHAT_SHOWN ? list_->palette().brush(QPalette::Disabled, QPalette::Text)
                                                : list_->palette().brush(QPalette::Active, QPalette::Text);
    for (int c = 0; c < sms::kChatColumns; ++c) item->setForeground(c, ink);
}

void CChatView::RowAdded(int row) {
    // New rows come at the end; the list follows them while it shows its end.
    QScrollBar* bar = list_->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    auto* item = new QTreeWidgetItem;
    fillRow(item, row);
    list_->insertTopLevelItem(row, item);
    if (selectedRow() < 0) selectRow(row);
    if (atEnd) list_->scrollToItem(item);
}

void CChatView::RowChanged(int row) {
    if (QTreeWidgetItem* item = list_->topLevelItem(row)) fillRow(item, row);
}

void CChatView::RowRemoved(int row) {
    delete list_->takeTopLevelItem(row);
    // The next message (or the one before, at the end) is the one the commands take now.
    selectRow(std::min(row, list_->topLevelItemCount() - 1));
}

void CChatView::ButtonsChanged() { refreshButtons(); }

void CChatView::ShowProgress(const std::string& text, int range) {
    frame_.SetStatusText(FromProgramText(text));
    frame_.ShowProgress(range);
}

void CChatView::StepProgress(int value) {
    if (QProgressBar* bar = frame_.progress()) bar->setValue(value);
}

void CChatView::HideProgress() { frame_.HideProgress(); }

void CChatView::refreshButtons() {
    const sms::ChatButtons b = model_->Buttons();
    button(IDC_CHAT_OPEN)->setEnabled(b.open);
    button(IDC_CHAT_FILTER)->setEnabled(b.filter);
    button(IDC_CHAT_START)->setEnabled(b.start);
    button(IDC_CHAT_STOP)->setEnabled(b.stop);
    button(IDC_CHAT_QUEUE)->setEnabled(b.queue);
    button(IDC_CHAT_EDIT)->setEnabled(b.edit);
    button(IDC_CHAT_REMOVE)->setEnabled(b.remove);
    button(IDC_CHAT_ADD)->setEnabled(b.add);
}

void CChatView::showTemplateName() {
    const std::string& file = model_->settings().fileName;
    if (model_->templateLoaded()) {
        template_->setText(StrFmt(IDS_CHAT_TEMPLATE, {QFileInfo(FromFilePath(file)).fileName()}));
        template_->setToolTip(FromFilePath(file));
        template_->setEnabled(true);
    } else {
        template_->setText(StrLine(IDS_CHAT_NO_TEMPLATE));
        template_->setToolTip(QString());
        template_->setEnabled(false);
    }
}

// ---- Keys and size

bool CChatView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            switch (key->key()) {
                case Qt::Key_Space:
                case Qt::Key_Return:
                case Qt::Key_Enter:
                    if (button(IDC_CHAT_QUEUE)->isEnabled()) ToggleSelected();
                    return true;
                case Qt::Key_Delete:
                    if (button(IDC_CHAT_REMOVE)->isEnabled()) RemoveSelected();
                    return true;
                default: break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CChatView::resizeEvent(QResizeEvent* event) {
    // The two boxes side by side while they fit, else one above the other.
    const int side = templateBox_->sizeHint().width() + phoneBox_->sizeHint().width() + 40;
    const auto direction = event->size().width() < side ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight;
    if (top_->direction() != direction) top_->setDirection(direction);
    QWidget::resizeEvent(event);
}

}  // namespace ui
