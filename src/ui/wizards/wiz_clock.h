// The clock maker on screen, "Create new clock": step 1 names the five pictures (the clock face
// fills in the others by its name), step 2 takes the settings and shows the clock built so far.
// Leaving step 1 builds the clock (face, hands, thumbnail); Finish stores the settings, times one
// render and saves the file. Every failure shows its message and stays on the page.
//
// The wizard builds into a clock object of its own: the program's shared clock may be on air.
#pragma once

#include <QWizard>
#include <QWizardPage>
#include <functional>
#include <string>

#include "wizards/clock_image.h"
#include "wizards/clock_maker.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace platform {
class Clock;
}

namespace ui {

class CWizClock;

enum : int {
    IDD_CLOCK_WIZARD = 1165,
    IDD_CLOCK_PAGE1 = 1166,
    IDC_CLOCK_SOURCE_FIRST = 1000,  // the labels of the source pictures, in their order
    IDD_CLOCK_PAGE2 = 1167,
    IDC_CLOCK_SHADOWS = 1000,
    IDC_CLOCK_DIFFERENT = 1001,
    IDC_CLOCK_BELOW = 1002,
    IDC_CLOCK_LABEL_MINUTE = 1003,
    IDC_CLOCK_LABEL_HOUR = 1004,
    IDC_CLOCK_LABEL_LIGHT = 1005,
    IDC_CLOCK_LABEL_HEIGHT = 1006,
    IDS_CLOCK_SAVE = 34300,
};

class CPageClock1 final : public QWizardPage {
    Q_OBJECT
public:
    explicit CPageClock1(CWizClock& wizard);

    // What a "..." button does after its file dialog: sets the field; the clock face fills in all
    // five when its name allows.
    void choose(int field, const std::string& path);
    std::string path(int field) const;
    QLineEdit* field(int index) const { return fields_[index]; }
    wizards::ClockSources sources() const;

    bool isComplete() const override;
    bool validatePage() override;

private:
    CWizClock& wizard_;
    QLineEdit* fields_[wizards::SRC_COUNT] = {};
};

class CPageClock2 final : public QWizardPage {
    Q_OBJECT
public:
    explicit CPageClock2(CWizClock& wizard);

    wizards::ClockSettings settings() const;
    QComboBox* minuteStep() const { return minuteStep_; }
    QComboBox* hourStep() const { return hourStep_; }
    QCheckBox* shadows() const { return shadows_; }
    QComboBox* lightH() const { return lightH_; }
    QComboBox* lightV() const { return lightV_; }
    QComboBox* handHeight() const { return handHeight_; }
    QCheckBox* differentHeights() const { return differentHeights_; }
    QCheckBox* belowFace() const { return belowFace_; }
    QLabel* thumbnail() const { return thumbnail_; }

    void initializePage() override;
    bool validatePage() override;

private:
    void updateEnabled();

    CWizClock& wizard_;
    QComboBox* minuteStep_;
    QComboBox* hourStep_;
    QCheckBox* shadows_;
    QComboBox* lightH_;
    QComboBox* lightV_;
    QComboBox* handHeight_;
    QCheckBox* differentHeights_;
    QCheckBox* belowFace_;
    QLabel* thumbnail_;
};

class CWizClock final : public QWizard {
    Q_OBJECT
public:
    explicit CWizClock(QWidget* parent = nullptr);
    ~CWizClock() override;

    CPageClock1& page1() { return *page1_; }
    CPageClock2& page2() { return *page2_; }
    // The clock being made (the wizard's own).
    wizards::CClockImage& clock() { return clock_; }

    // Where the finished clock goes: a save dialog on the Clock folder unless replaced (tests);
    // "" = cancelled.
    using AskSavePath = std::function<std::string(const std::string& folder)>;
    void setSavePathChooser(AskSavePath ask) { askSave_ = std::move(ask); }
    // The clock the render is timed against (tests use their own).
    void setTimeSource(const platform::Clock* clock) { time_ = clock; }
    const platform::Clock& timeSource() const;
    std::string askSavePath();
    // The file saved last ("" before).
    const std::string& savedPath() const { return saved_; }
    void setSavedPath(std::string path) { saved_ = std::move(path); }

private:
    wizards::CClockImage clock_;
    CPageClock1* page1_;
    CPageClock2* page2_;
    AskSavePath askSave_;
    const platform::Clock* time_ = nullptr;
    std::string saved_;
};

// Shows a maker's message: an error with the error icon, a warning with the warning icon.
void ShowClockMessage(const wizards::ClockMessage& message, bool warning);

// The command of the main window's menu.
void RunClockWizard(QWidget* parent);

}  // namespace ui
