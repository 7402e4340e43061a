#include "ui/output/output_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/message_boxes.h"
#include "app/profile.h"
#include "app/strings.h"
#include "pages/page_doc.h"
#include "platform/files.h"
#include "ui/file_dialogs.h"
#include "ui/resources.h"
#include "ui/translate.h"

namespace ui {

namespace {

enum : int {
    IDD_OUTPUT_SINK = 1150,
    IDC_OUT_LABEL_TARGET = 1000,
    IDC_OUT_LABEL_FORMAT = 1001,
    IDC_OUT_LABEL_CODEC = 1002,
    IDC_OUT_LABEL_BACKGROUND = 1003,
    IDC_OUT_LABEL_RATE = 1004,
    IDC_OUT_BROWSE = 1005,
    IDC_OUT_SILENCE = 1006,
    IDC_OUT_ENABLED = 1007,
    IDD_OUTPUTS = 1151,
    IDC_OUTS_ADD = 1000,
    IDC_OUTS_EDIT = 1001,
    IDC_OUTS_REMOVE = 1002,
    IDC_OUTS_START = 1003,
    IDC_OUTS_STOP = 1004,
    IDC_OUTS_CLOSE = 1005,
    IDC_OUTS_NOTE = 1006,
    IDS_OUT_TARGET_EXAMPLE = 34200,
    IDS_OUT_FORMAT_TIP = 34201,
    IDS_OUT_CODEC_TIP = 34202,
    IDS_OUT_BACKGROUND_TIP = 34203,
    IDS_OUT_RATE_25 = 34204,
    IDS_OUT_RATE_50 = 34205,
    IDS_OUT_RECORD_TO = 34206,
    IDS_OUT_FILTER = 34207,
    IDS_OUT_NOTE = 34208,
    IDS_OUT_NOTE_UNAVAILABLE = 34209,
    IDS_OUT_COLUMN_FIRST = 34210,  // 34210-34216
    IDS_OUT_STREAMING = 34217,
    IDS_OUT_RECORDING = 34218,
    IDS_OUT_STOPPED = 34219,
    IDS_OUT_FAILED = 34220,
    IDS_OUT_BY_NAME = 34221,
    IDS_OUT_DEFAULT = 34222,
    IDS_OUT_WITH_SOUND = 34223,
    IDS_OUT_WITH_PROGRAM = 34224,
    IDS_OUT_BY_HAND = 34225,
    IDS_OUT_NOT_WRITTEN = 34226,
    IDS_OUT_NOT_SET_UP = 34227,
    IDS_OUT_EMBEDDED_ONLY = 34228,
    IDS_OUT_LAMP_FAILED = 34229,
    IDS_OUT_LAMP_LIVE = 34230,
    IDS_OUT_LAMP_REC = 34231,
    IDS_OUT_LAMP = 34232,
    IDS_OUT_LAMP_DROPPED = 34233,
    IDS_OUT_LAMP_RATE = 34234,
};

bool IsStream(const std::string& target) { return target.find("://") != std::string::npos; }

QString FileName(const std::string& target) {
    if (IsStream(target)) return QString::fromStdString(target);
    const size_t slash = target.rfind('/');
    return QString::fromStdString(slash == std::string::npos ? target : target.substr(slash + 1));
}

// The sinks of a setting, checked; false with the message.
bool SinksOf(const app::OutputSinkSetting& s, std::vector<output::SinkOptions>& sinks, std::string& error) {
    return output::ParseSinks(s.arguments(), sinks, error);
}

}  // namespace

// ---- COutputs ----------------------------------------------------------------------------------

COutputs::COutputs(app::Profile& ini, output::OutputSet& set, bool available, std::string root, QObject* parent)
    : QObject(parent),
      ini_(ini),
      set_(set),
      available_(available),
      root_(std::move(root)),
      sinks_(app::LoadOutputSettings(ini)) {}

COutputs::~COutputs() { stopAll(); }

bool COutputs::save() { return app::SaveOutputSettings(ini_, sinks_); }

bool COutputs::setSink(int n, const app::OutputSinkSetting& s) {
    if (n < 0 || n >= app::kOutputSinks) return false;
    stop(n);
    sinks_[size_t(n)] = s;
    const bool ok = save();
    emit changed();
    return ok;
}

bool COutputs::removeSink(int n) { return setSink(n, app::OutputSinkSetting{}); }

bool COutputs::start(int n, std::string& error) {
    if (n < 0 || n >= app::kOutputSinks || !sinks_[size_t(n)].used()) {
        error = app::LoadString(IDS_OUT_NOT_SET_UP);
        return false;
    }
    if (!available_) {
        error = app::LoadString(IDS_OUT_EMBEDDED_ONLY);
        return false;
    }
    // A relative file name is below the data root, whatever folder the program was started in;
    // its folder is made when it is missing.
    app::OutputSinkSetting s = sinks_[size_t(n)];
    if (!IsStream(s.target) && s.target[0] != '/' && !root_.empty()) {
        s.target = root_ + (root_.back() == '/' ? "" : "/") + s.target;
        platform::MakeDirectories(s.target.substr(0, s.target.rfind('/')));
    }
    std::vector<output::SinkOptions> sinks;
    const bool ok = SinksOf(s, sinks, error) && set_.start(n, sinks, pages::PAGE_WIDTH, pages::PAGE_HEIGHT, error);
    emit changed();
    return ok;
}

void COutputs::stop(int n) {
    if (!set_.running(n)) return;
    set_.stop(n);
    emit changed();
}

std::vector<std::string> COutputs::startEnabled() {
    std::vector<std::string> errors;
    for (int n = 0; n < app::kOutputSinks; ++n) {
        std::string error;
        if (sinks_[size_t(n)].used() && sinks_[size_t(n)].enabled && !start(n, error)) errors.push_back(error);
    }
    return errors;
}

void COutputs::stopAll() {
    for (int n = 0; n < app::kOutputSinks; ++n) stop(n);
}

// ---- COutputSinkDialog -------------------------------------------------------------------------

COutputSinkDialog::COutputSinkDialog(const app::OutputSinkSetting& s, QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_OUTPUT_SINK);
    auto* form = new QFormLayout;
    target_ = new QLineEdit(QString::fromStdString(s.target));
    target_->setPlaceholderText(StrLine(IDS_OUT_TARGET_EXAMPLE));
    target_->setMinimumWidth(360);
    auto* browse = t.button(IDC_OUT_BROWSE);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString f = AskPathToSave(this, StrLine(IDS_OUT_RECORD_TO), target_->text(), StrLine(IDS_OUT_FILTER));
        if (!f.isEmpty()) target_->setText(f);
    });
    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(target_, 1);
    targetRow->addWidget(browse);
    form->addRow(t.label(IDC_OUT_LABEL_TARGET, target_), targetRow);

    format_ = new QComboBox;
    format_->setEditable(true);
    format_->addItem("", "");
    for (const char* f : {"mov", "mp4", "matroska", "mpegts", "flv", "image2", "keyfill"}) format_->addItem(f, f);
    format_->setCurrentText(QString::fromStdString(s.format));
    format_->setToolTip(StrLine(IDS_OUT_FORMAT_TIP));
    form->addRow(t.label(IDC_OUT_LABEL_FORMAT, format_), format_);

    codec_ = new QComboBox;
    codec_->setEditable(true);
    codec_->addItem("");
    for (const char* c : {"qtrle", "png", "prores_aw", "prores_ks", "libx264", "mpeg2video"})
        if (output::HasEncoder(c)) codec_->addItem(c);
    codec_->setCurrentText(QString::fromStdString(s.codec));
    codec_->setToolTip(StrLine(IDS_OUT_CODEC_TIP));
    form->addRow(t.label(IDC_OUT_LABEL_CODEC, codec_), codec_);

    background_ = new QLineEdit(QString::fromStdString(s.background));
    background_->setToolTip(StrLine(IDS_OUT_BACKGROUND_TIP));
    form->addRow(t.label(IDC_OUT_LABEL_BACKGROUND, background_), background_);

    rate_ = new QComboBox;
    rate_->addItem(StrLine(IDS_OUT_RATE_25), 25);
    rate_->addItem(StrLine(IDS_OUT_RATE_50), 50);
    rate_->setCurrentIndex(s.rate == 50 ? 1 : 0);
    form->addRow(t.label(IDC_OUT_LABEL_RATE, rate_), rate_);

    silence_ = t.check(IDC_OUT_SILENCE);
    silence_->setChecked(s.silence);
    form->addRow("", silence_);
    enabled_ = t.check(IDC_OUT_ENABLED);
    enabled_->setChecked(s.enabled);
    form->addRow("", enabled_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
    TranslateDialog(IDD_OUTPUT_SINK, this);
}

