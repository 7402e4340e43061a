// The air frame's accelerator table: one shortcut per hotkey entry on the frame's window, each
// sending its command. Rebuilt as a whole after loading the hotkeys and after the dialog.
#pragma once

#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <functional>
#include <vector>

#include "air/hotkeys.h"

class QWidget;

namespace ui {

class CAccelTable {
public:
    CAccelTable(QWidget* window, std::function<void(int command)> onCommand);
    ~CAccelTable();
    CAccelTable(const CAccelTable&) = delete;
    CAccelTable& operator=(const CAccelTable&) = delete;

    // Drops the previous shortcuts and makes the new ones. When two entries share a key the
    // first one answers, as an accelerator table does.
    void rebuild(const std::vector<air::Accelerator>& table);
    void clear();

    // The shortcut made for entry i (empty when it had no key or its key was taken before).
    QKeySequence keyOf(size_t i) const;
    size_t size() const { return keys_.size(); }

    static QKeySequence KeyOfAccelerator(const air::Accelerator& a);

private:
    QWidget* window_;
    std::function<void(int)> onCommand_;
    std::vector<QPointer<QShortcut>> shortcuts_;  // owned by the window; it may go first
    std::vector<QKeySequence> keys_;
};

}  // namespace ui
