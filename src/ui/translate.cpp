#include "ui/translate.h"

#include <QObject>
#include <QVariant>
#include <QWidget>

namespace ui {

namespace {
constexpr const char* kIdProperty = "zxResourceId";
DialogTranslator& dialogTranslator() {
    static DialogTranslator fn;
    return fn;
}
MenuTranslator& menuTranslator() {
    static MenuTranslator fn;
    return fn;
}
}  // namespace

void SetResourceId(QObject* object, int id) { object->setProperty(kIdProperty, id); }

int ResourceId(const QObject* object) { return object->property(kIdProperty).toInt(); }

void SetDialogTranslator(DialogTranslator fn) { dialogTranslator() = std::move(fn); }
void SetMenuTranslator(MenuTranslator fn) { menuTranslator() = std::move(fn); }

void TranslateDialog(int dialogId, QWidget* dialog) {
    SetResourceId(dialog, dialogId);
    if (dialogTranslator()) dialogTranslator()(dialogId, dialog);
}

void TranslateMenu(int menuId, QMenuBar* menu) {
    if (menuTranslator()) menuTranslator()(menuId, menu);
}

}  // namespace ui
