// The SMS Chat view's two dialogs: "Edit message" (1177), the one field in which a message is
// edited or typed by hand, and "Language filter options" (1176), the word filter's list with
// "Add", "Delete" and its two options.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "sms/chat_filter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace ui {

// The text as the code page holds it: at most sms::kChatTextMax bytes (a character the code page
// lacks is "?" at once, and typing beyond the limit is refused), so nothing is cut when it is
// taken. Enter is OK; Shift+Enter starts a new line.
class CChatEditDialog : public QDialog {
    Q_OBJECT
public:
    enum : int {
        IDD_CHAT_EDIT = 1177,
        IDC_CHAT_EDIT_TEXT = 1000,
        IDC_CHAT_EDIT_COUNT = 1001,
        IDC_CHAT_EDIT_HINT = 1002,
        IDS_CHAT_EDIT_COUNT = 33977,
    };

    explicit CChatEditDialog(const std::string& text, QWidget* parent = nullptr);
    // The text in the code page.
    std::string text() const;
    QPlainTextEdit* field() const { return field_; }
    QLabel* counter() const { return counter_; }

    // Shows the dialog on text; true on OK with the field's text in it.
    static bool Edit(QWidget* parent, std::string& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void edited();

    QPlainTextEdit* field_ = nullptr;
    QLabel* counter_ = nullptr;
    QString last_;  // the field's last text within the limit
    bool setting_ = false;
};

// Works on a copy of the filter; OK hands it to `apply` (which writes filter.dat and the
// settings) and closes only when that succeeds. Cancel discards every change.
class CChatFilterDialog : public QDialog {
    Q_OBJECT
public:
    enum : int {
        IDD_CHAT_FILTER = 1176,
        IDC_FILTER_LIST = 1048,
        IDC_FILTER_WORD = 1049,
        IDC_FILTER_ADD = 1233,
        IDC_FILTER_DELETE = 1310,
        IDC_FILTER_WHOLE = 1308,
        IDC_FILTER_DELETE_WORD = 1311,
        IDC_FILTER_HINT = 1312,
        IDS_FILTER_WORD_RULE = 33978,
        IDS_FILTER_WORD_THERE = 33979,
        IDS_FILTER_NEW_WORD = 33980,
    };
    using Apply = std::function<bool(const sms::CChatFilter&)>;

    CChatFilterDialog(const sms::CChatFilter& filter, Apply apply, QWidget* parent = nullptr);

    const sms::CChatFilter& filter() const { return filter_; }
    QListWidget* words() const { return list_; }
    QLineEdit* word() const { return word_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QCheckBox* wholeWords() const { return whole_; }
    QCheckBox* deleteWord() const { return deleteWord_; }

    // "Add" and "Delete".
    bool AddWord();
    void DeleteWord();
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fill(int select);
    void refreshButtons();

    sms::CChatFilter filter_;
    Apply apply_;
    QListWidget* list_ = nullptr;
    QLineEdit* word_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    QCheckBox* whole_ = nullptr;
    QCheckBox* deleteWord_ = nullptr;
    QLabel* hint_ = nullptr;
};

}  // namespace ui
