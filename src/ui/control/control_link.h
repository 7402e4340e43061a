// The remote control in the operator's program: when [Control] Enabled is 1 the control
// interface listens from the start, and reaches whichever on-air mode is open. Transport actions
// and the state work in every on-air mode; titles and files are started in Live mode, through its
// view, so that the operator sees what the remote chose. A lamp in the status bar says where it
// listens (or why it does not).
#pragma once

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "control/control_server.h"
#include "control/live_control.h"

namespace pages {
class CFontManager;
}

namespace ui {

class CGuiShell;
class CAirFrameWnd;
class CTitrView;
class QtMessageTarget;

class CGuiControlHost final : public control::LiveControl {
public:
    // Where the open on-air frame is (nullptr: none), and which view slot it shows.
    struct Finder {
        std::function<CAirFrameWnd*()> airWindow;
        std::function<int()> shownSlot;
    };
    CGuiControlHost(app::CZentrixApp& app, pages::CFontManager& fonts, Finder finder);
    ~CGuiControlHost() override;
    platform::MessageTarget& target();

protected:
    air::CAirFrame* frame() override;
    air::CTitrModel* model() override;
    std::string mode() override;
    air::AirFrameWindow* window() override;
    air::CTitrModel::SelectResult select(const air::TitlesNode& node) override;
    bool render() override;
    bool cuePage(const std::string& path) override;
    void setFieldText(int field, const std::string& text) override;

private:
    CAirFrameWnd* airWindow() const;
    CTitrView* liveView() const;

    Finder finder_;
    std::unique_ptr<QtMessageTarget> target_;
    QTimer timer_;
    CAirFrameWnd* watched_ = nullptr;  // the frame whose engine notes are followed
};

class CControlLink {
public:
    // Reads [Control]; starts the server when it is enabled. program: the program output (the
    // embedded Device's), or empty.
    CControlLink(app::CZentrixApp& app, pages::CFontManager& fonts, CGuiShell& shell, control::ProgramGrabber program);
    ~CControlLink();

    bool running() const { return server_ && server_->running(); }
    // "Remote control: http://127.0.0.1:8139/" or why it does not listen; "" when it is off.
    const QString& status() const { return status_; }
    bool failed() const { return failed_; }
    // The lamp for the main window's status bar, made once and kept up to date by restart();
    // hidden while the remote control is off.
    QLabel* makeLamp(QWidget* parent);
    // Reads [Control] again (the settings dialog changed it) and starts or stops accordingly.
    void restart();
    void stop();

private:
    void start();
    void updateLamp();

    app::CZentrixApp& app_;
    pages::CFontManager& fonts_;
    CGuiShell& shell_;
    control::ProgramGrabber program_;
    std::unique_ptr<CGuiControlHost> host_;
    std::unique_ptr<control::ControlServer> server_;
    QString status_;
    bool failed_ = false;
    QPointer<QLabel> lamp_;
};

}  // namespace ui
