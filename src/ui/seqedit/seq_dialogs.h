// The sequence editor's dialogs: "Action" (what to do with an item's page), "Set show date"
// over a selection, and "Check pages by date". Each edits a plain record of the editor's model.
#pragma once

#include <QDialog>

#include "air/seqedit/seq_editor.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QRadioButton;

namespace ui {

// "Action" on an item's page.
enum : int {
    IDD_SEQ_ACTION = 1120,
    IDC_ACTION_PAGE = 1000,
    IDC_ACTION_FIRST = 1001,  // 1001-1004: the choices
    IDD_SHOW_DATE = 1121,
    IDC_SHOWDATE_RESTRICT = 1000,
    IDC_SHOWDATE_LABEL_START = 1001,
    IDC_SHOWDATE_LABEL_END = 1002,
    IDC_SHOWDATE_DAYS = 1003,
    IDC_SHOWDATE_TOTAL = 1004,
    IDC_SHOWDATE_LEFT = 1005,
    IDC_SHOWDATE_WEEKDAYS = 1006,
    IDC_SHOWDATE_MONDAY = 1007,  // 1007-1013: Monday to Sunday
    IDD_CHECK_DATE = 1122,
    IDC_CHECKDATE_FIRST = 1000,  // 1000-1004: the modes
    IDC_CHECKDATE_LABEL_START = 1005,
    IDC_CHECKDATE_LABEL_END = 1006,
    IDS_SHOWDATE_TOTAL = 33813,
    IDS_SHOWDATE_NO_TOTAL = 33814,
    IDS_SHOWDATE_LEFT = 33815,
    IDS_SHOWDATE_NO_LEFT = 33816,
};

class CActionDialog : public QDialog {
    Q_OBJECT
public:
    enum Choice : int { EDIT_PAGE, CREATE_PAGE, REPLACE_PAGE, DELETE_PAGE };
    // "Edit page" is preselected for a loaded page, "Replace page" otherwise.
    CActionDialog(bool loaded, const QString& pageName, QWidget* parent = nullptr);
    int choice() const;
    QRadioButton* button(int choice) const { return buttons_[choice]; }

private:
    QButtonGroup* group_;
    QRadioButton* buttons_[4] = {};
};

// "Set show date" (dialog 300).
class CShowDateDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 300;
    CShowDateDialog(const air::ShowDateEdit& edit, const air::SeqDate& today, QWidget* parent = nullptr);
    const air::ShowDateEdit& edit() const { return edit_; }

    QCheckBox* restrict() const { return restrict_; }
    QDateEdit* startDate() const { return start_; }
    QDateEdit* endDate() const { return end_; }
    QCheckBox* weekday(int i) const { return days_[i]; }
    QLabel* total() const { return total_; }
    QLabel* left() const { return left_; }

private:
    void refresh();

    air::ShowDateEdit edit_;
    air::SeqDate today_;
    QCheckBox* restrict_ = nullptr;
    QDateEdit* start_ = nullptr;
    QDateEdit* end_ = nullptr;
    QCheckBox* days_[7] = {};
    QLabel* total_ = nullptr;
    QLabel* left_ = nullptr;
    bool updating_ = false;
};

// "Check pages by date" (dialog 301).
class CCheckDateDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 301;
    CCheckDateDialog(const air::CheckByDateSettings& settings, QWidget* parent = nullptr);
    air::CheckByDateSettings settings() const;

    QRadioButton* mode(int m) const { return modes_[m]; }
    QDateEdit* onDate() const { return onDate_; }
    QComboBox* startOp() const { return startOp_; }
    QComboBox* endOp() const { return endOp_; }
    QDateEdit* startDate() const { return startDate_; }
    QDateEdit* endDate() const { return endDate_; }

private:
    void enableControls();

    QButtonGroup* group_ = nullptr;
    QRadioButton* modes_[5] = {};
    QDateEdit* onDate_ = nullptr;
    QComboBox* startOp_ = nullptr;
    QComboBox* endOp_ = nullptr;
    QDateEdit* startDate_ = nullptr;
    QDateEdit* endDate_ = nullptr;
};

}  // namespace ui
