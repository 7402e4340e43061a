// CTitrModel: what Live mode's view decides. The operator picks an item of the titles tree; the
// model loads it (a title's template page and its fields, a sequence and its list, a clock's or
// a banner's preview, a clip, a video playlist), fills a title's fields and compiles it, and
// starts the air frame on it. The view shows the model and forwards the operator's commands.
//
// The model reads titles and sequences into documents of its own: the sequence editor's
// document is never touched, and the air frame plays the model's sequence.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "air/air_frame.h"
#include "air/seq_doc.h"
#include "air/show_params.h"
#include "air/titles_tree.h"
#include "pages/bitmap32.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"

namespace app {
class CZentrixApp;
class Profile;
}  // namespace app
namespace pages {
class CFontManager;
}

namespace air {

enum : int {
    IDS_TITR_NO_FONTS = 14020,
    IDS_TITR_RENDERING = 14046,
    IDS_TITR_EMPTY_SEQUENCE = 16024,
    IDS_TITR_RESTORE_PREVIOUS = 22174,
    IDS_TITR_RESTORE_PREVIEW = 22177,
};

inline constexpr int kTitleFieldCount = 4;
inline constexpr int kTitrColumnCount = 4;

// Section "Titr".
struct TitrSettings {
    std::array<int, kTitrColumnCount> columns{48, 48, 160, 160};  // "Check", "Time", "Page", "Abstract"
    int leftWidth = 300;
    int fastLoad = 0;
    std::vector<bool> nodes;  // "Node%d": the top-level nodes' expanded states
    // Titles compile without checksums (Device models that do without them).
    bool noChecksums = false;

    static TitrSettings Load(const app::Profile& ini, int nodeCount);
    void Save(app::Profile& ini) const;
};

// A title's fill-in field: an unlocked frame of its template page.
struct TitleField {
    int frame = 0;      // index of the page frame
    std::string label;  // the frame's name
    std::string text;   // 8-bit, in the program's code page
};

// A title's template, read as Live mode reads it: the sequence's first item's page with its
// frames, the fields of its unlocked frames (at most four) with the frames' texts. A file result
// code of the sequence or the page, or TITLE_EMPTY for a sequence without items.
inline constexpr int TITLE_EMPTY = -1;
int LoadTitleTemplate(const std::string& path, CSeqDoc& sequence, pages::CPageDoc& page, pages::CPageImage& image,
                      std::vector<TitleField>& fields);
// Fills a title as "Render" does: each field's text trimmed and put into its frame, the page
// compiled with options; answers the summary ("[frame]:[text]" pairs joined by ",", CR LF as
// blanks).
std::string FillTitle(pages::CPageDoc& page, pages::CPageImage& image, std::vector<TitleField>& fields, int options,
                      pages::CompileProgress* progress = nullptr);
// The compile options of a title: 7 with the filter flag, else 5, and 4096 without checksums.
int TitleCompileOptions(bool filtered, bool noChecksums);

// One row of the sequence list.
struct TitrRow {
    std::string check;  // the play order from 1 for a checked item, else empty
    std::string time;   // "%d:%02d"
    std::string page;
    std::string abstract;
};

// The view's side: the progress bar in the air frame's status bar, and the panel to refresh.
class TitrPanel {
public:
    virtual ~TitrPanel() = default;
    virtual void ShowProgress(const std::string& /*text*/, int /*range*/) {}
    virtual void StepProgress(int /*value*/) {}
    virtual void HideProgress() {}
};

// The title text cache: the last texts entered for each title, kept while the view lives.
class TitleTextCache {
public:
    // nullptr when the title has not been played.
    const std::vector<std::string>* find(const std::string& path) const;
    std::vector<std::string>& add(const std::string& path);
    size_t size() const { return entries_.size(); }

private:
    std::vector<std::pair<std::string, std::vector<std::string>>> entries_;
};

class CTitrModel {
public:
    // Results of Select.
    enum SelectResult : int {
        SELECT_REFUSED = 0,  // the selection is removed (the air frame is busy)
        SELECT_NOTHING = 1,  // a group or a folder
        SELECT_LOADED = 2,
        SELECT_FAILED = 3,  // the file's message was shown; nothing is selected
    };

    // objects: the frame's content objects (clock, banner, players, video playlist, remote).
    CTitrModel(app::CZentrixApp& app, pages::CFontManager& fonts, CAirFrame& frame, const AirObjects& objects,
               const platform::Clock& clock);
    ~CTitrModel();
    CTitrModel(const CTitrModel&) = delete;
    CTitrModel& operator=(const CTitrModel&) = delete;

    void setPanel(TitrPanel* panel) { panel_ = panel ? panel : &nullPanel_; }

    // ---- The tree ----
    // Rebuilds the tree, keeping the top-level nodes' expanded states.
    void BuildTree();
    const std::vector<TitlesNode>& tree() const { return tree_; }
    void setExpanded(size_t topLevel, bool expanded);
    // The kinds this program can play (the others are listed greyed).
    int playableKinds() const;

