#include "ui/air/accelerators.h"

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QShortcut>
#include <QWidget>

#include "ui/air/virtual_keys.h"

namespace ui {

namespace {

bool under(const QObject* o, const QWidget* w) {
    for (; o; o = o->parent())
        if (o == w) return true;
    return false;
}

// The window an action belongs to, for the operator: the mode frame's title, else the window's.
QString windowName(const QAction* a) {
    for (const QObject* o = a->parent(); o; o = o->parent()) {
        if (auto* sub = qobject_cast<const QMdiSubWindow*>(o)) return sub->windowTitle().remove("[*]");
        if (auto* w = qobject_cast<const QWidget*>(o); w && w->isWindow()) return w->windowTitle().remove("[*]");
    }
    return {};
}

}  // namespace

std::vector<KeyInUse> KeysInUse(const QWidget* except) {
    std::vector<KeyInUse> keys;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->parentWidget()) continue;  // found through its parent
        QList<QAction*> actions = top->findChildren<QAction*>();
        actions += top->actions();
        for (QAction* a : actions) {
            if (under(a, except)) continue;
            // The command's name without its letter mark and the shortcut column of a menu text.
            const QString name = a->text().section('\t', 0, 0).remove('&'), where = windowName(a);
            for (const QKeySequence& k : a->shortcuts())
                if (!k.isEmpty()) keys.push_back({k, name, where});
        }
    }
    return keys;
}

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
        // On air the operator may be working in an editor or looking at the monitor.
        s->setContext(Qt::ApplicationShortcut);
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
