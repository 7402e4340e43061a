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
    QAction* add(EditorCommand c, const QString& text, const QKeySequence& key = {});

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
};

// Puts the page editor into the main frame's mode factories (the sequence editor's entry, if
// any, stays).
void RegisterPageEditor();

}  // namespace ui
