// The "Color" chooser for frame, page and text colours: red, green, blue and sixteen
// transparency levels with sliders and spin boxes, the colour over black and over white, and
// sixteen custom swatches kept in the settings. The rules live in pages::CColourChooser.
#pragma once

#include <QDialog>
#include <cstdint>

#include "pages/editor/colour_chooser.h"

class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace ui {

enum : int {
    IDD_COLOUR = 1105,
    IDC_COLOUR_LABEL_RED = 1000,  // 1000-1003: red, green, blue, transparency
    IDC_COLOUR_SATURATED = 1004,
    IDC_COLOUR_CUSTOM = 1005,
    IDC_COLOUR_GET = 1006,
    IDC_COLOUR_SET = 1007,
    IDS_COLOUR_OVER_BLACK = 33760,
    IDS_COLOUR_OVER_WHITE = 33761,
};

class CColourDialog final : public QDialog {
    Q_OBJECT
public:
    CColourDialog(uint32_t colour, QWidget* parent = nullptr);

    uint32_t colour() const { return model_.colour(); }
    pages::CColourChooser& model() { return model_; }

    // Controls, for the tests: 0 red, 1 green, 2 blue, 3 transparency.
    QSlider* slider(int i) const { return sliders_[i]; }
    QSpinBox* spin(int i) const { return spins_[i]; }
    QLabel* saturatedLabel() const { return saturated_; }
    QPushButton* swatchButton(int i) const { return swatches_[i]; }
    QPushButton* getButton() const { return get_; }
    QPushButton* setButton() const { return set_; }
    int selectedSwatch() const { return selectedSwatch_; }
    void selectSwatch(int i);

private:
    void sync();
    void onValue(int channel, int value);
    void onSet();

    pages::CColourChooser model_;
    QSlider* sliders_[4] = {};
    QSpinBox* spins_[4] = {};
    QLabel* overBlack_ = nullptr;
    QLabel* overWhite_ = nullptr;
    QLabel* saturated_ = nullptr;
    QPushButton* swatches_[pages::COLOUR_SWATCHES] = {};
    QPushButton* get_ = nullptr;
    QPushButton* set_ = nullptr;
    int selectedSwatch_ = 0;
    bool syncing_ = false;
};

// Asks for a colour; false when cancelled.
bool AskColour(QWidget* parent, uint32_t& colour);

}  // namespace ui
