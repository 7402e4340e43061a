#include "ui/mainframe/hardware_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/zentrix_app.h"
#include "ui/mainframe/mode_frames.h"
#include "ui/resources.h"
#include "ui/translate.h"

namespace ui {

namespace {

QComboBox* combo(const QStringList& items, int id) {
    auto* c = new QComboBox;
    SetResourceId(c, id);
    c->addItems(items);
    return c;
}

QStringList routerInputs() {
    QStringList l;
    for (int i = 1; i <= 16; ++i) l << QString("IN%1").arg(i);
    return l;
}

}  // namespace

CHardwareDlg::CHardwareDlg(app::CZentrixApp& app, QWidget* parent) : QDialog(parent), app_(app) {
    DialogTexts t(this, IDD_HARDWARE);
    auto label = [&t](int id, QWidget* buddy) { return t.label(id, buddy); };
    const app::Settings& s = app.settings();
    auto* top = new QVBoxLayout(this);
    top->setSpacing(10);

    // The Device.
    auto* device = t.group(IDC_HW_GROUP_DEVICE);
    auto* dg = new QGridLayout(device);
    enable = t.check(IDC_HW_ENABLE);
    QStringList models;
    for (const app::DeviceModel& m : app::kDeviceModels) models << m.name;
    model = combo(models, IDC_HW_MODEL);
    lptPort = combo({"LPT1", "LPT2", "LPT3"}, IDC_HW_PORT);
    dg->addWidget(enable, 0, 0, 1, 4);
    dg->addWidget(label(IDC_HW_LABEL_MODEL, model), 1, 0);
    dg->addWidget(model, 1, 1);
    dg->addWidget(label(IDC_HW_LABEL_PORT, lptPort), 1, 2);
    dg->addWidget(lptPort, 1, 3);
    dg->setColumnStretch(1, 1);
    dg->setColumnStretch(3, 1);
    top->addWidget(device);

    // The MPEG decoder boards.
    auto* mpeg = t.group(IDC_HW_GROUP_MPEG);
    auto* mg = new QGridLayout(mpeg);
    board1 = t.check(IDC_HW_BOARD1);
    board2 = t.check(IDC_HW_BOARD2);
    input1 = combo(routerInputs(), IDC_HW_INPUT1);
    input2 = combo(routerInputs(), IDC_HW_INPUT2);
    check1 = t.button(IDC_HW_CHECK1);
    check2 = t.button(IDC_HW_CHECK2);
    volumeSet = t.check(IDC_HW_VOLUMESET);
    volume = t(new QSlider(Qt::Horizontal), IDC_HW_VOLUME);
    volume->setRange(0, 100);
    volume->setPageStep(10);
    volumeValue = new QLabel;
    volumeValue->setMinimumWidth(volumeValue->fontMetrics().horizontalAdvance("100") + 4);
    mg->addWidget(board1, 0, 0);
    mg->addWidget(label(IDC_HW_LABEL_INPUT1, input1), 0, 1);
    mg->addWidget(input1, 0, 2);
    mg->addWidget(check1, 0, 3);
    mg->addWidget(board2, 1, 0);
    mg->addWidget(label(IDC_HW_LABEL_INPUT2, input2), 1, 1);
    mg->addWidget(input2, 1, 2);
    mg->addWidget(check2, 1, 3);
    mg->addWidget(volumeSet, 2, 0);
    auto* volumeRow = new QHBoxLayout;
    volumeRow->addWidget(volume, 1);
    volumeRow->addWidget(volumeValue);
    mg->addLayout(volumeRow, 2, 1, 1, 3);
    mg->setColumnStretch(2, 1);
    top->addWidget(mpeg);

    // The interactive-system hardware.
    auto* itvBox = t.group(IDC_HW_GROUP_ITV);
    auto* ig = new QGridLayout(itvBox);
    itv = t.check(IDC_HW_ITV);
    QStringList kinds;
    for (int k = 0; k < 4; ++k) kinds << StrLine(IDS_HW_ITV_KIND + k);
    itvModel = combo(kinds, IDC_HW_ITVMODEL);
    QStringList ports;
    for (int i = 1; i <= 8; ++i) ports << QString("COM%1").arg(i);
    itvPort = combo(ports, IDC_HW_ITVPORT);
    QStringList bauds;
    for (int b : app::kBaudRates) bauds << QString::number(b);
    baudRate = combo(bauds, IDC_HW_BAUDRATE);
    useCID = t.check(IDC_HW_USECID);
    QStringList lengths;
    for (int n : app::kCallerIdLengths) lengths << QString::number(n);
    cidLength = combo(lengths, IDC_HW_CIDLENGTH);
    cidType = combo({"AOH", "DTMF/FSK"}, IDC_HW_CIDTYPE);
    useME = t.check(IDC_HW_USEME);
    ig->addWidget(itv, 0, 0, 1, 4);
    ig->addWidget(label(IDC_HW_LABEL_ITVMODEL, itvModel), 1, 0);
    ig->addWidget(itvModel, 1, 1, 1, 3);
    ig->addWidget(label(IDC_HW_LABEL_ITVPORT, itvPort), 2, 0);
    ig->addWidget(itvPort, 2, 1);
    ig->addWidget(label(IDC_HW_LABEL_BAUDRATE, baudRate), 2, 2);
    ig->addWidget(baudRate, 2, 3);
    ig->addWidget(useCID, 3, 0, 1, 4);
    ig->addWidget(label(IDC_HW_LABEL_CIDLENGTH, cidLength), 4, 0);
    ig->addWidget(cidLength, 4, 1);
    ig->addWidget(label(IDC_HW_LABEL_CIDTYPE, cidType), 4, 2);
    ig->addWidget(cidType, 4, 3);
    ig->addWidget(useME, 5, 0, 1, 4);
    ig->setColumnStretch(1, 1);
    ig->setColumnStretch(3, 1);
    top->addWidget(itvBox);

    auto* buttons = new QDialogButtonBox;
    closeButton = t(buttons->addButton(QString(), QDialogButtonBox::RejectRole), IDC_HW_CLOSE);
    closeButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);

