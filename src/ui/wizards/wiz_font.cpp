#include "ui/wizards/wiz_font.h"

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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "app/file_types.h"
#include "app/folders.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "pages/font_manager.h"
#include "platform/files.h"
#include "ui/editor/colour_dialog.h"
#include "ui/file_dialogs.h"
#include "ui/pictures/picture_file_dialog.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

constexpr int kPreviewWidth = 480, kPreviewHeight = 200;

std::string pathOf(const QLineEdit* f) { return QFile::encodeName(f->text()).toStdString(); }

QPixmap pixmapOf(const pages::CBitmap32& b) {
    if (b.empty()) return {};
    QImage img(b.width(), b.height(), QImage::Format_RGB32);
    for (int y = 0; y < b.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < b.width(); ++x) {
            const uint8_t* p = b.pixel(x, y);
            line[x] = qRgb(p[pages::PIX_RED], p[pages::PIX_GREEN], p[pages::PIX_BLUE]);
        }
    }
    return QPixmap::fromImage(img);
}

QSlider* slider(QWidget* parent, const char* name) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setTracking(true);
    return s;
}

// A slider with its value beside it.
QWidget* withValue(QSlider* s, QWidget* parent) {
    auto* w = new QWidget(parent);
    auto* row = new QHBoxLayout(w);
    row->setContentsMargins(0, 0, 0, 0);
    auto* value = new QLabel(w);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance("-000"));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QObject::connect(s, &QSlider::valueChanged, value, [value](int v) { value->setNum(v); });
    value->setNum(s->value());
    row->addWidget(s, 1);
    row->addWidget(value);
    return w;
}

// The value is set whether it changes or not, so that its label and the preview follow.
void setRange(QSlider* s, int lo, int hi, int value) {
    {
        const QSignalBlocker block(s);
        s->setRange(lo, std::max(lo, hi));
        s->setValue(std::clamp(value, s->minimum(), s->maximum()));
    }
    emit s->valueChanged(s->value());
}

std::string fontsFolder() {
    const app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    return theApp ? theApp->GetPath(app::FOLDER_FONTS) : std::string();
}

int codePage() {
    const app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    return theApp && theApp->settings().codePage > 0 ? theApp->settings().codePage : 1251;
}

}  // namespace

void ShowFontMessage(const wizards::FontMessage& message, bool warning) {
    app::MessageBoxText(message.text(), app::MB_OK | (warning ? app::MB_ICONWARNING : app::MB_ICONERROR));
}

// ---- Step 1 -------------------------------------------------------------------------------------

CPageFont1::CPageFont1(CWizFont& wizard) : wizard_(wizard) {
    DialogTexts t(this, IDD_FONT_PAGE1);
    auto* grid = new QGridLayout(this);
    auto addField = [&](int row, QLineEdit* f, const std::function<void()>& browse) {
        auto* label = t.label(IDC_FONT_SOURCE_FIRST + row, f);
        auto* button = new QPushButton("...", this);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance("...") + 24);
        connect(button, &QPushButton::clicked, this, browse);
        connect(f, &QLineEdit::textChanged, this, &QWizardPage::completeChanged);
        grid->addWidget(label, 2 * row, 0, 1, 2);
        grid->addWidget(f, 2 * row + 1, 0);
        grid->addWidget(button, 2 * row + 1, 1);
    };
    for (int i = 0; i < wizards::FONT_PICTURES; ++i) {
        QLineEdit*& f = fields_[i];
        f = new QLineEdit(this);
        f->setObjectName(QString("fontSource%1").arg(i));
        addField(i, f, [this, i] {
            const std::string chosen = AskOpenPicture(this, pathOf(fields_[i]));
            if (!chosen.empty()) choose(i, chosen);
        });
    }
    letters_ = new QLineEdit(this);
    letters_->setObjectName("fontLetters");
    addField(wizards::FONT_PICTURES, letters_, [this] {
        const std::string chosen =
            AskOpenFile(this, StrLine(IDS_FONT_LETTERS_TITLE), app::FOLDER_LAST_TEXT, app::FT_TXT);
        if (!chosen.empty()) chooseLetters(chosen);
    });
    noShadows_ = t.check(IDC_FONT_NO_SHADOWS);
    monochrome_ = t.check(IDC_FONT_MONOCHROME);
    fixedWidth_ = t.check(IDC_FONT_FIXED_WIDTH);
    auto* flagsRow = new QHBoxLayout;
    flagsRow->addWidget(noShadows_);
    flagsRow->addWidget(monochrome_);
    flagsRow->addWidget(fixedWidth_);
    flagsRow->addStretch(1);
    grid->addLayout(flagsRow, 2 * wizards::FONT_PICTURES + 2, 0, 1, 2);
    grid->setRowStretch(2 * wizards::FONT_PICTURES + 3, 1);
    connect(noShadows_, &QCheckBox::toggled, this, [this](bool off) {
        fields_[wizards::FONT_SHADOWS_W]->setEnabled(!off);
        fields_[wizards::FONT_SHADOWS_B]->setEnabled(!off);
        emit completeChanged();
    });
    TranslateDialog(IDD_FONT_PAGE1, this);
}

