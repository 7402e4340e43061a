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

#include "app/strings.h"
#include "ui/text.h"

namespace ui {

namespace {

// Button texts and their meaning, in anchor order (columns left, centre, right).
const char* const kAnchorText[] = {"TL", "CL", "BL", "TC", "C", "BC", "TR", "CR", "BR"};
const char* const kAnchorTip[] = {"Top left",      "Centre left", "Bottom left",  "Top centre",  "Centre",
                                  "Bottom centre", "Top right",   "Centre right", "Bottom right"};

// String 21050 ("%d x %d") with the two numbers put in by hand: a translated text is never
// handed to printf as its format.
std::string sizeText(int32_t w, int32_t h) {
    std::string text = app::LoadString(21050);
    for (int32_t v : {w, h}) {
        const size_t at = text.find("%d");
        if (at == std::string::npos) break;
        text.replace(at, 2, std::to_string(v));
    }
    return text;
}

}  // namespace

ImportPictureDialog::ImportPictureDialog(int32_t pictureWidth, int32_t pictureHeight, int32_t pageWidth,
                                         int32_t pageHeight, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("Import picture");
    setModal(true);
    size_ = new QLabel(FromProgramText(sizeText(pictureWidth, pictureHeight)), this);
    auto* form = new QFormLayout;
    form->addRow("Picture size", size_);

    auto* group = new QGroupBox("Position", this);
    auto* buttons = new QButtonGroup(this);
    auto* grid = new QGridLayout(group);
    for (int a = pages::ANCHOR_TL; a <= pages::ANCHOR_BR; ++a) {
        anchors_[a] = new QRadioButton(kAnchorText[a], group);
        anchors_[a]->setToolTip(kAnchorTip[a]);
        buttons->addButton(anchors_[a], a);
        grid->addWidget(anchors_[a], a % 3, a / 3);
    }
    anchors_[pages::ANCHOR_MANUAL] = new QRadioButton("Manual", group);
    buttons->addButton(anchors_[pages::ANCHOR_MANUAL], pages::ANCHOR_MANUAL);
    grid->addWidget(anchors_[pages::ANCHOR_MANUAL], 3, 0);
    x_ = new QSpinBox(group);
    y_ = new QSpinBox(group);
    x_->setRange(0, std::max(0, pages::ManualMaxX(pageWidth)));
    y_->setRange(0, std::max(0, pages::ManualMaxY(pageHeight)));
    auto* xy = new QFormLayout;
    xy->addRow("X", x_);
    xy->addRow("Y", y_);
    grid->addLayout(xy, 3, 1, 1, 2);
    connect(buttons, &QButtonGroup::idToggled, this, [this](int, bool) { updateManual(); });

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(group);
    layout->addWidget(box);
    setPosition({});
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
