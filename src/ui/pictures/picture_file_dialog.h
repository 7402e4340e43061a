// File dialogs for pictures: BMP and TGA files, starting in the last folder used for pictures
// and remembering the one chosen.
#pragma once

#include <string>

class QWidget;

namespace ui {

// "" when cancelled.
std::string AskOpenPicture(QWidget* parent, const std::string& startFile = {});
std::string AskSaveTga(QWidget* parent, const std::string& proposed);

// The program's filter "name (*.ext)|*.ext|..." as a Qt file dialog filter.
std::string QtFilterOf(const std::string& programFilter);

}  // namespace ui
