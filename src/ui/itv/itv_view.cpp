#include "ui/itv/itv_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "app/file_types.h"
#include "app/mode_manager.h"
#include "app/settings.h"
#include "app/zentrix_app.h"
#include "platform/files.h"
#include "ui/air/air_frame_wnd.h"
#include "ui/air/air_pictures.h"
#include "ui/file_dialogs.h"
#include "ui/itv/itv_settings.h"
#include "ui/itv/itv_voice.h"
#include "ui/qt_message_target.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

constexpr int kThumbWidth = 240;

}  // namespace

CITVView::CITVView(CAirFrameWnd& frame, app::CZentrixApp& app, pages::CFontManager& fonts,
                   interactive::ItvHardware& hardware, QWidget* parent)
    : QWidget(parent), frame_(frame), app_(app) {
    DialogTexts t(this, IDD_ITV);
    setFocusPolicy(Qt::StrongFocus);
    model_ = std::make_unique<interactive::CITVModel>(app, fonts, frame.controller(), timers_,
                                                      platform::SystemClock::instance(), hardware);
    engineTarget_ = std::make_unique<QtMessageTarget>(
        [this](uint32_t msg, uintptr_t w, intptr_t l) { return model_ ? model_->OnMessage(msg, w, l) : 0; });
    model_->setOwner(engineTarget_.get());

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(8);

    // The file, the voice messages and the commands.
    auto* fileBox = t.group(IDC_ITV_GROUP_FILE);
    auto* f = new QGridLayout(fileBox);
    f->addWidget(addButton(t, IDC_ITV_OPEN), 0, 0);
    f->addWidget(addButton(t, IDC_ITV_SETTINGS), 0, 1);
    f->addWidget(addButton(t, IDC_ITV_WRITE_VOICE), 0, 2);
    f->addWidget(addButton(t, IDC_ITV_READ_VOICE), 0, 3);
    f->addWidget(addButton(t, IDC_ITV_START), 1, 0);
    f->addWidget(addButton(t, IDC_ITV_STOP), 1, 1);
    f->addWidget(addButton(t, IDC_ITV_SAVE_LOG), 1, 2);
    f->addWidget(addButton(t, IDC_ITV_CLEAR_LOG), 1, 3);
    f->addWidget(addButton(t, IDC_ITV_CANCEL_VOICE), 0, 4);
    f->addWidget(addButton(t, IDC_ITV_LIVE), 1, 4);
    f->setColumnStretch(5, 1);
    file_ = WithId(new QLabel, IDC_ITV_FILE);
    file_->setMinimumWidth(60);
    f->addWidget(file_, 2, 0, 1, 6);
    question_ = WithId(new QLabel, IDC_ITV_QUESTION);
    question_->setWordWrap(true);
    QFont bold = question_->font();
    bold.setBold(true);
    question_->setFont(bold);
    f->addWidget(question_, 3, 0, 1, 6);

    auto* top = new QHBoxLayout;
    top->addWidget(fileBox, 1);
    thumb_ = new QLabel;
    thumb_->setFixedSize(kThumbWidth, kThumbWidth * 576 / 720);
    thumb_->setFrameShape(QFrame::StyledPanel);
    thumb_->setAlignment(Qt::AlignCenter);
    top->addWidget(thumb_);
    outer->addLayout(top);

    // The answers.
    auto* answers = t.group(IDC_ITV_GROUP_STATISTICS);
    auto* g = new QGridLayout(answers);
    g->setHorizontalSpacing(10);
    for (int c = 0; c < 6; ++c) {
        auto* h = t.label(IDC_ITV_HEAD_FIRST + c);
        h->setEnabled(false);
        g->addWidget(h, 0, c);
    }
    for (int i = 0; i < interactive::kItvAnswers; ++i) {
        Row& r = rows_[size_t(i)];
        r.index = new QLabel(QString::number(i + 1));
        r.text = new QLabel;
        r.text->setMinimumWidth(80);
        r.scale = new QProgressBar;
        r.scale->setRange(0, 10000);
        r.scale->setTextVisible(false);
        r.scale->setMinimumWidth(120);
        r.votes = new QLabel(QStringLiteral("0"));
        r.votes->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        r.votes->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
        r.percent = new QLabel;
        r.percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        r.percent->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("100.00%")));
        r.number = new QLabel;
        r.number->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("+000000000000")));
        r.vote = addButton(t, IDC_ITV_VOTE1 + i);
        g->addWidget(r.index, i + 1, 0);
        g->addWidget(r.text, i + 1, 1);
        g->addWidget(r.scale, i + 1, 2);
        g->addWidget(r.votes, i + 1, 3);
        g->addWidget(r.percent, i + 1, 4);
        g->addWidget(r.number, i + 1, 5);
        g->addWidget(r.vote, i + 1, 6);
        connect(r.vote, &QPushButton::clicked, this, [this, i] { Vote(i + 1); });
    }
    g->setColumnStretch(2, 1);
    g->addWidget(t.label(IDC_ITV_LABEL_TOTAL), interactive::kItvAnswers + 1, 1);
    total_ = new QLabel(QStringLiteral("0"));
    total_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    g->addWidget(total_, interactive::kItvAnswers + 1, 3);
    outer->addWidget(answers);

    // The clock, the temperature, and the hardware's lines.
    auto* bottom = new QHBoxLayout;
    auto* onAir = t.group(IDC_ITV_GROUP_PICTURE);
    // As wide as its controls: without the hardware's lines beside it, it must not stretch them.
    onAir->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto* o = new QGridLayout(onAir);
    showClock_ = t.check(IDC_ITV_SHOW_CLOCK);
    showTemp_ = t.check(IDC_ITV_SHOW_TEMP);
    temp_ = WithId(new QLineEdit, IDC_ITV_TEMP);
    temp_->setValidator(new QIntValidator(-99, 999, temp_));
    temp_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-0000")) + 16);
    o->addWidget(showClock_, 0, 0, 1, 3);
    o->addWidget(showTemp_, 1, 0);
    o->addWidget(temp_, 1, 1);
    o->addWidget(addButton(t, IDC_ITV_UPDATE), 1, 2);
    bottom->addWidget(onAir);

    gsmBox_ = t.group(IDC_ITV_GROUP_GSM);
    auto* m = new QGridLayout(gsmBox_);
    m->addWidget(t.label(IDC_ITV_LABEL_GSM_STATUS), 0, 0);
    gsmStatus_ = new QLabel;
    gsmStatus_->setWordWrap(true);
    m->addWidget(gsmStatus_, 0, 1);
    m->addWidget(t.label(IDC_ITV_LABEL_SMS_COUNT), 1, 0);
    smsCount_ = new QLabel(QStringLiteral("0"));
    m->addWidget(smsCount_, 1, 1);
    m->setColumnStretch(1, 1);
    bottom->addWidget(gsmBox_, 1);

    usbBox_ = t.group(IDC_ITV_GROUP_USB);
    auto* u = new QGridLayout(usbBox_);
    u->addWidget(t.label(IDC_ITV_LABEL_USB_STATUS), 0, 0);
    usbStatus_ = new QLabel;
    usbStatus_->setWordWrap(true);
    u->addWidget(usbStatus_, 0, 1);
    u->setColumnStretch(1, 1);
    bottom->addWidget(usbBox_, 1);
    bottom->addStretch(0);
    outer->addLayout(bottom);
    outer->addStretch(1);

    button(IDC_ITV_LIVE)->setToolTip(StrLine(IDS_ITV_LIVE_TIP));
    button(IDC_ITV_READ_VOICE)->setToolTip(StrLine(IDS_ITV_READ_VOICE_TIP));
    button(IDC_ITV_CANCEL_VOICE)->setToolTip(StrLine(IDS_ITV_CANCEL_VOICE_TIP));
    button(IDC_ITV_CANCEL_VOICE)->hide();
    connect(button(IDC_ITV_WRITE_VOICE), &QPushButton::clicked, this, &CITVView::WriteVoiceAsk);
    connect(button(IDC_ITV_READ_VOICE), &QPushButton::clicked, this, &CITVView::ReadVoiceAsk);
    connect(button(IDC_ITV_CANCEL_VOICE), &QPushButton::clicked, this, [this] { model_->CancelVoice(); });

    connect(button(IDC_ITV_OPEN), &QPushButton::clicked, this, &CITVView::OpenFileAsk);
    connect(button(IDC_ITV_SETTINGS), &QPushButton::clicked, this, &CITVView::EditSettings);
    connect(button(IDC_ITV_START), &QPushButton::clicked, this, &CITVView::Start);
    connect(button(IDC_ITV_STOP), &QPushButton::clicked, this, &CITVView::Stop);
    connect(button(IDC_ITV_SAVE_LOG), &QPushButton::clicked, this, [this] { model_->SaveLogAsk(); });
    // The model asks about an unsaved log itself: once.
    connect(button(IDC_ITV_CLEAR_LOG), &QPushButton::clicked, this, [this] { model_->ClearLog(); });
    connect(button(IDC_ITV_LIVE), &QPushButton::clicked, this, [this] { model_->LiveMode(); });
    connect(button(IDC_ITV_UPDATE), &QPushButton::clicked, this,
            [this] { model_->UpdateTemperature(temp_->text().toStdString()); });
    connect(temp_, &QLineEdit::returnPressed, this, [this] { model_->UpdateTemperature(temp_->text().toStdString()); });

    // First update: the switches, the temperature and the hardware's lines.
    const interactive::ItvSettings& s = model_->settings();
    showClock_->setChecked(s.showClock);
    showTemp_->setChecked(s.showTemp);
    temp_->setText(QString::number(s.lastTemp));
    connect(showClock_, &QCheckBox::toggled, this, [this](bool on) { model_->SetShowClock(on); });
    connect(showTemp_, &QCheckBox::toggled, this, [this](bool on) { model_->SetShowTemperature(on); });
    gsmStatus_->setText(FromProgramText(model_->gsmStatus()));
    usbStatus_->setText(FromProgramText(model_->usbStatus()));
    model_->setPanel(this);
    TranslateDialog(IDD_ITV, this);
    showHardwareLines();

    // The interactive system last opened opens again.
    if (!s.fileName.empty() && platform::FileExists(s.fileName)) model_->Load(s.fileName);
    FormChanged();
    refreshButtons();
}

