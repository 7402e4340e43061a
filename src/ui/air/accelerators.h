// The air frame's accelerator table: one shortcut per hotkey entry, each sending its command.
// They act from every window of the program while the frame exists (the editors, the program
// monitor), never from under a modal dialog. Rebuilt as a whole after loading the hotkeys and
// after the dialog.
#pragma once

#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QString>
#include <functional>
#include <vector>

#include "air/hotkeys.h"

class QWidget;

namespace ui {

// A key that a command of the program's windows answers to, with the command's name.
struct KeyInUse {
    QKeySequence key;
    QString command;  // "Play page!"
    QString window;   // "Page editor"; may be empty
};
// The keys of the commands of every window of the program except those inside except (the air
// frame, whose own hotkeys are being chosen).
std::vector<KeyInUse> KeysInUse(const QWidget* except);

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
