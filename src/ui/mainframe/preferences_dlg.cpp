#include "ui/mainframe/preferences_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/mode_manager.h"
#include "app/zentrix_app.h"
#include "ui/mainframe/folder_browser.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

const char* const kRemoteProgram = "zx-remote";

std::string ProgramFileName() {
    return QFile::encodeName(QFileInfo(QCoreApplication::applicationFilePath()).fileName()).toStdString();
}

namespace {

template <class W>
W* withId(W* w, int id) {
    SetResourceId(w, id);
    return w;
}

// The code pages offered, each named by a string ("%1 (Cyrillic)" with the number).
constexpr int kCodePages[] = {866, 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

std::string pathOf(const QLineEdit* field) { return QFile::encodeName(field->text()).toStdString(); }

QPushButton* browseButton(int id) {
    auto* b = withId(new QPushButton("..."), id);
    b->setFixedWidth(b->fontMetrics().horizontalAdvance("...") + 24);
    return b;
}

QLineEdit* pathField(int id) {
    auto* f = withId(new QLineEdit, id);
    f->setReadOnly(true);
    f->setMinimumWidth(260);
    return f;
}

}  // namespace

CPreferencesDlg::CPreferencesDlg(app::CZentrixApp& app, QWidget* parent, Browser browse)
    : QDialog(parent), app_(app), browse_(browse ? std::move(browse) : Browser(&BrowseForFolder)) {
    DialogTexts t(this, IDD_PREFERENCES);
    const app::Settings& s = app.settings();
    auto* top = new QVBoxLayout(this);
    top->setSpacing(10);

    auto* start = t.group(IDC_PREF_GROUP_START);
    auto* sg = new QGridLayout(start);
    noAsk = t.check(IDC_PREF_NOASK);
    program = withId(new QComboBox, IDC_PREF_PROGRAM);
    for (int m = 0; m < app::MODE_COUNT; ++m) program->addItem(FromProgramText(app::ModeMenuText(m)));
    toolbarSize = withId(new QComboBox, IDC_PREF_TOOLBAR);
    toolbarSize->addItems({"100%", "200%", "300%"});
    auto* toolbarLabel = t.label(IDC_PREF_LABEL_TOOLBAR);
    toolbarLabel->setBuddy(toolbarSize);
    sg->addWidget(noAsk, 0, 0);
    sg->addWidget(program, 0, 1);
    sg->addWidget(toolbarLabel, 1, 0);
    sg->addWidget(toolbarSize, 1, 1);
    sg->setColumnStretch(1, 1);
    top->addWidget(start);

    auto* programs = t.group(IDC_PREF_GROUP_PROGRAMS);
    auto* pg = new QGridLayout(programs);
    remote = t.check(IDC_PREF_REMOTE);
    remotePath = pathField(IDC_PREF_REMOTEPATH);
    remotePath->setPlaceholderText(FromFilePath(app.GetPath(app::FOLDER_ROOT)));
    remoteBrowse = browseButton(IDC_PREF_REMOTEBROWSE);
    auto* remoteLabel = t.label(IDC_PREF_LABEL_REMOTEPATH);
    pg->addWidget(remote, 0, 0, 1, 3);
    pg->addWidget(remoteLabel, 1, 0);
    pg->addWidget(remotePath, 1, 1);
    pg->addWidget(remoteBrowse, 1, 2);
    pg->setColumnStretch(1, 1);
    top->addWidget(programs);

    auto* folders = t.group(IDC_PREF_GROUP_FOLDERS);
    auto* fg = new QGridLayout(folders);
    useNetwork = t.check(IDC_PREF_USENETWORK);
    networkPath = pathField(IDC_PREF_NETWORKPATH);
    networkBrowse = browseButton(IDC_PREF_NETWORKBROWSE);
    useNetVideo = t.check(IDC_PREF_USENETVIDEO);
    videoPath = pathField(IDC_PREF_VIDEOPATH);
    videoBrowse = browseButton(IDC_PREF_VIDEOBROWSE);
    fg->addWidget(useNetwork, 0, 0);
    fg->addWidget(networkPath, 0, 1);
    fg->addWidget(networkBrowse, 0, 2);
    fg->addWidget(useNetVideo, 1, 0);
    fg->addWidget(videoPath, 1, 1);
    fg->addWidget(videoBrowse, 1, 2);
    fg->setColumnStretch(1, 1);
    top->addWidget(folders);

    auto* options = t.group(IDC_PREF_GROUP_OPTIONS);
    auto* og = new QGridLayout(options);
    useRTC = t.check(IDC_PREF_USERTC);
    airLog = t.check(IDC_PREF_AIRLOG);
    inverseTGA = t.check(IDC_PREF_INVERSETGA);
    codePage = withId(new QComboBox, IDC_PREF_CODEPAGE);
    for (size_t i = 0; i < std::size(kCodePages); ++i)
        codePage->addItem(StrFmt(IDS_PREF_CODEPAGE_FIRST + int(i), {kCodePages[i]}), kCodePages[i]);
    auto* cpLabel = t.label(IDC_PREF_LABEL_CODEPAGE);
    cpLabel->setBuddy(codePage);
    og->addWidget(useRTC, 0, 0, 1, 2);
    og->addWidget(airLog, 1, 0, 1, 2);
    og->addWidget(inverseTGA, 2, 0, 1, 2);
    og->addWidget(cpLabel, 3, 0);
    og->addWidget(codePage, 3, 1);
    og->setColumnStretch(1, 1);
    top->addWidget(options);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPreferencesDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);

