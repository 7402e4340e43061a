// The "Page editor" mode: a frame with the editor's menus and toolbars around the page view,
// over one page document and its compiled page. Files (new, from a template, open, save, save
// as), formatting, styles, pictures, text import, undo and redo, and "Play page!".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pages/editor/page_editor.h"
#include "pages/page_doc.h"
#include "ui/mainframe/mode_frames.h"

class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QMenu;
class QScrollArea;

namespace pages {
class CFontManager;
}

namespace ui {

class CPageView;

// The editor's commands (pages::CMD_...), for menus, toolbars and tests.
using pages::EditorCommand;
using enum pages::EditorCommand;

enum : int {
    IDR_PAGE_EDITOR = 129,
    IDR_PAGE_EDITOR_CONTEXT = 132,
    // A command's id (its menu item, and the string with its status text and tooltip).
    ID_EDITOR_FIRST = 34000,
    IDS_PE_OPEN_PAGE = 33700,
    IDS_PE_IMPORT_TEXT = 33701,
    IDS_PE_LINK_BANNER = 33702,
    IDS_PE_SAVE_PAGE = 33703,
    IDS_PE_SAVED = 33704,
    IDS_PE_TOOLBAR_FILE = 33705,
    IDS_PE_TOOLBAR_FRAME = 33706,
    IDS_PE_TOOLBAR_FORMAT = 33707,
    IDS_PE_TOOLBAR_VIEW = 33708,
    IDS_PE_STYLE_TIP = 33709,
    IDS_PE_FONT_TIP = 33710,
    IDS_PE_ZOOM_TIP = 33711,
    IDS_PE_FIT_PAGE = 33712,
    IDS_PE_STATUS_FRAME = 33713,
    IDS_PE_STATUS_LOCKED = 33714,
    IDS_PE_STATUS_TOO_LONG = 33715,
    IDS_PE_STATUS_NONE = 33716,
    IDS_PE_STATUS_ZOOM = 33717,
    IDS_PE_UNDO_STEP = 33723,
    IDS_PE_REDO_STEP = 33724,
};
constexpr int CommandId(EditorCommand c) { return ID_EDITOR_FIRST + int(c); }

class CPageEditorFrame final : public CEditorFrame {
    Q_OBJECT
public:
    explicit CPageEditorFrame(pages::CFontManager& fonts, QWidget* parent = nullptr);
    ~CPageEditorFrame() override;

    // app::EditorFrame: a new page (through "Create new page") or the file; false when refused.
    bool Prepare(const std::string& path) override;
    bool CanClose() override;
    void Activate() override;

    pages::CPageEditor& editor() { return *ed_; }
    pages::CPageDoc& document() { return doc_; }
    CPageView* view() const { return view_; }
    QAction* action(EditorCommand c) const { return actions_[c]; }
    QComboBox* styleBox() const { return styleBox_; }
    QComboBox* fontBox() const { return fontBox_; }
    QComboBox* zoomBox() const { return zoomBox_; }
    QMainWindow* window() const { return main_; }
    QString statusText() const;

    // --- Commands (the menus call these; the tests too) -------------------------------------
    // "Create new page": asks to save, then empty or from a template. False when cancelled.
    bool NewPage();
    // Opens a page file (after asking to save the current one). False when cancelled or failed.
    bool OpenFile(const std::string& path);
    // Saves to the document's file, or asks for a name when it has none. False on failure or
    // cancel.
    bool Save();
    bool SaveAs();
    // Saves under a name without asking (re-rendering first when needed).
    bool SaveTo(const std::string& path);
    void PlayPage();
    void ImportTextFile(const std::string& path);
    void ImportFramePicture(const std::string& path);
    void ImportBackground(const std::string& path);
    // "Link banner..." with a chosen banner file; its file message when it cannot be read.
    void LinkBannerFile(const std::string& path);
    void ChooseStyle(int index);
    void AddStyleToLibrary();
    void EditStyles();
    // The Templates folder's page files, by title.
    std::vector<std::string> TemplateNames() const;

    // Called after the editor's model changed: picture, toolbars, title.
    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The zoom choices of the toolbar; "Fit page" comes after them.
    static constexpr int kZooms[] = {25, 50, 75, 100, 150, 200, 300, 400};

    // The action table, menus and toolbars (page_editor_actions.cpp).
    void buildActions();
    void buildMenus();
    void buildToolbars();
    void updateCommands();
    void updateTitle();
    void fillStyleBox();
    void fillFontBox();
    void loadReferenceBackground(bool report);
    void applyZoomChoice(int index);
    std::string templatePath(const std::string& title) const;
    std::string askSavePath();
    QAction* add(EditorCommand c, const QKeySequence& key = {});

    pages::CFontManager& fonts_;
    pages::CPageDoc doc_;
    std::unique_ptr<pages::CPageEditor> ed_;
    QMainWindow* main_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    CPageView* view_ = nullptr;
    QAction* actions_[CMD_COUNT] = {};
    QComboBox* styleBox_ = nullptr;
    QComboBox* fontBox_ = nullptr;
    QComboBox* zoomBox_ = nullptr;
    QLabel* status_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    bool prepared_ = false;
    bool updating_ = false;
    bool fitZoom_ = false;
    QString undoText_, redoText_;
};

// Puts the page editor into the main frame's mode factories (the sequence editor's entry, if
// any, stays).
void RegisterPageEditor();

}  // namespace ui