app::OutputSinkSetting COutputSinkDialog::value() const {
    app::OutputSinkSetting s;
    s.target = target_->text().trimmed().toStdString();
    s.format = format_->currentText().trimmed().toStdString();
    s.codec = codec_->currentText().trimmed().toStdString();
    s.background = background_->text().trimmed().toStdString();
    if (s.background.empty()) s.background = "black";
    s.rate = rate_->currentData().toInt();
    s.silence = silence_->isChecked();
    s.enabled = enabled_->isChecked();
    return s;
}

void COutputSinkDialog::accept() {
    // Checked before it is kept: a mistake is told now, not when the output is started on air.
    std::vector<output::SinkOptions> sinks;
    std::string error;
    if (!SinksOf(value(), sinks, error)) {
        app::MessageBoxText(error, app::MB_OK | app::MB_ICONWARNING);
        return;
    }
    QDialog::accept();
}

// ---- COutputDialog -----------------------------------------------------------------------------

COutputDialog::COutputDialog(COutputs& outputs, QWidget* parent) : QDialog(parent), outputs_(outputs) {
    DialogTexts t(this, IDD_OUTPUTS);
    table_ = new QTableWidget(app::kOutputSinks, 7);
    QStringList headers;
    for (int c = 0; c < 7; ++c) headers << StrLine(IDS_OUT_COLUMN_FIRST + c);
    table_->setHorizontalHeaderLabels(headers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The file or URL takes the room the others leave; they are as wide as what they show.
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->verticalHeader()->setVisible(true);
    table_->setMinimumWidth(720);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &COutputDialog::enable);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { EditSlot(row); });

    add_ = t.button(IDC_OUTS_ADD);
    edit_ = t.button(IDC_OUTS_EDIT);
    remove_ = t.button(IDC_OUTS_REMOVE);
    start_ = t.button(IDC_OUTS_START);
    stop_ = t.button(IDC_OUTS_STOP);
    auto* close = t.button(IDC_OUTS_CLOSE);
    connect(add_, &QPushButton::clicked, this, [this] {
        for (int n = 0; n < app::kOutputSinks; ++n)
            if (!outputs_.sinks()[size_t(n)].used()) {
                EditSlot(n);
                return;
            }
    });
    connect(edit_, &QPushButton::clicked, this, [this] { EditSlot(current()); });
    connect(remove_, &QPushButton::clicked, this, [this] {
        if (current() >= 0) outputs_.removeSink(current());
    });
    connect(start_, &QPushButton::clicked, this, &COutputDialog::onStart);
    connect(stop_, &QPushButton::clicked, this, [this] { outputs_.stop(current()); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(&outputs_, &COutputs::changed, this, &COutputDialog::Refresh);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {add_, edit_, remove_, start_, stop_}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* row = new QHBoxLayout;
    row->addWidget(table_, 1);
    row->addLayout(buttons);
    note_ = t(new QLabel, IDC_OUTS_NOTE);
    note_->setWordWrap(true);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addWidget(note_);
    note_->setText(StrLine(outputs_.available() ? IDS_OUT_NOTE : IDS_OUT_NOTE_UNAVAILABLE));
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &COutputDialog::Refresh);
    timer_.start();
    Refresh();
    table_->selectRow(0);
    TranslateDialog(IDD_OUTPUTS, this);
}