    // The values.
    enable->setChecked(s.enable == 1);
    model->setCurrentIndex(s.model);
    lptPort->setCurrentIndex(s.portNo);
    board1->setChecked(s.mpeg >= 1);
    board2->setChecked(s.mpeg >= 2);
    input1->setCurrentIndex(s.mpegInput1);
    input2->setCurrentIndex(s.mpegInput2);
    volumeSet->setChecked(s.volumeSet == 1);
    volume->setValue(s.audioVolume);
    volumeValue->setText(QString::number(volume->value()));
    itv->setChecked(s.itv == 1);
    itvModel->setCurrentIndex(s.itvModel);
    itvPort->setCurrentIndex(s.itvPortNo);
    baudRate->setCurrentIndex(s.baudRate);
    useCID->setChecked(s.useCID == 1);
    cidLength->setCurrentIndex(s.cidLength);
    cidType->setCurrentIndex(s.cidType);
    useME->setChecked(s.useME == 1);

    // The second edition always talks to its KTG400M.
    if (app.is400M()) {
        enable->setChecked(true);
        enable->setEnabled(false);
        model->setCurrentIndex(app::MODEL_KTG400M);
        model->setEnabled(false);
    }

    for (QCheckBox* c : {enable, board1, board2, volumeSet, itv, useCID})
        connect(c, &QCheckBox::toggled, this, &CHardwareDlg::updateControls);
    for (QComboBox* c : {model, itvModel})
        connect(c, &QComboBox::currentIndexChanged, this, &CHardwareDlg::updateControls);
    connect(volume, &QSlider::valueChanged, volumeValue, [this](int v) { volumeValue->setText(QString::number(v)); });
    connect(check1, &QPushButton::clicked, this, [this] { check(0); });
    connect(check2, &QPushButton::clicked, this, [this] { check(1); });
    updateControls();
    TranslateDialog(IDD_HARDWARE, this);
    setFixedSize(sizeHint().expandedTo(QSize(440, 0)));
}

void CHardwareDlg::updateControls() {
    lptPort->setEnabled(enable->isChecked() && app::kDeviceModels[model->currentIndex()].link != app::LINK_ETHERNET);

    // Board 2 only beside board 1: the board count is 1 with board 1, plus one with board 2.
    if (!board1->isChecked()) board2->setChecked(false);
    board2->setEnabled(board1->isChecked());
    // The players of an on-air mode are not lent to the check.
    const bool inUse = Factories().videoInUse && Factories().videoInUse();
    const bool canCheck = Factories().checkVideo && !inUse;
    for (QPushButton* b : {check1, check2}) b->setToolTip(inUse ? StrLine(IDS_HW_PLAYERS_IN_USE) : QString());
    input1->setEnabled(board1->isChecked());
    check1->setEnabled(board1->isChecked() && canCheck);
    input2->setEnabled(board2->isChecked());
    check2->setEnabled(board2->isChecked() && canCheck);
    volumeSet->setEnabled(board1->isChecked());
    volume->setEnabled(board1->isChecked() && volumeSet->isChecked());

    bool on = itv->isChecked();
    int kind = itvModel->currentIndex();
    bool modem = kind == 2;
    bool serial = kind != 3;
    itvModel->setEnabled(on);
    itvPort->setEnabled(on && serial);
    baudRate->setEnabled(on && modem);
    useCID->setEnabled(on && !modem);
    cidLength->setEnabled(on && !modem && useCID->isChecked());
    cidType->setEnabled(on && !modem && useCID->isChecked());
    useME->setEnabled(on && modem);
}

void CHardwareDlg::check(int board) {
    if (!Factories().checkVideo) return;
    Factories().checkVideo(this, board, (board == 0 ? input1 : input2)->currentIndex(),
                           app_.GetPath(app::FOLDER_VIDEO, "test.mpg"));
}

app::Settings CHardwareDlg::values() const {
    app::Settings s = app_.settings();
    s.enable = enable->isChecked() ? 1 : 0;
    s.model = model->currentIndex();
    s.portNo = lptPort->currentIndex();
    s.mpeg = (board1->isChecked() ? 1 : 0) + (board2->isChecked() ? 1 : 0);
    s.mpegInput1 = input1->currentIndex();
    s.mpegInput2 = input2->currentIndex();
    s.volumeSet = volumeSet->isChecked() ? 1 : 0;
    s.audioVolume = volume->value();
    s.itv = itv->isChecked() ? 1 : 0;
    s.itvModel = itvModel->currentIndex();
    s.itvPortNo = itvPort->currentIndex();
    s.baudRate = baudRate->currentIndex();
    s.useCID = useCID->isChecked() ? 1 : 0;
    s.cidLength = cidLength->currentIndex();
    s.cidType = cidType->currentIndex();
    s.useME = useME->isChecked() ? 1 : 0;
    return s;
}

void CHardwareDlg::done(int result) {
    app::Settings s = values();
    QDialog::done(result);
    if (written_) return;
    written_ = true;
    // The link reopens with the new values; its error message comes after the dialog is gone.
    app_.ApplyHardwareSettings(s);
}

}  // namespace ui
