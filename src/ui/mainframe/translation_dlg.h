// "Edit translation" (template 1163): every base text in a list, its original and its
// translation side by side. Used for the current language and, on an empty table, for a new one.
#pragma once

#include <QDialog>
#include <QIcon>
#include <vector>

#include "i18n/editor_model.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace ui {

enum : int {
    IDD_TRANSLATION = 1163,
    IDC_TR_LIST = 1000,
    IDC_TR_LABEL_ORIGINAL = 1001,
    IDC_TR_ORIGINAL = 1002,
    IDC_TR_LABEL_TRANSLATION = 1003,
    IDC_TR_TRANSLATION = 1004,
    IDC_TR_RESET = 1005,
    IDC_TR_NOTE = 1006,
    IDS_TR_MARKERS_DIFFER = 33605,
    IDS_TR_SAVE_TITLE = 33606,
};

// The six 16-pixel pictures of the list, drawn here on magenta, which is transparent: menu,
// menu without translation, dialog, dialog without translation, string, string without
// translation.
std::vector<QIcon> TranslationIcons();

class CTranslationDlg : public QDialog {
    Q_OBJECT
public:
    CTranslationDlg(const i18n::LangTable& base, const i18n::LangTable& language, QWidget* parent = nullptr);

    // After OK: the edited rows (the current one stored).
    const i18n::TranslationEditorModel& model() const { return model_; }
    void accept() override;

    // The controls (tests reach them).
    QListWidget* list;
    QPlainTextEdit* original;
    QPlainTextEdit* translation;
    QPushButton* reset;
    QLabel* note;

private:
    void showRow(int row);
    void storeRow();
    void refreshRow(int row);

    i18n::TranslationEditorModel model_;
    std::vector<QIcon> icons_;
    int row_ = -1;
};

}  // namespace ui
