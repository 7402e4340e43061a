// The About box: the program's name, version and build date.
#pragma once

#include <QDialog>

class QLabel;

namespace ui {

enum : int {
    IDD_ABOUTBOX = 100,
    IDC_ABOUT_NAME = 1000,
    IDC_ABOUT_VERSION = 1001,
    IDC_ABOUT_DATE = 1002,
    IDC_ABOUT_TEXT = 1003,
    IDC_ABOUT_DATE_LABEL = 1004,
    IDS_VERSION = 33607,
};

// The date the program was built, as the compiler spells it ("Apr  5 2007").
const char* BuildDate();

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QLabel* dateField() const { return date_; }

private:
    QLabel* date_;
};

}  // namespace ui
