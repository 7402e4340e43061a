// The video dialogs: "Edit video playlist" (the clips of the video folder beside a ".vid"
// playlist, with "Edit transition effect", "Default transition", "Edit description" and
// "Confirm deleting") and "Edit playlist" (the air playlist: two tracks of timed clips and the
// timed switcher buttons, with the dialogs that add a clip or a button). What they do is
// video::CVideoListEditor's and video::CPlaylist's; these only show it and ask.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "video/playlist.h"
#include "video/video_list_editor.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace app {
class CZentrixApp;
}

namespace ui {

enum : int {
    IDD_VIDEO_PLAYLIST = 336,
    IDD_TRANSITION = 337,
    IDD_AIR_PLAYLIST = 338,
    IDD_ADD_CLIP = 339,
    IDD_ADD_BUTTON = 340,
    IDD_CONFIRM_DELETE = 341,
};

// Asks for a file of a type (app::FT_...): an open dialog, or a save dialog proposing a path.
// "" when cancelled. The dialogs use the program's file dialogs unless given another.
using FileChooser = std::function<std::string(QWidget* parent, bool save, int type, const std::string& proposed)>;

// "Edit transition effect" on a row, or "Default transition" (no extra commands then).
class CTransitionDlg : public QDialog {
    Q_OBJECT
public:
    CTransitionDlg(const video::TransitionEdit& edit, bool defaults, QWidget* parent = nullptr);
    video::TransitionEdit edit() const;

    QComboBox* transition = nullptr;
    QSpinBox* interleave = nullptr;
    QSpinBox* spacing = nullptr;
    QComboBox* extras[video::kRowExtras] = {};
};

// "Confirm deleting": the playlists that play the clip; Yes deletes it.
class CConfirmDeleteDlg : public QDialog {
    Q_OBJECT
public:
    CConfirmDeleteDlg(const std::vector<std::string>& playlists, QWidget* parent = nullptr);
    QTreeWidget* list = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
};

// "Edit video playlist" on a file ("" for a new playlist). Saving writes the file; the caller
// reads it again when saved() says so.
class CVideoPlaylistDlg : public QDialog {
    Q_OBJECT
public:
    CVideoPlaylistDlg(app::CZentrixApp& app, const std::string& path, QWidget* parent = nullptr,
                      video::ProbeFn probe = {});
    ~CVideoPlaylistDlg() override;

    video::CVideoListEditor& editor() { return *editor_; }
    bool saved() const { return editor_->saved(); }
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // The commands behind the buttons.
    void AddSelected();
    void MoveSelected(int step);
    void EditSelectedTransition();
    void EditDefaults();
    void EditSelectedDescription();
    void DeleteSelected();
    void Refresh();
    void Clear();
    bool LoadFile(const std::string& path);
    bool SaveFile(const std::string& path);
    // "Save": to the file being edited, or asking for one.
    bool Save();

    QTreeWidget* library = nullptr;
    QTreeWidget* list = nullptr;
    QLabel* playTime = nullptr;
    QCheckBox* logoOff = nullptr;
    QPushButton *add = nullptr, *moveUp = nullptr, *moveDown = nullptr, *edit = nullptr, *defaults = nullptr,
                *description = nullptr, *remove = nullptr, *refresh = nullptr, *clear = nullptr, *load = nullptr,
                *save = nullptr, *saveAs = nullptr, *close = nullptr;

    void done(int result) override;

private:
    void fillLibrary(int select = -1);
    void fillList(int select = -1);
    void updateButtons();
    void updateTitle();
    int selectedEntry() const;
    int selectedRow() const;
    std::string choose(bool save, int type, const std::string& proposed);

    app::CZentrixApp& app_;
    video::CVideoPlaylist playlist_;
    std::unique_ptr<video::CVideoListEditor> editor_;
    FileChooser chooser_;
};

// The dialog of "Add Clip to Track #n".
class CAddClipDlg : public QDialog {
    Q_OBJECT
public:
    CAddClipDlg(int board, FileChooser chooser, QWidget* parent = nullptr);
    std::string file() const;
    int32_t start() const;  // ms; 0 = right after the previous clip
    bool loop() const;

    QLineEdit* path = nullptr;
    QPushButton* browse = nullptr;
    QDoubleSpinBox* time = nullptr;
    QCheckBox* afterPrevious = nullptr;
    QCheckBox* looped = nullptr;
    QPushButton* ok = nullptr;
};

// The dialog of "Add Button".
class CAddButtonDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAddButtonDlg(QWidget* parent = nullptr);
    video::ButtonEvent event() const;

    QComboBox* button = nullptr;
    QComboBox* action = nullptr;
    QDoubleSpinBox* time = nullptr;
    QCheckBox* afterPrevious = nullptr;
};

// "Edit playlist" on an air playlist (the program's own). changed() once anything changed.
class CAirPlaylistDlg : public QDialog {
    Q_OBJECT
public:
    CAirPlaylistDlg(app::CZentrixApp& app, video::CPlaylist& playlist, QWidget* parent = nullptr,
                    video::ProbeFn probe = {});
    bool changed() const { return changed_; }
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // The commands behind the buttons; AddClip shows 3046 + the probe's code when it fails.
    bool AddClip(int board, const std::string& file, int32_t start, bool loop);
    void AddButton(const video::ButtonEvent& event);
    void RemoveSelected();
    void Clear();
    bool LoadFile(const std::string& path);
    bool SaveFile(const std::string& path);

    QTreeWidget* list = nullptr;
    QPushButton *addClip1 = nullptr, *addClip2 = nullptr, *addButton = nullptr, *remove = nullptr, *clear = nullptr,
                *load = nullptr, *save = nullptr, *close = nullptr;

private:
    void fill(int column = -1, size_t index = 0);
    void updateButtons();
    void askClip(int board);
    void askButton();
    std::string choose(bool save, int type, const std::string& proposed);

    app::CZentrixApp& app_;
    video::CPlaylist& playlist_;
    video::ProbeFn probe_;
    std::vector<video::PlaylistLine> lines_;
    FileChooser chooser_;
    std::string path_;
    bool changed_ = false;
};

// The hooks the program installs: "Edit video playlist" on a file (true when it was saved) and
// "Edit playlist" on the program's air playlist (true when it changed).
bool EditVideoPlaylist(app::CZentrixApp& app, const std::string& path, QWidget* parent);
bool EditAirPlaylist(app::CZentrixApp& app, video::CPlaylist& playlist, QWidget* parent);

}  // namespace ui