CITVView::~CITVView() {
    model_->setPanel(nullptr);
    model_.reset();
    engineTarget_.reset();
}

QPushButton* CITVView::addButton(const DialogTexts& texts, int id) {
    auto* b = texts.button(id);
    b->setAutoDefault(false);
    buttons_.push_back(b);
    return b;
}

QPushButton* CITVView::button(int id) const {
    for (QPushButton* b : buttons_)
        if (ResourceId(b) == id) return b;
    return nullptr;
}

platform::MessageTarget& CITVView::engineTarget() { return *engineTarget_; }

intptr_t CITVView::send(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    return msg == platform::MSG_AIR ? model_->OnMessage(msg, wParam, lParam) : 0;
}

bool CITVView::CanClose() { return model_->CanClose(); }

void CITVView::hideEvent(QHideEvent* event) {
    // Hidden itself (the frame shows another of its views), not with its window.
    if (isHidden()) left_ = true;
    QWidget::hideEvent(event);
}

void CITVView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Shown again by the main frame (after Live mode): the picture is set up again. A window
    // that was minimised and comes back changes nothing.
    if (!left_) return;
    left_ = false;
    model_->Reactivate();
}

// ---- Commands

void CITVView::OpenFileAsk() {
    if (!model_->BeginOpen()) return;
    std::unique_ptr<QFileDialog> d(
        MakeFileDialog(this, StrLine(IDS_ITV_OPEN_TITLE), FromFilePath(model_->DialogStart()), app::FT_ITV));
    d->setFileMode(QFileDialog::ExistingFile);
    FileDialogTexts(d.get());
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return;
    const std::string file = ToFilePath(d->selectedFiles().first());
    d.reset();
    model_->Load(file);
    refreshButtons();
}

