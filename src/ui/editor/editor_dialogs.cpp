#include "ui/editor/editor_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

QDialogButtonBox* okCancel(QDialog* d) {
    auto* b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
    ButtonTexts(b);
    QObject::connect(b, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(b, &QDialogButtonBox::rejected, d, &QDialog::reject);
    return b;
}

// A spin box that shows -1 (mixed values) as empty.
QSpinBox* mixedSpin(int top, int value, QWidget* parent) {
    auto* s = new QSpinBox(parent);
    s->setRange(-1, top);
    s->setSpecialValueText(" ");
    s->setValue(value < 0 ? -1 : std::min(value, top));
    return s;
}

}  // namespace

// ---- CParagraphDialog

CParagraphDialog::CParagraphDialog(const pages::ParaFormat& f, bool canAlign, QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, IDD_PARAGRAPH);
    setObjectName("ParagraphFormatting");
    auto* alignBox = t.group(IDC_PARA_ALIGN);
    auto* alignRow = new QHBoxLayout(alignBox);
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        align_[i] = t.radio(IDC_PARA_LEFT + i);
        group->addButton(align_[i], i);
        alignRow->addWidget(align_[i]);
    }
    if (f.align >= 0 && f.align < 3) align_[f.align]->setChecked(true);
    alignBox->setEnabled(canAlign);

    auto* margins = t.group(IDC_PARA_MARGINS);
    auto* mf = new QFormLayout(margins);
    auto* spacing = t.group(IDC_PARA_SPACING);
    auto* sf = new QFormLayout(spacing);
    spins_[0] = mixedSpin(100, f.lineSpacing, spacing);
    spins_[1] = mixedSpin(200, f.leftMargin, margins);
    spins_[2] = mixedSpin(200, f.rightMargin, margins);
    spins_[3] = mixedSpin(200, f.spaceBefore, spacing);
    spins_[4] = mixedSpin(200, f.spaceAfter, spacing);
    spins_[5] = mixedSpin(100, f.indent, margins);
    mf->addRow(t.label(IDC_PARA_LABEL_LEFT, spins_[1]), spins_[1]);
    mf->addRow(t.label(IDC_PARA_LABEL_RIGHT, spins_[2]), spins_[2]);
    mf->addRow(t.label(IDC_PARA_LABEL_FIRST, spins_[5]), spins_[5]);
    sf->addRow(t.label(IDC_PARA_LABEL_TOP, spins_[3]), spins_[3]);
    sf->addRow(t.label(IDC_PARA_LABEL_BOTTOM, spins_[4]), spins_[4]);
    sf->addRow(t.label(IDC_PARA_LABEL_LINE, spins_[0]), spins_[0]);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(margins);
    boxes->addWidget(spacing);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(alignBox);
    layout->addLayout(boxes);
    layout->addWidget(okCancel(this));
    TranslateDialog(IDD_PARAGRAPH, this);
}

pages::ParaFormat CParagraphDialog::format() const {
    pages::ParaFormat f;
    f.align = -1;
    for (int i = 0; i < 3; ++i)
        if (align_[i]->isChecked()) f.align = i;
    f.lineSpacing = spins_[0]->value();
    f.leftMargin = spins_[1]->value();
    f.rightMargin = spins_[2]->value();
    f.spaceBefore = spins_[3]->value();
    f.spaceAfter = spins_[4]->value();
    f.indent = spins_[5]->value();
    return f;
}

// ---- CFrameDialog

