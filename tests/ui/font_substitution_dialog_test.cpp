#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

#include "ui/fonts/font_substitution_dialog.h"

namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "zx_tests_ui";
    static char* argv[] = {name, nullptr};
    static QApplication* a =
        QApplication::instance() ? static_cast<QApplication*>(QApplication::instance()) : new QApplication(argc, argv);
    return *a;
}

TEST(FontSubstitutionDialog, ShowsTheMissingNameAndOffersEveryFont) {
    app();
    ui::FontSubstitutionDialog dialog("Courier", {"Arial", "Times", "\xC0\xE1\xE2"});
    EXPECT_EQ(dialog.windowTitle(), "Font substitution");
    EXPECT_EQ(dialog.missingLabel()->text(), "Courier");
    QComboBox* list = dialog.fontList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(2), QString::fromUtf8("\xD0\x90\xD0\xB1\xD0\xB2"));  // code page 1251
    EXPECT_EQ(dialog.chosen(), 0);                                                // the first font is preselected
    list->setCurrentIndex(1);
    EXPECT_EQ(dialog.chosen(), 1);
    // Only an OK button; closing the window keeps the choice.
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->buttons().size(), 1);
    EXPECT_EQ(buttons->standardButtons(), QDialogButtonBox::Ok);
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosen(), 1);
    bool labelled = false;
    for (QLabel* l : dialog.findChildren<QLabel*>()) labelled |= l->text() == "&Replace with:";
    EXPECT_TRUE(labelled);
}

}  // namespace
