// CITVView: the Interactive system mode's view in the on-air frame (form 313). The file ("Open
// file", "Settings..."), the voice messages, "Start" and "Stop" of the hardware, the log ("Save
// log", "Clear log"), "Live mode"; per answer its number, scale, votes, percentage, the last
// caller's number and, with "Buttons" on, its "Vote n" button; the total, the clock and the
// temperature; the GSM modem's status and SMS count (model 2) or the USB adapter's status
// (model 3). Everything it decides is the model's (interactive::CITVModel): the view forwards the
// operator's commands and the engines' and air frame's messages to it and shows what it reports.
#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "interactive/itv_model.h"
#include "platform/message_target.h"
#include "ui/mainframe/mode_frames.h"
#include "ui/qt_timer_service.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

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

class CITVView : public QWidget, public platform::MessageTarget, public AirViewConsent, private interactive::ItvPanel {
    Q_OBJECT
public:
    enum : int {
        IDD_ITV = 313,
        IDC_ITV_OPEN = 1273,
        IDC_ITV_SETTINGS = 1274,
        IDC_ITV_WRITE_VOICE = 1323,
        IDC_ITV_READ_VOICE = 1325,
        IDC_ITV_START = 1091,
        IDC_ITV_STOP = 1277,
        IDC_ITV_SAVE_LOG = 1279,
        IDC_ITV_CLEAR_LOG = 1289,
        IDC_ITV_LIVE = 1324,
        IDC_ITV_VOTE1 = 1256,  // .. 1263
        IDC_ITV_UPDATE = 1264,
        IDC_ITV_SHOW_CLOCK = 1533,
        IDC_ITV_SHOW_TEMP = 1534,
        IDC_ITV_TEMP = 1326,
        IDC_ITV_CANCEL_VOICE = 1327,
        IDC_ITV_GROUP_FILE = 1340,
        IDC_ITV_GROUP_STATISTICS = 1341,
        IDC_ITV_HEAD_FIRST = 1342,  // .. 1347: the statistics' columns
        IDC_ITV_LABEL_TOTAL = 1348,
        IDC_ITV_GROUP_PICTURE = 1349,
        IDC_ITV_GROUP_GSM = 1350,
        IDC_ITV_LABEL_GSM_STATUS = 1351,
        IDC_ITV_LABEL_SMS_COUNT = 1352,
        IDC_ITV_GROUP_USB = 1353,
        IDC_ITV_LABEL_USB_STATUS = 1354,
        IDC_ITV_FILE = 1355,
        IDC_ITV_QUESTION = 1356,
        IDS_ITV_LIVE_TIP = 34402,
        IDS_ITV_READ_VOICE_TIP = 34403,
        IDS_ITV_CANCEL_VOICE_TIP = 34404,
        IDS_ITV_WRITE_USB_TIP = 34405,
        IDS_ITV_WRITE_VOICE_TIP = 34406,
        IDS_ITV_FILE = 34407,
        IDS_ITV_NO_FILE = 34408,
        IDS_ITV_OPEN_TITLE = 34409,
        IDS_ITV_SAVE_LOG_TITLE = 34410,
        IDS_ITV_SAVE_VOICE_TITLE = 34411,
    };

    // hardware: the engines the view starts (the process's, or stand-ins).
    CITVView(CAirFrameWnd& frame, app::CZentrixApp& app, pages::CFontManager& fonts, interactive::ItvHardware& hardware,
             QWidget* parent = nullptr);
    ~CITVView() override;

    // MSG_AIR from the air frame (on the GUI thread).
    void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override { send(msg, wParam, lParam); }
    intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    // The votes and the log: asked before the mode closes.
    bool CanClose() override;

    interactive::CITVModel& model() { return *model_; }
    // Where the engines' notifications arrive (from their threads).
    platform::MessageTarget& engineTarget();

    // What the buttons do after their dialogs (tests call these directly).
    bool OpenFile(const std::string& path);
    void OpenFileAsk();
    void EditSettings();
    void Start();
    void Stop();
    void Vote(int answer);
    // The voice buttons: the dialogs, then the transfer (or, with the USB adapter, the lines' files).
    void WriteVoiceAsk();
    void ReadVoiceAsk();

    // The controls.
    QPushButton* button(int id) const;
    QCheckBox* showClock() const { return showClock_; }
    QCheckBox* showTemperature() const { return showTemp_; }
    QLineEdit* temperature() const { return temp_; }
    QProgressBar* scale(int answer) const { return rows_[size_t(answer)].scale; }
    QLabel* votesText(int answer) const { return rows_[size_t(answer)].votes; }
    QLabel* percentText(int answer) const { return rows_[size_t(answer)].percent; }
    QLabel* numberText(int answer) const { return rows_[size_t(answer)].number; }
    QLabel* totalText() const { return total_; }
    QLabel* fileName() const { return file_; }
    QLabel* thumbnail() const { return thumb_; }
    QGroupBox* gsmBox() const { return gsmBox_; }
    QLabel* gsmStatus() const { return gsmStatus_; }
    QLabel* smsCount() const { return smsCount_; }
    QGroupBox* usbBox() const { return usbBox_; }
    QLabel* usbStatus() const { return usbStatus_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // interactive::ItvPanel
    void FormChanged() override;
    void ButtonsChanged() override { refreshButtons(); }
    void GsmStatusChanged(const std::string& text) override;
    void SmsCountChanged(int count) override;
    void UsbStatusChanged(const std::string& text) override;
    void ThumbnailChanged(const pages::CBitmap32& thumbnail) override;
    void ShowProgress(const std::string& text, int range) override;
    void StepProgress(int value) override;
    void HideProgress() override;
    void Beep() override;
    std::string AskLogPath(const std::string& start) override;
    void SwitchToLive() override;
    std::string AskVoicePath(const std::string& start) override;

    struct Row {
        QLabel* index = nullptr;
        QLabel* text = nullptr;
        QProgressBar* scale = nullptr;
        QLabel* votes = nullptr;
        QLabel* percent = nullptr;
        QLabel* number = nullptr;
        QPushButton* vote = nullptr;
    };

    QPushButton* addButton(const DialogTexts& texts, int id);
    void refreshButtons();
    void showHardwareLines();

    CAirFrameWnd& frame_;
    app::CZentrixApp& app_;
    QtTimerService timers_;
    std::unique_ptr<QtMessageTarget> engineTarget_;
    std::unique_ptr<interactive::CITVModel> model_;
    std::array<Row, interactive::kItvAnswers> rows_{};
    std::vector<QPushButton*> buttons_;
    QLabel* file_ = nullptr;
    QLabel* question_ = nullptr;
    QLabel* thumb_ = nullptr;
    QLabel* total_ = nullptr;
    QCheckBox* showClock_ = nullptr;
    QCheckBox* showTemp_ = nullptr;
    QLineEdit* temp_ = nullptr;
    QGroupBox* gsmBox_ = nullptr;
    QLabel* gsmStatus_ = nullptr;
    QLabel* smsCount_ = nullptr;
    QGroupBox* usbBox_ = nullptr;
    QLabel* usbStatus_ = nullptr;
    bool left_ = false;  // hidden for another view of the frame
};

}  // namespace ui
