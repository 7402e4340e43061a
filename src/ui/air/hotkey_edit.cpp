#include "ui/air/hotkey_edit.h"

#include <QKeyEvent>

#include "air/hotkeys.h"
#include "ui/air/virtual_keys.h"

namespace ui {

CHotkeyEdit::CHotkeyEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setValue(0);
}

void CHotkeyEdit::setValue(uint32_t hotkey) {
    value_ = hotkey;
    setText(QString::fromStdString(air::HotkeyText(hotkey)));
}

void CHotkeyEdit::showModifiers(Qt::KeyboardModifiers m) {
    QString s;
    if (m & Qt::ControlModifier) s += "Ctrl + ";
    if (m & Qt::ShiftModifier) s += "Shift + ";
    if (m & Qt::AltModifier) s += "Alt + ";
    if (s.isEmpty()) setValue(value_);
    else setText(s);
}

void CHotkeyEdit::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
            if (!chosen_) showModifiers(e->modifiers());
            return;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape: e->ignore(); return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (mods == Qt::NoModifier) {
                e->ignore();  // the dialog's default button
                return;
            }
            break;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            if (mods == Qt::NoModifier) {
                setValue(0);
                emit valueChanged(0);
                return;
            }
            break;
        default: break;
    }
    uint32_t v = HotkeyOfKey(e->keyCombination(), e->nativeScanCode());
    if (v == 0) return;  // a key the stored table cannot name
    chosen_ = true;
    setValue(v);
    emit valueChanged(v);
}

void CHotkeyEdit::keyReleaseEvent(QKeyEvent* e) {
    // While only modifiers are held the field shows them; letting go shows the hotkey again.
    Qt::KeyboardModifiers held = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (held == Qt::NoModifier) {
        chosen_ = false;
        setValue(value_);
    } else if (!chosen_) {
        showModifiers(held);
    }
}

void CHotkeyEdit::focusOutEvent(QFocusEvent* e) {
    chosen_ = false;
    setValue(value_);
    QLineEdit::focusOutEvent(e);
}

}  // namespace ui
