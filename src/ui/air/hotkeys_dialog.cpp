#include "ui/air/hotkeys_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

#include "app/profile.h"
#include "ui/air/hotkey_edit.h"

namespace ui {

CHotkeysDialog::CHotkeysDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Hotkeys");
    setObjectName("Hotkeys");
    auto* form = new QFormLayout;
    for (int i = 0; i < air::kHotkeyCount; ++i) {
        auto* edit = new CHotkeyEdit(this);
        edit->setMinimumWidth(180);
        edit->setObjectName(QString("hotkey%1").arg(i));
        fields_[size_t(i)] = edit;
        form->addRow(QString::fromLatin1(air::kHotkeyEntries[i].label), edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(buttons);
    setTable(air::DefaultHotkeys());
}

void CHotkeysDialog::setTable(const air::HotkeyTable& table) {
    for (int i = 0; i < air::kHotkeyCount; ++i) {
        uint32_t v = table[size_t(i)];
        // The control holds a key and its modifier byte; other bits of a stored value go.
        fields_[size_t(i)]->setValue(air::MakeHotkey(air::HotkeyKey(v), air::HotkeyModifiers(v)));
    }
}

air::HotkeyTable CHotkeysDialog::table() const {
    air::HotkeyTable t{};
    for (int i = 0; i < air::kHotkeyCount; ++i) {
        uint32_t v = fields_[size_t(i)]->value();
        t[size_t(i)] = air::MakeHotkey(air::HotkeyKey(v), air::HotkeyModifiers(v));
    }
    return t;
}

bool CHotkeysDialog::Edit(QWidget* parent, app::Profile& ini, air::HotkeyTable& table) {
    CHotkeysDialog dlg(parent);
    dlg.setTable(table);
    if (dlg.exec() != QDialog::Accepted) return false;
    table = dlg.table();
    air::SaveHotkeys(ini, table);
    return true;
}

}  // namespace ui
