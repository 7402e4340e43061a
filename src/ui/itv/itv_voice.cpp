#include "ui/itv/itv_voice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "app/file_types.h"
#include "app/strings.h"
#include "interactive/voice_message.h"
#include "ui/file_dialogs.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

// An open dialog for a WAV file: the file, "" when cancelled.
std::string AskWav(QWidget* parent, const QString& title, const std::string& start) {
    std::unique_ptr<QFileDialog> d(MakeFileDialog(parent, title, FromFilePath(start), app::FT_WAV));
    d->setFileMode(QFileDialog::ExistingFile);
    FileDialogTexts(d.get());
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty()) return {};
    return ToFilePath(d->selectedFiles().first());
}

void SetOkCancelIds(QDialogButtonBox* box) {
    ButtonTexts(box);
    SetResourceId(box->button(QDialogButtonBox::Ok), 1);
    SetResourceId(box->button(QDialogButtonBox::Cancel), 2);
}

enum : int {
    IDC_VOICE_GROUP_LINES = 1014,
    IDC_VOICE_GROUP_MESSAGE = 1015,
    IDC_VOICE_LABEL_FILE = 1016,
    IDC_VOICE_LABEL_TIME = 1017,
    IDC_VOICE_READ_LABEL = 1021,
    IDC_SOUND_NOTE = 1048,
    IDC_SOUND_LABEL1 = 1050,  // .. 1057
    IDS_LINE_N = 34401,
    IDS_SECONDS = 34413,      // "%1 s"
    IDS_VOICE_TITLE = 34414,  // "Voice message"
    IDS_VOICE_OF_LINE = 34415,
    IDS_LINE_ANSWER = 34416,  // "%1 (%2)"
    IDS_ANSWER_N = 18101,
};

}  // namespace

// ---- Write voice message --------------------------------------------------------------------