int COutputDialog::current() const {
    const QList<QTableWidgetItem*> items = table_->selectedItems();
    return items.isEmpty() ? -1 : items.front()->row();
}

void COutputDialog::Refresh() {
    for (int n = 0; n < app::kOutputSinks; ++n) {
        const app::OutputSinkSetting& s = outputs_.sinks()[size_t(n)];
        QString state;
        if (outputs_.running(n)) {
            state = StrLine(IsStream(s.target) ? IDS_OUT_STREAMING : IDS_OUT_RECORDING);
        } else if (s.used()) {
            state = StrLine(IDS_OUT_STOPPED);
            for (const output::SinkStats& st : outputs_.stats(n))
                if (st.failed) state = StrFmt(IDS_OUT_FAILED, {QString::fromStdString(st.error)});
        }
        auto shown = [](const std::string& v, int none) {
            return v.empty() ? StrLine(none) : QString::fromStdString(v);
        };
        const QString cells[7] = {
            QString::fromStdString(s.target),
            s.used() ? shown(s.format, IDS_OUT_BY_NAME) : QString(),
            s.used() ? shown(s.codec, IDS_OUT_DEFAULT) : QString(),
            s.used() ? QString::fromStdString(s.background) : QString(),
            s.used() ? (s.silence ? StrFmt(IDS_OUT_WITH_SOUND, {s.rate}) : QString::number(s.rate)) : QString(),
            s.used() ? StrLine(s.enabled ? IDS_OUT_WITH_PROGRAM : IDS_OUT_BY_HAND) : QString(),
            state};
        for (int c = 0; c < 7; ++c) {
            QTableWidgetItem* item = table_->item(n, c);
            if (!item) table_->setItem(n, c, item = new QTableWidgetItem);
            if (item->text() != cells[c]) item->setText(cells[c]);
            item->setToolTip(cells[c]);
        }
    }
    enable();
}

