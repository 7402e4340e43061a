#include "ui/air/effect_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/air/effect_pictures.h"
#include "ui/resources.h"
#include "ui/translate.h"

namespace ui {

namespace {

using Model = air::CEffectDialogModel;
constexpr QSize kIcon(40, 32);
constexpr int kColumns = 5;

QSlider* makeSlider(int maximum, QWidget* parent) {
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setRange(0, maximum);
    s->setPageStep(1);
    s->setTickPosition(QSlider::TicksBelow);
    s->setTickInterval(1);
    s->setMinimumWidth(140);
    return s;
}

QLabel* makeValueLabel(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setMinimumWidth(24);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QString shownPlusOne(int v) { return v < 0 ? QString() : QString::number(v + 1); }

}  // namespace

CEffectDialog::CEffectDialog(air::CEffectDialogModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    DialogTexts t(this, kDialogId);
    setObjectName("PageEffect");

    // Show time.
    fixed_ = t.radio(IDC_EFFECT_FIXED);
    variable_ = t.radio(IDC_EFFECT_VARIABLE);
    timeButtons_ = new QButtonGroup(this);
    timeButtons_->addButton(fixed_);
    timeButtons_->addButton(variable_);
    showTime_ = new QSpinBox(this);
    showTime_->setSuffix(StrLine(IDS_EFFECT_SECONDS));
    plusTime_ = new QSpinBox(this);
    plusTime_->setSuffix(StrLine(IDS_EFFECT_SECONDS));
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(fixed_);
    timeRow->addWidget(variable_);
    timeRow->addSpacing(16);
    timeRow->addWidget(t.label(IDC_EFFECT_LABEL_SHOWTIME, showTime_));
    timeRow->addWidget(showTime_);
    timeRow->addWidget(t.label(IDC_EFFECT_LABEL_PLUS, plusTime_));
    timeRow->addWidget(plusTime_);
    timeRow->addStretch();

    // Scrolling.
    scrolling_ = t.group(IDC_EFFECT_SCROLLING);
    scrollSpeed_ = makeSlider(air::kMaxScrollSpeed, scrolling_);
    scrollSpeedValue_ = makeValueLabel(scrolling_);
    stopScrolling_ = t.check(IDC_EFFECT_STOP_SCROLLING);
    auto* scrollRow = new QHBoxLayout(scrolling_);
    scrollRow->addWidget(t.label(IDC_EFFECT_LABEL_SCROLL_SPEED, scrollSpeed_));
    scrollRow->addWidget(scrollSpeed_);
    scrollRow->addWidget(scrollSpeedValue_);
    scrollRow->addSpacing(24);
    scrollRow->addWidget(stopScrolling_);
    scrollRow->addStretch();

    in_ = makeGroup(t, true);
    out_ = makeGroup(t, false);
    auto* effects = new QHBoxLayout;
    effects->addWidget(in_.box);
    effects->addWidget(out_.box);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QVBoxLayout(this);
    top->addLayout(timeRow);
    top->addWidget(scrolling_);
    top->addLayout(effects);
    top->addWidget(buttons);

    // Every change goes to the model, then every control shows the model again.
    auto change = [this](auto fn) {
        return [this, fn](auto... args) {
            if (updating_) return;
            fn(args...);
            refresh();
        };
    };
    connect(fixed_, &QRadioButton::clicked, this,
            change([this](bool) { model_.setTimeChoice(Model::TimeChoice::Fixed); }));
    connect(variable_, &QRadioButton::clicked, this,
            change([this](bool) { model_.setTimeChoice(Model::TimeChoice::Variable); }));
    connect(showTime_, &QSpinBox::valueChanged, this, change([this](int v) {
                if (v >= Model::kMinShowTime) model_.setShowTime(v);
            }));
    connect(plusTime_, &QSpinBox::valueChanged, this, change([this](int v) {
                if (v >= 0) model_.setPlusTime(v);
            }));
    connect(scrollSpeed_, &QSlider::valueChanged, this, change([this](int v) { model_.setScrollSpeed(v); }));
    connect(stopScrolling_, &QCheckBox::clicked, this,
            change([this](bool) { model_.setStopScrolling(stopScrolling_->checkState() == Qt::Checked); }));

    for (bool in : {true, false}) {
        const EffectGroup& g = in ? in_ : out_;
        connect(g.list, &QListWidget::currentRowChanged, this, change([this, in](int row) {
                    if (row < 0) return;
                    in ? model_.setInType(row) : model_.setOutType(row);
                }));
        connect(g.speed, &QSlider::valueChanged, this,
                change([this, in](int v) { in ? model_.setInSpeed(v) : model_.setOutSpeed(v); }));
        connect(g.border, &QSlider::valueChanged, this,
                change([this, in](int v) { in ? model_.setInBorder(v) : model_.setOutBorder(v); }));
        QCheckBox* fade = g.fade;
        connect(fade, &QCheckBox::clicked, this, change([this, in, fade](bool) {
                    bool on = fade->checkState() == Qt::Checked;
                    in ? model_.setInFade(on) : model_.setOutFade(on);
                }));
        QCheckBox* old = g.oldMoves;
        connect(old, &QCheckBox::clicked, this, change([this, in, old](bool) {
                    bool on = old->checkState() == Qt::Checked;
                    in ? model_.setInOldMoves(on) : model_.setOutMoves(on);
                }));
    }
    connect(in_.newMoves, &QCheckBox::clicked, this,
            change([this](bool) { model_.setInNewMoves(in_.newMoves->checkState() == Qt::Checked); }));

    refresh();
    TranslateDialog(kDialogId, this);
}

CEffectDialog::EffectGroup CEffectDialog::makeGroup(const DialogTexts& t, bool in) {
    // The two groups' controls: the in-effect's from 1010, the out-effect's from 1020.
    const int first = in ? IDC_EFFECT_IN : IDC_EFFECT_OUT;
    EffectGroup g;
    g.box = t.group(first);
    g.list = new QListWidget(g.box);
    g.list->setViewMode(QListView::IconMode);
    g.list->setIconSize(kIcon);
    g.list->setGridSize(kIcon + QSize(8, 8));
    g.list->setMovement(QListView::Static);
    g.list->setResizeMode(QListView::Adjust);
    g.list->setWrapping(true);
    g.list->setSelectionMode(QAbstractItemView::SingleSelection);
    g.list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g.list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The chosen effect gets a clear frame; the pictures themselves stay as drawn.
    g.list->setStyleSheet(
        "QListWidget::item { border: 2px solid transparent; padding: 1px; }"
        "QListWidget::item:selected { border: 2px solid palette(highlight);"
        " background: transparent; }");
    const int rows = (air::kEffectTypes + kColumns - 1) / kColumns;
    const int frame = 2 * g.list->frameWidth() + 4;
    g.list->setFixedSize(kColumns * (kIcon.width() + 8) + frame, rows * (kIcon.height() + 8) + frame);
    for (int t = 0; t < air::kEffectTypes; ++t) {
        auto* item = new QListWidgetItem(EffectIcon(t, kIcon), QString(), g.list);
        item->setToolTip(EffectName(t));
        item->setSizeHint(kIcon + QSize(8, 8));
    }
    g.duration = new QLabel(g.box);
    g.duration->setObjectName(in ? "inDuration" : "outDuration");
    g.duration->setMinimumWidth(36);
    g.speed = makeSlider(air::kMaxEffectSpeed, g.box);
    g.speedValue = makeValueLabel(g.box);
    g.border = makeSlider(air::kMaxEffectBorder, g.box);
    g.borderValue = makeValueLabel(g.box);
    g.fade = t.check(first + 1);
    if (in) g.newMoves = t.check(first + 2);
    g.oldMoves = t.check(first + 3);

    auto* grid = new QGridLayout(g.box);
    grid->addWidget(t.label(first + 4, g.list), 0, 0, Qt::AlignTop);
    grid->addWidget(g.list, 0, 1, 1, 2);
    grid->addWidget(g.duration, 0, 3, Qt::AlignBottom | Qt::AlignRight);
    grid->addWidget(t.label(first + 5, g.speed), 1, 0);
    grid->addWidget(g.speed, 1, 1, 1, 2);
    grid->addWidget(g.speedValue, 1, 3);
    grid->addWidget(t.label(first + 6, g.border), 2, 0);
    grid->addWidget(g.border, 2, 1, 1, 2);
    grid->addWidget(g.borderValue, 2, 3);
    grid->addWidget(g.fade, 3, 1, 1, 3);
    int row = 4;
    if (g.newMoves) grid->addWidget(g.newMoves, row++, 1, 1, 3);
    grid->addWidget(g.oldMoves, row++, 1, 1, 3);
    grid->setRowStretch(row, 1);
    return g;
}

void CEffectDialog::setSpin(QSpinBox* spin, int value, int minimum, int maximum) {
    // An undetermined value shows as an empty box one step below the range.
    if (value < minimum) {
        spin->setSpecialValueText(" ");
        spin->setRange(minimum - 1, maximum);
        spin->setValue(minimum - 1);
    } else {
        spin->setSpecialValueText(QString());
        spin->setRange(minimum, maximum);
        spin->setValue(value);
    }
}

void CEffectDialog::setBox(QCheckBox* box, int value) {
    box->setTristate(value == air::kUndetermined);
    box->setCheckState(value == air::kUndetermined ? Qt::PartiallyChecked : value ? Qt::Checked : Qt::Unchecked);
}

void CEffectDialog::showGroup(const EffectGroup& g, bool in) {
    const int type = model_.value(in ? air::SP_IN_TYPE : air::SP_OUT_TYPE);
    if (type < 0) {
        g.list->setCurrentRow(-1);
        g.list->clearSelection();
    } else {
        g.list->setCurrentRow(type);
    }
    g.duration->setText(QString::fromStdString(in ? model_.inDurationText() : model_.outDurationText()));
    const int speed = model_.value(in ? air::SP_IN_SPEED : air::SP_OUT_SPEED);
    const int border = model_.value(in ? air::SP_IN_BORDER : air::SP_OUT_BORDER);
    // Sliders cannot be blank: an undetermined group shows the first page's values, with the
    // numbers left empty.
    g.speed->setValue(model_.shownValue(in ? air::SP_IN_SPEED : air::SP_OUT_SPEED));
    g.speedValue->setText(shownPlusOne(speed));
    g.border->setValue(model_.shownValue(in ? air::SP_IN_BORDER : air::SP_OUT_BORDER));
    g.borderValue->setText(shownPlusOne(border));
    setBox(g.fade, model_.value(in ? air::SP_IN_FADE : air::SP_OUT_FADE));
    if (g.newMoves) setBox(g.newMoves, model_.value(air::SP_IN_NEW_MOVES));
    setBox(g.oldMoves, model_.value(in ? air::SP_IN_OLD_MOVES : air::SP_OUT_MOVES));

    g.box->setEnabled(in || model_.outApplies());
    g.speed->setEnabled(model_.enabled(in ? Model::IN_SPEED : Model::OUT_SPEED));
    g.speedValue->setEnabled(g.speed->isEnabled());
    if (g.newMoves) g.newMoves->setEnabled(model_.enabled(Model::IN_NEW_MOVES));
    g.oldMoves->setEnabled(model_.enabled(in ? Model::IN_OLD_MOVES : Model::OUT_MOVES));
}

void CEffectDialog::refresh() {
    updating_ = true;
    switch (model_.timeChoice()) {
        case Model::TimeChoice::Fixed: fixed_->setChecked(true); break;
        case Model::TimeChoice::Variable: variable_->setChecked(true); break;
        case Model::TimeChoice::Undetermined:
            timeButtons_->setExclusive(false);
            fixed_->setChecked(false);
            variable_->setChecked(false);
            timeButtons_->setExclusive(true);
            break;
    }
    variable_->setEnabled(model_.enabled(Model::VARIABLE_TIME));
    setSpin(showTime_, model_.shownShowTime(), Model::kMinShowTime, model_.showTimeMaximum());
    showTime_->setEnabled(model_.enabled(Model::SHOW_TIME));
    setSpin(plusTime_, model_.value(air::SP_PLUS_TIME), 0, Model::kMaxPlusTime);
    plusTime_->setEnabled(model_.enabled(Model::PLUS_TIME));

    scrolling_->setEnabled(model_.scrollApplies());
    const int scroll = model_.value(air::SP_SCROLL_SPEED);
    scrollSpeed_->setValue(model_.shownValue(air::SP_SCROLL_SPEED));
    scrollSpeedValue_->setText(scroll < 0 ? QString() : QString::number(scroll));
    setBox(stopScrolling_, model_.value(air::SP_STOP_SCROLLING));

    showGroup(in_, true);
    showGroup(out_, false);
    updating_ = false;
}

bool CEffectDialog::Edit(QWidget* parent, air::ShowParams& params, const air::PageMotion* page, bool outApplies,
                         bool scrollApplies) {
    air::CEffectDialogModel model(params, page, outApplies, scrollApplies);
    CEffectDialog dlg(model, parent);
    if (dlg.exec() != QDialog::Accepted) return false;
    params = model.apply(params);
    return true;
}

}  // namespace ui
