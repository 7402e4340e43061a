#include "ui/air/hotkeys_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/message_boxes.h"
#include "app/profile.h"
#include "ui/air/hotkey_edit.h"
#include "ui/air/virtual_keys.h"
#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

CHotkeysDialog::CHotkeysDialog(QWidget* parent) : QDialog(parent) {
    DialogTexts t(this, kDialogId);
    setObjectName("Hotkeys");
    auto* form = new QFormLayout;
    for (int i = 0; i < air::kHotkeyCount; ++i) {
        auto* edit = new CHotkeyEdit(this);
        edit->setMinimumWidth(180);
        edit->setObjectName(QString("hotkey%1").arg(i));
        fields_[size_t(i)] = edit;
        form->addRow(t.label(IDC_HOTKEY_LABEL_FIRST + i, edit), edit);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(buttons);
    setTable(air::DefaultHotkeys());
    TranslateDialog(kDialogId, this);
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

QString CHotkeysDialog::problem() const {
    const air::HotkeyTable t = table();
    for (int i = 0; i < air::kHotkeyCount; ++i) {
        const QKeySequence key = ShortcutOfHotkey(t[size_t(i)]);
        if (key.isEmpty()) continue;
        const QString name = key.toString(QKeySequence::NativeText);
        // An entry by its label, without its letter mark and colon.
        auto labelOf = [](int entry) {
            QString l = DlgText(kDialogId, IDC_HOTKEY_LABEL_FIRST + entry).remove('&').trimmed();
            if (l.endsWith(':')) l.chop(1);
            return l.trimmed();
        };
        for (int j = 0; j < i; ++j)
            if (ShortcutOfHotkey(t[size_t(j)]) == key) return StrFmt(IDS_HOTKEY_TWICE, {name, labelOf(j), labelOf(i)});
        for (const KeyInUse& used : inUse_)
            if (used.key == key)
                return used.window.isEmpty()
                           ? StrFmt(IDS_HOTKEY_IN_USE, {name, labelOf(i), used.command})
                           : StrFmt(IDS_HOTKEY_IN_USE_IN, {name, labelOf(i), used.command, used.window});
    }
    return {};
}

void CHotkeysDialog::accept() {
    const QString why = problem();
    if (!why.isEmpty()) {
        app::MessageBoxText(ToProgramText(why), app::MB_OK | app::MB_ICONWARNING);
        return;
    }
    QDialog::accept();
}

bool CHotkeysDialog::Edit(QWidget* parent, app::Profile& ini, air::HotkeyTable& table, std::vector<KeyInUse> inUse) {
    CHotkeysDialog dlg(parent);
    dlg.setTable(table);
    dlg.setKeysInUse(std::move(inUse));
    if (dlg.exec() != QDialog::Accepted) return false;
    table = dlg.table();
    air::SaveHotkeys(ini, table);
    return true;
}

}  // namespace ui
