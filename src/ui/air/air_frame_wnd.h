// The on-air frame on screen: the air controller (air::CAirFrame) in a window with the toolbar of
// transport buttons (Play, Pause, Next, Stop, Effect, Previous, enabled by the controller's
// actions), the two time fields, the status bar with its text pane, the three indicators and
// the progress bar the views may put there, and the hotkeys. The views of the on-air modes
// live inside it; the frame hands the controller's MSG_AIR to the one shown.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>

#include "air/air_content.h"
#include "air/air_frame.h"
#include "ui/mainframe/mode_frames.h"
#include "ui/qt_timer_service.h"

class QAction;
class QLabel;
class QLineEdit;
class QMainWindow;
class QProgressBar;
class QStatusBar;
class QTimer;
class QToolBar;

namespace app {
class CZentrixApp;
}
namespace device {
class CEngine;
}
namespace sms {
class ChatEngine;
}
namespace interactive {
class ItvHardware;
}

namespace ui {

class CAccelTable;
class QtMessageTarget;

// A view of the on-air frame that takes the view commands of the frame's hotkeys ("Render",
// "Refresh list").
class AirViewCommands {
public:
    virtual ~AirViewCommands() = default;
    virtual bool OnViewCommand(int command) = 0;
};

// The status pane's text for the frame's state: what it does, and with what.
QString AirStatusText(const air::AirFrameState& state);

class CAirFrameWnd : public COnAirFrame, public air::AirFrameWindow {
    Q_OBJECT
public:
    // commands: the Device's command operations (over the program's engine); objects: the
    // shared content the controller plays.
    CAirFrameWnd(app::CZentrixApp& app, std::unique_ptr<air::DeviceCommands> commands, const air::AirObjects& objects,
                 QWidget* parent = nullptr);
    ~CAirFrameWnd() override;

    air::CAirFrame& controller() { return *controller_; }
    const air::AirObjects& objects() const { return objects_; }

    // app::AirFrame
    void ShowView(int slot) override;
    void DestroyView(int slot) override;
    void OpenAir(bool automation) override;
    bool CanLeave() override;
    bool PlayPreview(bool sequence) override;

    // air::AirFrameWindow
    void EnableActions(uint16_t actions) override;
    void ShowTimes(const std::string& first, const std::string& second) override;
    void SetIndicator(int pane, int state) override;
    void Beep() override;
    bool EditEffect(air::ShowParams& params, const air::PageMotion* page, bool outApplies, bool scrollApplies) override;
    void RebuildHotkeys(const air::HotkeyTable& table) override;

    // A transport or view command (toolbar, hotkey).
    void OnCommand(int command);
    // "Hotkeys..." of the frame's Settings menu.
    void OnHotkeys();
    // Sees every engine notification (code, value) before the controller does (the remote
    // control tells the Device's requests); nullptr: none.
    void setEngineObserver(std::function<void(int, int)> fn) { engineObserver_ = std::move(fn); }
    // Plays a sequence (".zxs", as a page list), a page (".zxg", alone) or a clock (".zck") chosen
    // by a view. False (with the file's message) when it cannot be read or the frame cannot start
    // now.
    bool PlayFile(const std::string& path);

    // Status bar: the text pane, and a progress bar over it from 80 pixels in (range 0..n). The
    // pane shows the air state and what plays; a text set here stays for a few seconds.
    void SetStatusText(const QString& text);
    // Shows the controller's state in the text pane (a timer calls it; the tests too).
    void RefreshAirState();
    QProgressBar* ShowProgress(int range);
    void HideProgress();

    // The window parts (tests, documentation pictures).
    QAction* action(int command) const;
    QLineEdit* timeField(int index) const { return times_[index]; }
    QLabel* indicator(int pane) const { return indicators_[pane]; }
    int indicatorState(int pane) const { return indicatorStates_[pane]; }
    QLabel* statusText() const { return statusText_; }
    QProgressBar* progress() const { return progress_; }
    QToolBar* toolbar() const { return toolbar_; }
    CAccelTable& accelerators() { return *accel_; }

    // Makes the frame (or, while it is maximized, the main window) large enough for the shown
    // view's preview, within the screen.
    void FitPreview();

private:
    void buildToolbar();
    void buildStatusBar();

    app::CZentrixApp& app_;
    std::unique_ptr<air::DeviceCommands> commands_;
    air::AirObjects objects_;
    QtTimerService timers_;
    QMainWindow* inner_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QAction* actions_[6] = {};
    QLineEdit* times_[2] = {};
    QLabel* statusText_ = nullptr;
    QTimer* stateTimer_ = nullptr;
    qint64 noteUntil_ = 0;  // ms since the epoch until which a set text stays
    QProgressBar* progress_ = nullptr;
    QLabel* indicators_[3] = {};
    int indicatorStates_[3] = {};
    std::unique_ptr<QtMessageTarget> receiver_;
    std::unique_ptr<CAccelTable> accel_;
    std::unique_ptr<air::CAirFrame> controller_;
    std::function<void(int, int)> engineObserver_;
};

// What main.cpp shares with the air frame: the command engine and the application's documents
// and content objects.
struct AirShared {
    device::CEngine* engine = nullptr;
    air::AirObjects objects;
    // The SMS engine of SMS Chat; nullptr = the process's.
    sms::ChatEngine* chatEngine = nullptr;
    // The hardware of the Interactive system; nullptr = the process's engines.
    interactive::ItvHardware* itvHardware = nullptr;
};

// Registers the air frame and the views of its slots in Factories().
void InstallAirFrame(app::CZentrixApp& app, const AirShared& shared);

}  // namespace ui