CVoiceWriteDialog::CVoiceWriteDialog(interactive::CITVModel& model, uint8_t lines, QWidget* parent)
    : QDialog(parent), model_(model) {
    DialogTexts t(this, IDD_VOICE_WRITE);
    auto* outer = new QVBoxLayout(this);

    auto* lineBox = t.group(IDC_VOICE_GROUP_LINES);
    auto* lg = new QGridLayout(lineBox);
    for (int i = 0; i < interactive::kItvAnswers; ++i) {
        QCheckBox*& c = lines_[size_t(i)];
        c = t.check(IDC_VOICE_LINE1 + i);
        c->setChecked(lines & 1 << i);
        connect(c, &QCheckBox::toggled, this, &CVoiceWriteDialog::updateState);
        lg->addWidget(c, i / 4, i % 4);
    }
    outer->addWidget(lineBox);

    auto* messageBox = t.group(IDC_VOICE_GROUP_MESSAGE);
    auto* mg = new QGridLayout(messageBox);
    mg->addWidget(t.label(IDC_VOICE_LABEL_FILE), 0, 0);
    file_ = WithId(new QLineEdit, IDC_VOICE_FILE);
    file_->setReadOnly(true);
    file_->setMinimumWidth(file_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    mg->addWidget(file_, 0, 1);
    browse_ = t.button(IDC_VOICE_BROWSE);
    browse_->setAutoDefault(false);
    mg->addWidget(browse_, 0, 2);
    mg->addWidget(t.label(IDC_VOICE_LABEL_TIME), 1, 0);
    time_ = WithId(new QLabel, IDC_VOICE_TIME);
    mg->addWidget(time_, 1, 1, 1, 2);
    clear_ = t.check(IDC_VOICE_CLEAR);
    mg->addWidget(clear_, 2, 0, 1, 3);
    mg->setColumnStretch(1, 1);
    outer->addWidget(messageBox);

    box_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    SetOkCancelIds(box_);
    connect(box_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(box_);

    connect(browse_, &QPushButton::clicked, this, [this] {
        const std::string start = model_.settings().soundFile;
        const std::string chosen = AskWav(this, StrLine(IDS_VOICE_TITLE), start.empty() ? model_.DialogStart() : start);
        if (!chosen.empty()) choose(chosen);
    });
    connect(clear_, &QCheckBox::toggled, this, [this](bool on) {
        // Clearing forgets the file.
        if (on) {
            message_.clear();
            file_->clear();
        }
        updateState();
    });
    TranslateDialog(IDD_VOICE_WRITE, this);
    updateState();
}

QPushButton* CVoiceWriteDialog::okButton() const { return box_->button(QDialogButtonBox::Ok); }

bool CVoiceWriteDialog::choose(const std::string& path) {
    std::vector<uint8_t> message;
    if (!model_.LoadVoice(path, message)) return false;
    message_ = std::move(message);
    file_->setText(FromFilePath(path));
    file_->setToolTip(FromFilePath(path));
    model_.SetLastSoundFile(path);
    clear_->setChecked(false);
    updateState();
    return true;
}

void CVoiceWriteDialog::updateState() {
    const bool clear = clear_->isChecked();
    file_->setEnabled(!clear);
    browse_->setEnabled(!clear);
    time_->setText(clear || message_.empty() ? QString()
                                             : StrFmt(IDS_SECONDS, {interactive::PlayTime(message_.size())}));
    bool anyLine = false;
    for (QCheckBox* c : lines_) anyLine = anyLine || c->isChecked();
    okButton()->setEnabled(anyLine && (clear || !message_.empty()));
}

interactive::VoiceWrite CVoiceWriteDialog::request() const {
    interactive::VoiceWrite w;
    for (int i = 0; i < interactive::kItvAnswers; ++i)
        if (lines_[size_t(i)]->isChecked()) w.lines = uint8_t(w.lines | 1 << i);
    w.message = clear_->isChecked() ? interactive::ClearVoiceMessage() : message_;
    return w;
}

// ---- Read voice message ---------------------------------------------------------------------

CVoiceReadDialog::CVoiceReadDialog(int line, QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_VOICE_READ);
    auto* outer = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = t.label(IDC_VOICE_READ_LABEL);
    lines_ = WithId(new QComboBox, IDC_VOICE_READ_LINE);
    for (int i = 0; i < interactive::kItvAnswers; ++i) lines_->addItem(StrFmt(IDS_LINE_N, {i + 1}));
    lines_->setCurrentIndex(std::clamp(line, 0, interactive::kItvAnswers - 1));
    label->setBuddy(lines_);
    row->addWidget(label);
    row->addWidget(lines_, 1);
    outer->addLayout(row);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    SetOkCancelIds(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(box);
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 2);
    TranslateDialog(IDD_VOICE_READ, this);
}

int CVoiceReadDialog::line() const { return lines_->currentIndex(); }

// ---- The USB adapter's lines ----------------------------------------------------------------

CSoundFilesDialog::CSoundFilesDialog(const std::array<std::string, interactive::kItvAnswers>& files,
                                     const interactive::CITVDoc& doc, const std::string& folder, QWidget* parent)
    : QDialog(parent), folder_(folder) {
    DialogTexts t(this, IDD_SOUND_FILES);
    auto* outer = new QVBoxLayout(this);
    auto* note = t.label(IDC_SOUND_NOTE);
    note->setWordWrap(true);
    outer->addWidget(note);
    auto* g = new QGridLayout;
    const int answers = std::clamp(doc.answers, 0, interactive::kItvAnswers);
    for (int i = 0; i < interactive::kItvAnswers; ++i) {
        const int answer = doc.lineTable[size_t(i)];
        QString name = StrFmt(IDS_LINE_N, {i + 1});
        if (answer >= 1 && answer <= answers) {
            const QString text = FromProgramText(doc.answerTexts[size_t(answer - 1)]);
            name = StrFmt(IDS_LINE_ANSWER, {name, text.isEmpty() ? StrFmt(IDS_ANSWER_N, {answer}) : text});
        }
        auto* label = WithId(new QLabel(name), IDC_SOUND_LABEL1 + i);
        QLineEdit*& f = files_[size_t(i)];
        f = WithId(new QLineEdit(FromFilePath(files[size_t(i)])), IDC_SOUND_FILE1 + i);
        f->setMinimumWidth(f->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
        f->setClearButtonEnabled(true);
        label->setBuddy(f);
        auto* browse = WithId(new QPushButton(QStringLiteral("...")), IDC_SOUND_BROWSE1 + i);
        browse->setAutoDefault(false);
        browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
        connect(browse, &QPushButton::clicked, this, [this, i] {
            const std::string current = ToFilePath(files_[size_t(i)]->text());
            const std::string chosen =
                AskWav(this, StrFmt(IDS_VOICE_OF_LINE, {i + 1}), current.empty() ? folder_ : current);
            if (!chosen.empty()) choose(i, chosen);
        });
        g->addWidget(label, i, 0);
        g->addWidget(f, i, 1);
        g->addWidget(browse, i, 2);
    }
    g->setColumnStretch(1, 1);
    outer->addLayout(g);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    SetOkCancelIds(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    outer->addWidget(box);
    TranslateDialog(IDD_SOUND_FILES, this);
}

void CSoundFilesDialog::choose(int line, const std::string& path) {
    if (line < 0 || line >= interactive::kItvAnswers) return;
    files_[size_t(line)]->setText(FromFilePath(path));
}

std::array<std::string, interactive::kItvAnswers> CSoundFilesDialog::files() const {
    std::array<std::string, interactive::kItvAnswers> out;
    for (int i = 0; i < interactive::kItvAnswers; ++i) out[size_t(i)] = ToFilePath(files_[size_t(i)]->text().trimmed());
    return out;
}

}  // namespace ui
