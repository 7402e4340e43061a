// The "Hardware" dialog: the Device model and link, the MPEG decoder boards and the
// interactive-system hardware. However it is closed, its values are written back and the
// hardware is restarted with them.
#pragma once

#include <QDialog>

#include "app/settings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace app {
class CZentrixApp;
}

namespace ui {

enum : int {
    IDD_HARDWARE = 304,
    IDC_HW_ENABLE = 1100,
    IDC_HW_MODEL,
    IDC_HW_PORT,
    IDC_HW_BOARD1,
    IDC_HW_BOARD2,
    IDC_HW_INPUT1,
    IDC_HW_INPUT2,
    IDC_HW_CHECK1,
    IDC_HW_CHECK2,
    IDC_HW_VOLUMESET,
    IDC_HW_VOLUME,
    IDC_HW_ITV,
    IDC_HW_ITVMODEL,
    IDC_HW_ITVPORT,
    IDC_HW_BAUDRATE,
    IDC_HW_USECID,
    IDC_HW_CIDLENGTH,
    IDC_HW_CIDTYPE,
    IDC_HW_USEME,
    IDC_HW_GROUP_DEVICE,
    IDC_HW_GROUP_MPEG,
    IDC_HW_GROUP_ITV,
    IDC_HW_LABEL_MODEL,
    IDC_HW_LABEL_PORT,
    IDC_HW_LABEL_INPUT1,
    IDC_HW_LABEL_INPUT2,
    IDC_HW_LABEL_ITVMODEL,
    IDC_HW_LABEL_ITVPORT,
    IDC_HW_LABEL_BAUDRATE,
    IDC_HW_LABEL_CIDLENGTH,
    IDC_HW_LABEL_CIDTYPE,
    IDC_HW_CLOSE = 2,         // IDCANCEL: the one button
    IDS_HW_ITV_KIND = 33640,  // 33640-33643: the kinds of interactive hardware
    IDS_HW_PLAYERS_IN_USE = 33644,
};

class CHardwareDlg : public QDialog {
    Q_OBJECT
public:
    explicit CHardwareDlg(app::CZentrixApp& app, QWidget* parent = nullptr);

    // The settings as the controls hold them now.
    app::Settings values() const;
    // Writes the values back and restarts the hardware, once, however the dialog ends.
    void done(int result) override;

    // The controls (tests reach them).
    QCheckBox* enable;
    QComboBox* model;
    QComboBox* lptPort;
    QCheckBox* board1;
    QCheckBox* board2;
    QComboBox* input1;
    QComboBox* input2;
    QPushButton* check1;
    QPushButton* check2;
    QCheckBox* volumeSet;
    QSlider* volume;
    QLabel* volumeValue;
    QCheckBox* itv;
    QComboBox* itvModel;
    QComboBox* itvPort;
    QComboBox* baudRate;
    QCheckBox* useCID;
    QComboBox* cidLength;
    QComboBox* cidType;
    QCheckBox* useME;
    QPushButton* closeButton;

private:
    void updateControls();
    void check(int board);

    app::CZentrixApp& app_;
    bool written_ = false;
};

}  // namespace ui
