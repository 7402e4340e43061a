// The window-system steps of start-up and exit: the splash, the main frame, the first-start
// hardware dialog, and the document or mode opened at start.
#pragma once

#include <memory>

#include "app/zentrix_app.h"

namespace ui {

class CMainFrame;
class CSplashWnd;

class CGuiShell final : public app::AppShell {
public:
    explicit CGuiShell(app::CZentrixApp& app);
    ~CGuiShell() override;

    void showSplash() override;
    void closeSplash() override;
    bool createMainFrame() override;
    void openDocument(int fileType, const std::string& path) override;
    void openHardwareDialog() override;
    void openMode(int command) override;
    void destroySplash() override;
    void activateMainFrame() override;

    CMainFrame* mainFrame() const { return frame_.get(); }
    CSplashWnd* splash() const { return splash_.get(); }
    // Closes the main frame window (after exit).
    void destroyMainFrame();

private:
    app::CZentrixApp& app_;
    std::unique_ptr<CSplashWnd> splash_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace ui