void COutputDialog::enable() {
    const int n = current();
    const bool used = n >= 0 && outputs_.sinks()[size_t(n)].used();
    bool free = false;
    for (const app::OutputSinkSetting& s : outputs_.sinks()) free = free || !s.used();
    add_->setEnabled(free);
    edit_->setEnabled(used);
    remove_->setEnabled(used);
    start_->setEnabled(used && outputs_.available() && !outputs_.running(n));
    stop_->setEnabled(used && outputs_.running(n));
}

void COutputDialog::EditSlot(int n, const std::function<void(COutputSinkDialog&)>& prepare) {
    if (n < 0 || n >= app::kOutputSinks) return;
    COutputSinkDialog dialog(outputs_.sinks()[size_t(n)], this);
    if (prepare) prepare(dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    const bool wasRunning = outputs_.running(n);
    if (!outputs_.setSink(n, dialog.value())) app::MessageBoxId(IDS_OUT_NOT_WRITTEN, app::MB_OK | app::MB_ICONWARNING);
    table_->selectRow(n);
    if (wasRunning) onStart();  // an output edited while it ran goes on with its new settings
}

void COutputDialog::onStart() {
    std::string error;
    if (!outputs_.start(current(), error)) app::MessageBoxText(error, app::MB_OK | app::MB_ICONWARNING);
}

// ---- COutputLamps ------------------------------------------------------------------------------

COutputLamps::COutputLamps(COutputs& outputs, QWidget* parent) : QWidget(parent), outputs_(outputs) {
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(4, 0, 4, 0);
    row_->setSpacing(10);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &COutputLamps::Refresh);
    connect(&outputs_, &COutputs::changed, this, &COutputLamps::Refresh);
    timer_.start();
    Refresh();
}

QString COutputLamps::lampText(int n) const {
    auto it = lamps_.find(n);
    return it == lamps_.end() || it->second->isHidden() ? QString() : it->second->text();
}

void COutputLamps::Refresh() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    bool any = false;
    for (int n = 0; n < app::kOutputSinks; ++n) {
        const app::OutputSinkSetting& s = outputs_.sinks()[size_t(n)];
        const std::vector<output::SinkStats> stats = outputs_.stats(n);
        const bool running = outputs_.running(n);
        bool failed = false;
        uint64_t frames = 0, dropped = 0, bytes = 0;
        std::string error;
        for (const output::SinkStats& st : stats) {
            frames = std::max(frames, st.frames);
            dropped += st.dropped;
            bytes += st.bytes;
            if (st.failed) failed = true, error = st.error;
        }
        QLabel*& lamp = lamps_[n];
        if (!lamp) {
            lamp = new QLabel(this);
            lamp->setTextFormat(Qt::RichText);
            row_->addWidget(lamp);
        }
        if (!running && !failed) {
            lamp->hide();
            lastBytes_.erase(n);
            continue;
        }
        any = true;
        double mbits = 0;
        auto last = lastBytes_.find(n);
        if (last != lastBytes_.end() && now > last->second.second && bytes >= last->second.first)
            mbits = double(bytes - last->second.first) * 8 / 1000.0 / double(now - last->second.second);
        lastBytes_[n] = {bytes, now};
        const QString colour = failed ? "#c00000" : IsStream(s.target) ? "#0060ff" : "#e00000";
        const int kind = failed ? IDS_OUT_LAMP_FAILED : IsStream(s.target) ? IDS_OUT_LAMP_LIVE : IDS_OUT_LAMP_REC;
        QString text = StrFmt(IDS_OUT_LAMP, {StrLine(kind), FileName(s.target), (unsigned long)frames});
        if (dropped) text = StrFmt(IDS_OUT_LAMP_DROPPED, {text, (unsigned long)dropped});
        if (running) text = StrFmt(IDS_OUT_LAMP_RATE, {text, QString::number(mbits, 'f', 1)});
        text = QString("<span style=\"color:%1\">&#9679;</span> %2").arg(colour, text.toHtmlEscaped());
        lamp->setText(text);
        lamp->setToolTip(failed ? QString::fromStdString(error) : QString::fromStdString(s.target));
        lamp->show();
    }
    setVisible(any);
}

}  // namespace ui
