// The "Font substitution" dialog: a page names a font the Fonts folder no longer holds, and the
// operator picks the installed font that stands in for it (once per missing name).
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "pages/font_manager.h"

class QComboBox;
class QLabel;

namespace ui {

enum : int {
    IDD_FONT_SUBSTITUTION = 1112,
    IDC_FONTSUB_LABEL_MISSING = 1000,
    IDC_FONTSUB_LABEL_REPLACE = 1001,
    IDC_FONTSUB_MISSING = 1002,
};

class FontSubstitutionDialog final : public QDialog {
    Q_OBJECT
public:
    // fonts: every font name in list order; the first one is preselected.
    FontSubstitutionDialog(const std::string& missing, const std::vector<std::string>& fonts,
                           QWidget* parent = nullptr);
    // The index of the chosen font.
    int chosen() const;
    QComboBox* fontList() const { return combo_; }
    QLabel* missingLabel() const { return missing_; }
    // There is no Cancel: closing the dialog keeps the choice shown.
    void reject() override { accept(); }

private:
    QLabel* missing_;
    QComboBox* combo_;
};

// The question asked through the dialog, for the font list of the GUI.
class QtFontSubstitution final : public pages::FontSubstitution {
public:
    int AskSubstitute(const std::string& missing, const std::vector<std::string>& fonts) override;
};

}  // namespace ui
