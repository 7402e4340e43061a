// Message boxes shown with Qt. Texts arrive in the program's 8-bit code page.
#pragma once

#include "app/message_boxes.h"

class QWidget;

namespace ui {

class QtMessageBoxes final : public app::MessageBoxes {
public:
    int show(const std::string& text, unsigned style) override;
};


}  // namespace ui