CFrameDialog::CFrameDialog(const pages::FrameFormatting& f, bool canBorder, bool canBackground, QWidget* parent)
    : QDialog(parent) {
    DialogTexts t(this, IDD_FRAME);
    setObjectName("FrameFormatting");
    name_ = new QLineEdit(FromProgramText(f.name), this);
    name_->setMaxLength(200);
    auto spin = [this](int lo, int hi, int v) {
        auto* s = new QSpinBox(this);
        s->setRange(lo, hi);
        s->setValue(v);
        return s;
    };
    left_ = spin(0, 720, f.left);
    top_ = spin(0, 576, f.top);
    width_ = spin(2, 720, f.width);
    height_ = spin(2, 576, f.height);
    auto* position = t.group(IDC_FRAME_POSITION);
    auto* pf = new QFormLayout(position);
    pf->addRow(t.label(IDC_FRAME_LABEL_LEFT, left_), left_);
    pf->addRow(t.label(IDC_FRAME_LABEL_TOP, top_), top_);
    auto* size = t.group(IDC_FRAME_SIZE);
    auto* szf = new QFormLayout(size);
    szf->addRow(t.label(IDC_FRAME_LABEL_WIDTH, width_), width_);
    szf->addRow(t.label(IDC_FRAME_LABEL_HEIGHT, height_), height_);
    auto* geometry = new QHBoxLayout;
    geometry->addWidget(position);
    geometry->addWidget(size);

    auto* borderBox = t.group(IDC_FRAME_BORDER);
    border_ = new QSlider(Qt::Horizontal, borderBox);
    border_->setRange(0, 14);
    border_->setPageStep(1);
    border_->setTickPosition(QSlider::TicksBelow);
    border_->setValue(std::clamp(f.border, 0, 14));
    borderValue_ = t(new QLabel(borderBox), IDC_FRAME_BORDER_VALUE);
    borderValue_->setMinimumWidth(24);
    auto showBorder = [this](int v) { borderValue_->setText(QString::number(v + 1)); };
    showBorder(border_->value());
    connect(border_, &QSlider::valueChanged, this, showBorder);
    auto* borderRow = new QHBoxLayout(borderBox);
    borderRow->addWidget(border_);
    borderRow->addWidget(borderValue_);
    borderBox->setEnabled(canBorder);
    background_ = t.check(IDC_FRAME_BACKGROUND);
    background_->setChecked(f.backgroundFrame != 0);
    background_->setEnabled(canBackground);

    auto* layout = new QVBoxLayout(this);
    auto* nameRow = new QFormLayout;
    nameRow->addRow(t.label(IDC_FRAME_LABEL_NAME, name_), name_);
    layout->addLayout(nameRow);
    layout->addLayout(geometry);
    layout->addWidget(borderBox);
    layout->addWidget(background_);
    layout->addWidget(okCancel(this));
    TranslateDialog(IDD_FRAME, this);
}

pages::FrameFormatting CFrameDialog::formatting() const {
    pages::FrameFormatting f;
    f.name = ToProgramText(name_->text());
    f.left = left_->value();
    f.top = top_->value();
    f.width = width_->value();
    f.height = height_->value();
    f.border = border_->value();
    f.backgroundFrame = background_->isChecked() ? 1 : 0;
    return f;
}

// ---- CEditorPrefsDialog

CEditorPrefsDialog::CEditorPrefsDialog(const pages::EditorPreferences& prefs, QWidget* parent)
    : QDialog(parent), prefs_(prefs) {
    DialogTexts t(this, IDD_EDITOR_PREFS);
    setObjectName("EditorPreferences");
    filter_ = t.check(IDC_EPREF_FILTER);
    shadow_ = t.check(IDC_EPREF_SHADOW);
    blend_ = t.check(IDC_EPREF_BLEND);
    clip_ = t.check(IDC_EPREF_CLIP);
    filter_->setChecked(prefs.filter);
    shadow_->setChecked(prefs.useShadow);
    blend_->setChecked(prefs.useBlend);
    clip_->setChecked(prefs.useClip);
    clipX_ = new QSpinBox(this);
    clipY_ = new QSpinBox(this);
    clipX_->setRange(0, pages::CLIP_OFFSET_MAX);
    clipY_->setRange(0, pages::CLIP_OFFSET_MAX);
    clipX_->setValue(prefs.clipX);
    clipY_->setValue(prefs.clipY);
    auto* offsets = new QFormLayout;
    offsets->addRow(t.label(IDC_EPREF_LABEL_CLIPX, clipX_), clipX_);
    offsets->addRow(t.label(IDC_EPREF_LABEL_CLIPY, clipY_), clipY_);
    offsets->setContentsMargins(24, 0, 0, 0);
    auto enableOffsets = [this](bool on) {
        clipX_->setEnabled(on);
        clipY_->setEnabled(on);
    };
    enableOffsets(prefs.useClip);
    connect(clip_, &QCheckBox::toggled, this, enableOffsets);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filter_);
    layout->addWidget(shadow_);
    layout->addWidget(blend_);
    layout->addWidget(clip_);
    layout->addLayout(offsets);
    layout->addWidget(okCancel(this));
    TranslateDialog(IDD_EDITOR_PREFS, this);
}

pages::EditorPreferences CEditorPrefsDialog::preferences() const {
    pages::EditorPreferences p = prefs_;
    p.filter = filter_->isChecked();
    p.useShadow = shadow_->isChecked();
    p.useBlend = blend_->isChecked();
    p.useClip = clip_->isChecked();
    p.clipX = clipX_->value();
    p.clipY = clipY_->value();
    return p;
}

// ---- CNewPageDialog