bool CITVView::OpenFile(const std::string& path) {
    if (!model_->BeginOpen()) return false;
    const bool ok = model_->Load(path) == 0;
    refreshButtons();
    return ok;
}

void CITVView::EditSettings() {
    if (!model_->loaded()) return;
    CITVSettingsSheet sheet(
        model_->doc(), [this](const interactive::CITVDoc& edited) { return model_->ApplySettings(edited); }, this);
    sheet.exec();
}

void CITVView::Start() {
    model_->Start();
    refreshButtons();
}

void CITVView::Stop() {
    model_->Stop();
    refreshButtons();
}

void CITVView::Vote(int answer) { model_->VoteButton(answer); }

void CITVView::WriteVoiceAsk() {
    if (!model_->Buttons().writeVoice) return;
    const interactive::CITVDoc& doc = model_->doc();
    if (app_.settings().itvModel == interactive::ITV_MODEL_USB) {
        CSoundFilesDialog d(model_->settings().soundFiles, doc, model_->VoiceDialogStart(), this);
        if (d.exec() == QDialog::Accepted) model_->SetSoundFiles(d.files());
        return;
    }
    // The lines that count for an answer, at first.
    uint8_t lines = 0;
    if (model_->loaded())
        for (int i = 0; i < interactive::kItvAnswers; ++i)
            if (doc.lineTable[size_t(i)] != 0) lines = uint8_t(lines | 1 << i);
    CVoiceWriteDialog d(*model_, lines ? lines : 1, this);
    if (d.exec() != QDialog::Accepted) return;
    model_->WriteVoice(d.request());
    refreshButtons();
}

