#include "ui/pictures/import_picture_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <string>

#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

constexpr int IDS_PICTURE_SIZE = 21050;  // "%d x %d"

}  // namespace

ImportPictureDialog::ImportPictureDialog(int32_t pictureWidth, int32_t pictureHeight, int32_t pageWidth,
                                         int32_t pageHeight, QWidget* parent)
    : QDialog(parent) {
    DialogTexts t(this, IDD_IMPORT_PICTURE);
    setModal(true);
    size_ = t(new QLabel(this), IDC_IMPORT_SIZE);
    size_->setText(StrFmt(IDS_PICTURE_SIZE, {int(pictureWidth), int(pictureHeight)}));
    auto* form = new QFormLayout;
    form->addRow(t.label(IDC_IMPORT_LABEL_SIZE), size_);

    auto* group = t.group(IDC_IMPORT_POSITION);
    auto* buttons = new QButtonGroup(this);
    auto* grid = new QGridLayout(group);
    for (int a = pages::ANCHOR_TL; a <= pages::ANCHOR_BR; ++a) {
        // Anchors in their order: columns left, centre, right.
        anchors_[a] = t.radio(IDC_IMPORT_ANCHOR_FIRST + a);
        anchors_[a]->setToolTip(StrLine(IDS_IMPORT_ANCHOR_TIP + a));
        buttons->addButton(anchors_[a], a);
        grid->addWidget(anchors_[a], a % 3, a / 3);
    }
    anchors_[pages::ANCHOR_MANUAL] = t.radio(IDC_IMPORT_MANUAL);
    buttons->addButton(anchors_[pages::ANCHOR_MANUAL], pages::ANCHOR_MANUAL);
    grid->addWidget(anchors_[pages::ANCHOR_MANUAL], 3, 0);
    x_ = new QSpinBox(group);
    y_ = new QSpinBox(group);
    x_->setRange(0, std::max(0, pages::ManualMaxX(pageWidth)));
    y_->setRange(0, std::max(0, pages::ManualMaxY(pageHeight)));
    auto* xy = new QFormLayout;
    xy->addRow(t.label(IDC_IMPORT_LABEL_X, x_), x_);
    xy->addRow(t.label(IDC_IMPORT_LABEL_Y, y_), y_);
    grid->addLayout(xy, 3, 1, 1, 2);
    connect(buttons, &QButtonGroup::idToggled, this, [this](int, bool) { updateManual(); });

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonTexts(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group);
    layout->addWidget(box);
    setPosition({});
    TranslateDialog(IDD_IMPORT_PICTURE, this);
}

void ImportPictureDialog::setPosition(const pages::BackgroundPosition& position) {
    const int a = position.anchor >= pages::ANCHOR_TL && position.anchor <= pages::ANCHOR_MANUAL ? position.anchor
                                                                                                 : int(pages::ANCHOR_C);
    anchors_[a]->setChecked(true);
    x_->setValue(position.x);
    y_->setValue(position.y);
    updateManual();
}

pages::BackgroundPosition ImportPictureDialog::position() const {
    pages::BackgroundPosition p;
    for (int a = pages::ANCHOR_TL; a <= pages::ANCHOR_MANUAL; ++a)
        if (anchors_[a]->isChecked()) p.anchor = a;
    if (p.anchor == pages::ANCHOR_MANUAL) {
        p.x = x_->value();
        p.y = y_->value();
    }
    return p;
}

void ImportPictureDialog::updateManual() {
    const bool manual = anchors_[pages::ANCHOR_MANUAL]->isChecked();
    x_->setEnabled(manual);
    y_->setEnabled(manual);
}

pages::AskBackgroundPosition AskWithImportPictureDialog(QWidget* parent, int32_t pageWidth, int32_t pageHeight) {
    return [=](int32_t w, int32_t h, pages::BackgroundPosition& position) {
        ImportPictureDialog dialog(w, h, pageWidth, pageHeight, parent);
        dialog.setPosition(position);
        if (dialog.exec() != QDialog::Accepted) return false;
        position = dialog.position();
        return true;
    };
}

}  // namespace ui
