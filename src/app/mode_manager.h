// The working modes of the main window: which may open (the mode mask), the open flags, the
// editors' frames and the one on-air frame with a view slot per on-air mode, and the rules for
// opening, switching and closing them. Windows are reached through the small interfaces below,
// so the rules run without a display.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace app {

class CZentrixApp;

// Working modes; the menu command of a mode is ID_MODE_FIRST + mode.
enum Mode : int {
    MODE_PAGE_EDITOR = 0,
    MODE_SEQUENCE_EDITOR = 1,
    MODE_LIVE = 2,
    MODE_AUTOMATION = 3,
    MODE_INTERACTIVE = 4,
    MODE_CAPTIONS = 5,
    MODE_SMS_CHAT = 6,
    MODE_COUNT = 7,
};
constexpr int ID_MODE_FIRST = 32974;
constexpr int ID_MODE_LAST = ID_MODE_FIRST + MODE_COUNT - 1;

// Mode mask bit of the on-air preview opened from the editors.
constexpr uint16_t MASK_PREVIEW = 0x8000;

// Open flags.
enum : uint16_t {
    OPEN_PAGE_EDITOR = 0x01,
    OPEN_SEQUENCE_EDITOR = 0x02,
    OPEN_PREVIEW = 0x04,
    OPEN_LIVE = 0x08,
    OPEN_AUTOMATION = 0x10,
    OPEN_INTERACTIVE = 0x20,
    OPEN_CAPTIONS = 0x40,
    OPEN_SMS_CHAT = 0x80,
    OPEN_ONAIR = 0xFC,
};

// View slots of the on-air frame.
enum AirSlot : int {
    VIEW_PREVIEW = 0,
    VIEW_LIVE = 1,
    VIEW_AUTOMATION = 2,
    VIEW_INTERACTIVE = 3,
    VIEW_CAPTIONS = 4,
    VIEW_SMS_CHAT = 5,
    VIEW_COUNT = 6,
    VIEW_NONE = -1,
};

// String ids of the frame titles.
enum : int {
    IDS_TITLE_AIR = 11023,  // "Live": the plain air frame (preview)
    IDS_TITLE_SMS_CHAT = 11025,
    IDS_TITLE_AUTOMATION = 16001,
    IDS_TITLE_LIVE = 16002,
    IDS_TITLE_INTERACTIVE = 16003,
    IDS_TITLE_CAPTIONS = 16004,
    IDS_NO_FONTS = 14020,
    IDS_REMOTE_NOT_FOUND = 18002,
};

// Table lookups.
bool IsOnAirMode(int mode);
bool ModeNeedsFonts(int mode);
uint16_t OpenFlagOf(int mode);
int SlotOfMode(int mode);  // VIEW_NONE for the editors
int TitleIdOfSlot(int slot);
// The menu text of a mode: the first line of its command's string.
std::string ModeMenuText(int mode);
// True when the folder holds at least one font file (".bmf", any letter case).
bool FolderHoldsFonts(const std::string& folder);

// The frame of an editor (page editor, sequence editor). Destroying it closes its window.
class EditorFrame {
public:
    virtual ~EditorFrame() = default;
    // Sets up the editor's document: a new or the current one when path is empty, else the file.
    // False when that is refused (the mode is then not activated).
    virtual bool Prepare(const std::string& path) = 0;
    // Shows the frame and makes it the active child.
    virtual void Activate() = 0;
    // Consent to close, asking to save changes; false keeps the editor open.
    virtual bool CanClose() { return true; }
};

// The on-air frame (the air controller's window) with its views. Destroying it closes the
// window and stops the air controller.
class AirFrame {
public:
    virtual ~AirFrame() = default;
    virtual void SetTitle(const std::string& title) = 0;
    // Creates the view of a slot inside the frame (hidden until shown).
    virtual void CreateView(int slot) = 0;
    virtual void DestroyView(int slot) = 0;
    // Shows the view of a slot, hides the others, makes it the active view and the frame the
    // active child.
    virtual void ShowView(int slot) = 0;
    // The view's consent to close (the Interactive view asks about its votes).
    virtual bool ViewCanClose(int /*slot*/) { return true; }
    // Enters an air mode: connects the air controller to the Device, in automation form for
    // Automation mode.
    virtual void OpenAir(bool /*automation*/) {}
    // The air controller's consent to leave the mode; it refuses (and beeps) while material is
    // on air or a command is running.
    virtual bool CanLeave() { return true; }
    // Starts playing the editor's current page or sequence in the preview; false when the air
    // controller cannot take it now (something is on air).
    virtual bool PlayPreview(bool /*sequence*/) { return true; }
};

