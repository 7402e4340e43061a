#include "ui/control/control_dialog.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <random>

#include "app/control_settings.h"
#include "app/message_boxes.h"
#include "control/listen_address.h"
#include "ui/control/control_link.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

namespace {

enum : int {
    IDD_CONTROL = 1152,
    IDC_CTL_ENABLED = 1000,
    IDC_CTL_LABEL_LISTEN = 1001,
    IDC_CTL_LABEL_TOKEN = 1002,
    IDC_CTL_NEW_TOKEN = 1003,
    IDC_CTL_OPEN_PANEL = 1004,
    IDC_CTL_NOTE = 1005,
    IDS_CTL_BAD_SETTINGS = 34435,
    IDS_CTL_OFF = 34436,
    IDS_CTL_TOKEN_TIP = 34437,
    IDS_SAVE_ERROR = 3001,
};

}  // namespace

QString CControlDialog::NewToken() {
    std::random_device random;
    QString token;
    for (int i = 0; i < 4; ++i) token += QString("%1").arg(uint32_t(random()), 8, 16, QChar('0'));
    return token;
}

CControlDialog::CControlDialog(app::Profile& ini, CControlLink& link, QWidget* parent)
    : QDialog(parent), ini_(ini), link_(link) {
    DialogTexts t(this, IDD_CONTROL);
    const app::ControlSettings s = app::LoadControlSettings(ini);

    enabled_ = t.check(IDC_CTL_ENABLED);
    enabled_->setChecked(s.enabled);
    auto* form = new QFormLayout;
    listen_ = new QLineEdit(QString::fromStdString(s.listen));
    listen_->setPlaceholderText(app::kControlDefaultListen);
    listen_->setMinimumWidth(260);
    form->addRow(t.label(IDC_CTL_LABEL_LISTEN, listen_), listen_);
    token_ = new QLineEdit(QString::fromStdString(s.token));
    token_->setToolTip(StrLine(IDS_CTL_TOKEN_TIP));
    newToken_ = t.button(IDC_CTL_NEW_TOKEN);
    connect(newToken_, &QPushButton::clicked, this, [this] { token_->setText(NewToken()); });
    auto* tokenRow = new QHBoxLayout;
    tokenRow->addWidget(token_, 1);
    tokenRow->addWidget(newToken_);
    form->addRow(t.label(IDC_CTL_LABEL_TOKEN, token_), tokenRow);

    auto* note = t.label(IDC_CTL_NOTE);
    note->setWordWrap(true);
    state_ = new QLabel;
    state_->setWordWrap(true);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    openPanel_ = t.button(IDC_CTL_OPEN_PANEL);
    connect(openPanel_, &QPushButton::clicked, this, [this] { QDesktopServices::openUrl(QUrl(panelUrl())); });
    auto* stateRow = new QHBoxLayout;
    stateRow->addWidget(state_, 1);
    stateRow->addWidget(openPanel_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(enabled_, &QCheckBox::toggled, this, [this] { update(); });

    auto* column = new QVBoxLayout(this);
    column->addWidget(enabled_);
    column->addLayout(form);
    column->addWidget(note);
    column->addLayout(stateRow);
    column->addWidget(buttons);
    update();
    TranslateDialog(IDD_CONTROL, this);
}

QString CControlDialog::panelUrl() const {
    // The server's own address while it listens; the panel is its root page.
    const QString status = link_.status();
    const int at = status.indexOf("http://");
    if (!link_.running() || at < 0) return {};
    return status.mid(at).section(' ', 0, 0);
}

void CControlDialog::update() {
    listen_->setEnabled(enabled_->isChecked());
    token_->setEnabled(enabled_->isChecked());
    newToken_->setEnabled(enabled_->isChecked());
    state_->setText(link_.status().isEmpty() ? StrLine(IDS_CTL_OFF) : link_.status());
    openPanel_->setEnabled(!panelUrl().isEmpty());
}

void CControlDialog::accept() {
    app::ControlSettings s;
    s.enabled = enabled_->isChecked();
    s.listen = listen_->text().trimmed().toStdString();
    if (s.listen.empty()) s.listen = app::kControlDefaultListen;
    s.token = token_->text().trimmed().toStdString();
    if (s.enabled) {
        // The server's own rules, told now rather than as a lamp that stays red.
        control::ListenAddress address;
        std::string why;
        if (!control::ParseListen(s.listen, address, why) || !control::CheckAccess(address, s.token, why)) {
            app::MessageBoxId(IDS_CTL_BAD_SETTINGS, app::MB_OK | app::MB_ICONWARNING, {why});
            return;
        }
    }
    if (!app::SaveControlSettings(ini_, s)) {
        app::MessageBoxId(IDS_SAVE_ERROR, app::MB_OK | app::MB_ICONERROR, {ini_.path()});
        return;
    }
    link_.restart();
    if (link_.failed()) {
        // Saved, but it does not listen (the port is taken...): the dialog stays to mend it.
        app::MessageBoxId(IDS_CTL_BAD_SETTINGS, app::MB_OK | app::MB_ICONWARNING, {ToProgramText(link_.status())});
        update();
        return;
    }
    QDialog::accept();
}

}  // namespace ui