CNewPageDialog::CNewPageDialog(const std::vector<std::string>& templates, int type, const std::string& chosen,
                               QWidget* parent)
    : QDialog(parent) {
    DialogTexts t(this, IDD_NEW_PAGE);
    setObjectName("CreateNewPage");
    empty_ = t.radio(IDC_NEWPAGE_EMPTY);
    fromTemplate_ = t.radio(IDC_NEWPAGE_TEMPLATE);
    list_ = new QListWidget(this);
    for (const std::string& t : templates) {
        list_->addItem(FromProgramText(t));
        if (t == chosen) list_->setCurrentRow(list_->count() - 1);
    }
    if (list_->currentRow() < 0 && list_->count()) list_->setCurrentRow(0);
    (type == pages::NEW_PAGE_TEMPLATE && list_->count() ? fromTemplate_ : empty_)->setChecked(true);
    auto* buttons = okCancel(this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(empty_, &QRadioButton::toggled, this, &CNewPageDialog::update);
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
        fromTemplate_->setChecked(true);
        accept();
    });
    connect(list_, &QListWidget::itemClicked, this, [this] { fromTemplate_->setChecked(true); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(empty_);
    layout->addWidget(fromTemplate_);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    update();
    TranslateDialog(IDD_NEW_PAGE, this);
}

void CNewPageDialog::update() { ok_->setEnabled(empty_->isChecked() || list_->currentRow() >= 0); }

int CNewPageDialog::type() const {
    return fromTemplate_->isChecked() ? pages::NEW_PAGE_TEMPLATE : pages::NEW_PAGE_EMPTY;
}

std::string CNewPageDialog::templateName() const {
    const QListWidgetItem* item = list_->currentItem();
    return item ? ToProgramText(item->text()) : std::string();
}

// ---- CStyleLibraryDialog

CStyleLibraryDialog::CStyleLibraryDialog(const pages::CStyleLibrary& library, int select, QWidget* parent)
    : QDialog(parent), lib_(library) {
    DialogTexts t(this, IDD_STYLES);
    setObjectName("StylesLibrary");
    list_ = new QListWidget(this);
    list_->setMinimumWidth(180);
    name_ = new QLineEdit(this);
    name_->setMaxLength(pages::STYLE_NAME_MAX);
    // A comma would end the name in the library file.
    name_->setValidator(new QRegularExpressionValidator(QRegularExpression("[^,]*"), name_));
    up_ = t.button(IDC_STYLES_UP);
    down_ = t.button(IDC_STYLES_DOWN);
    remove_ = t.button(IDC_STYLES_REMOVE);
    frame_ = new QLabel(this);
    para_ = new QLabel(this);
    text_ = new QLabel(this);
    for (QLabel* l : {frame_, para_, text_}) {
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setMinimumWidth(170);
    }

    connect(list_, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_) showSelected();
    });
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& t) {
        const int r = row();
        if (r < 0 || !lib_.Rename(r, ToProgramText(t))) return;
        filling_ = true;
        list_->item(r)->setText(FromProgramText(lib_.styles[size_t(r)].name));
        filling_ = false;
    });
    connect(up_, &QPushButton::clicked, this, [this] {
        const int r = row();
        if (lib_.MoveUp(r)) fill(r - 1);
    });
    connect(down_, &QPushButton::clicked, this, [this] {
        const int r = row();
        if (lib_.MoveDown(r)) fill(r + 1);
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        const int r = row();
        if (lib_.Remove(r)) fill(std::min(r, lib_.count() - 1));
    });

    auto* side = new QVBoxLayout;
    auto* nameRow = new QFormLayout;
    nameRow->addRow(t.label(IDC_STYLES_LABEL_NAME, name_), name_);
    side->addLayout(nameRow);
    auto* moves = new QHBoxLayout;
    moves->addWidget(up_);
    moves->addWidget(down_);
    moves->addWidget(remove_);
    side->addLayout(moves);
    auto describe = [&t](int title, QLabel* l) {
        auto* g = t.group(title);
        auto* v = new QVBoxLayout(g);
        v->addWidget(l);
        return g;
    };
    side->addWidget(describe(IDC_STYLES_FRAME, frame_));
    side->addWidget(describe(IDC_STYLES_PARAGRAPH, para_));
    side->addWidget(describe(IDC_STYLES_TEXT, text_));
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(list_);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(okCancel(this));
    fill(select);
    TranslateDialog(IDD_STYLES, this);
}

int CStyleLibraryDialog::row() const { return list_->currentRow(); }

void CStyleLibraryDialog::fill(int select) {
    filling_ = true;
    list_->clear();
    for (const pages::StyleRecord& s : lib_.styles) list_->addItem(FromProgramText(s.name));
    list_->setCurrentRow(std::clamp(select, 0, lib_.count() - 1));
    filling_ = false;
    showSelected();
}

void CStyleLibraryDialog::showSelected() {
    const int r = row();
    const pages::StyleRecord* s = lib_.style(r);
    name_->setText(s ? FromProgramText(s->name) : QString());
    frame_->setText(s ? FromProgramText(pages::FrameDescription(*s)) : QString());
    para_->setText(s ? FromProgramText(pages::ParagraphDescription(*s)) : QString());
    text_->setText(s ? FromProgramText(pages::TextDescription(*s)) : QString());
    up_->setEnabled(r > 0);
    down_->setEnabled(r >= 0 && r + 1 < lib_.count());
    remove_->setEnabled(lib_.count() > 1);
}

}  // namespace ui
