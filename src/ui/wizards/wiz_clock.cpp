#include "ui/wizards/wiz_clock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "app/file_types.h"
#include "app/folders.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "pages/file_result.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "ui/file_dialogs.h"
#include "ui/pictures/picture_file_dialog.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

QComboBox* stepCombo(int format, QWidget* parent) {
    auto* c = new QComboBox(parent);
    for (int v : wizards::kClockSteps) c->addItem(StrFmt(format, {v}));
    c->setCurrentIndex(2);
    return c;
}

QPixmap thumbnailPixmap(const pages::CBitmap32& b) {
    if (b.empty()) return {};
    QImage img(b.width(), b.height(), QImage::Format_RGB32);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x) {
            const uint8_t* p = b.pixel(x, y);
            img.setPixel(x, y, qRgb(p[pages::PIX_RED], p[pages::PIX_GREEN], p[pages::PIX_BLUE]));
        }
    return QPixmap::fromImage(img);
}

std::string clockFolder() {
    const app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    return theApp ? theApp->GetPath(app::FOLDER_CLOCK) : std::string();
}

}  // namespace

void ShowClockMessage(const wizards::ClockMessage& message, bool warning) {
    app::MessageBoxText(message.text(), app::MB_OK | (warning ? app::MB_ICONWARNING : app::MB_ICONERROR));
}

// ---- Step 1 -------------------------------------------------------------------------------------

CPageClock1::CPageClock1(CWizClock& wizard) : wizard_(wizard) {
    DialogTexts t(this, IDD_CLOCK_PAGE1);
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < wizards::SRC_COUNT; ++i) {
        QLineEdit*& f = fields_[i];
        f = new QLineEdit(this);
        f->setObjectName(QString("clockSource%1").arg(i));
        auto* label = t.label(IDC_CLOCK_SOURCE_FIRST + i, f);
        auto* browse = new QPushButton("...", this);
        browse->setFixedWidth(browse->fontMetrics().horizontalAdvance("...") + 24);
        connect(browse, &QPushButton::clicked, this, [this, i] {
            const std::string chosen = AskOpenPicture(this, path(i));
            if (!chosen.empty()) choose(i, chosen);
        });
        connect(f, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
        grid->addWidget(label, 2 * i, 0, 1, 2);
        grid->addWidget(f, 2 * i + 1, 0);
        grid->addWidget(browse, 2 * i + 1, 1);
    }
    TranslateDialog(IDD_CLOCK_PAGE1, this);
}

void CPageClock1::choose(int field, const std::string& chosen) {
    fields_[field]->setText(FromFilePath(chosen));
    if (field != wizards::SRC_FACE) return;
    wizards::ClockSources filled;
    if (!wizards::AutoFillClockSources(chosen, filled)) return;
    for (int i = 0; i < wizards::SRC_COUNT; ++i) fields_[i]->setText(FromFilePath(filled.paths[size_t(i)]));
}

std::string CPageClock1::path(int field) const { return QFile::encodeName(fields_[field]->text()).toStdString(); }

wizards::ClockSources CPageClock1::sources() const {
    wizards::ClockSources s;
    for (int i = 0; i < wizards::SRC_COUNT; ++i) s.paths[size_t(i)] = path(i);
    return s;
}

bool CPageClock1::isComplete() const { return sources().complete(); }

bool CPageClock1::validatePage() {
    wizards::ClockReport report;
    const bool ok = wizards::BuildClock(sources(), wizard_.clock(), report);
    for (const wizards::ClockMessage& w : report.warnings) ShowClockMessage(w, true);
    if (!ok) ShowClockMessage(report.error, false);
    return ok;
}

// ---- Step 2 -------------------------------------------------------------------------------------