void CITVView::ReadVoiceAsk() {
    if (!model_->Buttons().readVoice) return;
    CVoiceReadDialog d(0, this);
    if (d.exec() != QDialog::Accepted) return;
    model_->ReadVoice(d.line());
    refreshButtons();
}

// ---- The model's reports

void CITVView::FormChanged() {
    const bool loaded = model_->loaded();
    const interactive::CITVDoc& doc = model_->doc();
    const int answers = loaded ? doc.answers : 0;
    if (loaded) {
        const std::string& name = model_->settings().fileName;
        file_->setText(StrFmt(IDS_ITV_FILE, {QFileInfo(FromFilePath(name)).fileName()}));
        file_->setToolTip(FromFilePath(name));
        question_->setText(FromProgramText(doc.question));
    } else {
        file_->setText(StrLine(IDS_ITV_NO_FILE));
        file_->setToolTip(QString());
        question_->clear();
        thumb_->clear();
    }
    file_->setEnabled(loaded);
    for (int i = 0; i < interactive::kItvAnswers; ++i) {
        Row& r = rows_[size_t(i)];
        const bool used = i < answers;
        const interactive::ItvAnswerRow row = model_->Row(i);
        r.text->setText(used ? FromProgramText(doc.answerTexts[size_t(i)]) : QString());
        r.votes->setText(used ? QString::fromStdString(row.votes) : QString());
        r.percent->setText(used ? QString::fromStdString(row.percent) : QString());
        r.number->setText(used ? FromProgramText(row.number) : QString());
        r.scale->setValue(used ? row.progress : 0);
        // Only the system's answers have a line.
        for (QWidget* w :
             {static_cast<QWidget*>(r.index), static_cast<QWidget*>(r.text), static_cast<QWidget*>(r.scale),
              static_cast<QWidget*>(r.votes), static_cast<QWidget*>(r.percent), static_cast<QWidget*>(r.number)})
            w->setVisible(used);
        r.vote->setVisible(used && model_->settings().buttons);
    }
    total_->setText(QString::fromStdString(model_->TotalText()));
    smsCount_->setText(QString::fromStdString(model_->SmsCountText()));
    refreshButtons();
}