// What the mode manager needs from the main window and the program around it.
class ModeHost {
public:
    virtual ~ModeHost() = default;
    // Creates the frame of MODE_PAGE_EDITOR or MODE_SEQUENCE_EDITOR; nullptr when it cannot.
    virtual std::unique_ptr<EditorFrame> CreateEditorFrame(int mode) = 0;
    // Creates the on-air frame, without views; nullptr when it cannot.
    virtual std::unique_ptr<AirFrame> CreateAirFrame() = 0;
    // The main toolbar is hidden while a mode frame is open.
    virtual void ShowToolbar(bool /*show*/) {}
    // Whether the fonts folder holds fonts (the font list answers once it exists).
    virtual bool FontsPresent(const std::string& fontsFolder) { return FolderHoldsFonts(fontsFolder); }
    // Starts the remote-control program from a folder; false when it cannot be started.
    virtual bool LaunchRemote(const std::string& folder);
    // Tells the operator why a command was refused (the status bar).
    virtual void ShowRefusal(const std::string& /*text*/) {}
};

// The reasons given when the open modes refuse a command.
std::string RefusalOpenMode(int mode);      // another mode while something is on air
std::string RefusalPreview(bool sequence);  // "Play page!" / Play while something is on air
std::string RefusalCloseOnAir();            // the on-air frame's close
std::string RefusalCloseProgram();          // the main window's close
std::string RefusalHardware();              // "Hardware..." while an on-air mode is open

// The state of the open modes and the operations on them. The answers say whether the
// operation did what was asked.
class CModeManager {
public:
    // app gives the mode mask, the settings and the folders.
    CModeManager(ModeHost& host, CZentrixApp& app);
    ~CModeManager();
    CModeManager(const CModeManager&) = delete;
    CModeManager& operator=(const CModeManager&) = delete;

    // A mode command 32974-32980 (menu, toolbar, start-up).
    bool OpenMode(int command);
    // An editor with a file (command line, later the editors' own open commands).
    bool OpenEditor(int mode, const std::string& path);
    // From the editors: the on-air frame with the preview playing their page or sequence.
    bool OpenPreviewPage();
    bool OpenPreviewSequence();
    // From the Interactive view: a Live view in the same on-air frame.
    bool SwitchToLive();
    // From the on-air frame's close command; a refusal says why.
    bool CloseOnAirMode();
    // From an editor frame's close command.
    bool CloseEditor(int mode);
    // From the main frame's close: closes every mode; true when the program may end. Refused
    // while something is on air, with a message box that says so.
    bool CanCloseAll();

    // Whether a mode command may be chosen now (its mask bit).
    bool IsModeAllowed(int command) const;
    uint16_t openFlags() const { return flags_; }
    bool isOpen(uint16_t flag) const { return (flags_ & flag) != 0; }
    bool anyFrame() const;
    AirFrame* airFrame() const { return air_.get(); }
    EditorFrame* editorFrame(int mode) const;
    // The view slot shown in the on-air frame (VIEW_NONE without one).
    int shownSlot() const { return shown_; }
    bool hasView(int slot) const;
    // Why the last refused command was refused (empty when it said nothing).
    const std::string& lastRefusal() const { return refusal_; }

private:
    bool openEditor(int mode, const std::string& path);
    bool openOnAir(int mode);
    bool openPreview(bool sequence);
    bool fontsOk(int mode);
    void showAirView(int slot);
    void destroyAir();
    bool closeOnAir(bool report);
    void refuse(const std::string& text);
    // Leaves every on-air mode; false when one refused.
    bool closeAllOnAir();
    void afterClose();
    void launchRemote();
    uint16_t mask() const;

    ModeHost& host_;
    CZentrixApp& app_;
    uint16_t flags_ = 0;
    std::unique_ptr<EditorFrame> editors_[2];
    std::unique_ptr<AirFrame> air_;
    bool views_[VIEW_COUNT] = {};
    int shown_ = VIEW_NONE;
    int previewFrom_ = MODE_PAGE_EDITOR;
    bool airRefused_ = false;  // the last close was refused by the air controller
    std::string refusal_;
};

}  // namespace app
