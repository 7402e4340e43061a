// The new interactive system wizard on screen, "Create new interactive system": step 1 names the
// page and the number of answers, step 2 binds the page's frames row by row (answer texts,
// keywords, bars, counts, percentages, callers: one page for each), step 3 binds the question,
// total, clock and temperature and takes the settings; Finish saves the file. A click on the
// page's preview picks the frame under the pointer for the list that has the focus and moves on
// to the next list. What it decides is interactive::CITVWizard's, as for zx itv new.
#pragma once

#include <QLabel>
#include <QWizard>
#include <QWizardPage>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "interactive/itv_wizard.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace pages {
class CFontManager;
}

namespace ui {

class CWizITV;

// The page's thumbnail with its frames outlined: the frames bound on this step marked, those
// bound elsewhere greyed; a click reports the point on the page (720 × 576).
class CItvPagePreview final : public QLabel {
    Q_OBJECT
public:
    explicit CItvPagePreview(QWidget* parent = nullptr);
    // marked: frames bound on this step with their labels; taken: bound on other steps.
    void setPage(const interactive::CITVWizard& wizard, const std::vector<std::pair<std::string, QString>>& marked,
                 const std::vector<std::string>& taken);
    // The page point under a point of the preview.
    QPoint pagePoint(const QPoint& at) const;
    QPoint previewPoint(int pageX, int pageY) const;

signals:
    void clickedAt(QPoint page);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const interactive::CITVWizard* wizard_ = nullptr;
};

class CPageITV1 final : public QWizardPage {
    Q_OBJECT
public:
    enum : int {
        IDD = 22001,
        IDC_FILE = 1001,
        IDC_BROWSE = 1002,
        IDC_ANSWERS = 1003,
        IDC_PREVIEW = 1004,
        IDC_LABEL_PAGE = 1005,
        IDC_LABEL_ANSWERS = 1006,
    };
    explicit CPageITV1(CWizITV& wizard);

    // What "Browse..." does after its file dialog: loads the page (its message shown on failure).
    bool choose(const std::string& path);
    QLineEdit* file() const { return file_; }
    QComboBox* answers() const { return answers_; }
    QLabel* preview() const { return preview_; }

    bool isComplete() const override;
    bool validatePage() override;

private:
    CWizITV& wizard_;
    QLineEdit* file_;
    QComboBox* answers_;
    QLabel* preview_;
    QString tried_;  // the name loaded (or refused) last
};

// A step of lists that bind frames: one per answer for rows 0-5, the question, total, clock and
// temperature on the last step (with the settings).
class CItvBindPage : public QWizardPage {
    Q_OBJECT
public:
    enum : int { IDC_LIST1 = 1001, IDC_LABEL1 = 1010, IDC_PREVIEW = 1020 };
    CItvBindPage(CWizITV& wizard, int row);

    int row() const { return row_; }
    QComboBox* list(int col) const { return lists_[size_t(col)]; }
    CItvPagePreview* preview() const { return preview_; }
    // A click on the preview at a page point: binds the frame there to the focused list (the
    // first enabled list when none has the focus) and moves the focus on.
    void pickAt(int pageX, int pageY);

    void initializePage() override;
    bool validatePage() override;

protected:
    // Takes the lists into the wizard's bindings.
    void store();
    void refreshPreview();
    QWidget* listsBox() const { return listsBox_; }

    CWizITV& wizard_;
    int row_;
    int count_;  // lists on this step
    std::array<QComboBox*, interactive::kItvColumns> lists_{};
    std::array<QLabel*, interactive::kItvColumns> labels_{};
    QWidget* listsBox_ = nullptr;
    CItvPagePreview* preview_ = nullptr;
};

class CPageITV3 final : public CItvBindPage {
    Q_OBJECT
public:
    enum : int {
        IDC_FULL_SCALE = 1030,
        IDC_FILL = 1031,
        IDC_DUPLICATES = 1032,
        IDC_SECONDS = 1033,
        IDC_BLINKING = 1034,
        IDC_SETTINGS = 1035,
        IDC_LABEL_FULL_SCALE = 1036,
    };
    explicit CPageITV3(CWizITV& wizard);

    QSpinBox* fullScale() const { return fullScale_; }
    QCheckBox* fill() const { return fill_; }
    QCheckBox* duplicates() const { return duplicates_; }
    QCheckBox* seconds() const { return seconds_; }
    QCheckBox* blinking() const { return blinking_; }

    // Finish: the bindings checked, the file named and saved; false keeps the wizard open.
    bool validatePage() override;

private:
    QSpinBox* fullScale_;
    QCheckBox* fill_;
    QCheckBox* duplicates_;
    QCheckBox* seconds_;
    QCheckBox* blinking_;
};

class CWizITV final : public QWizard {
    Q_OBJECT
public:
    enum : int { IDD_WIZ_ITV = 22000 };
    // The page is chosen from pagesFolder on, the file saved into itvFolder.
    CWizITV(pages::CFontManager& fonts, std::string pagesFolder, std::string itvFolder, QWidget* parent = nullptr);
    ~CWizITV() override;

    interactive::CITVWizard& model() { return model_; }
    CPageITV1& page1() { return *page1_; }
    // The binding step of a row (0-5).
    CItvBindPage& bindPage(int row) { return *bindPages_[size_t(row)]; }
    CPageITV3& page3() { return *page3_; }

    // Where the finished system goes: a save dialog on the interactive systems folder unless
    // replaced (tests); "" = cancelled.
    using AskSavePath = std::function<std::string(const std::string& folder)>;
    void setSavePathChooser(AskSavePath ask) { askSave_ = std::move(ask); }
    std::string askSavePath();
    const std::string& savedPath() const { return saved_; }
    void setSavedPath(std::string path) { saved_ = std::move(path); }
    const std::string& pagesFolder() const { return pagesFolder_; }

private:
    interactive::CITVWizard model_;
    std::string pagesFolder_, itvFolder_;
    CPageITV1* page1_;
    std::array<CItvBindPage*, 6> bindPages_{};
    CPageITV3* page3_;
    AskSavePath askSave_;
    std::string saved_;
};

// The command of the main window's menu: the file saved, "" when none was.
std::string RunItvWizard(QWidget* parent);

}  // namespace ui
