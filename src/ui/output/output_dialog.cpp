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
#include "pages/page_doc.h"
#include "platform/files.h"

namespace ui {

namespace {

std::string Shown(const std::string& s, const char* none) { return s.empty() ? none : s; }

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
        error = "no output is set up there";
        return false;
    }
    if (!available_) {
        error = "video output comes from the embedded virtual Device only (the link goes to a Device unit)";
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
    setWindowTitle("Video output");
    auto* form = new QFormLayout;
    target_ = new QLineEdit(QString::fromStdString(s.target));
    target_->setPlaceholderText("/path/show.mov, /path/frame%06d.png or udp://127.0.0.1:5000");
    target_->setMinimumWidth(360);
    auto* browse = new QPushButton("Browse...");
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString f = QFileDialog::getSaveFileName(
            this, "Record to", target_->text(), "QuickTime (*.mov);;MP4 (*.mp4);;Matroska (*.mkv);;All files (*)");
        if (!f.isEmpty()) target_->setText(f);
    });
    auto* targetRow = new QHBoxLayout;
    targetRow->addWidget(target_, 1);
    targetRow->addWidget(browse);
    form->addRow("File or URL:", targetRow);

    format_ = new QComboBox;
    format_->setEditable(true);
    format_->addItem("", "");
    for (const char* f : {"mov", "mp4", "matroska", "mpegts", "flv", "image2", "keyfill"}) format_->addItem(f, f);
    format_->setCurrentText(QString::fromStdString(s.format));
    format_->setToolTip("Empty: from the file name or the URL. keyfill: a fill and a key output for a keyer.");
    form->addRow("Format:", format_);

    codec_ = new QComboBox;
    codec_->setEditable(true);
    codec_->addItem("");
    for (const char* c : {"qtrle", "png", "prores_aw", "prores_ks", "libx264", "mpeg2video"})
        if (output::HasEncoder(c)) codec_->addItem(c);
    codec_->setCurrentText(QString::fromStdString(s.codec));
    codec_->setToolTip("Empty: the container's usual one (QuickTime Animation for .mov).");
    form->addRow("Video codec:", codec_);

    background_ = new QLineEdit(QString::fromStdString(s.background));
    background_->setToolTip("black, none (transparent, for codecs with alpha), #RRGGBB or a PNG file");
    form->addRow("Background:", background_);

    rate_ = new QComboBox;
    rate_->addItem("25 frames a second", 25);
    rate_->addItem("50 frames a second (one a field)", 50);
    rate_->setCurrentIndex(s.rate == 50 ? 1 : 0);
    form->addRow("Rate:", rate_);

    silence_ = new QCheckBox("Sound track of silence (48 kHz)");
    silence_->setChecked(s.silence);
    form->addRow("", silence_);
    enabled_ = new QCheckBox("Start with the program");
    enabled_->setChecked(s.enabled);
    form->addRow("", enabled_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
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
    setWindowTitle("Output");
    table_ = new QTableWidget(app::kOutputSinks, 7);
    table_->setHorizontalHeaderLabels({"File or URL", "Format", "Codec", "Background", "Rate", "Starts", "State"});
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

    add_ = new QPushButton("&Add...");
    edit_ = new QPushButton("&Edit...");
    remove_ = new QPushButton("&Remove");
    start_ = new QPushButton("&Start");
    stop_ = new QPushButton("S&top");
    auto* close = new QPushButton("Close");
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
    note_ = new QLabel;
    note_->setWordWrap(true);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addWidget(note_);
    note_->setText(outputs_.available()
                       ? "The program output of the virtual Device, frame by frame, as a recording or a stream. "
                         "The program monitor shows the same picture."
                       : "Video output comes from the embedded virtual Device only: the link goes to a Device unit.");
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &COutputDialog::Refresh);
    timer_.start();
    Refresh();
    table_->selectRow(0);
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
            state = IsStream(s.target) ? "streaming" : "recording";
        } else if (s.used()) {
            state = "stopped";
            for (const output::SinkStats& st : outputs_.stats(n))
                if (st.failed) state = "failed: " + QString::fromStdString(st.error);
        }
        const QString cells[7] = {QString::fromStdString(s.target),
                                  s.used() ? QString::fromStdString(Shown(s.format, "by name")) : QString(),
                                  s.used() ? QString::fromStdString(Shown(s.codec, "default")) : QString(),
                                  s.used() ? QString::fromStdString(s.background) : QString(),
                                  s.used() ? QString::number(s.rate) + (s.silence ? " + sound" : "") : QString(),
                                  s.used() ? (s.enabled ? "with the program" : "by hand") : QString(),
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
    if (!outputs_.setSink(n, dialog.value()))
        app::MessageBoxText("The output settings could not be written; the change holds until the program ends.",
                            app::MB_OK | app::MB_ICONWARNING);
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
        const QString kind = failed ? "FAILED" : IsStream(s.target) ? "LIVE" : "REC";
        QString text = QString("<span style=\"color:%1\">&#9679;</span> %2 %3 %4 fr")
                           .arg(colour, kind, FileName(s.target).toHtmlEscaped())
                           .arg(frames);
        if (dropped) text += QString(" %1 dropped").arg(dropped);
        if (running) text += QString(" %1 Mb/s").arg(mbits, 0, 'f', 1);
        lamp->setText(text);
        lamp->setToolTip(failed ? QString::fromStdString(error) : QString::fromStdString(s.target));
        lamp->show();
    }
    setVisible(any);
}

}  // namespace ui