    // ---- Selection ----
    SelectResult Select(const TitlesNode& node);
    // Forgets the selection (the view removes it in the tree).
    void Unselect();
    int selectedKind() const { return selectedKind_; }
    const std::string& selectedName() const { return selectedName_; }
    const std::string& selectedPath() const { return selectedPath_; }

    // ---- Title ----
    const std::vector<TitleField>& titleFields() const { return fields_; }
    // A field's text as typed (8-bit).
    void setFieldText(int field, std::string text);
    const ShowParams& titleParams() const { return titleParams_; }
    bool titleFiltered() const { return titleFiltered_; }
    const TitleTextCache& cache() const { return cache_; }
    const pages::CPageDoc& titlePage() const { return titlePage_; }
    const pages::CPageImage& titleImage() const { return titleImage_; }
    // The summary of the last Render ("[frame]:[text]" pairs).
    const std::string& lastSummary() const { return lastSummary_; }

    // ---- Render ("Render", F2): plays the selection. False when nothing was started. ----
    bool Render();
    // "Render", "Edit" and the list are enabled.
    bool CanRender() const;

    // ---- Loop, fast mode, restore input ----
    bool loop() const { return loop_; }
    void SetLoop(bool loop);
    bool fastLoad() const { return settings_.fastLoad != 0; }
    void setFastLoad(bool on) { settings_.fastLoad = on ? 1 : 0; }
    // The combo's entries: "On preview", "Previous", then the switcher's sources.
    std::vector<std::string> RestoreChoices() const;
    int restoreIndex() const { return restoreIndex_; }
    void setRestoreIndex(int index);

    // ---- Sequence list ----
    CSeqDoc& sequence() { return sequence_; }
    const CSeqDoc& sequence() const { return sequence_; }
    std::vector<TitrRow> Rows() const;
    // "Check" column or space bar.
    void ToggleCheck(int row);
    // Double-click: that page alone with its own show parameters. False when it cannot load.
    bool PlayRow(int row);
    int playedRow() const { return playedRow_; }
    // "&Up" / "&Down": the row's new index (the same when it cannot move).
    int MoveRow(int row, int step);
    // "&Save As...": a sequence result code; the tree is rebuilt and the saved file selected.
    int SaveSequenceAs(const std::string& path);

    // ---- A file dropped onto the view ----
    // A sequence (".zxs") is selected as if chosen in the tree and cued; a page (".zxg") is cued
    // alone with the default show parameters. False (with the file's message) when it cannot be
    // read or the frame cannot start now.
    bool CueFile(const std::string& path);

    // ---- Video playlist "Edit" ----
    bool EditPlaylist();
    // The editor on a new video playlist (from the view's menu): true when one was saved (the
    // tree is rebuilt then).
    bool EditNewPlaylist();
    bool CanEditPlaylists() const { return (playableKinds() & TITR_VIDEO_PLAYLIST) != 0; }

    // ---- The air frame's MSG_AIR ----
    // Code 3: the on-air preview; answers the list row to show as played (-1 none).
    int OnAirNote(int code, intptr_t value);
    const pages::CBitmap32& onAirPreview() const { return onAirPreview_; }
    const pages::CBitmap32& preview() const { return preview_; }

    // ---- Settings ----
    TitrSettings& settings() { return settings_; }
    // Destroy: the column widths, expanded states, "LeftWidth" and "FastLoad" go to the INI file.
    void SaveSettings();

    // The field text with what a title does to it: blanks trimmed at both ends.
    static std::string TrimField(std::string_view text);
    // Replaces a frame's text, keeping the formats of its first paragraph and run. A line feed
    // starts a paragraph; other control characters are dropped.
    static void ReplaceFrameText(pages::CPageFrame& frame, std::string_view text);

private:
    bool loadTitle(const std::string& path);
    bool loadSequence(const std::string& path);
    bool loadClock(const std::string& path);
    bool loadBanner(const std::string& path);
    bool loadVideoPlaylist(const std::string& path);
    bool renderTitle();
    void clearSelection();
    bool busyKind() const;

    app::CZentrixApp& app_;
    pages::CFontManager& fonts_;
    CAirFrame& frame_;
    AirObjects obj_;
    TitrPanel nullPanel_;
    TitrPanel* panel_ = &nullPanel_;

    TitrSettings settings_;
    std::vector<TitlesNode> tree_;

    int selectedKind_ = TITR_NONE;
    std::string selectedName_;
    std::string selectedPath_;
    std::vector<TitleField> fields_;
    ShowParams titleParams_;
    bool titleFiltered_ = false;
    std::string titlePageName_;  // the template's name as the sequence stores it
    bool loop_ = false;
    int playedRow_ = -1;
    int restoreIndex_ = 0;
    std::string lastSummary_;

    TitleTextCache cache_;
    pages::CPageDoc titlePage_;
    pages::CPageImage titleImage_;
    pages::CPageDoc rowPage_;  // a row played alone
    pages::CPageImage rowImage_;
    CSeqDoc sequence_;
    pages::CBitmap32 preview_;
    pages::CBitmap32 onAirPreview_;
};

}  // namespace air