void CPageFont1::choose(int field, const std::string& chosen) {
    fields_[field]->setText(FromFilePath(chosen));
    if (field != wizards::FONT_CHARS_W) return;
    wizards::FontSources filled;
    if (!wizards::AutoFillFontSources(chosen, filled)) return;
    for (int i = 0; i < wizards::FONT_PICTURES; ++i) fields_[i]->setText(FromFilePath(filled.pictures[size_t(i)]));
}

void CPageFont1::chooseLetters(const std::string& path) { letters_->setText(FromFilePath(path)); }

wizards::FontSources CPageFont1::sources() const {
    wizards::FontSources s;
    for (int i = 0; i < wizards::FONT_PICTURES; ++i) s.pictures[size_t(i)] = pathOf(fields_[i]);
    s.letters = pathOf(letters_);
    return s;
}

wizards::FontFlags CPageFont1::flags() const {
    wizards::FontFlags f;
    f.noShadows = noShadows_->isChecked();
    f.monochrome = monochrome_->isChecked();
    f.fixedWidth = fixedWidth_->isChecked();
    return f;
}

bool CPageFont1::isComplete() const { return wizards::FontSourcesComplete(sources(), flags()); }

bool CPageFont1::validatePage() {
    wizards::FontReport report;
    wizards::FontSeparation sep;
    const wizards::FontFlags f = flags();
    const bool ok = wizards::SeparateFontFiles(sources(), f, codePage(), sep, report);
    if (!ok) {
        ShowFontMessage(report.error, false);
        return false;
    }
    for (const wizards::FontMessage& w : report.warnings) ShowFontMessage(w, true);
    wizard_.separation() = std::move(sep);
    wizard_.flags() = f;
    return true;
}

// ---- Step 2 -------------------------------------------------------------------------------------

