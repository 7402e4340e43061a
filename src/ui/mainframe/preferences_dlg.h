// The "Preferences" dialog: the [Start] settings (start mode, toolbar size, remote-control
// program, network installation, video folder and the options). OK writes them back, saves and
// reloads the folder table and reloads the font list.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "app/settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace app {
class CZentrixApp;
}

namespace ui {

enum : int {
    IDD_PREFERENCES = 308,
    IDC_PREF_NOASK = 1200,
    IDC_PREF_PROGRAM,
    IDC_PREF_TOOLBAR,
    IDC_PREF_REMOTE,
    IDC_PREF_REMOTEPATH,
    IDC_PREF_REMOTEBROWSE,
    IDC_PREF_USENETWORK,
    IDC_PREF_NETWORKPATH,
    IDC_PREF_NETWORKBROWSE,
    IDC_PREF_USENETVIDEO,
    IDC_PREF_VIDEOPATH,
    IDC_PREF_VIDEOBROWSE,
    IDC_PREF_USERTC,
    IDC_PREF_AIRLOG,
    IDC_PREF_INVERSETGA,
    IDC_PREF_CODEPAGE,
    IDC_PREF_GROUP_START,
    IDC_PREF_GROUP_PROGRAMS,
    IDC_PREF_GROUP_FOLDERS,
    IDC_PREF_GROUP_OPTIONS,
    IDC_PREF_LABEL_TOOLBAR,
    IDC_PREF_LABEL_REMOTEPATH,
    IDC_PREF_LABEL_CODEPAGE,
    IDS_BROWSE_REMOTE = 18001,
    IDS_BROWSE_NETWORK = 18004,
    IDS_BROWSE_VIDEO = 18007,
    IDS_PREF_CODEPAGE_FIRST = 33650,  // 33650-33660: the code pages offered, by name
};

// The remote-control program a remote folder must hold.
extern const char* const kRemoteProgram;
// The file a network installation folder must hold: this program's own executable.
std::string ProgramFileName();

class CPreferencesDlg : public QDialog {
    Q_OBJECT
public:
    // Browses for a folder (path in and out, the file it must hold, the title string).
    using Browser =
        std::function<bool(QWidget* parent, std::string& path, const std::string& requiredFile, int titleId)>;

    CPreferencesDlg(app::CZentrixApp& app, QWidget* parent = nullptr, Browser browse = {});

    // The settings as the controls hold them now.
    app::Settings values() const;
    void accept() override;

    // The controls (tests reach them).
    QCheckBox* noAsk;
    QComboBox* program;
    QComboBox* toolbarSize;
    QCheckBox* remote;
    QLineEdit* remotePath;
    QPushButton* remoteBrowse;
    QCheckBox* useNetwork;
    QLineEdit* networkPath;
    QPushButton* networkBrowse;
    QCheckBox* useNetVideo;
    QLineEdit* videoPath;
    QPushButton* videoBrowse;
    QCheckBox* useRTC;
    QCheckBox* airLog;
    QCheckBox* inverseTGA;
    QComboBox* codePage;

private:
    // Browses for the folder behind a check box; a cancelled browse clears the box.
    void browseFor(QCheckBox* box, QLineEdit* field, const std::string& requiredFile, int titleId, bool fromBox);
    void updateControls();

    app::CZentrixApp& app_;
    Browser browse_;
};

}  // namespace ui