    // The values.
    noAsk->setChecked(s.noAsk == 1);
    program->setCurrentIndex(s.program);
    toolbarSize->setCurrentIndex(std::clamp(s.toolbarSize, 0, 2));
    remote->setChecked(s.remote == 1);
    remotePath->setText(FromFilePath(s.remotePath));
    useNetwork->setChecked(s.useNetwork == 1);
    networkPath->setText(FromFilePath(s.networkPath));
    useNetVideo->setChecked(s.useNetVideo == 1);
    videoPath->setText(FromFilePath(s.videoPath));
    useRTC->setChecked(s.useRTC == 1);
    airLog->setChecked(s.airLog == 1);
    inverseTGA->setChecked(s.inverseTGA == 1);
    int cp = codePage->findData(s.codePage);
    if (cp < 0) {
        codePage->addItem(QString::number(s.codePage), s.codePage);
        cp = codePage->count() - 1;
    }
    codePage->setCurrentIndex(cp);

    // Ticking a folder's box asks for the folder at once.
    connect(useNetwork, &QCheckBox::clicked, this, [this](bool on) {
        if (on) browseFor(useNetwork, networkPath, ProgramFileName(), IDS_BROWSE_NETWORK, true);
        updateControls();
    });
    connect(useNetVideo, &QCheckBox::clicked, this, [this](bool on) {
        if (on) browseFor(useNetVideo, videoPath, {}, IDS_BROWSE_VIDEO, true);
        updateControls();
    });
    connect(networkBrowse, &QPushButton::clicked, this,
            [this] { browseFor(useNetwork, networkPath, ProgramFileName(), IDS_BROWSE_NETWORK, false); });
    connect(videoBrowse, &QPushButton::clicked, this,
            [this] { browseFor(useNetVideo, videoPath, {}, IDS_BROWSE_VIDEO, false); });
    connect(remoteBrowse, &QPushButton::clicked, this,
            [this] { browseFor(nullptr, remotePath, kRemoteProgram, IDS_BROWSE_REMOTE, false); });
    connect(noAsk, &QCheckBox::toggled, this, &CPreferencesDlg::updateControls);
    connect(remote, &QCheckBox::toggled, this, &CPreferencesDlg::updateControls);
    updateControls();
    TranslateDialog(IDD_PREFERENCES, this);
    setFixedSize(sizeHint());
}

void CPreferencesDlg::updateControls() {
    program->setEnabled(noAsk->isChecked());
    remotePath->setEnabled(remote->isChecked());
    remoteBrowse->setEnabled(remote->isChecked());
    networkPath->setEnabled(useNetwork->isChecked());
    networkBrowse->setEnabled(useNetwork->isChecked());
    videoPath->setEnabled(useNetVideo->isChecked());
    videoBrowse->setEnabled(useNetVideo->isChecked());
}

void CPreferencesDlg::browseFor(QCheckBox* box, QLineEdit* field, const std::string& requiredFile, int titleId,
                                bool fromBox) {
    std::string path = pathOf(field);
    if (path.empty()) path = app_.GetPath(app::FOLDER_ROOT);
    if (browse_(this, path, requiredFile, titleId)) {
        field->setText(FromFilePath(path));
    } else if (fromBox && box) {
        box->setChecked(false);
    }
    updateControls();
}

app::Settings CPreferencesDlg::values() const {
    app::Settings s = app_.settings();
    s.noAsk = noAsk->isChecked() ? 1 : 0;
    s.program = program->currentIndex();
    s.toolbarSize = toolbarSize->currentIndex();
    s.remote = remote->isChecked() ? 1 : 0;
    s.remotePath = pathOf(remotePath);
    s.useNetwork = useNetwork->isChecked() ? 1 : 0;
    s.networkPath = pathOf(networkPath);
    s.useNetVideo = useNetVideo->isChecked() ? 1 : 0;
    s.videoPath = pathOf(videoPath);
    s.useRTC = useRTC->isChecked() ? 1 : 0;
    s.airLog = airLog->isChecked() ? 1 : 0;
    s.inverseTGA = inverseTGA->isChecked() ? 1 : 0;
    s.codePage = codePage->currentData().toInt();
    // A folder switch without its folder would move the data root to "/".
    if (s.networkPath.empty()) s.useNetwork = 0;
    if (s.videoPath.empty()) s.useNetVideo = 0;
    return s;
}

void CPreferencesDlg::accept() {
    app_.ApplyStartSettings(values());
    QDialog::accept();
}

}  // namespace ui
