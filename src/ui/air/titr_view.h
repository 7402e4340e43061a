// CTitrView: Live mode's view. The titles tree on the left; on the right the panel: the preview
// of the selection and of what is on air, the selection's name, a title's fill-in fields,
// "Render" (F2), "Loop", "Fast mode", the sequence list with "&Up", "&Down" and "&Save As...",
// and a video playlist's "Edit" and restore input. Everything it decides is CTitrModel's; the
// view shows the model and forwards the operator's commands. A sequence (".zxs") or page
// (".zxg") dropped onto it is cued.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>

#include "air/titr_model.h"
#include "platform/message_target.h"
#include "ui/air/air_frame_wnd.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

namespace ui {

// A 180 × 144 picture with a frame.
class CTitrPicture : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 180, kHeight = 144;
    explicit CTitrPicture(QWidget* parent = nullptr);
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

// Resource ids of the panel (dialog bar 307).
enum : int {
    IDD_TITR_BAR = 307,
    IDC_TITR_LIST = 1047,
    IDC_TITR_ONAIR = 1065,
    IDC_TITR_NAME = 1219,
    IDC_TITR_FIELD0 = 1220,  // .. 1223
    IDC_TITR_LABEL0 = 1224,  // .. 1227
    IDC_TITR_RENDER = 1228,
    IDC_TITR_PL_EDIT = 1229,
    IDC_TITR_REFRESH = 1230,
    IDC_TITR_SAVE_AS = 1233,
    IDC_TITR_PREVIEW = 1252,
    IDC_TITR_LOOP = 1309,
    IDC_TITR_FAST = 1310,
    IDC_TITR_RESTORE = 1320,
    IDC_TITR_UP = 1513,
    IDC_TITR_DOWN = 1514,
    IDC_TITR_RESTORE_COMBO = 1524,
    IDR_TITR_CONTEXT = 135,
    ID_TITR_CUE_SEQUENCE = 33950,
    ID_TITR_CUE_PAGE = 33951,
    ID_TITR_NEW_PLAYLIST = 33952,
    ID_TITR_AIR_PLAYLIST = 33953,
    IDS_TITR_SELECTION_TIP = 33954,
    IDS_TITR_ON_AIR_TIP = 33955,
    IDS_TITR_RENDER_TIP = 33956,
};

class CTitrView : public QWidget, public platform::MessageTarget, public AirViewCommands, private air::TitrPanel {
    Q_OBJECT
public:
    CTitrView(CAirFrameWnd& frame, app::CZentrixApp& app, QWidget* parent = nullptr);
    ~CTitrView() override;

    // MSG_AIR from the air frame.
    void post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override { send(msg, wParam, lParam); }
    intptr_t send(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    // F2 (1228) and Ctrl+R (1230) from the frame's hotkeys.
    bool OnViewCommand(int command) override;

    air::CTitrModel& model() { return *model_; }
    QTreeWidget* tree() const { return tree_; }
    QTreeWidgetItem* itemOf(const std::string& path) const;
    QLineEdit* field(int i) const { return fields_[i]; }
    QLabel* label(int i) const { return labels_[i]; }
    QPushButton* renderButton() const { return render_; }
    QTreeWidget* list() const { return list_; }
    CTitrPicture* selectionPreview() const { return preview_; }
    CTitrPicture* onAirPreview() const { return onAir_; }

    // The commands behind the buttons (the tests, the hotkeys).
    void Render();
    void RebuildTree();
    void SaveAs(const std::string& path);
    // A file dropped or chosen: cued as the drop does.
    bool CueFile(const std::string& path);
    // The menu's "Edit playlist..." on the program's air playlist: true when it changed.
    bool EditAirPlaylist();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // air::TitrPanel
    void ShowProgress(const std::string& text, int range) override;
    void StepProgress(int value) override;
    void HideProgress() override;

    void buildPanel();
    void fillTree();
    void onTreeSelection();
    void refreshPanel();
    void refreshList(int select = -1);
    void updateEnabling();
    void onFieldEdited(int i);
    void toggleRow(int row);
    void moveRow(int step);

    CAirFrameWnd& frame_;
    app::CZentrixApp& app_;
    std::unique_ptr<air::CTitrModel> model_;
    bool filling_ = false;  // the tree or the panel is being filled: their signals are the view's own

    QSplitter* splitter_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QWidget* panel_ = nullptr;
    CTitrPicture* preview_ = nullptr;
    CTitrPicture* onAir_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* fields_[air::kTitleFieldCount] = {};
    QLabel* labels_[air::kTitleFieldCount] = {};
    QPushButton* render_ = nullptr;
    QCheckBox* loop_ = nullptr;
    QCheckBox* fast_ = nullptr;
    QPushButton* playlistEdit_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* restoreLabel_ = nullptr;
    QComboBox* restore_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    QPushButton* saveAs_ = nullptr;
    QLabel* device_ = nullptr;
};

}  // namespace ui
