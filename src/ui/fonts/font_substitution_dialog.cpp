#include "ui/fonts/font_substitution_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/resources.h"
#include "ui/text.h"
#include "ui/translate.h"

namespace ui {

FontSubstitutionDialog::FontSubstitutionDialog(const std::string& missing, const std::vector<std::string>& fonts,
                                               QWidget* parent)
    : QDialog(parent) {
    DialogTexts t(this, IDD_FONT_SUBSTITUTION);
    setModal(true);
    missing_ = t(new QLabel(this), IDC_FONTSUB_MISSING);
    missing_->setText(FromProgramText(missing));
    QFont bold = missing_->font();
    bold.setBold(true);
    missing_->setFont(bold);
    combo_ = new QComboBox(this);
    for (const std::string& name : fonts) combo_->addItem(FromProgramText(name));
    combo_->setCurrentIndex(fonts.empty() ? -1 : 0);

    auto* form = new QFormLayout;
    form->addRow(t.label(IDC_FONTSUB_LABEL_MISSING), missing_);
    form->addRow(t.label(IDC_FONTSUB_LABEL_REPLACE, combo_), combo_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    ButtonTexts(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    TranslateDialog(IDD_FONT_SUBSTITUTION, this);
}

int FontSubstitutionDialog::chosen() const { return std::max(0, combo_->currentIndex()); }

int QtFontSubstitution::AskSubstitute(const std::string& missing, const std::vector<std::string>& fonts) {
    FontSubstitutionDialog dialog(missing, fonts, QApplication::activeWindow());
    dialog.exec();
    return dialog.chosen();
}

}  // namespace ui
