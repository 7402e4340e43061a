// CBlockView: Automation mode's view in the on-air frame (form 309). The block bindings (what
// each of the Device's item keys cues) and the scheduled events, each list with its buttons, a
// line with the next due and the last missed event, and for the models of status class 2 the
// Device's picture. What happens is the schedule's (air::CBlockSchedule): the view forwards the
// operator's commands and the air frame's notes and shows the lists. Its two dialogs edit copies
// of a record, so the schedule runs on while one is open.
#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "air/auto_event.h"
#include "platform/message_target.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;
class QTreeWidget;

namespace app {
class CZentrixApp;
}
namespace air {
class CBlockSchedule;
}

namespace ui {

class DialogTexts;

class CAirFrameWnd;
class QtTimerService;

// Dialog 1172 "Add / edit scheduled event".
class CEventDialog : public QDialog {
    Q_OBJECT
public:
    enum : int {
        IDD_EVENT = 1172,
        IDC_TIME = 1174,
        IDC_ONCE = 1175,
        IDC_DATE = 1176,
        IDC_DAILY = 1177,
        IDC_DAY1 = 1178,  // ... IDC_DAY1 + 6, Monday ... Sunday
        IDC_STOP = 1185,
        IDC_PLAY = 1186,
        IDC_FILE = 1187,
        IDC_FILE_BROWSE = 1188,
        IDC_FILE_CLEAR = 1189,
        IDC_VIDEO = 1190,
        IDC_VIDEO_BROWSE = 1191,
        IDC_VIDEO_CLEAR = 1192,
        IDC_LOOP = 1193,
    };
    // e: the record to edit (a new one starts as air::NewScheduledEvent has it); paths as the
    // record names them, shown whole.
    CEventDialog(const air::AutoEvent& e, const std::string& file, const std::string& video, QWidget* parent = nullptr);

    // What the dialog holds now (names whole; the caller stores them relative).
    air::AutoEvent event() const;
    std::string file() const;
    std::string video() const;
    void setFile(const std::string& path);
    void setVideo(const std::string& path);

    // OK: refused while "Play file" has no file, or "Daily" no weekday (with the reason shown).
    void accept() override;
    // The reason OK would be refused now; "" when it is not.
    QString refusal() const;

    QTimeEdit* time() const { return time_; }
    QDateEdit* date() const { return date_; }
    QRadioButton* once() const { return once_; }
    QRadioButton* daily() const { return daily_; }
    QCheckBox* day(int i) const { return days_[i]; }
    QRadioButton* stop() const { return stop_; }
    QRadioButton* play() const { return play_; }
    QCheckBox* loop() const { return loop_; }
    QPushButton* okButton() const { return ok_; }

private:
    void enable();

    QTimeEdit* time_ = nullptr;
    QRadioButton *once_ = nullptr, *daily_ = nullptr, *stop_ = nullptr, *play_ = nullptr;
    QDateEdit* date_ = nullptr;
    QCheckBox* days_[7] = {};
    QLineEdit *file_ = nullptr, *video_ = nullptr;
    QCheckBox* loop_ = nullptr;
    QPushButton* ok_ = nullptr;
    QLabel* why_ = nullptr;
    air::AutoEvent base_;
};

// Dialog 1173 "Edit block binding".
class CBindingDialog : public QDialog {
    Q_OBJECT
public:
    enum : int {
        IDD_BINDING = 1173,
        IDC_FILE = 1187,
        IDC_FILE_BROWSE = 1188,
        IDC_FILE_CLEAR = 1189,
        IDC_VIDEO = 1190,
        IDC_VIDEO_BROWSE = 1191,
        IDC_VIDEO_CLEAR = 1192,
        IDC_LOOP = 1193,
        IDC_RESTORE = 1194,
    };
    CBindingDialog(const air::AutoEvent& b, const std::string& file, const std::string& video,
                   QWidget* parent = nullptr);
    air::AutoEvent binding() const;
    std::string file() const;
    std::string video() const;
    void setFile(const std::string& path);
    void setVideo(const std::string& path);
    // Refused while neither file is named.
    void accept() override;

    QCheckBox* loop() const { return loop_; }
    QCheckBox* restore() const { return restore_; }
    QPushButton* okButton() const { return ok_; }

private:
    void enable();

    QLineEdit *file_ = nullptr, *video_ = nullptr;
    QCheckBox *loop_ = nullptr, *restore_ = nullptr;
    QPushButton* ok_ = nullptr;
    QLabel* why_ = nullptr;
};

class CBlockView : public QWidget, public platform::MessageTarget {
    Q_OBJECT
public:
    enum : int {
        IDD_BLOCK = 309,
        IDC_BINDINGS = 1262,
        IDC_EVENTS = 1263,
        IDC_ADD = 1233,
        IDC_EDIT = 1260,
        IDC_REMOVE = 1259,
        IDC_CHANGE = 1261,
        IDC_CLEAR = 1289,
        IDC_STATUS = 1264,
    };

    // Loads both lists and starts the schedule's tick.
    CBlockView(CAirFrameWnd& frame, app::CZentrixApp& app, QWidget* parent = nullptr);
    // Destroy: the tick stops, the column widths are written ("Block").
    ~CBlockView() override;

    // MSG_AIR from the air frame.
    void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override { send(msg, wParam, lParam); }
    intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;

    air::CBlockSchedule& schedule() { return *model_; }
    QTreeWidget* bindings() const { return bindings_; }
    QTreeWidget* events() const { return events_; }
    QPushButton* button(int id) const;
    QLabel* statusLine() const { return status_; }
    QLabel* devicePicture() const { return device_; }

    // The buttons' commands (the dialogs open modal; the tests drive them through the hooks).
    void Add();
    void Edit();
    void Remove();
    void Change();
    void Clear();
    // When set, runs in place of a dialog's exec: it fills the dialog in and accepts or rejects it
    // (the tests).
    std::function<void(QDialog&)> dialogHook;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* addButton(const DialogTexts& texts, int id);
    void refresh();
    void refreshStatus();
    int exec(QDialog& d);

    CAirFrameWnd& frame_;
    app::CZentrixApp& app_;
    std::unique_ptr<QtTimerService> timers_;
    std::unique_ptr<air::CBlockSchedule> model_;
    QTreeWidget* bindings_ = nullptr;
    QTreeWidget* events_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* device_ = nullptr;
    std::vector<QPushButton*> buttons_;
    bool refreshing_ = false;
};

}  // namespace ui