CPageFont2::CPageFont2(CWizFont& wizard) : wizard_(wizard) {
    DialogTexts t(this, IDD_FONT_PAGE2);
    previous_ = t.button(IDC_FONT_PREVIOUS);
    next_ = t.button(IDC_FONT_NEXT);
    for (QPushButton* b : {previous_, next_}) b->setFixedWidth(b->fontMetrics().horizontalAdvance("<") + 24);
    character_ = slider(this, "fontChar");
    charText_ = t(new QLabel(this), IDC_FONT_CHAR_TEXT);
    letterText_ = t(new QLabel(this), IDC_FONT_LETTER_TEXT);
    preview_ = new QLabel(this);
    preview_->setObjectName("fontCharPreview");
    preview_->setMinimumSize(kPreviewWidth, kPreviewHeight);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::StyledPanel);
    upper_ = slider(this, "fontUpper");
    lower_ = slider(this, "fontLower");

    auto* browse = new QHBoxLayout;
    browse->addWidget(previous_);
    browse->addWidget(character_, 1);
    browse->addWidget(next_);
    auto* counts = new QHBoxLayout;
    counts->addWidget(charText_);
    counts->addStretch(1);
    counts->addWidget(letterText_);
    auto* marks = t.group(IDC_FONT_BASELINES);
    auto* marksForm = new QFormLayout(marks);
    marksForm->addRow(t.label(IDC_FONT_LABEL_UPPER, upper_), withValue(upper_, marks));
    marksForm->addRow(t.label(IDC_FONT_LABEL_LOWER, lower_), withValue(lower_, marks));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(browse);
    layout->addLayout(counts);
    layout->addWidget(preview_, 1);
    layout->addWidget(marks);

    connect(previous_, &QPushButton::clicked, this, [this] { character_->setValue(character_->value() - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { character_->setValue(character_->value() + 1); });
    connect(character_, &QSlider::valueChanged, this, [this] { refresh(); });
    connect(upper_, &QSlider::valueChanged, this, [this](int v) {
        wizard_.separation().upper = v;
        refresh();
    });
    connect(lower_, &QSlider::valueChanged, this, [this](int v) {
        wizard_.separation().lower = v;
        refresh();
    });
    TranslateDialog(IDD_FONT_PAGE2, this);
}

void CPageFont2::initializePage() {
    const wizards::FontSeparation& sep = wizard_.separation();
    setRange(character_, 0, int(sep.chars.size()) - 1, 0);
    setRange(upper_, 0, sep.height - 1, sep.upper);
    setRange(lower_, 0, sep.height - 1, sep.lower);
    refresh();
}

pages::CBitmap32 CPageFont2::picture(int index) const {
    const wizards::FontSeparation& sep = wizard_.separation();
    pages::CBitmap32 pic;
    if (index < 0 || size_t(index) >= sep.chars.size() || sep.height <= 0) return pic;
    const wizards::FontChar& c = sep.chars[size_t(index)];
    pic.create(std::max(64, c.width + 32), sep.height + 32);
    wizards::FillPreviewBackground(pic, wizard_.background());
    const int32_t x = (pic.width() - c.width) / 2, y = 16;
    if (sep.shadowsUsed()) pic.blit(sep.shadows, x, y, c.width, sep.height, c.start, sep.top, pages::BLIT_BLEND);
    pic.blit(sep.glyphs, x, y, c.width, sep.height, c.start, sep.top, pages::BLIT_BLEND);
    pic.invertRow(y + sep.upper);
    if (sep.lower != sep.upper) pic.invertRow(y + sep.lower);
    return pic;
}

void CPageFont2::refresh() {
    const wizards::FontSeparation& sep = wizard_.separation();
    const int i = character_->value();
    const int chars = int(sep.chars.size()), letters = int(sep.letters.size());
    previous_->setEnabled(i > 0);
    next_->setEnabled(i + 1 < chars);
    charText_->setText(StrFmt(IDS_FONT_CHAR_OF, {chars ? i + 1 : 0, chars}));
    if (i < letters) {
        const QString letter = FromProgramText(std::string(1, char(sep.letters[size_t(i)])));
        letterText_->setText(StrFmt(IDS_FONT_LETTER_OF, {i + 1, letters, letter}));
    } else {
        letterText_->setText(StrFmt(IDS_FONT_NO_LETTER_OF, {letters}));
    }
    const pages::CBitmap32 pic = picture(i);
    QPixmap pm = pixmapOf(pic);
    // Small glyphs are shown larger, whole pixels each.
    if (!pm.isNull()) {
        const int zoom = std::max(
            1, std::min(preview_->width() / std::max(1, pm.width()), preview_->height() / std::max(1, pm.height())));
        if (zoom > 1) pm = pm.scaled(pm.size() * std::min(zoom, 4), Qt::KeepAspectRatio, Qt::FastTransformation);
    }
    preview_->setPixmap(pm);
}

bool CPageFont2::validatePage() { return true; }

// ---- Step 3 -------------------------------------------------------------------------------------

CPageFont3::CPageFont3(CWizFont& wizard) : wizard_(wizard) {
    DialogTexts t(this, IDD_FONT_PAGE3);
    base_ = slider(this, "fontBase");
    hSpacing_ = slider(this, "fontHSpacing");
    vSpacing_ = slider(this, "fontVSpacing");
    sample_ = new QPlainTextEdit(this);
    sample_->setObjectName("fontSample");
    sample_->setPlainText(FromProgramText(app::LoadString(wizards::IDS_FONT_SAMPLE)));
    sample_->setMaximumHeight(sample_->fontMetrics().lineSpacing() * 4 + 12);
    colour_ = t.button(IDC_FONT_COLOUR);
    background_ = new QComboBox(this);
    for (int b = 0; b < 3; ++b) background_->addItem(StrLine(IDS_FONT_BACK_FIRST + b));
    preview_ = new QLabel(this);
    preview_->setObjectName("fontSamplePreview");
    preview_->setFixedSize(kPreviewWidth, kPreviewHeight);
    preview_->setFrameShape(QFrame::StyledPanel);

    auto* spacing = t.group(IDC_FONT_SPACING);
    auto* spacingForm = new QFormLayout(spacing);
    spacingForm->addRow(t.label(IDC_FONT_LABEL_HORIZONTAL, hSpacing_), withValue(hSpacing_, spacing));
    spacingForm->addRow(t.label(IDC_FONT_LABEL_VERTICAL, vSpacing_), withValue(vSpacing_, spacing));
    auto* form = new QFormLayout;
    form->addRow(t.label(IDC_FONT_LABEL_BASE, base_), withValue(base_, this));
    auto* look = new QHBoxLayout;
    look->addWidget(colour_);
    look->addWidget(t.label(IDC_FONT_LABEL_BACK, background_));
    look->addWidget(background_);
    look->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(spacing);
    left->addWidget(t.label(IDC_FONT_LABEL_SAMPLE, sample_));
    left->addWidget(sample_);
    left->addLayout(look);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(preview_, 0, Qt::AlignHCenter);

    for (QSlider* s : {base_, hSpacing_, vSpacing_}) connect(s, &QSlider::valueChanged, this, [this] { refresh(); });
    connect(sample_, &QPlainTextEdit::textChanged, this, [this] { refresh(); });
    connect(background_, &QComboBox::currentIndexChanged, this, [this](int b) {
        wizard_.setBackground(b);
        refresh();
    });
    connect(colour_, &QPushButton::clicked, this, [this] {
        // The program's own colour chooser; a font's colour has no transparency.
        uint32_t c = wizard_.colour() & 0xFFFFFF;
        if (!AskColour(this, c)) return;
        wizard_.setColour(c & 0xFFFFFF);
        refresh();
    });
    TranslateDialog(IDD_FONT_PAGE3, this);
}

void CPageFont3::initializePage() {
    // Built each time the page is shown, so that the marks of step 2 apply.
    wizard_.buildFont();
    const wizards::FontSeparation& sep = wizard_.separation();
    const wizards::FontSpace space = wizards::SpaceOf(sep, wizard_.flags().fixedWidth);
    const wizards::FontSettings d = wizards::DefaultFontSettings(sep);
    setRange(base_, 1, sep.height - 1, d.base);
    setRange(hSpacing_, -space.c, space.c, d.hSpacing);
    setRange(vSpacing_, -sep.height, sep.height, d.vSpacing);
    colour_->setEnabled(wizard_.flags().monochrome);
    {
        const QSignalBlocker block(background_);
        background_->setCurrentIndex(wizard_.background());
    }
    refresh();
}

wizards::FontSettings CPageFont3::settings() const {
    wizards::FontSettings s;
    s.base = base_->value();
    s.hSpacing = hSpacing_->value();
    s.vSpacing = vSpacing_->value();
    return s;
}

pages::CBitmap32 CPageFont3::picture() const {
    pages::CBitmap32 pic;
    pic.create(kPreviewWidth, kPreviewHeight);
    wizards::FillPreviewBackground(pic, wizard_.background());
    pages::CBitmapFont& font = wizard_.font();
    if (!font.loaded()) return pic;
    wizards::ApplyFontSettings(settings(), font);
    const uint32_t colour = wizard_.flags().monochrome ? wizard_.colour() : 0xFFFFFF;
    wizards::DrawFontSample(font, ToProgramText(sample_->toPlainText()), colour, pic);
    return pic;
}

void CPageFont3::refresh() { preview_->setPixmap(pixmapOf(picture())); }

bool CPageFont3::validatePage() {
    std::string file = wizard_.askSavePath();
    if (file.empty()) return false;
    if (!platform::EqualsNoCase(platform::ExtensionOfPath(file), ".bmf")) file += ".bmf";
    pages::CBitmapFont& font = wizard_.font();
    wizards::ApplyFontSettings(settings(), font);
    const std::string title = platform::FileNameOf(file);
    font.setName(title.substr(0, title.size() - 4));
    if (!wizards::SaveFont(wizard_.fonts(), font, file)) return false;  // 3001 shown
    wizard_.setSavedPath(file);
    return true;
}

// ---- The wizard ---------------------------------------------------------------------------------

CWizFont::CWizFont(pages::CFontManager& fonts, QWidget* parent) : QWizard(parent), fonts_(fonts) {
    setWindowTitle(StrLine(wizards::IDS_FONT_TITLE));
    WizardTexts(this);
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    page1_ = new CPageFont1(*this);
    page2_ = new CPageFont2(*this);
    page3_ = new CPageFont3(*this);
    addPage(page1_);
    addPage(page2_);
    addPage(page3_);
}

CWizFont::~CWizFont() { releaseCurrent(); }

void CWizFont::releaseCurrent() {
    // Whoever changed the current font since (a save enumerates the list) keeps it.
    if (current_ && fonts_.Current() == &font_) fonts_.SetCurrent(previous_);
    current_ = false;
}

void CWizFont::buildFont() {
    wizards::BuildFont(sep_, flags_, font_);
    if (!current_ || fonts_.Current() != &font_) {
        previous_ = fonts_.Current();
        fonts_.SetCurrent(&font_);
        current_ = true;
    }
}

std::string CWizFont::askSavePath() {
    const std::string folder = fontsFolder();
    if (askSave_) return askSave_(folder);
    return AskSaveFile(this, StrLine(IDS_FONT_SAVE), folder.empty() ? std::string() : platform::JoinPath(folder, ""),
                       app::FT_FONT);
}

bool RunFontWizard(QWidget* parent) {
    pages::CFontManager* fonts = pages::CFontManager::Instance();
    if (!fonts) return false;
    CWizFont wizard(*fonts, parent);
    return wizard.exec() == QDialog::Accepted && !wizard.savedPath().empty();
}

}  // namespace ui
