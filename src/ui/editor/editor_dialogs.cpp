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

#include "ui/text.h"

namespace ui {

namespace {

QDialogButtonBox* okCancel(QDialog* d) {
    auto* b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
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
    setWindowTitle("Paragraph formatting");
    setObjectName("ParagraphFormatting");
    auto* alignBox = new QGroupBox("Alignment", this);
    auto* alignRow = new QHBoxLayout(alignBox);
    auto* group = new QButtonGroup(this);
    const char* names[3] = {"Left", "Center", "Right"};
    for (int i = 0; i < 3; ++i) {
        align_[i] = new QRadioButton(names[i], alignBox);
        group->addButton(align_[i], i);
        alignRow->addWidget(align_[i]);
    }
    if (f.align >= 0 && f.align < 3) align_[f.align]->setChecked(true);
    alignBox->setEnabled(canAlign);

    auto* margins = new QGroupBox("Margins", this);
    auto* mf = new QFormLayout(margins);
    auto* spacing = new QGroupBox("Spacing", this);
    auto* sf = new QFormLayout(spacing);
    spins_[0] = mixedSpin(100, f.lineSpacing, spacing);
    spins_[1] = mixedSpin(200, f.leftMargin, margins);
    spins_[2] = mixedSpin(200, f.rightMargin, margins);
    spins_[3] = mixedSpin(200, f.spaceBefore, spacing);
    spins_[4] = mixedSpin(200, f.spaceAfter, spacing);
    spins_[5] = mixedSpin(100, f.indent, margins);
    mf->addRow("Left", spins_[1]);
    mf->addRow("Right", spins_[2]);
    mf->addRow("First line", spins_[5]);
    sf->addRow("Top", spins_[3]);
    sf->addRow("Bottom", spins_[4]);
    sf->addRow("Line", spins_[0]);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(margins);
    boxes->addWidget(spacing);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(alignBox);
    layout->addLayout(boxes);
    layout->addWidget(okCancel(this));
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
    setWindowTitle("Frame formatting");
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
    auto* position = new QGroupBox("Position", this);
    auto* pf = new QFormLayout(position);
    pf->addRow("Left", left_);
    pf->addRow("Top", top_);
    auto* size = new QGroupBox("Size", this);
    auto* szf = new QFormLayout(size);
    szf->addRow("Width", width_);
    szf->addRow("Height", height_);
    auto* geometry = new QHBoxLayout;
    geometry->addWidget(position);
    geometry->addWidget(size);

    auto* borderBox = new QGroupBox("Frame border", this);
    border_ = new QSlider(Qt::Horizontal, borderBox);
    border_->setRange(0, 14);
    border_->setPageStep(1);
    border_->setTickPosition(QSlider::TicksBelow);
    border_->setValue(std::clamp(f.border, 0, 14));
    borderValue_ = new QLabel(borderBox);
    borderValue_->setMinimumWidth(24);
    auto showBorder = [this](int v) { borderValue_->setText(QString::number(v + 1)); };
    showBorder(border_->value());
    connect(border_, &QSlider::valueChanged, this, showBorder);
    auto* borderRow = new QHBoxLayout(borderBox);
    borderRow->addWidget(border_);
    borderRow->addWidget(borderValue_);
    borderBox->setEnabled(canBorder);
    background_ = new QCheckBox("background frame", this);
    background_->setChecked(f.backgroundFrame != 0);
    background_->setEnabled(canBackground);

    auto* layout = new QVBoxLayout(this);
    auto* nameRow = new QFormLayout;
    nameRow->addRow("Name", name_);
    layout->addLayout(nameRow);
    layout->addLayout(geometry);
    layout->addWidget(borderBox);
    layout->addWidget(background_);
    layout->addWidget(okCancel(this));
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
    setWindowTitle("Preferences");
    setObjectName("EditorPreferences");
    filter_ = new QCheckBox("Use vertical filtering", this);
    shadow_ = new QCheckBox("Display shadows", this);
    blend_ = new QCheckBox("Use alpha channel for frames background", this);
    clip_ = new QCheckBox("Show TV screen visible area", this);
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
    offsets->addRow("Horizontal offset", clipX_);
    offsets->addRow("Vertical offset", clipY_);
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
    setWindowTitle("Create new page");
    setObjectName("CreateNewPage");
    empty_ = new QRadioButton("Empty page", this);
    fromTemplate_ = new QRadioButton("From template", this);
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
    setWindowTitle("Styles library");
    setObjectName("StylesLibrary");
    list_ = new QListWidget(this);
    list_->setMinimumWidth(180);
    name_ = new QLineEdit(this);
    name_->setMaxLength(pages::STYLE_NAME_MAX);
    // A comma would end the name in the library file.
    name_->setValidator(new QRegularExpressionValidator(QRegularExpression("[^,]*"), name_));
    up_ = new QPushButton("Up", this);
    down_ = new QPushButton("Down", this);
    remove_ = new QPushButton("Remove", this);
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
    nameRow->addRow("Name", name_);
    side->addLayout(nameRow);
    auto* moves = new QHBoxLayout;
    moves->addWidget(up_);
    moves->addWidget(down_);
    moves->addWidget(remove_);
    side->addLayout(moves);
    auto describe = [this](const char* title, QLabel* l) {
        auto* g = new QGroupBox(title, this);
        auto* v = new QVBoxLayout(g);
        v->addWidget(l);
        return g;
    };
    side->addWidget(describe("Frame", frame_));
    side->addWidget(describe("Paragraph", para_));
    side->addWidget(describe("Text", text_));
    side->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(list_);
    top->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(okCancel(this));
    fill(select);
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
