// File dialogs for pictures: BMP and TGA files, starting in the last folder used for pictures
// and remembering the one chosen.
#pragma once

#include <string>

#include "ui/file_dialogs.h"

class QWidget;

namespace ui {

// "" when cancelled.
std::string AskOpenPicture(QWidget* parent, const std::string& startFile = {});
std::string AskSaveTga(QWidget* parent, const std::string& proposed);

}  // namespace ui
