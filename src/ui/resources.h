// The texts of the front end, all from the built-in resources by id: the string table
// (resources/strings.inc), the dialogs (resources/dialogs.inc) and the menus
// (resources/menus.inc). Nothing the operator reads is written in the window code itself.
//
// The convention:
//  * a dialog or view builds its controls through DialogTexts, which gives each one its
//    English text from the dialog table and its control id (every label its own id), and calls
//    TranslateDialog(dialogId, this) once they exist;
//  * texts that change while a window is open (states, counts, column headers, combo items,
//    message boxes) are strings: Str, StrLine, StrFmt, or DlgText for a control's text;
//  * menus are built from the menu table with BuildMenuBar / BuildPopupMenu and translated with
//    TranslateMenu; toolbar buttons take their tooltips from the string of their command id,
//    after its first line feed (CommandTips);
//  * values go into texts only through StrFmt and Fmt, never through printf.
#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QToolBar;
class QWidget;
class QWizard;

namespace ui {

// Strings of the project (ids beside 33600) used by every window.
enum : int {
    IDS_BUTTON_OK = 33610,
    IDS_BUTTON_CANCEL = 33611,
    IDS_BUTTON_CLOSE = 33612,
    IDS_BUTTON_YES = 33613,
    IDS_BUTTON_NO = 33614,
    IDS_BUTTON_ABORT = 33615,
    IDS_BUTTON_RETRY = 33616,
    IDS_BUTTON_IGNORE = 33617,
    IDS_BUTTON_APPLY = 33618,
    IDS_BUTTON_HELP = 33619,
    IDS_FILE_LOOK_IN = 33620,
    IDS_FILE_NAME = 33621,
    IDS_FILE_TYPE = 33622,
    IDS_FILE_OPEN = 33623,
    IDS_FILE_SAVE = 33624,
    IDS_FILE_CHOOSE = 33625,
    IDS_FILE_NO_PREVIEW = 33626,
    IDS_OPEN_PICTURE = 33627,
    IDS_SAVE_PICTURE = 33628,
    IDS_WIZARD_BACK = 33630,
    IDS_WIZARD_NEXT = 33631,
    IDS_WIZARD_FINISH = 33632,
};

// A string of the string table as shown (translated when a language is chosen).
QString Str(int id);
// Its first line: menu items, labels and list entries.
QString StrLine(int id);
// Its tooltip: the part after the first line feed, at most 159 characters ("" without one).
QString StrTip(int id);

// A value for a pattern: a number, or a text (QString, or the program's 8-bit text).
class Arg {
public:
    Arg(int v) : kind_(Int), i_(v) {}
    Arg(long v) : kind_(Int), i_(v) {}
    Arg(long long v) : kind_(Int), i_(v) {}
    Arg(unsigned v) : kind_(Int), i_(v) {}
    Arg(unsigned long v) : kind_(Int), i_((long long)v) {}
    Arg(double v) : kind_(Real), d_(v) {}
    Arg(const QString& s);
    // The program's 8-bit text (page names, files of the data folders).
    Arg(const std::string& s);
    Arg(const char* s);

private:
    friend QString Fmt(const QString&, std::initializer_list<Arg>);
    enum Kind { Int, Real, Text } kind_;
    long long i_ = 0;
    double d_ = 0;
    std::string utf8_;
};

// Fills a pattern: %1-%9 by number, printf-style markers (%d, %s, %02d...) in order. Only the
// values given are read, whatever a translated pattern asks for.
QString Fmt(const QString& pattern, std::initializer_list<Arg> args);
// The same with a string of the string table as the pattern.
QString StrFmt(int id, std::initializer_list<Arg> args);

// The text of a dialog's control as shown (translated; control 0 is the caption), for the
// texts a dialog changes while open.
QString DlgText(int dialogId, int controlId);
// The English text of the dialog table.
QString BuiltinDlgText(int dialogId, int controlId);

// Builds a dialog's (or a view's) controls with their English texts from the dialog table and
// their control ids; TranslateDialog(dialogId, dialog) then puts in the translation.
class DialogTexts {
public:
    // Marks the dialog with its id and gives it its caption (when the table has one).
    DialogTexts(QWidget* dialog, int dialogId);
    int dialogId() const { return id_; }
    QString text(int controlId) const { return BuiltinDlgText(id_, controlId); }

    QLabel* label(int controlId, QWidget* buddy = nullptr) const;
    QPushButton* button(int controlId) const;
    QCheckBox* check(int controlId) const;
    QRadioButton* radio(int controlId) const;
    QGroupBox* group(int controlId) const;
    // An existing label, button or group box (a button of a button box...): its text and id.
    QWidget* set(QWidget* control, int controlId) const;
    template <class W>
    W* operator()(W* control, int controlId) const {
        set(control, controlId);
        return control;
    }

private:
    QWidget* dialog_;
    int id_;
};

// The OK, Cancel, Close... buttons of a button box, with the program's texts.
void ButtonTexts(QDialogButtonBox* box);
// The Back, Next, Finish and Cancel buttons of a wizard. (Its pages are dialogs of their own:
// DialogTexts gives a page its title from the page's caption.)
void WizardTexts(QWizard* wizard);

// Builds a menu bar from the menu table. actionFor(commandId) gives the action an item uses
// (one also on a toolbar); nullptr makes a new one in the bar. Returns the pop-ups in the order
// they are met (the translation's pop-up count less one).
using ActionFor = std::function<QAction*(int commandId)>;
std::vector<QMenu*> BuildMenuBar(int menuId, QMenuBar* bar, const ActionFor& actionFor = {});
// A shortcut menu: the first pop-up of the menu's table filled into menu.
std::vector<QMenu*> BuildPopupMenu(int menuId, QMenu* menu, const ActionFor& actionFor = {});
// The action of a command among a menu's (recursively), nullptr when none.
QAction* FindCommand(const QWidget* menu, int commandId);

// Tooltip (also the text of a toolbar button) and status tip of a command from the string of its
// id (after and before the first line feed); every action of a toolbar, by the resource id each
// carries.
void CommandTips(QAction* action);
void CommandTips(QToolBar* toolbar);

}  // namespace ui
