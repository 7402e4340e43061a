// The "Hotkeys" dialog: one hotkey field for each of the air frame's eight entries.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "ui/air/accelerators.h"

#include "air/hotkeys.h"

namespace app {
class Profile;
}

namespace ui {

class CHotkeyEdit;

class CHotkeysDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 1164;
    enum : int {
        IDC_HOTKEY_LABEL_FIRST = 1000,  // 1000-1007: the entries in table order
        IDS_HOTKEY_TWICE = 33925,
        IDS_HOTKEY_IN_USE = 33926,
        IDS_HOTKEY_IN_USE_IN = 33927,
    };

    explicit CHotkeysDialog(QWidget* parent = nullptr);

    void setTable(const air::HotkeyTable& table);
    // Every entry as (modifiers × 65536) | key from its field.
    air::HotkeyTable table() const;
    // The keys the program's other commands answer to: a hotkey may not take one.
    void setKeysInUse(std::vector<KeyInUse> keys) { inUse_ = std::move(keys); }
    // Why the fields cannot be taken as they are (a key given twice, or one in use); empty
    // when they can.
    QString problem() const;
    // OK: refused with a message while there is a problem.
    void accept() override;
    CHotkeyEdit* field(int entry) const { return fields_[size_t(entry)]; }

    // Shows the dialog on table; on OK stores the new table in it and writes all eight entries
    // to the settings file (the caller then rebuilds its accelerators). Cancel changes nothing.
    static bool Edit(QWidget* parent, app::Profile& ini, air::HotkeyTable& table, std::vector<KeyInUse> inUse = {});

private:
    std::array<CHotkeyEdit*, air::kHotkeyCount> fields_{};
    std::vector<KeyInUse> inUse_;
};

}  // namespace ui
