// The "Page effect and show time" dialog: the widgets over a CEffectDialogModel, which holds
// every rule. The model is the caller's: after OK it applies the result to each record.
#pragma once

#include <QDialog>

#include "air/effect_dialog_model.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace ui {

class DialogTexts;

class CEffectDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 303;
    enum : int {
        IDC_EFFECT_FIXED = 1000,
        IDC_EFFECT_VARIABLE = 1001,
        IDC_EFFECT_LABEL_SHOWTIME = 1002,
        IDC_EFFECT_LABEL_PLUS = 1003,
        IDC_EFFECT_SCROLLING = 1004,
        IDC_EFFECT_STOP_SCROLLING = 1005,
        IDC_EFFECT_LABEL_SCROLL_SPEED = 1006,
        // A group, then its fade, new page moving, old page moving, and the labels of the
        // effect, its speed and its border.
        IDC_EFFECT_IN = 1010,
        IDC_EFFECT_OUT = 1020,
        IDS_EFFECT_SECONDS = 33930,
        IDS_EFFECT_NAME_FIRST = 33931,  // 33931-33949: the effects by type
    };

    CEffectDialog(air::CEffectDialogModel& model, QWidget* parent = nullptr);

    // One record: on OK it becomes what the dialog made of it.
    static bool Edit(QWidget* parent, air::ShowParams& params, const air::PageMotion* page, bool outApplies,
                     bool scrollApplies);

    air::CEffectDialogModel& model() { return model_; }

    // The widgets, for tests and for the screenshots of the documentation.
    struct EffectGroup {
        QGroupBox* box = nullptr;
        QListWidget* list = nullptr;
        QLabel* duration = nullptr;
        QSlider* speed = nullptr;
        QLabel* speedValue = nullptr;
        QSlider* border = nullptr;
        QLabel* borderValue = nullptr;
        QCheckBox* fade = nullptr;
        QCheckBox* newMoves = nullptr;  // in only
        QCheckBox* oldMoves = nullptr;  // "Old page is moving" / "Page is moving"
    };
    QRadioButton* fixedTime() const { return fixed_; }
    QRadioButton* variableTime() const { return variable_; }
    QSpinBox* showTime() const { return showTime_; }
    QSpinBox* plusTime() const { return plusTime_; }
    QGroupBox* scrollingGroup() const { return scrolling_; }
    QSlider* scrollSpeed() const { return scrollSpeed_; }
    QCheckBox* stopScrolling() const { return stopScrolling_; }
    const EffectGroup& inGroup() const { return in_; }
    const EffectGroup& outGroup() const { return out_; }

    // Shows the model's state in every control.
    void refresh();

private:
    EffectGroup makeGroup(const DialogTexts& t, bool in);
    void showGroup(const EffectGroup& g, bool in);
    void setSpin(QSpinBox* spin, int value, int minimum, int maximum);
    void setBox(QCheckBox* box, int value);

    air::CEffectDialogModel& model_;
    bool updating_ = false;
    QButtonGroup* timeButtons_ = nullptr;
    QRadioButton* fixed_ = nullptr;
    QRadioButton* variable_ = nullptr;
    QSpinBox* showTime_ = nullptr;
    QSpinBox* plusTime_ = nullptr;
    QGroupBox* scrolling_ = nullptr;
    QSlider* scrollSpeed_ = nullptr;
    QLabel* scrollSpeedValue_ = nullptr;
    QCheckBox* stopScrolling_ = nullptr;
    EffectGroup in_;
    EffectGroup out_;
};

}  // namespace ui