CPageClock2::CPageClock2(CWizClock& wizard) : wizard_(wizard) {
    DialogTexts t(this, IDD_CLOCK_PAGE2);
    minuteStep_ = stepCombo(wizards::IDS_CLOCK_STEP_SEC, this);
    hourStep_ = stepCombo(wizards::IDS_CLOCK_STEP_MIN, this);
    shadows_ = t.check(IDC_CLOCK_SHADOWS);
    lightH_ = new QComboBox(this);
    lightV_ = new QComboBox(this);
    for (int k = 0; k < 3; ++k) {
        lightH_->addItem(StrLine(wizards::IDS_CLOCK_LIGHT_FIRST + k));
        lightV_->addItem(StrLine(wizards::IDS_CLOCK_LIGHT_FIRST + 3 + k));
    }
    handHeight_ = new QComboBox(this);
    for (int h : wizards::kHandHeights) handHeight_->addItem(QString::number(h));
    handHeight_->setCurrentIndex(2);
    differentHeights_ = t.check(IDC_CLOCK_DIFFERENT);
    belowFace_ = t.check(IDC_CLOCK_BELOW);
    thumbnail_ = new QLabel(this);
    thumbnail_->setFixedSize(wizards::CLOCK_THUMB_WIDTH, wizards::CLOCK_THUMB_HEIGHT);
    thumbnail_->setFrameShape(QFrame::StyledPanel);

    auto* form = new QFormLayout;
    form->addRow(t.label(IDC_CLOCK_LABEL_MINUTE, minuteStep_), minuteStep_);
    form->addRow(t.label(IDC_CLOCK_LABEL_HOUR, hourStep_), hourStep_);
    auto* shadowBox = new QGroupBox(this);
    auto* shadowForm = new QFormLayout(shadowBox);
    shadowForm->addRow(shadows_);
    auto* light = new QHBoxLayout;
    light->addWidget(lightH_);
    light->addWidget(lightV_);
    shadowForm->addRow(t.label(IDC_CLOCK_LABEL_LIGHT, lightH_), light);
    shadowForm->addRow(t.label(IDC_CLOCK_LABEL_HEIGHT, handHeight_), handHeight_);
    shadowForm->addRow(differentHeights_);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(shadowBox);
    left->addWidget(belowFace_);
    left->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(thumbnail_, 0, Qt::AlignTop);
    connect(shadows_, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    updateEnabled();
    TranslateDialog(IDD_CLOCK_PAGE2, this);
}

void CPageClock2::updateEnabled() {
    const bool on = shadows_->isChecked();
    lightH_->setEnabled(on);
    lightV_->setEnabled(on);
    handHeight_->setEnabled(on);
    differentHeights_->setEnabled(on);
}

wizards::ClockSettings CPageClock2::settings() const {
    wizards::ClockSettings s;
    s.minuteStep = minuteStep_->currentIndex();
    s.hourStep = hourStep_->currentIndex();
    s.shadows = shadows_->isChecked();
    s.lightH = lightH_->currentIndex();
    s.lightV = lightV_->currentIndex();
    s.handHeight = handHeight_->currentIndex();
    s.differentHeights = differentHeights_->isChecked();
    s.belowFace = belowFace_->isChecked();
    return s;
}

void CPageClock2::initializePage() { thumbnail_->setPixmap(thumbnailPixmap(wizard_.clock().thumbnail())); }

bool CPageClock2::validatePage() {
    wizards::CClockImage& clock = wizard_.clock();
    wizards::ApplyClockSettings(settings(), clock.header());
    wizards::ClockReport report;
    wizards::TimeClockRender(clock, wizard_.timeSource(), report);
    for (const wizards::ClockMessage& w : report.warnings) ShowClockMessage(w, true);
    const std::string file = wizard_.askSavePath();
    if (file.empty()) return false;
    const int code = clock.Save(file);
    if (code != pages::FILE_OK) {
        app::ShowFileResult(code, file);
        return false;
    }
    wizard_.setSavedPath(file);
    return true;
}

// ---- The wizard ---------------------------------------------------------------------------------

CWizClock::CWizClock(QWidget* parent) : QWizard(parent) {
    DialogTexts t(this, IDD_CLOCK_WIZARD);
    WizardTexts(this);
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    page1_ = new CPageClock1(*this);
    page2_ = new CPageClock2(*this);
    addPage(page1_);
    addPage(page2_);
    TranslateDialog(IDD_CLOCK_WIZARD, this);
}

CWizClock::~CWizClock() = default;

const platform::Clock& CWizClock::timeSource() const {
    return time_ ? *time_ : static_cast<const platform::Clock&>(platform::SystemClock::instance());
}

std::string CWizClock::askSavePath() {
    const std::string folder = clockFolder();
    if (askSave_) return askSave_(folder);
    std::unique_ptr<QFileDialog> dialog(
        MakeFileDialog(this, StrLine(IDS_CLOCK_SAVE), FromFilePath(folder), app::FT_CLOCK));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    FileDialogTexts(dialog.get());
    dialog->setDefaultSuffix(QString(app::ExtensionOf(app::FT_CLOCK)).mid(1));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return QFile::encodeName(dialog->selectedFiles().first()).toStdString();
}

void RunClockWizard(QWidget* parent) {
    CWizClock wizard(parent);
    wizard.exec();
}

}  // namespace ui
