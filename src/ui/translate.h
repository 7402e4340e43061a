// Resource identifiers on Qt objects, and the hooks through which the translation replaces
// the texts of dialogs and menus. A dialog carries its dialog id and each control its control
// id; a menu action carries its command id. Without a translation installed the hooks do
// nothing and the built-in English texts stay.
#pragma once

#include <functional>

class QObject;
class QWidget;

namespace i18n {
class Translation;
}

namespace ui {

// The resource id of a control or menu command (0 when none was set).
void SetResourceId(QObject* object, int id);
int ResourceId(const QObject* object);
// The widget with its resource id set, for building forms in one expression.
template <class W>
W* WithId(W* w, int id) {
    SetResourceId(w, id);
    return w;
}
// The dialog id of a dialog or view (0 when none): its controls are its own, not those of the
// window around it.
void SetDialogId(QWidget* dialog, int id);
int DialogId(const QWidget* dialog);

using DialogTranslator = std::function<void(int dialogId, QWidget* dialog)>;
// menu: a QMenuBar, or the QMenu of a shortcut menu (the first pop-up of its table).
using MenuTranslator = std::function<void(int menuId, QWidget* menu)>;
void SetDialogTranslator(DialogTranslator fn);
void SetMenuTranslator(MenuTranslator fn);

// Called by every dialog once its controls exist, and by a window after building its menu.
void TranslateDialog(int dialogId, QWidget* dialog);
void TranslateMenu(int menuId, QWidget* menu);

// Makes the hooks, the strings (app::LoadString) and DlgText answer through the translation
// (nullptr: the built-in texts again). The translation must outlive its use.
void UseTranslation(i18n::Translation* translation);
i18n::Translation* CurrentTranslation();

}  // namespace ui
