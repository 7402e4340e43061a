// The "Hotkeys" dialog: one hotkey field for each of the air frame's eight entries.
#pragma once

#include <QDialog>
#include <array>

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

    explicit CHotkeysDialog(QWidget* parent = nullptr);

    void setTable(const air::HotkeyTable& table);
    // Every entry as (modifiers × 65536) | key from its field.
    air::HotkeyTable table() const;
    CHotkeyEdit* field(int entry) const { return fields_[size_t(entry)]; }

    // Shows the dialog on table; on OK stores the new table in it and writes all eight entries
    // to the settings file (the caller then rebuilds its accelerators). Cancel changes nothing.
    static bool Edit(QWidget* parent, app::Profile& ini, air::HotkeyTable& table);

private:
    std::array<CHotkeyEdit*, air::kHotkeyCount> fields_{};
};

}  // namespace ui
