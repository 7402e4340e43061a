#include "ui/air/accelerators.h"

#include <QShortcut>
#include <QWidget>

#include "ui/air/virtual_keys.h"

namespace ui {

CAccelTable::CAccelTable(QWidget* window, std::function<void(int)> onCommand)
    : window_(window), onCommand_(std::move(onCommand)) {}

CAccelTable::~CAccelTable() { clear(); }

QKeySequence CAccelTable::KeyOfAccelerator(const air::Accelerator& a) {
    uint32_t v = air::HotkeyKey(a.key);
    if (a.key > 0xFF) return QKeySequence();  // no virtual-key code above 255
    if (a.flags & air::ACCEL_SHIFT) v |= air::HOTKEY_SHIFT;
    if (a.flags & air::ACCEL_CONTROL) v |= air::HOTKEY_CTRL;
    if (a.flags & air::ACCEL_ALT) v |= air::HOTKEY_ALT;
    return ShortcutOfHotkey(v);
}

void CAccelTable::clear() {
    for (const QPointer<QShortcut>& s : shortcuts_) delete s.data();
    shortcuts_.clear();
    keys_.clear();
}

void CAccelTable::rebuild(const std::vector<air::Accelerator>& table) {
    clear();
    for (const air::Accelerator& a : table) {
        QKeySequence key = KeyOfAccelerator(a);
        bool taken = false;
        for (const QKeySequence& k : keys_) taken = taken || (!key.isEmpty() && k == key);
        if (key.isEmpty() || taken) {
            keys_.push_back(QKeySequence());
            continue;
        }
        auto* s = new QShortcut(key, window_);
        s->setContext(Qt::WindowShortcut);
        int command = a.command;
        QObject::connect(s, &QShortcut::activated, window_, [this, command] {
            if (onCommand_) onCommand_(command);
        });
        shortcuts_.push_back(s);
        keys_.push_back(key);
    }
}

QKeySequence CAccelTable::keyOf(size_t i) const { return i < keys_.size() ? keys_[i] : QKeySequence(); }

}  // namespace ui
