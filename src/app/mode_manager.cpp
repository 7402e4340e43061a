#include "app/mode_manager.h"

#include <filesystem>

#include "app/log/event_log.h"
#include "app/message_boxes.h"
#include "app/strings.h"
#include "app/zentrix_app.h"
#include "platform/files.h"

namespace app {

namespace {

struct ModeInfo {
    bool onAir;
    bool needsFonts;
    uint16_t flag;
    int slot;
};

constexpr ModeInfo kModes[MODE_COUNT] = {
    {false, true, OPEN_PAGE_EDITOR, VIEW_NONE},
    {false, false, OPEN_SEQUENCE_EDITOR, VIEW_NONE},
    {true, false, OPEN_LIVE, VIEW_LIVE},
    {true, false, OPEN_AUTOMATION, VIEW_AUTOMATION},
    {true, true, OPEN_INTERACTIVE, VIEW_INTERACTIVE},
    {true, true, OPEN_CAPTIONS, VIEW_CAPTIONS},
    {true, true, OPEN_SMS_CHAT, VIEW_SMS_CHAT},
};

constexpr int kSlotTitles[VIEW_COUNT] = {IDS_TITLE_AIR,         IDS_TITLE_LIVE,     IDS_TITLE_AUTOMATION,
                                         IDS_TITLE_INTERACTIVE, IDS_TITLE_CAPTIONS, IDS_TITLE_SMS_CHAT};

bool validMode(int mode) { return mode >= 0 && mode < MODE_COUNT; }

}  // namespace

bool IsOnAirMode(int mode) { return validMode(mode) && kModes[mode].onAir; }
bool ModeNeedsFonts(int mode) { return validMode(mode) && kModes[mode].needsFonts; }
uint16_t OpenFlagOf(int mode) { return validMode(mode) ? kModes[mode].flag : 0; }
int SlotOfMode(int mode) { return validMode(mode) ? kModes[mode].slot : VIEW_NONE; }
int TitleIdOfSlot(int slot) { return slot >= 0 && slot < VIEW_COUNT ? kSlotTitles[slot] : 0; }
std::string ModeMenuText(int mode) { return FirstLine(LoadString(ID_MODE_FIRST + mode)); }

bool FolderHoldsFonts(const std::string& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(platform::ResolvePath(folder), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (!it->is_regular_file(fec)) continue;
        if (platform::EqualsNoCase(platform::ExtensionOfPath(it->path().filename().string()), ".bmf")) return true;
    }
    return false;
}

// The refusals are strings of the table, so that the status bar shows them translated.
std::string RefusalOpenMode(int mode) { return FormatText(LoadString(33670), {ModeMenuText(mode)}); }
std::string RefusalPreview(bool sequence) { return LoadString(sequence ? 33671 : 33672); }
std::string RefusalCloseOnAir() { return LoadString(33673); }
std::string RefusalCloseProgram() { return LoadString(33674); }
std::string RefusalHardware() { return LoadString(33675); }

bool ModeHost::LaunchRemote(const std::string& folder) {
    // Until the remote-control channel is installed there is nothing to start.
    LogMessage("CZentrixApp::LaunchRemote(%s) : no launcher", folder.c_str());
    return true;
}

CModeManager::CModeManager(ModeHost& host, CZentrixApp& app) : host_(host), app_(app) {}

CModeManager::~CModeManager() {
    // Views and frames go before the host that made them.
    air_.reset();
    editors_[0].reset();
    editors_[1].reset();
}

uint16_t CModeManager::mask() const { return app_.modeMask(); }

bool CModeManager::IsModeAllowed(int command) const {
    int mode = command - ID_MODE_FIRST;
    return validMode(mode) && (mask() & (1u << mode)) != 0;
}

bool CModeManager::anyFrame() const { return air_ || editors_[0] || editors_[1]; }

EditorFrame* CModeManager::editorFrame(int mode) const {
    return mode == MODE_PAGE_EDITOR || mode == MODE_SEQUENCE_EDITOR ? editors_[mode].get() : nullptr;
}

bool CModeManager::hasView(int slot) const { return slot >= 0 && slot < VIEW_COUNT && air_ && views_[slot]; }

bool CModeManager::fontsOk(int mode) {
    if (!ModeNeedsFonts(mode)) return true;
    std::string folder = app_.GetPath(FOLDER_FONTS);
    if (host_.FontsPresent(folder)) return true;
    MessageBoxId(IDS_NO_FONTS, MB_OK | MB_ICONERROR, {folder});
    return false;
}

bool CModeManager::OpenMode(int command) {
    int mode = command - ID_MODE_FIRST;
    if (!IsModeAllowed(command)) {
        LogMessage("CZentrixApp::OpenMode(%d) : not allowed", command);
        return false;
    }
    if (!fontsOk(mode)) return false;
    if (!IsOnAirMode(mode)) return openEditor(mode, {});
    return openOnAir(mode);
}

bool CModeManager::OpenEditor(int mode, const std::string& path) {
    if (mode != MODE_PAGE_EDITOR && mode != MODE_SEQUENCE_EDITOR) return false;
    if (!IsModeAllowed(ID_MODE_FIRST + mode)) return false;
    if (!fontsOk(mode)) return false;
    return openEditor(mode, path);
}

bool CModeManager::openEditor(int mode, const std::string& path) {
    std::unique_ptr<EditorFrame>& frame = editors_[mode];
    bool created = false;
    if (!frame) {
        frame = host_.CreateEditorFrame(mode);
        if (!frame) return false;
        created = true;
    }
    // A new frame sets up its document; an open one only when it is given a file.
    if ((created || !path.empty()) && !frame->Prepare(path)) {
        if (created) frame.reset();
        return false;
    }
    host_.ShowToolbar(false);
    frame->Activate();
    flags_ |= OpenFlagOf(mode);
    return true;
}

void CModeManager::showAirView(int slot) {
    air_->SetTitle(LoadString(TitleIdOfSlot(slot)));
    air_->ShowView(slot);
    shown_ = slot;
}

bool CModeManager::openOnAir(int mode) {
    int slot = SlotOfMode(mode);
    uint16_t flag = OpenFlagOf(mode);
    if (air_) {
        if (flags_ & flag) {
            // Already open: bring its view to the front (the Interactive view over Live too).
            host_.ShowToolbar(false);
            showAirView(slot);
            return true;
        }
        if (mode == MODE_LIVE && (flags_ & OPEN_INTERACTIVE)) return SwitchToLive();
        // One on-air mode at a time: leave the current one first, with the air controller's
        // consent, rather than mixing two modes' views in one frame.
        if (!closeAllOnAir()) {
            if (air_ && shown_ != VIEW_NONE) air_->ShowView(shown_);
            refuse(RefusalOpenMode(mode));
            return false;
        }
    }
    air_ = host_.CreateAirFrame();
    if (!air_) return false;
    air_->CreateView(slot);
    views_[slot] = true;
    host_.ShowToolbar(false);
    showAirView(slot);
    flags_ |= flag;
    LogMessage("CZentrixApp::OpenMode() : %s", ModeMenuText(mode).c_str());
    air_->OpenAir(mode == MODE_AUTOMATION);
    if (mode == MODE_LIVE || mode == MODE_AUTOMATION) launchRemote();
    return true;
}

void CModeManager::launchRemote() {
    const Settings& s = app_.settings();
    if (s.remote != 1) return;
    std::string folder = s.remotePath.empty() ? app_.GetPath(FOLDER_ROOT) : s.remotePath;
    if (!host_.LaunchRemote(folder)) MessageBoxId(IDS_REMOTE_NOT_FOUND, MB_OK | MB_ICONERROR);
}

bool CModeManager::OpenPreviewPage() { return openPreview(false); }
bool CModeManager::OpenPreviewSequence() { return openPreview(true); }

bool CModeManager::openPreview(bool sequence) {
    refusal_.clear();
    if (!(mask() & MASK_PREVIEW)) return false;
    if (air_ && !(flags_ & OPEN_PREVIEW)) {
        // Another on-air mode holds the frame: the preview takes its place when that mode may be
        // left (nothing on air), as choosing another mode would.
        if (!closeAllOnAir()) {
            if (air_ && shown_ != VIEW_NONE) air_->ShowView(shown_);
            refuse(RefusalPreview(sequence));
            return false;
        }
    }
    bool created = false;
    if (!air_) {
        air_ = host_.CreateAirFrame();
        if (!air_) return false;
        air_->CreateView(VIEW_PREVIEW);
        views_[VIEW_PREVIEW] = true;
        created = true;
    }
    previewFrom_ = sequence ? MODE_SEQUENCE_EDITOR : MODE_PAGE_EDITOR;
    host_.ShowToolbar(false);
    showAirView(VIEW_PREVIEW);
    flags_ |= OPEN_PREVIEW;
    if (created) air_->OpenAir(false);
    if (!air_->PlayPreview(sequence)) {
        refuse(RefusalPreview(sequence));
        return false;
    }
    return true;
}

bool CModeManager::SwitchToLive() {
    if (!air_ || !(flags_ & OPEN_INTERACTIVE)) return OpenMode(ID_MODE_FIRST + MODE_LIVE);
    if (!IsModeAllowed(ID_MODE_FIRST + MODE_LIVE)) return false;
    if (!views_[VIEW_LIVE]) {
        air_->CreateView(VIEW_LIVE);
        views_[VIEW_LIVE] = true;
    }
    showAirView(VIEW_LIVE);
    flags_ |= OPEN_LIVE;
    return true;
}

void CModeManager::destroyAir() {
    air_.reset();
    for (bool& v : views_) v = false;
    shown_ = VIEW_NONE;
    flags_ &= uint16_t(~OPEN_ONAIR);
}

void CModeManager::refuse(const std::string& text) {
    LogMessage("CZentrixApp : %s", text.c_str());
    refusal_ = text;
    host_.ShowRefusal(text);
}

bool CModeManager::CloseOnAirMode() { return closeOnAir(true); }

bool CModeManager::closeOnAir(bool report) {
    if (!air_) return true;
    airRefused_ = false;
    if (!air_->CanLeave()) {
        airRefused_ = true;
        if (report) refuse(RefusalCloseOnAir());
        return false;
    }
    if (flags_ & OPEN_PREVIEW) {
        destroyAir();
        // Back to the editor the preview came from, else the other one.
        int other = previewFrom_ == MODE_PAGE_EDITOR ? MODE_SEQUENCE_EDITOR : MODE_PAGE_EDITOR;
        if (editors_[previewFrom_]) editors_[previewFrom_]->Activate();
        else if (editors_[other]) editors_[other]->Activate();
    } else if ((flags_ & OPEN_LIVE) && (flags_ & OPEN_INTERACTIVE)) {
        // Live over the Interactive system: back to the Interactive view in the same frame.
        air_->DestroyView(VIEW_LIVE);
        views_[VIEW_LIVE] = false;
        flags_ &= uint16_t(~OPEN_LIVE);
        showAirView(VIEW_INTERACTIVE);
    } else if (flags_ & OPEN_INTERACTIVE) {
        if (!air_->ViewCanClose(VIEW_INTERACTIVE)) return false;
        destroyAir();
    } else {
        destroyAir();
    }
    afterClose();
    return true;
}

bool CModeManager::CloseEditor(int mode) {
    EditorFrame* frame = editorFrame(mode);
    if (!frame) return true;
    if (!frame->CanClose()) return false;
    editors_[mode].reset();
    flags_ &= uint16_t(~OpenFlagOf(mode));
    afterClose();
    return true;
}

bool CModeManager::closeAllOnAir() {
    // Live over the Interactive system takes two closes; never more than that.
    for (int i = 0; i < 3 && air_; ++i)
        if (!closeOnAir(false)) return false;
    return !air_;
}

bool CModeManager::CanCloseAll() {
    closeAllOnAir();
    if (flags_ & OPEN_ONAIR) {
        // A view that asked the operator (the Interactive system's votes) has had its say.
        if (!airRefused_) return false;
        refuse(RefusalCloseProgram());
        MessageBoxText(RefusalCloseProgram(), MB_OK | MB_ICONWARNING);
        return false;
    }
    // An editor that refuses (to save its changes) keeps the program running.
    if (!CloseEditor(MODE_PAGE_EDITOR)) return false;
    return CloseEditor(MODE_SEQUENCE_EDITOR);
}

void CModeManager::afterClose() {
    if (!anyFrame()) host_.ShowToolbar(true);
}

}  // namespace app
