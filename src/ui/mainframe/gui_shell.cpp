#include "ui/mainframe/gui_shell.h"

#include "app/file_types.h"
#include "app/mode_manager.h"
#include "ui/mainframe/main_frame.h"
#include "ui/mainframe/splash_wnd.h"
#include "ui/text.h"

namespace ui {

CGuiShell::CGuiShell(app::CZentrixApp& app) : app_(app) {}

CGuiShell::~CGuiShell() {
    frame_.reset();
    splash_.reset();
}

void CGuiShell::showSplash() {
    splash_ = std::make_unique<CSplashWnd>(app_.is400M());
    splash_->start();
}

void CGuiShell::closeSplash() {
    if (splash_) splash_->close();
}

bool CGuiShell::createMainFrame() {
    SetProgramCodePage(app_.settings().codePage);
    frame_ = std::make_unique<CMainFrame>(app_);
    frame_->ShowWithLayout();
    // The splash stays above the new window for the rest of its time.
    if (splash_ && splash_->isVisible()) splash_->raise();
    return true;
}

void CGuiShell::openDocument(int fileType, const std::string& path) {
    if (!frame_) return;
    frame_->modes().OpenEditor(fileType == app::FT_PAGE ? app::MODE_PAGE_EDITOR : app::MODE_SEQUENCE_EDITOR, path);
    frame_->RefreshModes();
}

void CGuiShell::activateMainFrame() {
    if (!frame_) return;
    if (frame_->isMinimized()) frame_->showNormal();
    frame_->raise();
    frame_->activateWindow();
}

void CGuiShell::openHardwareDialog() {
    closeSplash();  // it stays on top and would hide the dialog
    if (frame_) frame_->OnHardware();
}

void CGuiShell::openMode(int command) {
    if (!frame_) return;
    frame_->modes().OpenMode(command);
    frame_->RefreshModes();
}

void CGuiShell::destroySplash() { splash_.reset(); }

void CGuiShell::destroyMainFrame() { frame_.reset(); }

}  // namespace ui
