// A field that takes one key with its modifiers, like the system's hotkey control: it shows
// "Ctrl + R" and hands back the stored hotkey value. Backspace or Delete alone clear it; Tab,
// Enter and Esc keep their dialog meaning.
#pragma once

#include <QLineEdit>
#include <cstdint>

namespace ui {

class CHotkeyEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CHotkeyEdit(QWidget* parent = nullptr);

    uint32_t value() const { return value_; }
    void setValue(uint32_t hotkey);

signals:
    void valueChanged(uint32_t hotkey);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void showModifiers(Qt::KeyboardModifiers m);
    uint32_t value_ = 0;
    bool chosen_ = false;  // a key was taken while the modifiers are still held
};

}  // namespace ui