void CITVView::GsmStatusChanged(const std::string& text) { gsmStatus_->setText(FromProgramText(text)); }

void CITVView::SmsCountChanged(int count) { smsCount_->setText(QString::number(count)); }

void CITVView::UsbStatusChanged(const std::string& text) { usbStatus_->setText(FromProgramText(text)); }

void CITVView::ThumbnailChanged(const pages::CBitmap32& thumbnail) {
    const QImage image = ImageOfBitmap(thumbnail);
    if (image.isNull()) {
        thumb_->clear();
        return;
    }
    thumb_->setPixmap(
        QPixmap::fromImage(image.scaled(thumb_->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void CITVView::ShowProgress(const std::string& text, int range) {
    frame_.SetStatusText(FromProgramText(text));
    frame_.ShowProgress(range);
}

void CITVView::StepProgress(int value) {
    if (QProgressBar* bar = frame_.progress()) bar->setValue(value);
}

void CITVView::HideProgress() { frame_.HideProgress(); }

void CITVView::Beep() { QApplication::beep(); }

std::string CITVView::AskLogPath(const std::string& start) {
    std::unique_ptr<QFileDialog> d(
        MakeFileDialog(this, StrLine(IDS_ITV_SAVE_LOG_TITLE), FromFilePath(start), app::FT_TXT));
    d->setAcceptMode(QFileDialog::AcceptSave);
    FileDialogTexts(d.get());
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return {};
    return ToFilePath(d->selectedFiles().first());
}

std::string CITVView::AskVoicePath(const std::string& start) {
    std::unique_ptr<QFileDialog> d(
        MakeFileDialog(this, StrLine(IDS_ITV_SAVE_VOICE_TITLE), FromFilePath(start), app::FT_WAV));
    d->setAcceptMode(QFileDialog::AcceptSave);
    FileDialogTexts(d.get());
    d->setDefaultSuffix(QString::fromLatin1(app::ExtensionOf(app::FT_WAV)).mid(1));
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return {};
    return ToFilePath(d->selectedFiles().first());
}

void CITVView::SwitchToLive() {
    // After the click has been handled: the mode manager shows another view of this frame.
    QTimer::singleShot(0, this, [this] {
        if (app::CModeManager* modes = app_.modes()) modes->SwitchToLive();
    });
}

void CITVView::refreshButtons() {
    const interactive::ItvButtons b = model_->Buttons();
    button(IDC_ITV_OPEN)->setEnabled(b.open);
    button(IDC_ITV_SETTINGS)->setEnabled(b.settings);
    button(IDC_ITV_START)->setEnabled(b.start);
    button(IDC_ITV_STOP)->setEnabled(b.stop);
    button(IDC_ITV_SAVE_LOG)->setEnabled(b.saveLog);
    button(IDC_ITV_CLEAR_LOG)->setEnabled(b.clearLog);
    button(IDC_ITV_LIVE)->setEnabled(b.liveMode);
    button(IDC_ITV_WRITE_VOICE)->setEnabled(b.writeVoice);
    button(IDC_ITV_READ_VOICE)->setEnabled(b.readVoice);
    button(IDC_ITV_CANCEL_VOICE)->setVisible(model_->transferRunning());
    const bool usb = app_.settings().itvModel == interactive::ITV_MODEL_USB;
    button(IDC_ITV_WRITE_VOICE)->setToolTip(StrLine(usb ? IDS_ITV_WRITE_USB_TIP : IDS_ITV_WRITE_VOICE_TIP));
    const int answers = model_->loaded() ? model_->doc().answers : 0;
    for (int i = 0; i < interactive::kItvAnswers; ++i) rows_[size_t(i)].vote->setEnabled(b.vote && i < answers);
}

void CITVView::showHardwareLines() {
    const app::Settings& s = app_.settings();
    const bool configured = s.itv == 1;
    gsmBox_->setVisible(configured && s.itvModel == interactive::ITV_MODEL_GSM);
    usbBox_->setVisible(configured && s.itvModel == interactive::ITV_MODEL_USB);
}

}  // namespace ui
