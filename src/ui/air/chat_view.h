// CChatView: the SMS Chat mode's view in the on-air frame (form 1175). The template ("Open"), the
// word filter ("Language filter"), "Fast mode", the SMS engine ("Start", "Stop") with the phone's
// status and the count of messages received, and the list of messages with "Queue / Delay" (also
// a double click on a row), "Edit", "Remove" and "Add message". Everything it decides is the chat
// model's (sms::CChatModel): the view forwards the operator's commands, the SMS engine's MSG_SMS
// and the air frame's MSG_AIR to it and shows what it reports. Every modal dialog of the view
// holds the model's busy flag, so that nothing goes on air behind it.
#pragma once

#include <QIcon>
#include <QImage>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_target.h"
#include "sms/chat_model.h"
#include "ui/qt_timer_service.h"

class QBoxLayout;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace app {
class CZentrixApp;
}
namespace pages {
class CFontManager;
}

namespace ui {

class DialogTexts;

class CAirFrameWnd;
class QtMessageTarget;

// The three 16-pixel pictures of the message states (Delayed, Queued, Shown) side by side on
// magenta, the colour that shows as transparent.
QImage ChatIconStrip();
// One state's picture from the strip, magenta made transparent.
QIcon ChatStateIcon(int state);

class CChatView : public QWidget, public platform::MessageTarget, private sms::ChatPanel {
    Q_OBJECT
public:
    enum : int {
        IDD_CHAT = 1175,
        IDC_CHAT_OPEN = 1273,
        IDC_CHAT_FILTER = 1274,
        IDC_CHAT_FAST = 1307,
        IDC_CHAT_START = 1091,
        IDC_CHAT_STOP = 1277,
        IDC_CHAT_QUEUE = 1280,
        IDC_CHAT_EDIT = 1278,
        IDC_CHAT_REMOVE = 1279,
        IDC_CHAT_ADD = 1281,
        IDC_CHAT_LIST = 1047,
        IDC_CHAT_STATUS_LABEL = 1020,
        IDC_CHAT_STATUS = 1021,
        IDC_CHAT_COUNT_LABEL = 1022,
        IDC_CHAT_COUNT = 1023,
        IDC_CHAT_GROUP_TEMPLATE = 1024,
        IDC_CHAT_GROUP_PHONE = 1025,
        IDC_CHAT_TEMPLATE = 1026,
        IDS_CHAT_FAST_TIP = 33970,
        IDS_CHAT_QUEUE_TIP = 33971,
        IDS_CHAT_REMOVE_TIP = 33972,
        IDS_CHAT_ADD_TIP = 33973,
        IDS_CHAT_OPEN_TEMPLATE = 33974,
        IDS_CHAT_TEMPLATE = 33975,
        IDS_CHAT_NO_TEMPLATE = 33976,
    };

    // engine: the SMS engine the chat opens (the process's, or a stand-in).
    CChatView(CAirFrameWnd& frame, app::CZentrixApp& app, pages::CFontManager& fonts, sms::ChatEngine& engine,
              QWidget* parent = nullptr);
    // Stops the engine and keeps the template's name and the column widths.
    ~CChatView() override;

    // MSG_AIR from the air frame (on the GUI thread).
    void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override { send(msg, wParam, lParam); }
    intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;

    sms::CChatModel& model() { return *model_; }
    // Where the SMS engine's notifications arrive (from its threads).
    platform::MessageTarget& engineTarget();

    // What the buttons do after their dialogs (tests call these directly).
    bool OpenTemplateFile(const std::string& path);
    void Start();
    void Stop();
    void ToggleSelected();
    void EditSelected();
    void RemoveSelected();
    void AddMessage();
    void EditFilter();
    void OpenTemplate();

    // The controls.
    QPushButton* button(int id) const;
    QCheckBox* fast() const { return fast_; }
    QTreeWidget* list() const { return list_; }
    QLabel* statusText() const { return status_; }
    QLabel* countText() const { return count_; }
    QLabel* templateName() const { return template_; }
    // The row the list commands act on (-1: none).
    int selectedRow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // sms::ChatPanel
    void StatusChanged(const std::string& text) override;
    void CountChanged(int received) override;
    void RowAdded(int row) override;
    void RowChanged(int row) override;
    void RowRemoved(int row) override;
    void ButtonsChanged() override;
    void ShowProgress(const std::string& text, int range) override;
    void StepProgress(int value) override;
    void HideProgress() override;

    QPushButton* addButton(const DialogTexts& texts, int id);
    void fillRow(QTreeWidgetItem* item, int row);
    void refreshButtons();
    void showTemplateName();
    void selectRow(int row);

    CAirFrameWnd& frame_;
    QtTimerService timers_;
    std::unique_ptr<QtMessageTarget> engineTarget_;
    std::unique_ptr<sms::CChatModel> model_;
    QBoxLayout* top_ = nullptr;
    QGroupBox* templateBox_ = nullptr;
    QGroupBox* phoneBox_ = nullptr;
    QCheckBox* fast_ = nullptr;
    QLabel* template_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* count_ = nullptr;
    QTreeWidget* list_ = nullptr;
    std::vector<QPushButton*> buttons_;
};

}  // namespace ui
