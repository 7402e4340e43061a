#include "ui/editor/colour_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/message_boxes.h"
#include "app/zentrix_app.h"
#include "ui/resources.h"
#include "ui/translate.h"

namespace ui {

namespace {

QColor opaque(uint32_t c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

QPixmap previewPixmap(uint32_t shown, bool overWhite) {
    QPixmap pm(96, 48);
    pm.fill(opaque(shown));
    QPainter p(&pm);
    p.setPen(overWhite ? QColor(0xA0, 0xA0, 0xA0) : QColor(0x40, 0x40, 0x40));
    p.drawRect(0, 0, 95, 47);
    return pm;
}

app::Profile* settingsProfile() {
    app::CZentrixApp* theApp = app::CZentrixApp::Instance();
    return theApp ? &theApp->profile() : nullptr;
}

}  // namespace

CColourDialog::CColourDialog(uint32_t colour, QWidget* parent) : QDialog(parent), model_(colour) {
    DialogTexts t(this, IDD_COLOUR);
    setObjectName("ColorDialog");
    if (app::Profile* p = settingsProfile()) model_.LoadSwatches(*p);

    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        const int top = i == 3 ? pages::COLOUR_LEVELS - 1 : 255;
        sliders_[i] = new QSlider(Qt::Horizontal, this);
        sliders_[i]->setRange(0, top);
        sliders_[i]->setMinimumWidth(200);
        if (i == 3) {
            sliders_[i]->setTickPosition(QSlider::TicksBelow);
            sliders_[i]->setPageStep(1);
        }
        spins_[i] = new QSpinBox(this);
        spins_[i]->setRange(0, top);
        grid->addWidget(t.label(IDC_COLOUR_LABEL_RED + i, sliders_[i]), i, 0);
        grid->addWidget(sliders_[i], i, 1);
        grid->addWidget(spins_[i], i, 2);
        connect(sliders_[i], &QSlider::valueChanged, this, [this, i](int v) { onValue(i, v); });
        connect(spins_[i], qOverload<int>(&QSpinBox::valueChanged), this, [this, i](int v) { onValue(i, v); });
    }

    overBlack_ = new QLabel(this);
    overWhite_ = new QLabel(this);
    saturated_ = t.label(IDC_COLOUR_SATURATED);
    saturated_->setStyleSheet("color: #C00000; font-weight: bold;");
    auto* previews = new QHBoxLayout;
    previews->addWidget(overBlack_);
    previews->addWidget(overWhite_);
    previews->addWidget(saturated_);
    previews->addStretch();

    auto* custom = t.group(IDC_COLOUR_CUSTOM);
    auto* swatchGrid = new QGridLayout;
    for (int i = 0; i < pages::COLOUR_SWATCHES; ++i) {
        auto* b = new QPushButton(custom);
        b->setFixedSize(26, 22);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        swatches_[i] = b;
        swatchGrid->addWidget(b, i / 8, i % 8);
        connect(b, &QPushButton::clicked, this, [this, i] { selectSwatch(i); });
    }
    get_ = t.button(IDC_COLOUR_GET);
    set_ = t.button(IDC_COLOUR_SET);
    connect(get_, &QPushButton::clicked, this, [this] {
        model_.TakeSwatch(selectedSwatch_);
        sync();
    });
    connect(set_, &QPushButton::clicked, this, &CColourDialog::onSet);
    auto* customLayout = new QHBoxLayout(custom);
    customLayout->addLayout(swatchGrid);
    auto* getSet = new QVBoxLayout;
    getSet->addWidget(get_);
    getSet->addWidget(set_);
    getSet->addStretch();
    customLayout->addLayout(getSet);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(previews);
    layout->addWidget(custom);
    layout->addWidget(buttons);
    selectSwatch(0);
    sync();
    TranslateDialog(IDD_COLOUR, this);
}

void CColourDialog::selectSwatch(int i) {
    if (i < 0 || i >= pages::COLOUR_SWATCHES) return;
    selectedSwatch_ = i;
    swatches_[i]->setChecked(true);
}

void CColourDialog::onValue(int channel, int value) {
    if (syncing_) return;
    switch (channel) {
        case 0: model_.setRed(value); break;
        case 1: model_.setGreen(value); break;
        case 2: model_.setBlue(value); break;
        default: model_.setLevel(value); break;
    }
    sync();
}

void CColourDialog::onSet() {
    if (!model_.StoreSwatch(selectedSwatch_, settingsProfile())) {
        if (model_.saturated()) app::MessageBoxId(pages::IDS_COLOUR_TOO_SATURATED, app::MB_OK | app::MB_ICONWARNING);
        return;
    }
    sync();
}

void CColourDialog::sync() {
    syncing_ = true;
    const int values[4] = {model_.red(), model_.green(), model_.blue(), model_.level()};
    for (int i = 0; i < 4; ++i) {
        sliders_[i]->setValue(values[i]);
        spins_[i]->setValue(values[i]);
    }
    syncing_ = false;
    overBlack_->setPixmap(previewPixmap(model_.previewOver(false), false));
    overWhite_->setPixmap(previewPixmap(model_.previewOver(true), true));
    overBlack_->setToolTip(StrLine(IDS_COLOUR_OVER_BLACK));
    overWhite_->setToolTip(StrLine(IDS_COLOUR_OVER_WHITE));
    const bool saturated = model_.saturated();
    saturated_->setVisible(saturated);
    for (int i = 0; i < pages::COLOUR_SWATCHES; ++i) {
        const QColor c = opaque(model_.swatch(i));
        swatches_[i]->setStyleSheet(QString("QPushButton { background: %1; border: 1px solid #808080; }"
                                            "QPushButton:checked { border: 2px solid #2F6FDB; }")
                                        .arg(c.name()));
    }
}

bool AskColour(QWidget* parent, uint32_t& colour) {
    CColourDialog d(colour, parent);
    if (d.exec() != QDialog::Accepted) return false;
    colour = d.colour();
    return true;
}

}  // namespace ui
