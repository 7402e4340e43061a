// The "Sequence editor" mode: a frame with the editor's menus, toolbar and three-pane status bar
// around the grid (CSeqView), over the program's one sequence document. Files (new, open, save,
// save as, save as title), pages (add with the page editor, add files, check, dates, effects,
// order, removal), the clipboard, the page editor's saves, and playing the sequence in the
// on-air preview. The rules live in air::CSeqEditor.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "air/air_frame.h"
#include "air/seqedit/seq_editor.h"
#include "ui/mainframe/mode_frames.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

namespace ui {

class CSeqView;

// Command ids of the editor (menu 130 and the grid's context menu 600).
enum SeqCommand : int {
    ID_SEQ_CHECK = 32901,
    ID_SEQ_CHECK_BY_DATE = 32902,
    ID_SEQ_REMOVE_UNCHECKED = 32903,
    ID_SEQ_DOWN = 32904,
    ID_SEQ_SET_DATE = 32905,
    ID_SEQ_CHANGE_EFFECT = 32906,
    ID_SEQ_UP = 32907,
    ID_SEQ_ADD_FILES = 32910,
    ID_SEQ_ADD_PAGE = 32911,
    ID_SEQ_PAGE_EDITOR = 32913,
    ID_SEQ_PLAY = 32914,
    ID_SEQ_REVERSE_SORT = 32915,
    ID_SEQ_NEW = 32916,
    ID_SEQ_OPEN = 32917,
    ID_SEQ_REFRESH = 32919,
    ID_SEQ_SAVE = 32920,
    ID_SEQ_SAVE_AS_TITLE = 32921,
    ID_SEQ_SAVE_AS = 32922,
    ID_SEQ_LOOP = 32943,
    ID_SEQ_DEF_EFFECT = 32945,
    ID_SEQ_CLOSE = 57602,
    ID_SEQ_EXIT = 57665,
    ID_SEQ_COPY = 57634,
    ID_SEQ_CUT = 57635,
    ID_SEQ_PASTE = 57637,
    ID_SEQ_SELECT_ALL = 57642,
};

enum : int {
    IDR_SEQ_EDITOR = 130,
    IDR_SEQ_CONTEXT = 600,
    IDS_SEQ_TOOLBAR = 33800,
    IDS_SEQ_NEW_SEQUENCE = 33801,
    IDS_SEQ_PANE_PAGES = 33802,
    IDS_SEQ_PANE_TOTAL = 33803,
    IDS_SEQ_PANE_TOTAL_LOOP = 33804,
    IDS_SEQ_SAVED = 33805,
    IDS_SEQ_SAVED_AS_TITLE = 33806,
    IDS_SEQ_NO_PREVIEW = 33807,
    IDS_SEQ_OPEN_TITLE = 33808,
    IDS_SEQ_SAVE_TITLE = 33809,
    IDS_SEQ_SAVE_TITLE_TITLE = 33810,
    IDS_SEQ_ADD_FILES_TITLE = 33811,
    IDS_SEQ_REPLACE_TITLE = 33812,
};

class CSeqFrame final : public CEditorFrame {
    Q_OBJECT
public:
    // objects: the program's sequence, and the page document and image that the preview plays.
    explicit CSeqFrame(const air::AirObjects& objects, QWidget* parent = nullptr);
    ~CSeqFrame() override;

    // app::EditorFrame: the current sequence (empty path) or the file.
    bool Prepare(const std::string& path) override;
    bool CanClose() override;
    void Activate() override;

    air::CSeqEditor& editor() { return ed_; }
    air::CSeqDoc& document() { return *objects_.sequence; }
    CSeqView* view() const { return view_; }
    QMainWindow* window() const { return main_; }
    QAction* action(int command) const;
    QMenu* contextMenu() const { return context_; }
    QLabel* statusPane(int i) const { return panes_[i]; }
    const air::SeqEditorSettings& settings() const { return settings_; }

    // ---- Commands (the menus call these; the tests too). Those with a file name ask nothing
    // but the question about unsaved changes.
    void OnCommand(int command);
    bool NewSequence();
    bool OpenFile(const std::string& path);
    bool Save();
    bool SaveTo(const std::string& path);
    bool SaveAsTitle(const std::string& path);
    void AddFiles(const std::vector<std::string>& paths);
    // A cell of an item row activated: what each column does.
    void ActivateCell(int item, int column);
    // Clicking a column header: sort after question 15024.
    void SortByColumn(int column);
    // Previews an item's page on air with its show parameters.
    void PreviewItem(int item);
    // The page editor on the item's page, or on a new page for it.
    void EditPage(int item, bool newPage);
    // "Add page": the page editor on a new page; its first save joins the sequence.
    void AddPage();
    // A page saved by the page editor.
    void OnPageSaved(const std::string& path);

    // Shows the document again (grid, title, status, commands).
    void Refresh();

private:
    void buildActions();
    void buildMenus();
    void updateCommands();
    void updateTitle();
    bool askToSave();
    bool haveSelection();
    void changeEffect();
    void setShowDate();
    void checkByDate();
    void replacePage(int item);
    void defaultEffect();
    std::string askOpenSequence();
    std::string askSaveSequence(int folder, const std::string& proposed);
    std::vector<std::string> askPageFiles(bool several);
    QAction* add(int command, const QKeySequence& key = {});

    air::AirObjects objects_;
    air::CSeqEditor ed_;
    air::SeqEditorSettings settings_;
    QMainWindow* main_ = nullptr;
    CSeqView* view_ = nullptr;
    QMenu* context_ = nullptr;
    QLabel* panes_[3] = {};
    std::map<int, QAction*> actions_;
};

// Puts the sequence editor into the main frame's mode factories (the page editor's entry, if
// any, stays), over the program's shared objects.
void RegisterSequenceEditor(const air::AirObjects& objects);

}  // namespace ui
